#include "py_sweep.h"

#include "py_errors.h"
#include "py_result.h"
#include "py_scenario.h"

#include "cli/run_shared.h"
#include "cli/sweep_request.h"
#include "cli/unread_text.h"
#include "engine/run_tables.h"
#include "engine/table_writer.h"
#include "engine/zero_crossing.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pyemu {
namespace {

// What every row of a sweep or study looks at, besides the box texts of its point.
struct RowLayout {
    int View = 1;
    std::optional<engine::SampleWindow> Window;
    bool Zc = false;
    engine::DetectorSettings Detector;
    int PwmState = -1;
    float StartAngle = -0.5f;

    // The view's channels, named as a run would name them.
    int ChannelCount() const
    {
        engine::ChannelSet view;
        engine::PrepareView(View, engine::ChannelTexts{}, kSeparator, engine::SampleBuffer{}, view);
        return view.ChannelCount;
    }
};

using Point = std::vector<std::pair<int, std::string>>;

// A point's tags: 1 ... 10 a parameter box, or one of the circuit's values as --sweep numbers
// them (inductance, diode drop).
bool IsCircuitTag(int tag)
{
    return tag == cli::kSweepInductance || tag == cli::kSweepDiodeDrop;
}

void CheckPointTag(int tag)
{
    if (!IsCircuitTag(tag)) {
        CheckTag(tag);
    }
}

// The circuit value a point's text stands for: the whole text a number in the value's range.
std::optional<float> CircuitValue(int tag, const std::string& text)
{
    float value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    const bool whole = error == std::errc{} && end == text.data() + text.size();
    const bool inRange = tag == cli::kSweepInductance ? engine::InductanceInRange(value)
                                                      : engine::DiodeDropInRange(value);
    return whole && inRange ? std::optional<float>(value) : std::nullopt;
}

void CheckPoint(const Point& point)
{
    for (const auto& [tag, text] : point) {
        CheckPointTag(tag);
        if (IsCircuitTag(tag) && !CircuitValue(tag, text)) {
            const bool inductance = tag == cli::kSweepInductance;
            ThrowBadValue(py::str(text), inductance ? "inductance" : "diode-drop",
                          inductance ? "microhenries from 0 to 10000" : "volts from 0 to 5");
        }
    }
}

// One point's run in the caller's buffers: the point's texts typed in order on top of
// `base`, as a sweep types its value on top of the other options.
engine::SweepRow RowOf(const ScenarioState& base, const RowLayout& layout, const Point& point,
                       engine::SampleBuffer& run, engine::ChannelSet& channels)
{
    engine::TParams params = base.Params;
    engine::ParamTexts texts = base.Texts;
    engine::RunSettings settings = base.Settings;
    for (const auto& [tag, text] : point) {
        if (IsCircuitTag(tag)) {
            (tag == cli::kSweepInductance ? settings.Circuit.InductanceUh
                                          : settings.Circuit.DiodeDrop) = *CircuitValue(tag, text);
            continue;
        }
        texts[static_cast<std::size_t>(tag)] = text;
        engine::ChangeParam(params, texts, tag, true, kSeparator);
    }
    engine::SweepRow row;
    try {
        row.Summary = engine::CalcPhases(params, settings, layout.PwmState, layout.StartAngle, run,
                                         engine::kOneLoop);
    } catch (const engine::EmulationError& error) {
        row.Failure = error.what();
    } catch (const std::bad_alloc&) {
        row.Failure = "not enough memory for the run";
    }
    if (row.Failure) {
        return row;
    }
    engine::PrepareView(layout.View, engine::ChannelTexts{}, kSeparator, run, channels);
    const engine::SampleWindow window = cli::EffectiveWindow(layout.Window, run.SampleCount);
    row.Samples = run.SampleCount;
    row.Extremes = engine::SweepExtremes(channels, window);
    if (layout.Zc) {
        const engine::OperatingPoint op =
            engine::ComputeOperatingPoint(params, settings, layout.PwmState, layout.StartAngle);
        const engine::ZcSummary zc =
            engine::AnalyseZeroCrossings(run, op, channels, layout.View, layout.Detector, window)
                .Summary;
        row.Zc = engine::SweepZc{zc.MeanErrorDeg, zc.MaxErrorDeg, zc.Undetected()};
    }
    return row;
}

py::object OptionalFloat(const std::optional<double>& value)
{
    return value ? py::object(py::float_(*value)) : py::object(py::none());
}

// RPM, TIMING, SAMPLES, the extremes, the zero-crossing cells, ERROR: exact values, None for
// an empty cell.
py::tuple RowTuple(const engine::SweepRow& row, int channels, bool zc)
{
    py::list cells;
    const py::object none = py::none();
    if (row.Failure) {
        const int empty = 3 + 2 * channels + (zc ? 3 : 0);
        for (int i = 0; i < empty; ++i) {
            cells.append(none);
        }
        cells.append(*row.Failure);
        return py::tuple(cells);
    }
    cells.append(row.Summary.Rpm);
    cells.append(row.Summary.Timing);
    cells.append(row.Samples);
    for (int k = 0; k < channels; ++k) {
        const auto index = static_cast<std::size_t>(k);
        const bool known = index < row.Extremes.size();
        cells.append(known ? py::object(py::float_(row.Extremes[index].first)) : none);
        cells.append(known ? py::object(py::float_(row.Extremes[index].second)) : none);
    }
    if (zc) {
        const engine::SweepZc found = row.Zc.value_or(engine::SweepZc{});
        cells.append(OptionalFloat(found.MeanErrorDeg));
        cells.append(OptionalFloat(found.MaxErrorDeg));
        cells.append(found.Undetected);
    }
    cells.append(none);
    return py::tuple(cells);
}

// The row a tuple of RowTuple stands for, under its VALUE text.
engine::SweepRow RowFromTuple(const std::string& value, const py::tuple& cells, int channels,
                              bool zc)
{
    const auto width = static_cast<std::size_t>(4 + 2 * channels + (zc ? 3 : 0));
    if (cells.size() != width) {
        throw py::value_error("a sweep row of " + std::to_string(cells.size()) +
                              " cells where the table has " + std::to_string(width));
    }
    engine::SweepRow row;
    row.Value = value;
    if (!cells[width - 1].is_none()) {
        row.Failure = cells[width - 1].cast<std::string>();
        return row;
    }
    row.Summary = engine::RunSummary{cells[0].cast<float>(), cells[1].cast<float>()};
    row.Samples = cells[2].cast<int>();
    for (int k = 0; k < channels; ++k) {
        const py::handle low = cells[static_cast<std::size_t>(3 + 2 * k)];
        const py::handle high = cells[static_cast<std::size_t>(4 + 2 * k)];
        if (!low.is_none() && !high.is_none()) {
            row.Extremes.emplace_back(low.cast<float>(), high.cast<float>());
        }
    }
    if (zc) {
        const std::size_t at = 3 + 2 * static_cast<std::size_t>(channels);
        const auto optional = [](py::handle cell) {
            return cell.is_none() ? std::nullopt : std::optional<double>(cell.cast<double>());
        };
        row.Zc = engine::SweepZc{optional(cells[at]), optional(cells[at + 1]),
                                 cells[at + 2].cast<int>()};
    }
    return row;
}

RowLayout MakeSpec(std::optional<int> view, std::optional<int> start, std::optional<int> length,
                 bool zc, const std::string& sampling, const py::object& blanking, int filter,
                 std::optional<float> angle, std::optional<int> pwm, const ScenarioState* scenario)
{
    RowLayout layout;
    layout.View = ViewOr(view, scenario ? *scenario : ScenarioState{});
    if (start || length) {
        if (!start || !length || *start < 0 || *length < 1) {
            ThrowBadValue(py::make_tuple(start, length), "the window",
                          "a first sample from 0 and a sample count from 1");
        }
        layout.Window = engine::SampleWindow{*start, *length};
    }
    layout.Zc = zc;
    layout.Detector = DetectorOf(sampling, blanking, filter);
    if (pwm && *pwm != 0 && *pwm != 1) {
        ThrowBadValue(py::int_(*pwm), "pwm", "0 or 1");
    }
    if (angle) {
        const bool highSide = scenario ? scenario->Settings.HighSidePwm : true;
        layout.PwmState = pwm.value_or(highSide ? 1 : 0);
        layout.StartAngle = *angle;
    }
    return layout;
}

py::tuple SpecState(const RowLayout& s)
{
    const py::object window =
        s.Window ? py::object(py::make_tuple(s.Window->Start, s.Window->Len)) : py::none();
    return py::make_tuple(s.View, window, s.Zc, static_cast<int>(s.Detector.Sampling),
                          s.Detector.BlankingDeg, s.Detector.Filter, s.PwmState, s.StartAngle);
}

RowLayout SpecFromState(const py::tuple& t)
{
    if (t.size() != 8) {
        throw py::value_error("not the state of a bldc_emu RowLayout");
    }
    RowLayout s;
    s.View = t[0].cast<int>();
    if (!t[1].is_none()) {
        const auto w = t[1].cast<py::tuple>();
        s.Window = engine::SampleWindow{w[0].cast<int>(), w[1].cast<int>()};
    }
    s.Zc = t[2].cast<bool>();
    s.Detector = engine::DetectorSettings{static_cast<engine::ZcSampling>(t[3].cast<int>()),
                                          t[4].cast<double>(), t[5].cast<int>()};
    s.PwmState = t[6].cast<int>();
    s.StartAngle = t[7].cast<float>();
    return s;
}

} // namespace

