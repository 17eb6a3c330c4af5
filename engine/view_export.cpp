#include "engine/view_export.h"

#include "engine/number_forms.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace engine {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kFixedColumns = 9; // index, time, angle and the six switches

std::vector<std::string> HeaderColumns(const ChannelSet& result, std::size_t channels)
{
    std::vector<std::string> columns;
    std::string_view fixed = kViewExportHeader;
    for (std::size_t tab; (tab = fixed.find('\t')) != std::string_view::npos;) {
        columns.emplace_back(fixed.substr(0, tab));
        fixed.remove_prefix(tab + 1);
    }
    columns.emplace_back(fixed);
    for (std::size_t k = 0; k < channels; ++k) {
        columns.push_back(WithUnit(result.Channels[k].Name, result.Channels[k].Unit));
    }
    return columns;
}

} // namespace

SampleWindow ExportedSamples(const SampleBuffer& run, const ChannelSet& result,
                             const SampleWindow& view)
{
    const std::int64_t rows = static_cast<std::int64_t>(result.ChannelRows.size());
    return CutToRun(view, std::min<std::int64_t>(run.RecordCount(), rows));
}

void WriteViewTable(const SampleBuffer& run, const ChannelSet& result, const SampleWindow& view,
                    TableWriter& table, ChunkedText& out)
{
    const auto channels =
        static_cast<std::size_t>(std::clamp<std::int32_t>(result.ChannelCount, 0, kMaxChannels));
    const SampleWindow range = ExportedSamples(run, result, view);
    const std::int64_t first = range.Start;
    const std::int64_t end = range.End();

    table.Header(HeaderColumns(result, channels));
    std::array<TableCell, kFixedColumns + kMaxChannels> cells{};
    for (std::int64_t i = first; i < end; ++i) {
        const TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
        const TChannelRow& row = result.ChannelRows[static_cast<std::size_t>(i)];
        cells[0] = TableCell::Integer(i);
        cells[1] = TableCell::Fixed(s.Time, kLogTimeForm);
        cells[2] = TableCell::Fixed(s.Angle, kChannelForm);
        for (std::size_t j = 0; j < 6; ++j) {
            cells[3 + j] = TableCell::Integer(s.Switch[j]);
        }
        for (std::size_t k = 0; k < channels; ++k) {
            cells[kFixedColumns + k] = TableCell::Fixed(row[k], kChannelForm);
        }
        table.Row(std::span(cells.data(), kFixedColumns + channels));
        out.Pass();
    }
    table.Finish();
}

void WriteChannelsJson(const SampleBuffer& run, const ChannelSet& result, const SampleWindow& view,
                       JsonWriter& json)
{
    const auto channels =
        static_cast<std::size_t>(std::clamp<std::int32_t>(result.ChannelCount, 0, kMaxChannels));
    const SampleWindow range = ExportedSamples(run, result, view);
    json.BeginArray();
    for (std::size_t k = 0; k < channels; ++k) {
        const TChannelDesc& channel = result.Channels[k];
        json.BeginObject();
        json.Key("name");
        json.Text(channel.Name);
        json.Key("unit");
        json.Text(channel.Unit);
        json.Key("color");
        json.Text(ColourHex(channel.Color));
        float low = 0;
        float high = 0;
        for (std::int64_t i = range.Start; i < range.End(); ++i) {
            const float value = result.ChannelRows[static_cast<std::size_t>(i)][k];
            low = i == range.Start ? value : std::min(low, value);
            high = i == range.Start ? value : std::max(high, value);
        }
        const auto extreme = [&](const char* name, float value) {
            json.Key(WithUnit(name, channel.Unit));
            if (range.Empty()) {
                json.Null();
            } else {
                json.Float(value);
            }
        };
        extreme("data min", low);
        extreme("data max", high);
        json.Key(WithUnit("axis min", channel.Unit));
        json.Float(channel.MinValue);
        json.Key(WithUnit("axis max", channel.Unit));
        json.Float(channel.MaxValue);
        json.EndObject();
    }
    json.EndArray();
}

std::string BuildViewExport(const SampleBuffer& run, const ChannelSet& result,
                            const SampleWindow& view, char separator, TableFormat format)
{
    std::string text;
    ChunkedText out([&text](std::string_view piece) { text += piece; });
    TableWriter table(format, out.Text(), separator, kLineEnd);
    WriteViewTable(run, result, view, table, out);
    out.Flush();
    return text;
}

void SaveViewExport(const std::string& path, const SampleBuffer& run, const ChannelSet& result,
                    const SampleWindow& view, char separator, TableFormat format)
{
    WriteFileBytes(path, BuildViewExport(run, result, view, separator, format));
}

} // namespace engine
