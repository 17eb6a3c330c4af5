#pragma once

#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/scenario.h"

#include <pybind11/pybind11.h>

#include <string>

// bldc_emu.Scenario: the ten parameter boxes, the two track bars, the bridge settings and the
// view, changed by the rules the window and the command line follow.

namespace pyemu {

namespace py = pybind11;

// The separator the module's box texts are written with: Python's own.
inline constexpr char kSeparator = '.';

struct ScenarioState {
    engine::TParams Params;
    engine::ParamTexts Texts;
    engine::RunSettings Settings;
    int View = 1;
    bool Strict = false;

    ScenarioState();

    // A box text typed and read as when the box loses the focus; warns (or, strict, refuses
    // and changes nothing) when the box reads the text only in part.
    void Set(int tag, const std::string& text);
    void CurrentScale(int position);
    void DutyScale(int position);
    engine::Scenario FileContent() const;
};

// Throws ValueError unless 1 <= tag <= 10.
void CheckTag(int tag);
// Throws ValueError unless `view` is one of the views, the currents only with the circuit model.
void CheckView(int view, engine::RunModel model);

py::class_<ScenarioState> BindScenario(py::module_& m);

} // namespace pyemu
