#include "graph/readout_table.h"

#include "engine/format_fixed.h"

#include <algorithm>
#include <cstdint>

namespace graph {

namespace {

const std::string kMissing = "-";

std::string Integer(std::int64_t value)
{
    return engine::FormatInteger(value);
}
std::string Volts(double value)
{
    return engine::FormatFixed(value, 8, 3);
}
std::string Micros(double value)
{
    return engine::FormatFixed(value, 12, 1);
}
std::string Degrees(double value)
{
    return engine::FormatFixed(value, 10, 3);
}
std::string Hertz(double value)
{
    return engine::FormatFixed(value, 12, 1) + " Hz";
}

// The samples the readout may read: the run's records, never beyond SampleCount.
bool InRun(const engine::SampleBuffer& run, const std::optional<int>& sample)
{
    return sample && *sample >= 0 && *sample < run.SampleCount &&
           static_cast<std::size_t>(*sample) < run.Samples.size();
}

class CursorTable {
public:
    explicit CursorTable(const ReadoutSource& source) : s_(source)
    {
        points_ = {s_.A, s_.B, s_.Pointer};
        for (std::optional<int>& point : points_) {
            if (point && !InRun(s_.Run, point))
                point.reset();
        }
        both_ = points_[0] && points_[1];
    }

    ReadoutSection Build() const
    {
        ReadoutSection section{kCursorSection, {}};
        section.Rows.push_back({{""}, {"A"}, {"B"}, {"Pointer"}, {"B \xE2\x88\x92 A"}});
        AddRow(
            section, "Sample", kReadoutText,
            [](int i, const engine::TSampleRec&) { return std::optional<double>(i); },
            [](double v) { return Integer(static_cast<std::int64_t>(v)); });
        AddRow(
            section, "Time \xC2\xB5s", kReadoutText,
            [](int, const engine::TSampleRec& r) { return std::optional<double>(r.Time); }, Micros);
        AddRow(
            section, "Angle \xC2\xB0", kReadoutText,
            [](int, const engine::TSampleRec& r) { return std::optional<double>(r.Angle); },
            Degrees);

        ReadoutRow frequency{{"1/\xCE\x94t"}, {}, {}, {}, {}};
        if (both_) {
            const double dt =
                static_cast<double>(Record(*points_[1]).Time) - Record(*points_[0]).Time;
            frequency[kColumnDelta].Text = dt != 0 ? Hertz(1e6 / dt) : kMissing;
        }
        section.Rows.push_back(frequency);

        for (std::size_t k = 0; k < kSwitchTraceColors.size(); ++k) {
            ReadoutRow row{{s_.SwitchLabels[k], kSwitchTraceColors[k]}};
            for (const std::optional<int>& point : points_) {
                row.push_back(
                    {point ? Integer(Record(*point).Switch[k]) : "", kSwitchTraceColors[k]});
            }
            row.push_back({"", kSwitchTraceColors[k]});
            section.Rows.push_back(row);
        }

        const engine::ChannelSet& result = s_.Result;
        const int count = std::clamp(result.ChannelCount, 0, engine::kMaxChannels);
        for (int i = 0; i < count; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            AddRow(
                section, result.Channels[slot].Name, result.Channels[slot].Color,
                [&result, slot](int index, const engine::TSampleRec&) -> std::optional<double> {
                    if (static_cast<std::size_t>(index) >= result.ChannelRows.size())
                        return std::nullopt;
                    return result.ChannelRows[static_cast<std::size_t>(index)][slot];
                },
                Volts);
        }
        return section;
    }

private:
    const engine::TSampleRec& Record(int index) const
    {
        return s_.Run.Samples[static_cast<std::size_t>(index)];
    }

    // One value per point and, with both cursors placed, B minus A.
    template <class Value, class Text>
    void AddRow(ReadoutSection& section, const std::string& label, engine::TColor color,
                const Value& value, const Text& text) const
    {
        ReadoutRow row{{label, color}};
        std::array<std::optional<double>, 3> values{};
        for (std::size_t p = 0; p < points_.size(); ++p) {
            if (!points_[p]) {
                row.push_back({"", color});
                continue;
            }
            values[p] = value(*points_[p], Record(*points_[p]));
            row.push_back({values[p] ? text(*values[p]) : kMissing, color});
        }
        std::string delta;
        if (both_)
            delta = values[0] && values[1] ? text(*values[1] - *values[0]) : kMissing;
        row.push_back({delta, color});
        section.Rows.push_back(row);
    }

