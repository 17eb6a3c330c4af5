#pragma once

#include <pybind11/pybind11.h>

#include <string>

// The exceptions and the warning the module raises. Each carries the message the command line
// prints for the same fault, without its "bldc-emu: " prefix.

namespace pyemu {

namespace py = pybind11;

void BindErrors(py::module_& m);

// A box text refused under strict entry (ValueError).
[[noreturn]] void ThrowEntryError(const std::string& message);
// A value outside what a setting takes (ValueError), in the command line's words:
// bad value <repr> for <name>: expected <expected>
[[noreturn]] void ThrowBadValue(const py::handle& value, const std::string& name,
                                const std::string& expected);
// A box text read only in part, as the command line's warning says it.
void WarnEntry(const std::string& message);

} // namespace pyemu
