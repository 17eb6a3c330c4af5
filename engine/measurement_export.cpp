#include "engine/measurement_export.h"

#include <optional>
#include <string_view>

namespace engine {

namespace {

// The readout's precisions (graph/readout_table.cpp), so that a script reads what the window
// shows.
struct Form {
    int Precision;
    int Decimals;
};
constexpr Form kVolts{8, 3};
constexpr Form kPercent{6, 1};
constexpr Form kHertz{12, 1};
constexpr Form kMicros{12, 1};
constexpr Form kDegrees{10, 3};

TableCell Cell(double value, Form form)
{
    return TableCell::Fixed(value, form.Precision, form.Decimals);
}

void Fixed(JsonWriter& json, double value, Form form)
{
    json.Fixed(value, form.Precision, form.Decimals);
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
        const std::string& name = result.Channels[k].Name;
        const ChannelStats& stats = m.Channels[k];
        Row(table, name, "min", Cell(stats.Min, kVolts), "V");
        Row(table, name, "max", Cell(stats.Max, kVolts), "V");
        Row(table, name, "mean", Cell(stats.Mean, kVolts), "V");
        Row(table, name, "RMS", Cell(stats.Rms, kVolts), "V");
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
    json.Key("first");
    json.Integer(m.Measured.Start);
    json.Key("samples");
    json.Integer(m.Measured.Len);
    json.Key("channels");
    json.BeginArray();
    for (std::size_t k = 0; k < m.Channels.size(); ++k) {
        const ChannelStats& stats = m.Channels[k];
        json.BeginObject();
        json.Key("name");
        json.Text(result.Channels[k].Name);
        json.Key("min");
        Fixed(json, stats.Min, kVolts);
        json.Key("max");
        Fixed(json, stats.Max, kVolts);
        json.Key("mean");
        Fixed(json, stats.Mean, kVolts);
        json.Key("rms");
        Fixed(json, stats.Rms, kVolts);
        json.EndObject();
    }
    json.EndArray();
    json.Key("switches");
    json.BeginArray();
    for (std::size_t k = 0; k < m.Switches.size(); ++k) {
        json.BeginObject();
        json.Key("name");
        json.Text(kSwitchNames[k]);
        json.Key("duty_percent");
        Fixed(json, m.Switches[k].Duty * 100, kPercent);
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
        json.Key("frequency_hz");
        Fixed(json, 1e6 / *p, kHertz);
        json.Key("period_us");
        Fixed(json, *p, kMicros);
        if (deg) {
            json.Key("period_deg");
            Fixed(json, *deg, kDegrees);
        }
        json.EndObject();
    };
    period("pwm", m.PwmPeriodUs, std::nullopt);
    period("commutation", m.CommutationPeriodUs, m.CommutationPeriodDeg);
    json.EndObject();
}

} // namespace engine
