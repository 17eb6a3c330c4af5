#include "engine/run_tables.h"

#include "engine/json_writer.h"
#include "engine/number_forms.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace engine {

namespace {

// The summary's numbers as the graph's header writes them, with '.'; a table cell only views
// its text, so the texts live here as long as the row.
struct SummaryTexts {
    std::string Rpm;
    std::string Timing;

    explicit SummaryTexts(const RunSummary& summary)
        : Rpm(RpmText(summary.Rpm)), Timing(TimingText(summary.Timing, '.'))
    {
    }
};

} // namespace

void WriteParamsTable(const TParams& params, TableWriter& table)
{
    table.Header({"TAG", "NAME", "TEXT", "VALUE", "UNIT"});
    for (int tag = 1; tag <= kParamCount; ++tag) {
        const float value = params[tag];
        const std::string text = NormalisedParamText(tag, value, table.Separator());
        std::string pointed;
        if (std::isfinite(value)) {
            AppendShortestFloat(pointed, value);
        }
        const TableCell cells[] = {
            TableCell::Integer(tag), TableCell::Text(kParamNames[static_cast<std::size_t>(tag)]),
            TableCell::Text(text),
            pointed.empty() ? TableCell::Empty() : TableCell::Number(pointed),
            TableCell::Text(kParamUnits[static_cast<std::size_t>(tag)])};
        table.Row(cells);
    }
    table.Finish();
}

void WriteSummaryTable(const RunSummary& summary, int sampleCount, TableWriter& table)
{
    table.Header(SummaryColumns(), TableWriter::Rows::One);
    const SummaryTexts texts(summary);
    const TableCell cells[] = {TableCell::Number(texts.Rpm), TableCell::Number(texts.Timing),
                               TableCell::Integer(sampleCount)};
    table.Row(cells);
    table.Finish();
}

std::vector<std::string> SummaryColumns()
{
    return {"RPM", WithUnit("TIMING", "deg"), "SAMPLES"};
}

std::vector<std::string> SweepColumns(const ChannelSet& view, bool zc, int sweptTag)
{
    std::vector<std::string> columns;
    if (sweptTag >= 1 && sweptTag <= kParamCount) {
        const auto tag = static_cast<std::size_t>(sweptTag);
        columns.push_back(WithUnit(kParamNames[tag], kParamUnits[tag]));
    } else {
        columns.emplace_back("VALUE");
    }
    for (std::string& column : SummaryColumns()) {
        columns.push_back(std::move(column));
    }
    const auto count = static_cast<std::size_t>(std::clamp(view.ChannelCount, 0, kMaxChannels));
    for (std::size_t k = 0; k < count; ++k) {
        const TChannelDesc& channel = view.Channels[k];
        columns.push_back(WithUnit(channel.Name + " MIN", channel.Unit));
        columns.push_back(WithUnit(channel.Name + " MAX", channel.Unit));
    }
    if (zc) {
        columns.insert(columns.end(), {WithUnit("ZC MEAN ERROR", "deg"),
                                       WithUnit("ZC MAX ERROR", "deg"), "ZC UNDETECTED"});
    }
    columns.emplace_back("ERROR");
    return columns;
}

void WriteSweepRow(const SweepRow& row, std::size_t channels, bool zc, TableWriter& table)
{
    std::vector<TableCell> cells{TableCell::Number(row.Value)};
    if (row.Failure) {
        cells.resize(4 + 2 * channels + (zc ? 3 : 0), TableCell::Empty());
        cells.push_back(TableCell::Text(*row.Failure));
        table.Row(cells);
        return;
    }
    const SummaryTexts texts(row.Summary);
    cells.push_back(TableCell::Number(texts.Rpm));
    cells.push_back(TableCell::Number(texts.Timing));
    cells.push_back(TableCell::Integer(row.Samples));
    for (std::size_t k = 0; k < channels; ++k) {
        if (k < row.Extremes.size()) {
            cells.push_back(TableCell::Fixed(row.Extremes[k].first, kChannelForm));
            cells.push_back(TableCell::Fixed(row.Extremes[k].second, kChannelForm));
        } else {
            cells.push_back(TableCell::Empty());
            cells.push_back(TableCell::Empty());
        }
    }
    if (zc) {
        const SweepZc found = row.Zc.value_or(SweepZc{});
        for (const std::optional<double>& error : {found.MeanErrorDeg, found.MaxErrorDeg}) {
            cells.push_back(error ? TableCell::Fixed(*error, kZcAngleForm) : TableCell::Empty());
        }
        cells.push_back(TableCell::Integer(found.Undetected));
    }
    cells.push_back(TableCell::Empty());
    table.Row(cells);
}

std::vector<std::pair<float, float>> SweepExtremes(const ChannelSet& channels,
                                                   const SampleWindow& window)
{
    std::vector<std::pair<float, float>> extremes;
    const auto count = static_cast<std::size_t>(channels.ChannelCount);
    const auto first = static_cast<std::size_t>(window.Start);
    for (std::size_t k = 0; k < count && window.Len > 0; ++k) {
        float low = channels.ChannelRows[first][k];
        float high = low;
        for (std::size_t i = first + 1; i < first + static_cast<std::size_t>(window.Len); ++i) {
            const float v = channels.ChannelRows[i][k];
            low = v < low ? v : low;
            high = v < high ? high : v;
        }
        extremes.emplace_back(low, high);
    }
    return extremes;
}

} // namespace engine