void BindSweep(py::module_& m)
{
    py::class_<RowLayout>(m, "RowLayout", R"doc(
What each row of a sweep or study looks at besides its box texts: the view, the window, the
zero-crossing columns with their detector, and the single angle if any. Made by
bldc_emu.sweep and bldc_emu.studies; picklable, so it travels to a cluster's workers.)doc")
        .def(py::init([](const ScenarioState* scenario, std::optional<int> view,
                         std::optional<int> start, std::optional<int> length, bool zc,
                         const std::string& sampling, const py::object& blanking, int filter,
                         std::optional<float> angle, std::optional<int> pwm) {
                 return MakeSpec(view, start, length, zc, sampling, blanking, filter, angle, pwm,
                                 scenario);
             }),
             py::arg("scenario") = nullptr, py::kw_only(), py::arg("view") = py::none(),
             py::arg("start") = py::none(), py::arg("length") = py::none(),
             py::arg("zc") = false, py::arg("sampling") = "on", py::arg("blanking") = 0,
             py::arg("filter") = 1, py::arg("angle") = py::none(), py::arg("pwm") = py::none())
        .def_readonly("view", &RowLayout::View)
        .def_readonly("zc", &RowLayout::Zc)
        .def(
            "columns",
            [](const RowLayout& s, int tag) {
                engine::ChannelSet view;
                engine::PrepareView(s.View, engine::ChannelTexts{}, kSeparator,
                                   engine::SampleBuffer{}, view);
                if (tag != 0) {
                    CheckPointTag(tag);
                }
                return engine::SweepColumns(view, s.Zc);
            },
            py::arg("tag") = 0,
            "The columns of bldc-emu --sweep on box `tag`: the value's, then RPM ... ERROR.")
        .def(py::pickle(&SpecState, &SpecFromState));

    m.def(
        "sweep_rows",
        [](const ScenarioState& scenario, const RowLayout& layout, const std::vector<Point>& points) {
            for (const Point& point : points) {
                CheckPoint(point);
            }
            std::vector<engine::SweepRow> rows;
            rows.reserve(points.size());
            {
                const py::gil_scoped_release release;
                engine::SampleBuffer run;
                engine::ChannelSet channels;
                for (const Point& point : points) {
                    rows.push_back(RowOf(scenario, layout, point, run, channels));
                }
            }
            const int channels = layout.ChannelCount();
            py::list out;
            for (const engine::SweepRow& row : rows) {
                out.append(RowTuple(row, channels, layout.Zc));
            }
            return out;
        },
        py::arg("scenario"), py::arg("layout"), py::arg("points"), R"doc(
One row per point, each point a list of (tag, text) typed in order on top of the scenario; the
runs go on one thread with the GIL released. A refused run gives a row with only its ERROR.)doc");

    m.def(
        "sweep_text",
        [](const RowLayout& layout, int tag, const std::vector<std::string>& values,
           const std::vector<py::tuple>& rows, const std::string& format,
           const std::string& sep) {
            const auto chosen = engine::TableFormatNamed(format);
            if (!chosen) {
                ThrowBadValue(py::str(format), "format", "tsv, csv or json");
            }
            CheckPointTag(tag);
            if (values.size() != rows.size() || sep.size() != 1) {
                throw py::value_error("one VALUE per row and a one-character separator");
            }
            engine::ChannelSet view;
            engine::PrepareView(layout.View, engine::ChannelTexts{}, kSeparator,
                               engine::SampleBuffer{}, view);
            std::string text;
            engine::TableWriter table(*chosen, text, sep[0]);
            table.Header(engine::SweepColumns(view, layout.Zc, tag));
            for (std::size_t i = 0; i < rows.size(); ++i) {
                engine::WriteSweepRow(RowFromTuple(values[i], rows[i], view.ChannelCount, layout.Zc),
                                      static_cast<std::size_t>(view.ChannelCount), layout.Zc, table);
            }
            table.Finish();
            return text;
        },
        py::arg("layout"), py::arg("tag"), py::arg("values"), py::arg("rows"),
        py::arg("format") = "csv",
        py::arg("sep") = ".", "The table bldc-emu --sweep --format FORMAT prints for these rows.");

    m.def(
        "parse_sweep",
        [](const std::string& text) {
            auto parsed = cli::ParseSweep(text);
            if (const auto* expected = std::get_if<std::string>(&parsed)) {
                ThrowBadValue(py::str(text), "sweep", *expected);
            }
            const cli::SweepRequest& sweep = std::get<cli::SweepRequest>(parsed);
            std::vector<std::pair<std::string, std::string>> values;
            for (int i = 0; i < sweep.Count; ++i) {
                values.emplace_back(sweep.ValueText(i, '.'), sweep.TypedText(i));
            }
            return py::make_tuple(sweep.Tag, values);
        },
        py::arg("text"),
        "The box tag and the (VALUE, typed text) pairs of \"N=FROM:TO:STEP\", as --sweep "
        "reads it.");

    py::list names;
    for (const char* name : engine::kParamNames) {
        names.append(name);
    }
    m.attr("BOX_NAMES") = names;
    // What studies type into the circuit's values instead of a box, as --sweep numbers them.
    m.attr("INDUCTANCE") = cli::kSweepInductance;
    m.attr("DIODE_DROP") = cli::kSweepDiodeDrop;
    m.def(
        "box_column", [](int tag) {
            CheckPointTag(tag);
            if (IsCircuitTag(tag)) {
                return cli::SweepRequest{.Tag = tag}.Name();
            }
            return std::string(engine::kParamNames[static_cast<std::size_t>(tag)]);
        },
        py::arg("tag"), "The name of a study's column of the texts typed into box `tag`.");

    m.def(
        "unread_note",
        [](int tag, const std::string& text) {
            if (IsCircuitTag(tag)) {
                CheckPoint(Point{{tag, text}}); // read whole or refused
                return std::optional<std::string>();
            }
            CheckTag(tag);
            return cli::UnreadTextNote(cli::SetBoxText{tag, text, {}});
        },
        py::arg("tag"), py::arg("text"),
        "What box `tag` ignores of `text`, in the words of bldc-emu's warning, or None.");

    m.def(
        "_native_runs",
        [](const ScenarioState& scenario, int count) {
            // The work of `count` Python calls run() then zc().summary, on one thread in C++:
            // the floor the module's own cost is measured against.
            double sum = 0;
            {
                const py::gil_scoped_release release;
                for (int i = 0; i < count; ++i) {
                    engine::SampleBuffer run;
                    engine::CalcPhases(scenario.Params, scenario.Settings, -1, -0.5f, run,
                                       engine::RunThreads{});
                    const engine::OperatingPoint op = engine::ComputeOperatingPoint(
                        scenario.Params, scenario.Settings, -1, -0.5f);
                    engine::ChannelSet channels;
                    engine::PrepareView(scenario.View, engine::ChannelTexts{}, kSeparator, run,
                                       channels);
                    const engine::ZcTable table = engine::AnalyseZeroCrossings(
                        run, op, channels, scenario.View, engine::DetectorSettings{});
                    sum += table.Summary.MeanErrorDeg.value_or(0);
                }
            }
            return sum;
        },
        py::arg("scenario"), py::arg("count"));
}

} // namespace pyemu
