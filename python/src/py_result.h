#pragma once

#include "py_scenario.h"

#include "engine/channels.h"
#include "engine/crossing_detector.h"
#include "engine/emulation.h"
#include "engine/sample.h"
#include "engine/sample_window.h"

#include <pybind11/pybind11.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

// bldc_emu.Result: one run's samples, kept as the engine wrote them. The sample arrays are
// read-only views of that memory, and each keeps the result alive through its base.

namespace pyemu {

namespace py = pybind11;

struct RunResult {
    ScenarioState Scenario;
    int PwmState = -1;
    float StartAngle = -0.5f;
    engine::SampleBuffer Run;
    engine::OperatingPoint Op;
    engine::RunSummary Summary;

    // The channels of a view, built from the samples the first time they are asked for and
    // never changed after, so the arrays handed out stay valid.
    const engine::ChannelSet& ChannelsOf(int view);

private:
    std::mutex mutex_;
    std::map<int, std::unique_ptr<engine::ChannelSet>> channels_;
};

// Runs the scenario with the GIL released. `pwmState` < 0: the full revolution.
std::shared_ptr<RunResult> RunScenario(const ScenarioState& scenario, int pwmState,
                                       float startAngle, unsigned threads);

// The view to use: `view` when given, else the scenario's; checked against its model.
int ViewOr(const std::optional<int>& view, const ScenarioState& scenario);

// The samples a table looks at: the whole run, or `start` and `length` shifted into the run
// and cut to it as bldc-emu's --view-window is.
engine::SampleWindow WindowOf(const std::optional<int>& start, const std::optional<int>& length,
                              int count);

// The zero-crossing detector from the arguments the Python calls take.
engine::DetectorSettings DetectorOf(const std::string& sampling, const py::object& blanking,
                                    int filter);

void BindResult(py::module_& m);

} // namespace pyemu
