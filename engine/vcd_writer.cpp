#include "engine/vcd_writer.h"

#include "engine/format_fixed.h"
#include "engine/json_writer.h" // AppendShortestFloat

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#ifndef BLDC_VERSION
#error "BLDC_VERSION must be the project's version"
#endif

namespace engine {

namespace {


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


struct Variable {
    std::string Code;
    bool Real = false;
};

// A comment may hold anything but the keyword that ends it.
std::string CommentText(std::string_view text)
{
    std::string out(text);
    std::replace(out.begin(), out.end(), '$', '?');
    return out;
}

// The view's channels that a dump writes: all but those that repeat a base voltage.
std::vector<std::size_t> WrittenChannels(const ChannelSet* view, std::size_t channels)
{
    std::vector<std::size_t> written;
    for (std::size_t k = 0; k < channels; ++k) {
        if (view->Channels[k].Repeats == nullptr) {
            written.push_back(k);
        }
    }
    return written;
}

std::string UnitsComment(const ChannelSet* view, std::size_t channels)
{
    std::string text = "$comment\n  units: time in us, one step per sample; A B C Z VBatt in V; "
                       "ANGLE in deg; switches and drive flags 0 or 1";
    for (std::size_t k = 0; k < channels; ++k) {
        const TChannelDesc& channel = view->Channels[k];
        text += "\n  view channel " + CommentText(VcdReferenceName(channel.Name));
        if (channel.Repeats != nullptr) {
            text += std::string(" is bldc.") + channel.Repeats + ", not written twice";
        } else {
            text += " in " + CommentText(channel.Unit);
        }
    }
    return text + "\n$end\n";
}

std::string ScenarioComment(const Scenario& scenario)
{
    std::string text = "$comment\n  the scenario of this run, as bldc-emu --load reads it:\n";
    const std::string file = ScenarioText(scenario);
    std::string_view rest = file;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        text += "  " + CommentText(rest.substr(0, end)) + "\n";
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return text + "$end\n";
}

class Dump {
public:
    Dump(const SampleBuffer& run, const ChannelSet* view, std::size_t channels, ChunkedText& out)
        : run_(run), view_(view), channels_(channels),
          written_(view != nullptr ? WrittenChannels(view, channels) : std::vector<std::size_t>()),
          out_(out.Text())
    {
    }

    void Declare(const VcdAbout& about)
    {
        out_ += "$date " + VcdDateText() + " $end\n";
        out_ += "$version bldc-demo " BLDC_VERSION " $end\n";
        out_ += "$comment one electrical revolution in 1 us steps $end\n";
        out_ += UnitsComment(view_, channels_);
        if (about.Setup) {
            out_ += ScenarioComment(*about.Setup);
        }
        out_ += "$timescale 1 us $end\n";
        out_ += "$scope module bldc $end\n";
        for (const char* name : kSwitchNames) {
            Add(name, false);
        }
        for (const char* name : kVcdDriveNames) {
            Add(name, false);
        }
        for (const char* name : kVcdVoltageNames) {
            Add(name, true);
        }
        Add("ANGLE", true);
        if (!written_.empty()) {
            out_ += "$scope module view $end\n";
            for (const std::size_t k : written_) {
                Add(VcdReferenceName(view_->Channels[k].Name), true);
            }
            out_ += "$upscope $end\n";
        }
        out_ += "$upscope $end\n";
        out_ += "$enddefinitions $end\n";
        bits_.assign(9, -1);
        reals_.assign(6 + written_.size(), 0);
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
        for (const std::size_t k : written_) {
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
    std::vector<std::size_t> written_;
    std::string& out_;
    std::vector<Variable> variables_;
    std::vector<std::int32_t> bits_;
    std::vector<std::uint32_t> reals_; // the bits of the last value written, by real variable
};

} // namespace

std::string VcdReferenceName(std::string_view name)
{
    std::string out;
    for (const char ch : name) {
        out += static_cast<unsigned char>(ch) <= ' ' || ch == 0x7F ? '_' : ch;
    }
    return out.empty() ? "_" : out;
}

void WriteVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window,
              ChunkedText& out, const VcdAbout& about)
{
    std::int64_t held = run.RecordCount();
    std::size_t channels = 0;
    if (view != nullptr) {
        channels = static_cast<std::size_t>(std::clamp(view->ChannelCount, 0, kMaxChannels));
        held = std::min(held, static_cast<std::int64_t>(view->ChannelRows.size()));
    }
    const SampleWindow range = CutToRun(window, held);

    Dump dump(run, view, channels, out);
    dump.Declare(about);
    for (std::int64_t i = range.Start; i < range.End(); ++i) {
        dump.Sample(i, i == range.Start);
        out.Pass();
    }
    if (!range.Empty()) {
        dump.TimeStamp(range.End());
    }
    out.Flush();
}

std::string BuildVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window,
                     const VcdAbout& about)
{
    std::string text;
    ChunkedText out([&text](std::string_view piece) { text += piece; });
    WriteVcd(run, view, window, out, about);
    return text;
}

void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view,
             const VcdAbout& about)
{
    SaveVcd(path, run, view, {0, run.RecordCount()}, about);
}

void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view,
             const SampleWindow& window, const VcdAbout& about)
{
    ByteFileWriter file(path);
    ChunkedText out([&file](std::string_view piece) { file.Write(piece); });
    WriteVcd(run, view, window, out, about);
    file.Close();
}

std::string VcdDateText()
{
    std::time_t seconds = std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != 0) {
        char* end = nullptr;
        const long long given = std::strtoll(epoch, &end, 10);
        if (*end == 0 && given >= 0) {
            seconds = static_cast<std::time_t>(given);
        }
    }
    std::tm utc{};
    char text[32] = "";
    if (gmtime_r(&seconds, &utc) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc) == 0) {
        return "unknown";
    }
    return text;
}

} // namespace engine
