#include "engine/measurement_export.h"

#include <array>
#include <optional>
#include <vector>
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
constexpr Form kAmperes{8, 3};
constexpr Form kWatts{10, 3};

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

// The unit of a view's channels: the currents view is in amperes, every other in volts.
std::string_view ChannelUnit(const ChannelSet& result)
{
    return result.ChannelCount > 0 && result.Channels[0].Name == "IA" ? "A" : "V";
}

// The circuit's quantities: signal, quantity, value, unit, form.
struct CircuitQuantity {
    std::string_view Signal;
    std::string_view Quantity;
    std::string_view JsonName;
    std::optional<double> Value;
    std::string_view Unit;
    Form Shape;
};

std::vector<CircuitQuantity> CircuitQuantities(const CircuitMeasurements& c)
{
    std::vector<CircuitQuantity> rows;
    static constexpr std::array<std::string_view, 3> kPhases{"IA", "IB", "IC"};
    static constexpr std::array<std::string_view, 3> kMean{"ia_mean", "ib_mean", "ic_mean"};
    static constexpr std::array<std::string_view, 3> kRms{"ia_rms", "ib_rms", "ic_rms"};
    static constexpr std::array<std::string_view, 3> kPeak{"ia_peak", "ib_peak", "ic_peak"};
    for (std::size_t k = 0; k < 3; ++k) {
        rows.push_back({kPhases[k], "mean", kMean[k], c.Phases[k].Mean, "A", kAmperes});
        rows.push_back({kPhases[k], "RMS", kRms[k], c.Phases[k].Rms, "A", kAmperes});
        rows.push_back({kPhases[k], "peak", kPeak[k], c.Phases[k].Peak, "A", kAmperes});
    }
    rows.push_back({"battery", "mean current", "battery_current", c.BatteryCurrent, "A", kAmperes});
    rows.push_back({"battery", "power", "battery_power", c.BatteryPower, "W", kWatts});
    rows.push_back({"windings", "copper loss", "copper_loss", c.CopperLoss, "W", kWatts});
    rows.push_back({"back-EMF", "power", "back_emf_power", c.BackEmfPower, "W", kWatts});
    rows.push_back({"diodes", "loss", "diode_loss", c.DiodeLoss, "W", kWatts});
    rows.push_back({"battery impedance", "loss", "impedance_loss", c.ImpedanceLoss, "W", kWatts});
    rows.push_back({"", "efficiency", "efficiency_percent",
                    c.Efficiency ? std::optional<double>(*c.Efficiency * 100) : std::nullopt, "%",
                    kPercent});
    return rows;
}

} // namespace

void WriteMeasurementTable(const ViewMeasurements& m, const ChannelSet& result, TableWriter& table,
                           const CircuitMeasurements* circuit)
{
    const std::string_view unit = ChannelUnit(result);
    table.Header({"SIGNAL", "QUANTITY", "VALUE", "UNIT"});
    Row(table, "", "first sample", TableCell::Integer(m.Measured.Start), "");
    Row(table, "", "samples", TableCell::Integer(m.Measured.Len), "");
    for (std::size_t k = 0; k < m.Channels.size(); ++k) {
        const std::string& name = result.Channels[k].Name;
        const ChannelStats& stats = m.Channels[k];
        Row(table, name, "min", Cell(stats.Min, kVolts), unit);
        Row(table, name, "max", Cell(stats.Max, kVolts), unit);
        Row(table, name, "mean", Cell(stats.Mean, kVolts), unit);
        Row(table, name, "RMS", Cell(stats.Rms, kVolts), unit);
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
    if (circuit != nullptr) {
        for (const CircuitQuantity& q : CircuitQuantities(*circuit)) {
            Row(table, q.Signal, q.Quantity, q.Value ? Cell(*q.Value, q.Shape) : TableCell::Empty(),
                q.Unit);
        }
    }
    table.Finish();
}

void WriteMeasurementJson(const ViewMeasurements& m, const ChannelSet& result, JsonWriter& json,
                          const CircuitMeasurements* circuit)
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
    if (circuit != nullptr) {
        json.Key("circuit");
        json.BeginObject();
        for (const CircuitQuantity& q : CircuitQuantities(*circuit)) {
            json.Key(q.JsonName);
            if (q.Value) {
                Fixed(json, *q.Value, q.Shape);
            } else {
                json.Null();
            }
        }
        json.EndObject();
    }
    json.EndObject();
}

} // namespace engine
