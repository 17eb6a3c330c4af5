#include "engine/view_export.h"

#include "engine/format_fixed.h"

#include <algorithm>
#include <string_view>

namespace engine {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kTypicalFixedLength = 60; // index, time, angle and the switches
constexpr std::size_t kTypicalValueLength = 9;

// A TAB or a line break inside a name would shift every column after it.
void AppendName(std::string& out, const std::string& name)
{
    for (const char ch : name) {
        out += static_cast<unsigned char>(ch) < ' ' || ch == 0x7F ? ' ' : ch;
    }
}

} // namespace

SampleWindow ExportedSamples(const SampleBuffer& run, const ChannelSet& result,
                             const SampleWindow& view)
{
    const std::int64_t rows = static_cast<std::int64_t>(result.ChannelRows.size());
    return CutToRun(view, std::min<std::int64_t>(run.RecordCount(), rows));
}

std::string BuildViewExport(const SampleBuffer& run, const ChannelSet& result,
                            const SampleWindow& view, char separator)
{
    const SampleWindow range = ExportedSamples(run, result, view);
    const auto channels =
        static_cast<std::size_t>(std::clamp<std::int32_t>(result.ChannelCount, 0, kMaxChannels));

    std::string text;
    text.reserve(128 + static_cast<std::size_t>(range.Len) *
                           (kTypicalFixedLength + channels * kTypicalValueLength));
    text += kViewExportHeader;
    for (std::size_t k = 0; k < channels; ++k) {
        text += '\t';
        AppendName(text, result.Channels[k].Name);
    }
    text += kLineEnd;

    for (std::int64_t i = range.Start; i < range.End(); ++i) {
        const TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
        const TChannelRow& row = result.ChannelRows[static_cast<std::size_t>(i)];
        char digits[kIntegerMaxLength];
        text.append(digits, static_cast<std::size_t>(FormatIntegerTo(digits, i) - digits));
        text += '\t';
        AppendFormatFixed(text, s.Time, 10, 1, separator);
        text += '\t';
        AppendFormatFixed(text, s.Angle, 7, 4, separator);
        for (const std::int32_t level : s.Switch) {
            text += '\t';
            text.append(digits, static_cast<std::size_t>(FormatIntegerTo(digits, level) - digits));
        }
        for (std::size_t k = 0; k < channels; ++k) {
            text += '\t';
            AppendFormatFixed(text, row[k], 7, 4, separator);
        }
        text += kLineEnd;
    }
    return text;
}

void SaveViewExport(const std::string& path, const SampleBuffer& run, const ChannelSet& result,
                    const SampleWindow& view, char separator)
{
    WriteFileBytes(path, BuildViewExport(run, result, view, separator));
}

} // namespace engine
