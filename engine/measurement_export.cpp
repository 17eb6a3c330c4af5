#include "engine/measurement_export.h"

#include "engine/number_forms.h"

#include <optional>
#include <string_view>

namespace engine {

namespace {

// The readout's digits in TSV, so that a script reads what the window shows; the exact values
// in CSV and JSON.
constexpr NumberForm kVolts = kReadoutVoltsForm;
constexpr NumberForm kPercent = kReadoutPercentForm;
constexpr NumberForm kHertz = kReadoutHertzForm;
constexpr NumberForm kMicros = kReadoutMicrosForm;
constexpr NumberForm kDegrees = kReadoutDegreesForm;

// Floats (a channel's extremes) stay floats, so that machines get their shortest exact text.
template <typename Number> TableCell Cell(Number value, NumberForm form)
{
    return TableCell::Fixed(value, form);
}

// A JSON key names the quantity as the table's QUANTITY column does, with the table's UNIT.
void Quantity(JsonWriter& json, std::string_view quantity, std::string_view unit, double value)
{
    json.Key(WithUnit(quantity, unit));
    json.Significant(value);
}

void Quantity(JsonWriter& json, std::string_view quantity, std::string_view unit, float value)
{
    json.Key(WithUnit(quantity, unit));
    json.Float(value);
}

// A period that can be measured: present and above 0, as the readout requires.
std::optional<double> Period(const std::optional<double>& us)
{
    return us && *us > 0 ? us : std::nullopt;
}

void Row(TableWriter& table, std::string_view signal, std::string_view quantity, TableCell value,
         std::string_view unit)
{
    const TableCell cells[] = {TableCell::Text(signal), TableCell::Text(quantity), value,
                               TableCell::Text(unit)};
    table.Row(cells);
}

void PeriodRows(TableWriter& table, std::string_view signal, const std::optional<double>& us)
{
    const std::optional<double> period = Period(us);
    Row(table, signal, "frequency", period ? Cell(1e6 / *period, kHertz) : TableCell::Empty(),
        "Hz");
    Row(table, signal, "period", period ? Cell(*period, kMicros) : TableCell::Empty(), "us");
}

} // namespace

void WriteMeasurementTable(const ViewMeasurements& m, const ChannelSet& result, TableWriter& table)
{
    table.Header({"SIGNAL", "QUANTITY", "VALUE", "UNIT"});
    Row(table, "", "first sample", TableCell::Integer(m.Measured.Start), "");
    Row(table, "", "samples", TableCell::Integer(m.Measured.Len), "");
    for (std::size_t k = 0; k < m.Channels.size(); ++k) {
        const TChannelDesc& channel = result.Channels[k];
        const ChannelStats& stats = m.Channels[k];
        Row(table, channel.Name, "min", Cell(stats.Min, kVolts), channel.Unit);
        Row(table, channel.Name, "max", Cell(stats.Max, kVolts), channel.Unit);
        Row(table, channel.Name, "mean", Cell(stats.Mean, kVolts), channel.Unit);
        Row(table, channel.Name, "RMS", Cell(stats.Rms, kVolts), channel.Unit);
    }
    for (std::size_t k = 0; k < m.Switches.size(); ++k) {
        Row(table, kSwitchNames[k], "duty", Cell(m.Switches[k].Duty * 100, kPercent), "%");
        Row(table, kSwitchNames[k], "edges", TableCell::Integer(m.Switches[k].Edges), "");
    }
    PeriodRows(table, "PWM", m.PwmPeriodUs);
    PeriodRows(table, "commutation", m.CommutationPeriodUs);
    const bool commutation = Period(m.CommutationPeriodUs) && m.CommutationPeriodDeg;
    Row(table, "commutation", "angle",
        commutation ? Cell(*m.CommutationPeriodDeg, kDegrees) : TableCell::Empty(), "deg");
    table.Finish();
}

void WriteMeasurementJson(const ViewMeasurements& m, const ChannelSet& result, JsonWriter& json)
{
    json.BeginObject();
    json.Key("first sample");
    json.Integer(m.Measured.Start);
    json.Key("samples");
    json.Integer(m.Measured.Len);
    json.Key("channels");
    json.BeginArray();
    for (std::size_t k = 0; k < m.Channels.size(); ++k) {
        const TChannelDesc& channel = result.Channels[k];
        const ChannelStats& stats = m.Channels[k];
        json.BeginObject();
        json.Key("name");
        json.Text(channel.Name);
        Quantity(json, "min", channel.Unit, stats.Min);
        Quantity(json, "max", channel.Unit, stats.Max);
        Quantity(json, "mean", channel.Unit, stats.Mean);
        Quantity(json, "RMS", channel.Unit, stats.Rms);
        json.EndObject();
    }
    json.EndArray();
    json.Key("switches");
    json.BeginArray();
    for (std::size_t k = 0; k < m.Switches.size(); ++k) {
        json.BeginObject();
        json.Key("name");
        json.Text(kSwitchNames[k]);
        Quantity(json, "duty", "%", m.Switches[k].Duty * 100);
        json.Key("edges");
        json.Integer(m.Switches[k].Edges);
        json.EndObject();
    }
    json.EndArray();
    const auto period = [&](std::string_view name, const std::optional<double>& us,
                            const std::optional<double>& deg) {
        json.Key(name);
        const std::optional<double> p = Period(us);
        if (!p) {
            json.Null();
            return;
        }
        json.BeginObject();
        Quantity(json, "frequency", "Hz", 1e6 / *p);
        Quantity(json, "period", "us", *p);
        if (deg) {
            Quantity(json, "angle", "deg", *deg);
        }
        json.EndObject();
    };
    period("PWM", m.PwmPeriodUs, std::nullopt);
    period("commutation", m.CommutationPeriodUs, m.CommutationPeriodDeg);
    json.EndObject();
}

} // namespace engine
