#include "py_result.h"

#include "py_errors.h"
#include "py_tables.h"

#include "cli/run_shared.h"
#include "engine/detector_settings_text.h"
#include "engine/run_summary.h"
#include "engine/sample_log.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstddef>
#include <new>

namespace pyemu {

const engine::ChannelSet& RunResult::ChannelsOf(int view)
{
    const std::lock_guard lock(mutex_);
    std::unique_ptr<engine::ChannelSet>& slot = channels_[view];
    if (!slot) {
        auto built = std::make_unique<engine::ChannelSet>();
        engine::PrepareView(view, engine::ChannelTexts{}, kSeparator, Run, *built);
        slot = std::move(built);
    }
    return *slot;
}

std::shared_ptr<RunResult> RunScenario(const ScenarioState& scenario, int pwmState,
                                       float startAngle, unsigned threads)
{
    auto result = std::make_shared<RunResult>();
    result->Scenario = scenario;
    result->PwmState = pwmState;
    result->StartAngle = startAngle;
    try {
        const py::gil_scoped_release release;
        result->Summary = engine::CalcPhases(scenario.Params, scenario.Settings, pwmState,
                                             startAngle, result->Run,
                                             engine::RunThreads{.Count = threads});
        // The run went through, so its operating point is defined.
        result->Op =
            engine::ComputeOperatingPoint(scenario.Params, scenario.Settings, pwmState, startAngle);
    } catch (const std::bad_alloc&) {
        PyErr_SetString(PyExc_MemoryError, "not enough memory for the run");
        throw py::error_already_set();
    }
    return result;
}

int ViewOr(const std::optional<int>& view, const ScenarioState& scenario)
{
    const int chosen = view.value_or(scenario.View);
    CheckView(chosen, scenario.Settings.Circuit.Model);
    return chosen;
}

engine::SampleWindow WindowOf(const std::optional<int>& start, const std::optional<int>& length,
                              int count)
{
    if (!start && !length) {
        return cli::EffectiveWindow(std::nullopt, count);
    }
    if (!start || !length || *start < 0 || *length < 1) {
        ThrowBadValue(py::make_tuple(start, length), "the window",
                      "a first sample from 0 and a sample count from 1");
    }
    return cli::EffectiveWindow(engine::SampleWindow{*start, *length}, count);
}

engine::DetectorSettings DetectorOf(const std::string& sampling, const py::object& blanking,
                                    int filter)
{
    engine::DetectorSettings detector;
    const auto chosen = engine::ZcSamplingFromName(sampling);
    if (!chosen) {
        ThrowBadValue(py::str(sampling), "sampling", "on, off or all");
    }
    detector.Sampling = *chosen;
    std::optional<double> degrees;
    if (py::isinstance<py::str>(blanking)) {
        degrees = engine::ReadZcBlanking(blanking.cast<std::string>());
    } else if (!py::isinstance<py::bool_>(blanking) &&
               (py::isinstance<py::int_>(blanking) || py::isinstance<py::float_>(blanking))) {
        const double value = blanking.cast<double>();
        if (std::isfinite(value) && value >= 0 && value <= engine::kMaxZcBlankingDeg) {
            degrees = value;
        }
    }
    if (!degrees) {
        ThrowBadValue(blanking, "blanking", engine::ZcBlankingExpected());
    }
    detector.BlankingDeg = *degrees;
    if (filter < 1 || filter > engine::kMaxZcFilter) {
        ThrowBadValue(py::int_(filter), "filter", engine::ZcFilterExpected());
    }
    detector.Filter = filter;
    return detector;
}

namespace {

using Shared = std::shared_ptr<RunResult>;

// A read-only view of `count` rows of `fields` 32-bit values from `first` on, `rowBytes`
// apart; its base is the result object, which keeps the memory alive.
template <typename T>
py::array FieldView(const py::object& owner, const T* first, py::ssize_t count,
                    py::ssize_t rowBytes, py::ssize_t fields)
{
    std::vector<py::ssize_t> shape{count};
    std::vector<py::ssize_t> strides{rowBytes};
    if (fields > 1) {
        shape.push_back(fields);
        strides.push_back(static_cast<py::ssize_t>(sizeof(T)));
    }
    py::array view(py::dtype::of<T>(), shape, strides, count > 0 ? first : nullptr, owner);
    view.attr("flags").attr("writeable") = false;
    return view;
}

constexpr auto kRecordBytes = static_cast<py::ssize_t>(sizeof(engine::TSampleRec));

template <typename T>
py::array SampleField(const py::object& self, std::size_t offset, py::ssize_t fields)
{
    const RunResult& r = *self.cast<Shared>();
    const py::ssize_t count = r.Run.RecordCount();
    const auto* base = reinterpret_cast<const char*>(r.Run.Samples.data());
    return FieldView(self, reinterpret_cast<const T*>(base + offset), count, kRecordBytes, fields);
}

// The whole records as one structured array with the engine's field names.
py::array Records(const py::object& self)
{
    const RunResult& r = *self.cast<Shared>();
    const py::object numpy = py::module_::import("numpy");
    py::list fields;
    const auto field = [&](const char* name, const char* type, int n) {
        fields.append(n > 1 ? py::make_tuple(name, type, n) : py::make_tuple(name, type));
    };
    field("Time", "<f4", 1);
    field("Angle", "<f4", 1);
    field("Switch", "<i4", 6);
    field("PhaseV", "<f4", 3);
    field("VBatt", "<f4", 1);
    field("VZero", "<f4", 1);
    field("Drive", "<i4", 3);
    const py::dtype record = py::dtype::from_args(fields);
    const py::ssize_t count = r.Run.RecordCount();
    py::array view(record, {count}, {kRecordBytes}, count > 0 ? r.Run.Samples.data() : nullptr,
                   self);
    view.attr("flags").attr("writeable") = false;
    return view;
}

py::dict Channels(const py::object& self, const std::optional<int>& view)
{
    RunResult& r = *self.cast<Shared>();
    const int chosen = ViewOr(view, r.Scenario);
    if (const char* unavailable = engine::ViewUnavailableText(chosen, r.Run)) {
        throw py::value_error("view " + std::to_string(chosen) + ": " + unavailable);
    }
    const engine::ChannelSet* set = nullptr;
    {
        const py::gil_scoped_release release;
        set = &r.ChannelsOf(chosen);
    }
    const auto rows = std::min<py::ssize_t>(r.Run.RecordCount(),
                                            static_cast<py::ssize_t>(set->ChannelRows.size()));
    py::dict channels;
    for (int k = 0; k < set->ChannelCount; ++k) {
        // Rows hold the view's channels only when they are compact: the stride is the width.
        const float* first = rows > 0 ? &set->ChannelRows[0][static_cast<std::size_t>(k)] : nullptr;
        channels[py::str(set->Channels[static_cast<std::size_t>(k)].Name)] =
            FieldView(self, first, rows,
                      static_cast<py::ssize_t>(set->ChannelRows.Width() * sizeof(float)), 1);
    }
    return channels;
}

char SeparatorOf(const std::string& sep)
{
    const bool printable = sep.size() == 1 && sep[0] > ' ' && sep[0] < 0x7F;
    if (!printable || (sep[0] >= '0' && sep[0] <= '9')) {
        ThrowBadValue(py::str(sep), "sep",
                      "one printable character that is not a digit, such as . or ,");
    }
    return sep[0];
}

} // namespace

void BindResult(py::module_& m)
{
    py::class_<engine::RunSummary>(m, "RunSummary",
                                   "What a run reports when it ends, as the graph's header "
                                   "shows it.")
        .def_property_readonly("rpm", [](const engine::RunSummary& s) { return s.Rpm; })
        .def_property_readonly("timing", [](const engine::RunSummary& s) { return s.Timing; },
                               "The timing advance in degrees.")
        .def_property_readonly("text", [](const engine::RunSummary& s) {
            return engine::RunSummaryText(s, kSeparator);
        })
        .def_property_readonly(
            "model", [](const engine::RunSummary& s) { return engine::RunModelName(s.Model); })
        .def_property_readonly(
            "warm_ups", [](const engine::RunSummary& s) { return s.WarmUps; },
            "Circuit model: the revolutions run before the recorded one.")
        .def_property_readonly(
            "settled", [](const engine::RunSummary& s) { return s.Settled; },
            "Circuit model: whether the start currents settled (always True otherwise).")
        .def("__str__", [](const engine::RunSummary& s) {
            return engine::RunSummaryText(s, kSeparator);
        })
        .def("__repr__", [](const engine::RunSummary& s) {
            return "<bldc_emu.RunSummary " + engine::RunSummaryText(s, kSeparator) + ">";
        });

    py::class_<RunResult, Shared>(m, "Result", R"doc(
One run's samples as the engine wrote them. The arrays (time, angle, switches, phase_v, vzero,
vbatt, drive, samples and the channels) are read-only views of the engine's own memory, no
copy: each keeps the result alive through its base.)doc")
        .def_property_readonly(
            "time",
            [](const py::object& self) {
                return SampleField<float>(self, offsetof(engine::TSampleRec, Time), 1);
            },
            "Microseconds since the start of the run (float32).")
        .def_property_readonly(
            "angle",
            [](const py::object& self) {
                return SampleField<float>(self, offsetof(engine::TSampleRec, Angle), 1);
            },
            "Electrical degrees (float32).")
        .def_property_readonly(
            "switches",
            [](const py::object& self) {
                return SampleField<std::int32_t>(self, offsetof(engine::TSampleRec, Switch), 6);
            },
            "The six switch levels HA, LA, HB, LB, HC, LC (int32, samples x 6).")
        .def_property_readonly(
            "phase_v",
            [](const py::object& self) {
                return SampleField<float>(self, offsetof(engine::TSampleRec, PhaseV), 3);
            },
            "The terminal voltages A, B, C (float32, samples x 3).")
        .def_property_readonly(
            "vbatt",
            [](const py::object& self) {
                return SampleField<float>(self, offsetof(engine::TSampleRec, VBatt), 1);
            },
            "The battery voltage under load (float32).")
        .def_property_readonly(
            "vzero",
            [](const py::object& self) {
                return SampleField<float>(self, offsetof(engine::TSampleRec, VZero), 1);
            },
            "The star-point voltage (float32).")
        .def_property_readonly(
            "drive",
            [](const py::object& self) {
                return SampleField<std::int32_t>(self, offsetof(engine::TSampleRec, Drive), 3);
            },
            "1 while phase k is driven high and the PWM output is on (int32, samples x 3).")
        .def_property_readonly(
            "currents",
            [](const py::object& self) -> py::object {
                const RunResult& r = *self.cast<Shared>();
                if (!r.Run.HasCurrents()) {
                    return py::none();
                }
                return FieldView(self, r.Run.Currents.front().I, r.Run.RecordCount(),
                                 static_cast<py::ssize_t>(sizeof(engine::TCurrentRec)), 3);
            },
            "The phase currents A, B, C in amperes, positive into the motor (float32, samples "
            "x 3); None unless the run used the circuit model.")
        .def_property_readonly(
            "ibatt",
            [](const py::object& self) -> py::object {
                const RunResult& r = *self.cast<Shared>();
                if (!r.Run.HasCurrents()) {
                    return py::none();
                }
                return FieldView(self, &r.Run.Currents.front().IBatt, r.Run.RecordCount(),
                                 static_cast<py::ssize_t>(sizeof(engine::TCurrentRec)), 1);
            },
            "The current drawn from the battery in amperes (negative while the motor feeds "
            "back); None unless the run used the circuit model.")
        .def_property_readonly("samples", &Records,
                               "Every record as one structured array (Time, Angle, Switch, "
                               "PhaseV, VBatt, VZero, Drive).")
        .def_property_readonly("sample_count",
                               [](const RunResult& r) { return r.Run.RecordCount(); })
        .def("__len__", [](const RunResult& r) { return r.Run.RecordCount(); })
        .def_property_readonly("summary", [](const RunResult& r) { return r.Summary; },
                               "The RPM and timing the run reports.")
        .def_property_readonly("scenario", [](const RunResult& r) { return r.Scenario; },
                               "A copy of the scenario that was run.")
        .def_property_readonly("single_angle", [](const RunResult& r) { return r.PwmState >= 0; })
        .def_property_readonly(
            "address",
            [](const RunResult& r) { return reinterpret_cast<std::uintptr_t>(r.Run.Samples.data()); },
            "The address of the engine's first sample record.")
        .def("channels", &Channels, py::arg("view") = py::none(), R"doc(
The analog channels of `view` (default: the scenario's), as a dict from each channel's name
("CompA+", ...) to a read-only float32 view of the rows the engine built.)doc")
        .def(
            "zc",
            [](const py::object& self, std::optional<int> view, const std::string& sampling,
               const py::object& blanking, int filter, std::optional<int> start,
               std::optional<int> length) {
                RunResult& r = *self.cast<Shared>();
                const int chosen = ViewOr(view, r.Scenario);
                const engine::DetectorSettings detector = DetectorOf(sampling, blanking, filter);
                const engine::SampleWindow window = WindowOf(start, length, r.Run.SampleCount);
                engine::ZcTable table;
                {
                    const py::gil_scoped_release release;
                    table = engine::AnalyseZeroCrossings(r.Run, r.Op, r.ChannelsOf(chosen),
                                                         chosen, detector, window);
                }
                return ZcTableObject(table);
            },
            py::arg("view") = py::none(), py::arg("sampling") = "on", py::arg("blanking") = 0,
            py::arg("filter") = 1, py::arg("start") = py::none(), py::arg("length") = py::none(),
            R"doc(
The zero-crossing table of the run on the comparators of `view`, as bldc-emu --zc: one row per
floating interval with samples in the window (start, length; default the whole run).
sampling: "on", "off" or "all"; blanking: degrees from 0 to 60 (a number, or a text as the
command line reads it); filter: qualifying samples in a row, 1 to 1000.)doc")
        .def(
            "measure",
            [](const py::object& self, std::optional<int> start, std::optional<int> length,
               std::optional<int> view) {
                RunResult& r = *self.cast<Shared>();
                const int chosen = ViewOr(view, r.Scenario);
                const engine::SampleWindow window = WindowOf(start, length, r.Run.SampleCount);
                const engine::ChannelSet* set = nullptr;
                engine::ViewMeasurements measured;
                {
                    const py::gil_scoped_release release;
                    set = &r.ChannelsOf(chosen);
                    measured = engine::MeasureView(r.Run, *set, window);
                }
                return MeasurementsObject(measured, *set);
            },
            py::arg("start") = py::none(), py::arg("length") = py::none(),
            py::arg("view") = py::none(), R"doc(
The measurements of the window (start, length; default the whole run) on `view`, as
bldc-emu --measure: the channels' extremes, mean and RMS, each switch's duty and edges, and the
PWM and commutation periods.)doc")
        .def(
            "log_bytes",
            [](const RunResult& r, const std::string& sep) {
                const char separator = SeparatorOf(sep);
                std::string text;
                {
                    const py::gil_scoped_release release;
                    text = engine::BuildSampleLog(r.Run, separator);
                }
                return py::bytes(text);
            },
            py::arg("sep") = ".",
            "The bytes of the sample log (log.txt, as bldc-emu --log writes it) with `sep` as "
            "the decimal separator.")
        .def("__repr__", [](const RunResult& r) {
            return "<bldc_emu.Result " + std::to_string(r.Run.RecordCount()) + " samples, " +
                   engine::RunSummaryText(r.Summary, kSeparator) + ">";
        });
}

} // namespace pyemu
