#include "engine/vcd_writer.h"

#include "engine/format_fixed.h"
#include "engine/json_writer.h" // AppendShortestFloat

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace engine {

namespace {

constexpr std::array<const char*, 3> kDriveNames{"DriveA", "DriveB", "DriveC"};
constexpr std::array<const char*, 5> kVoltageNames{"A", "B", "C", "Z", "VBatt"};

// Identifier codes are printable characters from '!' on; the 22 variables at most need one.
std::string Code(std::size_t index)
{
    std::string code;
    do {
        code += static_cast<char>('!' + index % 94);
        index /= 94;
    } while (index > 0);
    return code;
}

// A reference name may hold no blank or control character: viewers split on them.
std::string ReferenceName(std::string_view name)
{
    std::string out;
    for (const char ch : name) {
        out += static_cast<unsigned char>(ch) <= ' ' || ch == 0x7F ? '_' : ch;
    }
    return out.empty() ? "_" : out;
}

struct Variable {
    std::string Code;
    bool Real = false;
};

class Dump {
public:
    Dump(const SampleBuffer& run, const ChannelSet* view, std::size_t channels, ChunkedText& out)
        : run_(run), view_(view), channels_(channels), out_(out.Text())
    {
    }

    void Declare()
    {
        out_ += "$version bldc-emu $end\n";
        out_ += "$comment one electrical revolution in 1 us steps $end\n";
        out_ += "$timescale 1 us $end\n";
        out_ += "$scope module bldc $end\n";
        for (const char* name : kSwitchNames) {
            Add(name, false);
        }
        for (const char* name : kDriveNames) {
            Add(name, false);
        }
        for (const char* name : kVoltageNames) {
            Add(name, true);
        }
        Add("ANGLE", true);
        if (channels_ > 0) {
            out_ += "$scope module view $end\n";
            for (std::size_t k = 0; k < channels_; ++k) {
                Add(ReferenceName(view_->Channels[k].Name), true);
            }
            out_ += "$upscope $end\n";
        }
        out_ += "$upscope $end\n";
        out_ += "$enddefinitions $end\n";
        bits_.assign(9, -1);
        reals_.assign(6 + channels_, 0);
    }

    // The values of sample `i`; all of them for the first sample, then only changes.
    void Sample(std::int64_t i, bool first)
    {
        const TSampleRec& s = run_.Samples[static_cast<std::size_t>(i)];
        TimeStamp(i);
        if (first) {
            out_ += "$dumpvars\n";
        }
        std::size_t v = 0;
        for (const std::int32_t level : s.Switch) {
            Bit(v++, level, first);
        }
        for (const std::int32_t level : s.Drive) {
            Bit(v++, level, first);
        }
        const std::array<float, 6> values{s.PhaseV[0], s.PhaseV[1], s.PhaseV[2],
                                          s.VZero,     s.VBatt,     s.Angle};
        for (const float value : values) {
            Real(v++, value, first);
        }
        for (std::size_t k = 0; k < channels_; ++k) {
            Real(v++, view_->ChannelRows[static_cast<std::size_t>(i)][k], first);
        }
        if (first) {
            out_ += "$end\n";
        }
    }

    void TimeStamp(std::int64_t time)
    {
        out_ += '#';
        char digits[kIntegerMaxLength];
        out_.append(digits, static_cast<std::size_t>(FormatIntegerTo(digits, time) - digits));
        out_ += '\n';
    }

private:
    void Add(const std::string& name, bool real)
    {
        Variable variable{Code(variables_.size()), real};
        out_ += real ? "$var real 64 " : "$var wire 1 ";
        out_ += variable.Code;
        out_ += ' ';
        out_ += name;
        out_ += " $end\n";
        variables_.push_back(std::move(variable));
    }

    void Bit(std::size_t v, std::int32_t level, bool first)
    {
        if (!first && bits_[v] == level) {
            return;
        }
        bits_[v] = level;
        // Levels are 0 or 1; anything else is shown as unknown rather than as a wrong level.
        out_ += level == 0 ? '0' : level == 1 ? '1' : 'x';
        out_ += variables_[v].Code;
        out_ += '\n';
    }

    void Real(std::size_t v, float value, bool first)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        const std::size_t slot = v - bits_.size();
        if (!first && reals_[slot] == bits) {
            return;
        }
        reals_[slot] = bits;
        out_ += 'r';
        AppendShortestFloat(out_, value);
        out_ += ' ';
        out_ += variables_[v].Code;
        out_ += '\n';
    }

    const SampleBuffer& run_;
    const ChannelSet* view_;
    std::size_t channels_;
    std::string& out_;
    std::vector<Variable> variables_;
    std::vector<std::int32_t> bits_;
    std::vector<std::uint32_t> reals_; // the bits of the last value written, by real variable
};

} // namespace

void WriteVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window,
              ChunkedText& out)
{
    std::int64_t held = run.RecordCount();
    std::size_t channels = 0;
    if (view != nullptr) {
        channels = static_cast<std::size_t>(std::clamp(view->ChannelCount, 0, kMaxChannels));
        held = std::min(held, static_cast<std::int64_t>(view->ChannelRows.size()));
    }
    const SampleWindow range = CutToRun(window, held);

    Dump dump(run, view, channels, out);
    dump.Declare();
    for (std::int64_t i = range.Start; i < range.End(); ++i) {
        dump.Sample(i, i == range.Start);
        out.Pass();
    }
    if (!range.Empty()) {
        dump.TimeStamp(range.End());
    }
    out.Flush();
}

std::string BuildVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window)
{
    std::string text;
    ChunkedText out([&text](std::string_view piece) { text += piece; });
    WriteVcd(run, view, window, out);
    return text;
}

void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view)
{
    SaveVcd(path, run, view, {0, run.RecordCount()});
}

void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view,
             const SampleWindow& window)
{
    ByteFileWriter file(path);
    ChunkedText out([&file](std::string_view piece) { file.Write(piece); });
    WriteVcd(run, view, window, out);
    file.Close();
}

} // namespace engine
