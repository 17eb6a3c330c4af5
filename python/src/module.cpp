// bldc_emu._core: the engine for Python. The package bldc_emu re-exports it beside the tables
// and the studies written in Python.

#include "py_errors.h"
#include "py_result.h"
#include "py_scenario.h"
#include "py_sweep.h"

#include "cli/run_warnings.h"

#include <pybind11/stl.h>

#include <sstream>
#include <string_view>

namespace {

namespace py = pybind11;
using pyemu::ScenarioState;

unsigned ThreadsOf(int threads)
{
    if (threads < 0) {
        pyemu::ThrowBadValue(py::int_(threads), "threads",
                             "a thread count from 1, or 0 for one per core");
    }
    return static_cast<unsigned>(threads);
}

// bldc-emu's warning about a single angle that cannot advance, as a Python warning.
void WarnAngle(float angle)
{
    cli::CliRequest request;
    request.Angle = angle;
    std::ostringstream err;
    cli::ReportAngleWithoutSamples(request, pyemu::kSeparator, err);
    std::string message = err.str();
    for (const std::string_view prefix : {"bldc-emu: ", "warning: "}) {
        if (message.starts_with(prefix)) {
            message.erase(0, prefix.size());
        }
    }
    if (!message.empty()) {
        message.pop_back(); // the line's end
        if (PyErr_WarnEx(PyExc_RuntimeWarning, message.c_str(), 1) != 0) {
            throw py::error_already_set();
        }
    }
}

} // namespace

PYBIND11_MODULE(_core, m)
{
    m.doc() = "The emulation engine of bldc_emu; use the package bldc_emu.";
    pyemu::BindErrors(m);
    auto scenario = pyemu::BindScenario(m);
    pyemu::BindResult(m);
    pyemu::BindSweep(m);

    scenario
        .def(
            "run",
            [](const ScenarioState& s, int threads) {
                return pyemu::RunScenario(s, -1, -0.5f, ThreadsOf(threads));
            },
            py::arg("threads") = 0, R"doc(
Emulates one electrical revolution in 1 us steps, as the window and bldc-emu do. The GIL is
released while it runs. threads: 0 spreads a long run over the cores; the samples are the same
for every count. Raises RunError with bldc-emu's message for a run that cannot be done.)doc")
        .def(
            "run_angle",
            [](const ScenarioState& s, float degrees, std::optional<int> pwm, int threads) {
                if (pwm && *pwm != 0 && *pwm != 1) {
                    pyemu::ThrowBadValue(py::int_(*pwm), "pwm", "0 or 1");
                }
                WarnAngle(degrees);
                const int state = pwm.value_or(s.Settings.HighSidePwm ? 1 : 0);
                return pyemu::RunScenario(s, state, degrees, ThreadsOf(threads));
            },
            py::arg("degrees"), py::arg("pwm") = py::none(), py::arg("threads") = 0, R"doc(
The single-angle run at `degrees` with the PWM output held at `pwm` (0 or 1; by default as the
circuit page holds it: on with "H-Side PWM"), as bldc-emu --angle.)doc");
}
