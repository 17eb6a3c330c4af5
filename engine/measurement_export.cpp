#include "engine/measurement_export.h"

#include "engine/number_forms.h"

#include <array>
#include <optional>
#include <vector>
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
constexpr NumberForm kAmperes = kReadoutAmperesForm;
constexpr NumberForm kWatts = kReadoutWattsForm;

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

// The circuit's quantities: signal, quantity, value, unit, form.
struct CircuitQuantity {
    std::string_view Signal;
    std::string_view Quantity;
    std::string_view JsonName;
    std::optional<double> Value;
    std::string_view Unit;
    NumberForm Shape;
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
    if (circuit != nullptr) {
        json.Key("circuit");
        json.BeginObject();
        // Named as the table's rows are, with the unit, like every other key.
        for (const CircuitQuantity& q : CircuitQuantities(*circuit)) {
            const std::string quantity = q.Signal.empty()
                                             ? std::string(q.Quantity)
                                             : std::string(q.Signal) + " " + std::string(q.Quantity);
            json.Key(WithUnit(quantity, q.Unit));
            if (q.Value) {
                json.Significant(*q.Value);
            } else {
                json.Null();
            }
        }
        json.EndObject();
    }
    json.EndObject();
}

} // namespace engine
