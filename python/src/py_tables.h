#pragma once

#include "engine/channels.h"
#include "engine/measurements.h"
#include "engine/zero_crossing.h"

#include <pybind11/pybind11.h>

// The engine's tables as the Python objects of bldc_emu._tables, with their exact values.

namespace pyemu {

namespace py = pybind11;

// A ZcTable: the columns of bldc-emu --zc, one tuple per floating interval, the summary and
// the reason an empty table is empty.
py::object ZcTableObject(const engine::ZcTable& table);

// A Measurements object: the exact figures, and the table bldc-emu --measure prints.
py::object MeasurementsObject(const engine::ViewMeasurements& m, const engine::ChannelSet& view);

} // namespace pyemu
