#include "py_tables.h"

#include "engine/json_writer.h"
#include "engine/measurement_export.h"
#include "engine/sample.h"
#include "engine/table_writer.h"
#include "engine/zero_crossing_text.h"

#include <pybind11/stl.h>

#include <string>

namespace pyemu {
namespace {

py::object TablesModule()
{
    return py::module_::import("bldc_emu._tables");
}

py::object Optional(const std::optional<double>& value)
{
    return value ? py::object(py::float_(*value)) : py::object(py::none());
}

} // namespace

py::object ZcTableObject(const engine::ZcTable& table)
{
    py::list columns;
    for (const char* name : engine::kZcColumnNames) {
        columns.append(name);
    }
    if (table.Circuit) {
        for (const char* name : engine::kZcCircuitColumnNames) {
            columns.append(name);
        }
    }
    py::list rows;
    for (const engine::ZeroCrossing& row : table.Rows) {
        const bool found = row.Found.Status == engine::ZcStatus::Detected;
        const py::object none = py::none();
        // A detector that fired while a diode conducted saw a clamp, not the back-EMF.
        const std::string status =
            row.DuringDemag ? "demag" : std::string(engine::ZcStatusName(row.Found.Status));
        py::tuple cells = py::make_tuple(
            std::string(1, static_cast<char>('A' + row.Interval.Phase)),
            std::string(engine::ZcDirectionName(row.Direction)), row.TrueAngle, row.TrueTime,
            status,
            found ? py::object(py::int_(row.Found.Index)) : none,
            found ? py::object(py::float_(row.Angle)) : none,
            found ? py::object(py::float_(row.ErrorDeg)) : none,
            found ? py::object(py::float_(row.ErrorUs)) : none,
            found ? py::object(py::float_(row.ImpliedCommutation)) : none, row.Commutation);
        if (table.Circuit) {
            cells = py::tuple(cells + py::make_tuple(Optional(row.DemagUs), Optional(row.DemagDeg),
                                                     Optional(row.BlankingPastDemagDeg)));
        }
        rows.append(cells);
    }
    const engine::ZcSummary& s = table.Summary;
    py::dict summary;
    summary["detected"] = s.Detected;
    summary["already"] = s.Already;
    summary["missed"] = s.Missed;
    summary["early"] = s.Early;
    summary["demag"] = s.Demag;
    summary["undetected"] = s.Undetected();
    summary["mean_error_deg"] = Optional(s.MeanErrorDeg);
    summary["mean_error_us"] = Optional(s.MeanErrorUs);
    summary["max_error_deg"] = Optional(s.MaxErrorDeg);
    summary["max_error_us"] = Optional(s.MaxErrorUs);
    const std::string reason(engine::ZcEmptyReasonText(table.Reason));
    return TablesModule().attr("ZcTable")(columns, rows, summary,
                                          reason.empty() ? py::object(py::none())
                                                         : py::object(py::str(reason)));
}

py::object MeasurementsObject(const engine::ViewMeasurements& m, const engine::ChannelSet& view)
{
    py::dict channels;
    for (std::size_t k = 0; k < m.Channels.size(); ++k) {
        const engine::ChannelStats& c = m.Channels[k];
        py::dict stats;
        stats["min"] = c.Min;
        stats["max"] = c.Max;
        stats["mean"] = c.Mean;
        stats["rms"] = c.Rms;
        channels[py::str(view.Channels[k].Name)] = stats;
    }
    py::dict switches;
    for (std::size_t k = 0; k < m.Switches.size(); ++k) {
        py::dict stats;
        stats["duty"] = m.Switches[k].Duty;
        stats["edges"] = m.Switches[k].Edges;
        switches[engine::kSwitchNames[k]] = stats;
    }
    // The table exactly as the command line writes it, read back by the Python side.
    std::string json;
    engine::TableWriter writer(engine::TableFormat::Json, json, '.');
    engine::WriteMeasurementTable(m, view, writer);
    return TablesModule().attr("Measurements")(
        m.Measured.Start, m.Measured.Len, channels, switches, Optional(m.PwmPeriodUs),
        Optional(m.CommutationPeriodUs), Optional(m.CommutationPeriodDeg), json);
}

} // namespace pyemu