    const ReadoutSource& s_;
    std::array<std::optional<int>, 3> points_;
    bool both_ = false;
};

std::string Range(const engine::ViewMeasurements& m)
{
    if (m.Measured.Empty())
        return "no samples";
    return "samples " + Integer(m.Measured.Start) + " \xE2\x80\xA6 " +
           Integer(m.Measured.End() - 1);
}

ReadoutSection ChannelSection(const ReadoutSource& source, const engine::ViewMeasurements& m)
{
    ReadoutSection section{std::string(kChannelSection) + ", " + Range(m), {}};
    section.Rows.push_back({{""}, {"min"}, {"max"}, {"mean"}, {"RMS"}});
    for (std::size_t i = 0; i < m.Channels.size(); ++i) {
        const engine::TChannelDesc& channel = source.Result.Channels[i];
        const engine::ChannelStats& stats = m.Channels[i];
        section.Rows.push_back({{channel.Name, channel.Color},
                                {Volts(stats.Min), channel.Color},
                                {Volts(stats.Max), channel.Color},
                                {Volts(stats.Mean), channel.Color},
                                {Volts(stats.Rms), channel.Color}});
    }
    return section;
}

ReadoutSection SwitchSection(const ReadoutSource& source, const engine::ViewMeasurements& m)
{
    ReadoutSection section{kSwitchSection, {}};
    section.Rows.push_back({{""}, {"duty %"}, {"edges"}});
    for (std::size_t k = 0; k < m.Switches.size(); ++k) {
        const engine::TColor color = kSwitchTraceColors[k];
        section.Rows.push_back({{source.SwitchLabels[k], color},
                                {engine::FormatFixed(m.Switches[k].Duty * 100, 6, 1), color},
                                {Integer(m.Switches[k].Edges), color}});
    }
    return section;
}

ReadoutSection PeriodSection(const engine::ViewMeasurements& m)
{
    ReadoutSection section{kPeriodSection, {}};
    section.Rows.push_back({{""}, {"frequency"}, {"period"}, {"angle"}});
    if (m.PwmPeriodUs && *m.PwmPeriodUs > 0)
        section.Rows.push_back({{"PWM"},
                                {Hertz(1e6 / *m.PwmPeriodUs)},
                                {Micros(*m.PwmPeriodUs) + " \xC2\xB5s"},
                                {""}});
    else
        section.Rows.push_back({{"PWM"}, {"none", kReadoutDim}, {""}, {""}});
    if (m.CommutationPeriodUs && *m.CommutationPeriodUs > 0)
        section.Rows.push_back({{"Commutation"},
                                {Hertz(1e6 / *m.CommutationPeriodUs)},
                                {Micros(*m.CommutationPeriodUs) + " \xC2\xB5s"},
                                {Degrees(m.CommutationPeriodDeg.value_or(0)) + "\xC2\xB0"}});
    else
        section.Rows.push_back({{"Commutation"}, {"none", kReadoutDim}, {""}, {""}});
    return section;
}

} // namespace

const ReadoutCell* ReadoutTable::Find(const std::string& title, const std::string& rowLabel,
                                      int column) const
{
    for (const ReadoutSection& section : Sections) {
        if (section.Title.rfind(title, 0) != 0)
            continue;
        for (const ReadoutRow& row : section.Rows) {
            if (!row.empty() && row.front().Text == rowLabel && column >= 0 &&
                static_cast<std::size_t>(column) < row.size())
                return &row[static_cast<std::size_t>(column)];
        }
    }
    return nullptr;
}

ReadoutTable BuildReadout(const ReadoutSource& source)
{
    ReadoutTable table;
    table.Sections.push_back(CursorTable(source).Build());
    if (source.Measurements) {
        table.Sections.push_back(ChannelSection(source, *source.Measurements));
        table.Sections.push_back(SwitchSection(source, *source.Measurements));
        table.Sections.push_back(PeriodSection(*source.Measurements));
    }
    if (source.Reference)
        table.Sections.push_back(ReferenceSection(*source.Reference));
    return table;
}

std::string ReadoutText(const ReadoutTable& table)
{
    std::string text;
    for (const ReadoutSection& section : table.Sections) {
        if (!text.empty())
            text += '\n';
        text += section.Title + '\n';
        for (const ReadoutRow& row : section.Rows) {
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c > 0)
                    text += '\t';
                text += row[c].Text;
            }
            text += '\n';
        }
    }
    return text;
}

} // namespace graph
