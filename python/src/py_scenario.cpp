#include "py_scenario.h"

#include "py_errors.h"

#include "cli/unread_text.h"
#include "engine/scenario_reader.h"

#include <pybind11/stl.h>

#include <memory>

namespace pyemu {

ScenarioState::ScenarioState() : Texts(engine::DefaultParamTexts())
{
    engine::ReadStartupParams(Params, Texts, kSeparator);
}

void CheckTag(int tag)
{
    if (tag < 1 || tag > engine::kParamCount) {
        ThrowBadValue(py::int_(tag), "the box tag", "a box tag from 1 to 10");
    }
}

void ScenarioState::Set(int tag, const std::string& text)
{
    CheckTag(tag);
    if (const auto note = cli::UnreadTextNote(cli::SetBoxText{tag, text, {}})) {
        if (Strict) {
            ThrowEntryError(*note + " (refused under --strict)");
        }
        WarnEntry(*note);
    }
    Texts[static_cast<std::size_t>(tag)] = text;
    engine::ChangeParam(Params, Texts, tag, true, kSeparator);
}

void ScenarioState::CurrentScale(int position)
{
    if (position < 1 || position > 10) {
        ThrowBadValue(py::int_(position), "current_scale", "a track bar position from 1 to 10");
    }
    Texts[engine::MaxCurrent] = engine::CurrentScaleText(position, Texts[engine::NoLoadCurrent]);
    engine::ChangeParam(Params, Texts, engine::MaxCurrent, true, kSeparator);
}

void ScenarioState::DutyScale(int position)
{
    if (position < 0 || position > 10) {
        ThrowBadValue(py::int_(position), "duty_scale", "a track bar position from 0 to 10");
    }
    Texts[engine::PwmDuty] = engine::DutyScaleText(position);
    engine::ChangeParam(Params, Texts, engine::PwmDuty, true, kSeparator);
}

engine::Scenario ScenarioState::FileContent() const
{
    return engine::Scenario{Texts, Settings, View};
}

void CheckView(int view, engine::RunModel model)
{
    if (view < 0 || view >= engine::kAllViewCount) {
        ThrowBadValue(py::int_(view), "view", "a view from 0 to 4");
    }
    if (const char* unavailable = engine::ViewUnavailableText(view, model)) {
        throw py::value_error("view " + std::to_string(view) + ": " + unavailable);
    }
}

namespace {

void CheckChoice(int value, const char* name, const char* expected)
{
    if (value != 0 && value != 1) {
        ThrowBadValue(py::int_(value), name, expected);
    }
}

// Everything the object holds, exactly: the values may hold more digits than the texts show.
py::tuple GetState(const ScenarioState& s)
{
    py::list values;
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        values.append(s.Params[tag]);
    }
    py::list texts;
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        texts.append(py::bytes(s.Texts[static_cast<std::size_t>(tag)]));
    }
    const engine::RunSettings& r = s.Settings;
    const engine::CircuitSettings& c = r.Circuit;
    return py::make_tuple(2, values, texts,
                          py::make_tuple(r.HighSidePwm, r.LowSidePwm, r.DriverKind, r.MosfetKind,
                                         r.Pattern120),
                          s.View, s.Strict,
                          py::make_tuple(static_cast<int>(c.Model), c.InductanceUh, c.DiodeDrop));
}

std::string FormatLimit(float value)
{
    return py::repr(py::float_(value)).cast<std::string>();
}

ScenarioState SetState(const py::tuple& t)
{
    if (t.size() != 7 || t[0].cast<int>() != 2) {
        throw py::value_error("not the state of a bldc_emu.Scenario");
    }
    ScenarioState s;
    const auto values = t[1].cast<py::list>();
    const auto texts = t[2].cast<py::list>();
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        s.Params[tag] = values[static_cast<std::size_t>(tag - 1)].cast<float>();
        s.Texts[static_cast<std::size_t>(tag)] =
            texts[static_cast<std::size_t>(tag - 1)].cast<std::string>();
    }
    const auto r = t[3].cast<py::tuple>();
    s.Settings = engine::RunSettings{r[0].cast<bool>(), r[1].cast<bool>(), r[2].cast<int>(),
                                     r[3].cast<int>(), r[4].cast<bool>()};
    const auto c = t[6].cast<py::tuple>();
    s.Settings.Circuit = engine::CircuitSettings{static_cast<engine::RunModel>(c[0].cast<int>()),
                                                 c[1].cast<float>(), c[2].cast<float>()};
    s.View = t[4].cast<int>();
    s.Strict = t[5].cast<bool>();
    return s;
}

} // namespace

