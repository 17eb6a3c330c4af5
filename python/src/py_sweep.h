#pragma once

#include <pybind11/pybind11.h>

// The rows of a sweep or a study, one per point (the box texts typed on top of a scenario),
// with the columns and the table text of bldc-emu --sweep.

namespace pyemu {

namespace py = pybind11;

void BindSweep(py::module_& m);

} // namespace pyemu