py::class_<ScenarioState> BindScenario(py::module_& m)
{
    using S = ScenarioState;
    return py::class_<S>(m, "Scenario", R"doc(
What a user sets up in the window: the ten parameter boxes (tags 1 to 10), the two track bars,
the bridge settings and the selected view. Every change follows the window's rules: a box text
is read as typed (digits and one '.' or ','), then the maximum-current rule is applied and the
box shows its normalised text.

strict: refuse (EntryError) a text its box reads only in part instead of warning
(EntryWarning), like bldc-emu --strict.
)doc")
        .def(py::init([](bool strict) {
                 S s;
                 s.Strict = strict;
                 return s;
             }),
             py::arg("strict") = false)
        .def("set", &S::Set, py::arg("tag"), py::arg("text"), R"doc(
Types `text` into parameter box `tag` (1 to 10) and reads it as the box does when it loses the
focus, like bldc-emu --set TAG=TEXT. A text read only in part warns (EntryWarning) or, strict,
raises EntryError and changes nothing.)doc")
        .def("current_scale", &S::CurrentScale, py::arg("position"),
             "Moves the maximum-current track bar to `position` (1 to 10).")
        .def("duty_scale", &S::DutyScale, py::arg("position"),
             "Moves the duty-cycle track bar to `position` (0 to 10).")
        .def(
            "text", [](const S& s, int tag) {
                CheckTag(tag);
                return s.Texts[static_cast<std::size_t>(tag)];
            },
            py::arg("tag"), "The text box `tag` shows.")
        .def(
            "value", [](const S& s, int tag) {
                CheckTag(tag);
                return s.Params[tag];
            },
            py::arg("tag"),
            "The value the emulation uses for box `tag` (single precision; it may hold more "
            "digits than the text shows).")
        .def_property_readonly(
            "texts",
            [](const S& s) {
                py::dict d;
                for (int tag = 1; tag <= engine::kParamCount; ++tag) {
                    d[py::int_(tag)] = s.Texts[static_cast<std::size_t>(tag)];
                }
                return d;
            },
            "The ten box texts by tag.")
        .def_readwrite("strict", &S::Strict, "Refuse texts read only in part.")
        .def_property(
            "high_side_pwm", [](const S& s) { return s.Settings.HighSidePwm; },
            [](S& s, bool on) { s.Settings.HighSidePwm = on; }, "\"H-Side PWM\"")
        .def_property(
            "low_side_pwm", [](const S& s) { return s.Settings.LowSidePwm; },
            [](S& s, bool on) { s.Settings.LowSidePwm = on; }, "\"L-Side PWM\"")
        .def_property(
            "driver", [](const S& s) { return s.Settings.DriverKind; },
            [](S& s, int kind) {
                CheckChoice(kind, "driver", "0 (2 Non Inv) or 1 (Inv+Non Inv)");
                s.Settings.DriverKind = kind;
            },
            "The gate driver: 0 \"2 Non Inv\", 1 \"Inv+Non Inv\".")
        .def_property(
            "mosfets", [](const S& s) { return s.Settings.MosfetKind; },
            [](S& s, int kind) {
                CheckChoice(kind, "mosfets", "0 (N + N) or 1 (P + N)");
                s.Settings.MosfetKind = kind;
            },
            "The bridge's transistors: 0 \"N + N\", 1 \"P + N\".")
        .def_property(
            "pattern", [](const S& s) { return s.Settings.Pattern120 ? 120 : 180; },
            [](S& s, int degrees) {
                if (degrees != 120 && degrees != 180) {
                    ThrowBadValue(py::int_(degrees), "pattern", "120 or 180");
                }
                s.Settings.Pattern120 = degrees == 120;
            },
            "The commutation pattern in degrees: 120 or 180.")
        .def_property(
            "view", [](const S& s) { return s.View; },
            [](S& s, int view) {
                CheckView(view, s.Settings.Circuit.Model);
                s.View = view;
            },
            "The analog view (0 battery, 1 to 3 the comparator views, 4 the currents of the "
            "circuit model) a run's channels and zero-crossing analysis use unless told "
            "otherwise.")
        .def_property(
            "model",
            [](const S& s) { return std::string(engine::RunModelName(s.Settings.Circuit.Model)); },
            [](S& s, const std::string& name) {
                engine::RunModel model{};
                if (!engine::ParseRunModel(name.c_str(), model)) {
                    ThrowBadValue(py::str(name), "model", "static or circuit");
                }
                s.Settings.Circuit.Model = model;
                if (model != engine::RunModel::Circuit && s.View == engine::kCurrentsView) {
                    s.View = 1; // the currents exist only in the circuit model
                }
            },
            "The model of the bridge: \"static\" (the voltages of the conducting phases, no "
            "currents) or \"circuit\" (R-L windings, body diodes, the battery behind its "
            "impedance; phase and battery currents in every sample).")
        .def_property(
            "inductance_uh", [](const S& s) { return s.Settings.Circuit.InductanceUh; },
            [](S& s, float uh) {
                if (!engine::InductanceInRange(uh)) {
                    ThrowBadValue(py::float_(uh), "inductance_uh",
                                  "microhenries from 0 to " + FormatLimit(engine::kMaxInductanceUh));
                }
                s.Settings.Circuit.InductanceUh = uh;
            },
            "The winding inductance per phase in microhenries (circuit model).")
        .def_property(
            "diode_drop", [](const S& s) { return s.Settings.Circuit.DiodeDrop; },
            [](S& s, float volts) {
                if (!engine::DiodeDropInRange(volts)) {
                    ThrowBadValue(py::float_(volts), "diode_drop",
                                  "volts from 0 to " + FormatLimit(engine::kMaxDiodeDrop));
                }
                s.Settings.Circuit.DiodeDrop = volts;
            },
            "The forward drop of each body diode in volts (circuit model).")
        .def_static(
            "load",
            [](const std::string& path, bool strict) {
                const engine::Scenario file = engine::LoadScenario(path);
                S s;
                s.Strict = strict;
                engine::ApplyScenarioTexts(file, s.Params, s.Texts, kSeparator);
                s.Settings = file.Settings;
                s.View = file.View;
                return s;
            },
            py::arg("path"), py::arg("strict") = false,
            "Reads a scenario file (the window's and bldc-emu --load's) onto the default boxes. "
            "Raises ScenarioError with the command line's message for a file it cannot use.")
        .def(
            "save",
            [](const S& s, const std::string& path) {
                engine::SaveScenario(path, s.FileContent());
            },
            py::arg("path"), "Writes the scenario file; raises FileWriteError.")
        .def(
            "scenario_text",
            [](const S& s) { return engine::ScenarioText(s.FileContent()); },
            "The text of the scenario file.")
        .def("copy", [](const S& s) { return s; }, "An independent copy.")
        .def("__copy__", [](const S& s) { return s; })
        .def("__deepcopy__", [](const S& s, py::dict) { return s; })
        .def(py::pickle(&GetState, &SetState))
        .def("__eq__",
             [](const S& a, const S& b) {
                 return a.Params.Slot == b.Params.Slot && a.Texts == b.Texts &&
                        a.Settings == b.Settings && a.View == b.View && a.Strict == b.Strict;
             })
        .def("__repr__", [](const S& s) {
            std::string text = "bldc_emu.Scenario(";
            for (int tag = 1; tag <= engine::kParamCount; ++tag) {
                text += (tag > 1 ? ", " : "") + std::to_string(tag) + "='" +
                        s.Texts[static_cast<std::size_t>(tag)] + "'";
            }
            return text + ")";
        });
}

} // namespace pyemu
