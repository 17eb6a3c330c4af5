#include "cli/option_table.h"

#include "cli/cli_options_formats.h"
#include "cli/option_values.h"
#include "cli/parameter_boxes.h"
#include "cli/reference_options.h"
#include "engine/channels.h"
#include "engine/crossing_detector.h"
#include "engine/detector_settings_text.h"
#include "engine/format_fixed.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace cli {
namespace {

Expectation Accepted()
{
    return std::nullopt;
}

ValueHandler IntoInt(int low, int high, std::string expected,
                     std::function<void(CliRequest&, int)> set)
{
    return [=](std::string_view value, CliRequest& request) -> Expectation {
        const std::optional<int> number = ReadInt(value, low, high);
        if (!number) {
            return expected;
        }
        set(request, *number);
        return Accepted();
    };
}

ValueHandler IntoSwitch(std::function<void(CliRequest&, bool)> set)
{
    return [=](std::string_view value, CliRequest& request) -> Expectation {
        const std::optional<bool> on = ReadOnOff(value);
        if (!on) {
            return std::string("on or off");
        }
        set(request, *on);
        return Accepted();
    };
}

// Every option that writes a file takes "-" for standard output, so it is built here alone.
OptionRow OutputFileRow(std::string_view name, std::string help,
                        std::optional<Destination> CliRequest::*path)
{
    return {name,
            "",
            "FILE",
            OptionGroup::Output,
            std::move(help) + " (- for standard output)",
            ValueHandler([path](std::string_view value, CliRequest& request) -> Expectation {
                if (value.empty()) {
                    return std::string("a file name, or - for standard output");
                }
                request.*path = std::string(value);
                return Accepted();
            })};
}

Expectation ApplySet(std::string_view value, CliRequest& request)
{
    const std::size_t equals = value.find('=');
    const std::optional<int> tag =
        equals == std::string_view::npos ? std::nullopt : ReadInt(value.substr(0, equals), 1, 10);
    if (!tag) {
        return std::string("N=TEXT with N from 1 to 10");
    }
    request.Edits.emplace_back(SetBoxText{*tag, std::string(value.substr(equals + 1)), {}});
    return Accepted();
}

std::string SetHelp()
{
    std::string help = "type TEXT into parameter box N and leave it; the box reads digits and one "
                       "decimal point and ignores the rest, which a warning names:\n";
    for (int tag = 1; tag <= 10; ++tag) {
        help += std::to_string(tag) + " " + std::string(kParameterBoxNames[tag]);
        help += tag < 10 ? ", " : "";
    }
    return help;
}

Expectation ApplyAngle(std::string_view value, CliRequest& request)
{
    const std::optional<float> angle = ReadAngle(value);
    if (!angle) {
        return std::string("an angle in degrees, such as 35 or 12.5");
    }
    request.Angle = *angle;
    return Accepted();
}

std::string ViewHelp()
{
    std::string help = "analog view for --channels, --png, --zc and --sweep:";
    for (int view = 0; view < engine::kAllViewCount; ++view) {
        help += (view > 0 ? ", " : " ") + std::to_string(view) + " " + engine::ViewName(view);
        help += view == CliRequest{}.View ? " (default)" : "";
    }
    return help + " (amperes, with --model circuit)";
}

// A decimal number from 0 to `high` into one of the circuit model's values.
ValueHandler IntoCircuitValue(double high, std::string expected,
                              std::function<void(engine::CircuitSettings&, float)> set)
{
    return [=](std::string_view value, CliRequest& request) -> Expectation {
        const std::optional<WrittenNumber> number = ReadNumber(value);
        if (!number || !(number->Value >= 0 && number->Value <= high)) {
            return expected;
        }
        set(request.Settings.Circuit, static_cast<float>(number->Value));
        return Accepted();
    };
}

std::vector<OptionRow> CircuitRows()
{
    using G = OptionGroup;
    return {
        {"--model", "", "static|circuit", G::Run,
         "the model of the bridge: static, the voltages of the conducting phases without "
         "currents (default), or circuit, the windings' resistance and inductance, the body "
         "diodes and the battery's impedance as a circuit in its periodic steady state, with "
         "the phase and battery currents",
         ValueHandler([](std::string_view value, CliRequest& r) -> Expectation {
             if (!engine::ParseRunModel(std::string(value).c_str(), r.Settings.Circuit.Model)) {
                 return std::string("static or circuit");
             }
             return Accepted();
         })},
        {"--inductance", "", "UH", G::Run,
         "the inductance of each winding in microhenries for the circuit model (0 to " +
             engine::FormatFixed(engine::kMaxInductanceUh, 18, 0) + ", default " +
             engine::FormatFixed(engine::kDefaultInductanceUh, 18, 0) + ")",
         IntoCircuitValue(engine::kMaxInductanceUh, "microhenries from 0 to 10000, such as 20",
                          [](engine::CircuitSettings& c, float uh) { c.InductanceUh = uh; })},
        {"--diode-drop", "", "V", G::Run,
         "the forward drop of each body diode in volts for the circuit model (0 to " +
             engine::FormatFixed(engine::kMaxDiodeDrop, 18, 0) + ", default 0.7)",
         IntoCircuitValue(engine::kMaxDiodeDrop, "volts from 0 to 5, such as 0.7",
                          [](engine::CircuitSettings& c, float v) { c.DiodeDrop = v; })},
    };
}

Expectation ApplySeparator(std::string_view value, CliRequest& request)
{
    const bool printable = value.size() == 1 && value[0] > ' ' && value[0] < 0x7F;
    if (!printable || (value[0] >= '0' && value[0] <= '9')) {
        return std::string("one printable character that is not a digit, such as . or ,");
    }
    request.Separator = value[0];
    return Accepted();
}

Expectation ApplyViewWindow(std::string_view start, std::string_view len, CliRequest& request)
{
    const std::optional<int> first = ReadInt(start, 0, INT_MAX);
    const std::optional<int> count = ReadInt(len, 1, INT_MAX);
    if (!first || !count) {
        return std::string("a first sample from 0 and a sample count from 1");
    }
    request.Window = engine::SampleWindow{*first, *count};
    return Accepted();
}

Expectation ApplyPngSize(std::string_view value, CliRequest& request)
{
    const std::size_t x = value.find('x');
    const bool hasX = x != std::string_view::npos;
    const std::optional<int> width =
        hasX ? ReadInt(value.substr(0, x), 1, kMaxPictureSide) : std::nullopt;
    const std::optional<int> height =
        hasX ? ReadInt(value.substr(x + 1), 1, kMaxPictureSide) : std::nullopt;
    if (!width || !height) {
        return "WIDTHxHEIGHT in pixels, each from 1 to " + std::to_string(kMaxPictureSide) +
               ", such as 1024x768";
    }
    request.PngSize = graph::GridSize{*width, *height};
    request.PngSizeGiven = true;
    return Accepted();
}

// A decimal number of degrees from 0 to kMaxZcBlankingDeg.
Expectation ApplyZcBlanking(std::string_view value, CliRequest& request)
{
    const std::optional<double> degrees = engine::ReadZcBlanking(value);
    if (!degrees) {
        return engine::ZcBlankingExpected();
    }
    request.Detector.BlankingDeg = *degrees;
    request.DetectorGiven = true;
    return Accepted();
}

Expectation ApplyZcSampling(std::string_view value, CliRequest& request)
{
    const std::optional<engine::ZcSampling> sampling = engine::ZcSamplingFromName(value);
    if (!sampling) {
        return std::string("on, off or all");
    }
    request.Detector.Sampling = *sampling;
    request.DetectorGiven = true;
    return Accepted();
}

Expectation ApplySweep(std::string_view value, CliRequest& request)
{
    std::variant<SweepRequest, std::string> sweep = ParseSweep(value);
    if (auto* expected = std::get_if<std::string>(&sweep)) {
        return std::move(*expected);
    }
    request.Sweep = std::get<SweepRequest>(sweep);
    return Accepted();
}

std::vector<OptionRow> BuildTable()
{
    using G = OptionGroup;
    const graph::GridSize defaultSize = graph::kDefaultGridSize;
    std::vector<OptionRow> rows{
        {"--set", "", "N=TEXT", G::Parameters, SetHelp(), ValueHandler(ApplySet)},
        {"--strict", "", "", G::Parameters,
         "refuse (exit status 2) a --set TEXT that its box reads only in part or that looks "
         "thousands-grouped (1,390 in a box without three decimals), instead of warning",
         FlagHandler([](CliRequest& r) { r.Strict = true; })},
        {"--current-scale", "", "POS", G::Parameters,
         "move the maximum-current track bar to POS (1 to 10)",
         IntoInt(1, 10, "a track bar position from 1 to 10",
                 [](CliRequest& r, int p) { r.Edits.emplace_back(MoveCurrentScale{p}); })},
        {"--duty-scale", "", "POS", G::Parameters, "move the duty-cycle track bar to POS (0 to 10)",
         IntoInt(0, 10, "a track bar position from 0 to 10",
                 [](CliRequest& r, int p) { r.Edits.emplace_back(MoveDutyScale{p}); })},
        {"--load", "", "FILE", G::Parameters,
         "apply a scenario file here (- for standard input): its ten box texts as --set 1 ... "
         "--set 10, then its bridge settings and view; a file that cannot be used stops "
         "everything (exit status 1)",
         ValueHandler(ApplyLoadOption)},
        {"--save", "", "FILE", G::Parameters,
         "write the scenario the options before it give (the ten box texts, the bridge settings, "
         "the view) to FILE (- for standard output)",
         ValueHandler(ApplySaveOption)},

        {"--h-pwm", "", "on|off", G::Bridge, "PWM on the high-side switches (default on)",
         IntoSwitch([](CliRequest& r, bool on) { r.Settings.HighSidePwm = on; })},
        {"--l-pwm", "", "on|off", G::Bridge, "PWM on the low-side switches (default off)",
         IntoSwitch([](CliRequest& r, bool on) { r.Settings.LowSidePwm = on; })},
        {"--driver", "", "0|1", G::Bridge, "0 \"2 Non Inv\", 1 \"Inv+Non Inv\" (default 1)",
         IntoInt(0, 1, "0 (2 Non Inv) or 1 (Inv+Non Inv)",
                 [](CliRequest& r, int kind) { r.Settings.DriverKind = kind; })},
        {"--mosfet", "", "0|1", G::Bridge, "0 \"N + N\", 1 \"P + N\" (default 1)",
         IntoInt(0, 1, "0 (N + N) or 1 (P + N)",
                 [](CliRequest& r, int kind) { r.Settings.MosfetKind = kind; })},
        {"--pattern", "", "120|180", G::Bridge, "commutation pattern in degrees (default 120)",
         ValueHandler([](std::string_view value, CliRequest& r) -> Expectation {
             if (value != "120" && value != "180") {
                 return std::string("120 or 180");
             }
             r.Settings.Pattern120 = value == "120";
             return Accepted();
         })},

        {"--angle", "", "DEG", G::Run,
         "emulate the single angle DEG instead of the whole revolution; from 2048 deg on the "
         "angle cannot advance and the run records no samples",
         ValueHandler(ApplyAngle)},
        {"--pwm", "", "0|1", G::Run,
         "the PWM output during a single-angle run (default: 1 with H-side PWM)",
         IntoInt(0, 1, "0 (off) or 1 (on)", [](CliRequest& r, int state) { r.PwmState = state; })},
        {"--view", "", "0.." + std::to_string(engine::kAllViewCount - 1), G::Run, ViewHelp(),
         ValueHandler([](std::string_view value, CliRequest& r) -> Expectation {
             const std::optional<int> view = ReadInt(value, 0, engine::kAllViewCount - 1);
             if (!view) {
                 return std::string(r.Settings.Circuit.Model == engine::RunModel::Circuit
                                        ? "0, 1, 2, 3 or 4"
                                        : "0, 1, 2 or 3");
             }
             r.View = *view;
             r.ViewChosen = true;
             return Accepted();
         })},
        {"--decimal-separator", "", "C", G::Run,
         "the decimal separator of all numbers (default: the user's locale)",
         ValueHandler(ApplySeparator)},

        {"--params", "", "", G::Output, "the ten normalised parameter texts, N<TAB>text",
         FlagHandler([](CliRequest& r) { r.ShowParams = true; })},
        {"--summary", "", "", G::Output, "the run summary line, then \"samples: N\"",
         FlagHandler([](CliRequest& r) { r.ShowSummary = true; })},
        {"--channels", "", "", G::Output,
         "the view's channels (name, colour, min, max), then one line per sample",
         FlagHandler([](CliRequest& r) { r.ShowChannels = true; })},
        {"--measure", "", "", G::Output,
         "the readout's measurements of the samples looked at: each channel's minimum, maximum, "
         "mean and RMS, each switch's duty and edges, the PWM and commutation frequency and "
         "period, one quantity per line under a header",
         FlagHandler([](CliRequest& r) { r.ShowMeasure = true; })},
        OutputFileRow("--log", "write the sample log to FILE", &CliRequest::LogPath),
        OutputFileRow("--vcd",
                      "write the run as a Value Change Dump for waveform viewers to FILE: the "
                      "switches and drive flags as wires, the voltages and the angle as reals, "
                      "with --view or --load the view's channels too",
                      &CliRequest::VcdPath),
        {"--gtkw", "", "FILE", G::Output,
         "write a save file for GTKWave to FILE that shows the dump of --vcd FILE arranged: "
         "the switches, drive flags, voltages and view channels in groups, the voltages as "
         "analog traces",
         ValueHandler([](std::string_view value, CliRequest& request) -> Expectation {
             if (value.empty() || value == kStandardOutput) {
                 return std::string("a file name");
             }
             request.GtkwavePath = std::string(value);
             return Accepted();
         })},
        OutputFileRow("--png",
                      "write the graph as the window shows it to FILE (PNG), drawn offscreen "
                      "with the view chosen by --view",
                      &CliRequest::PngPath),
        {"--png-size", "", "WxH", G::Output,
         "the size of the graph's grid for --png (default " + std::to_string(defaultSize.Width) +
             "x" + std::to_string(defaultSize.Height) + ", the window's minimum size)",
         ValueHandler(ApplyPngSize)},

        {"--format", "", "tsv|csv|json", G::Output,
         "the form of --params, --summary, --channels, --measure, --zc and --sweep: tables "
         "with a header row that names each value with its unit, such as \"TIME (us)\", "
         "--channels with INDEX, TIME and ANGLE and the switches before the channels (tsv with "
         "the window's digits and the decimal separator, csv after RFC 4180 with \".\" and "
         "every digit of each value), or one JSON document with a member per output; without it "
         "they keep their classic form",
         ValueHandler(ApplyFormatOption)},
        {"--zc", "", "", G::Output,
         "the zero-crossing table of the comparators of --view (1 to 3): a header, then one "
         "line per floating interval of a phase that lies wholly inside the run, in time order: "
         "phase, direction, the true crossing's angle and time, status (detected, already or "
         "missed), the detecting sample and its angle, the error in degrees and us (positive: "
         "late), the commutation the detection implies and the emulation's own; a table without "
         "lines says why on standard error",
         FlagHandler([](CliRequest& r) { r.ShowZc = true; })},
        {"--zc-sampling", "", "on|off|all", G::Detector,
         "the samples the detector reads: where the PWM output is on (default), off, or all of "
         "them",
         ValueHandler(ApplyZcSampling)},
        {"--zc-blanking", "", "DEG", G::Detector,
         "the degrees from the start of a floating interval that the detector ignores (0 to " +
             engine::FormatFixed(engine::kMaxZcBlankingDeg, 18, 0) + ", default 0)",
         ValueHandler(ApplyZcBlanking)},
        {"--zc-filter", "", "N", G::Detector,
         "the samples in a row that must show the new level (1 to " +
             std::to_string(engine::kMaxZcFilter) + ", default 1)",
         IntoInt(1, engine::kMaxZcFilter, engine::ZcFilterExpected(),
                 [](CliRequest& r, int n) {
                     r.Detector.Filter = n;
                     r.DetectorGiven = true;
                 })},

        {"--view-window", "", "START LEN", G::Samples,
         "restrict --channels, --png, --zc, --measure, --vcd and --sweep to the LEN samples "
         "from sample START (counted from 0); a window reaching beyond the run is moved back into "
         "it, as the graph's "
         "scroll bar does",
         PairHandler(ApplyViewWindow)},

        {"--sweep", "", "N=FROM:TO:STEP", G::Study,
         "run once for each value FROM, FROM+STEP, ... up to TO typed into parameter box N "
         "(or set as the circuit model's inductance or diode-drop, N being that name), "
         "starting each time from the parameters the other options give; prints a header, then "
         "one tab-separated line per run: value, RPM, timing, samples, then the minimum and "
         "maximum of each channel of the view (over the run or the --view-window); with --zc "
         "three more: the mean and the largest detection error in degrees and the number of "
         "intervals without a detection. A refused run prints the value and the reason; the others "
         "go on. At most " +
             std::to_string(kMaxSweepRuns) +
             " runs; given once, and not combined with the other outputs.",
         ValueHandler(ApplySweep), true},
        {"--jobs", "", "N", G::Study,
         "use N cores (1 to " + std::to_string(kMaxJobs) +
             ", default: all of them): the sweep's runs at a time, or the threads of a single "
             "run; the output is the same for every N",
         IntoInt(1, kMaxJobs, "a number of cores from 1 to " + std::to_string(kMaxJobs),
                 [](CliRequest& r, int jobs) { r.Jobs = jobs; })},

        {"--help", "-h", "", G::Program, "show this text and exit",
         FlagHandler([](CliRequest& r) { r.ShowHelp = true; })},
        {"--version", "", "", G::Program, "show the program's version and exit",
         FlagHandler([](CliRequest& r) { r.ShowVersion = true; })},
    };
    // The model's options follow the run's; they have no reference twins.
    std::vector<OptionRow> circuit = CircuitRows();
    const auto afterRun = std::find_if(rows.begin(), rows.end(), [](const OptionRow& row) {
        return row.Group == OptionGroup::Output;
    });
    rows.insert(afterRun, std::make_move_iterator(circuit.begin()),
                std::make_move_iterator(circuit.end()));
    // The reference's twins of the parameter and bridge options, listed after the outputs.
    std::vector<OptionRow> twins = ReferenceRows(rows);
    const auto afterOutputs = std::find_if(rows.begin(), rows.end(), [](const OptionRow& row) {
        return row.Group == OptionGroup::Detector;
    });
    rows.insert(afterOutputs, std::make_move_iterator(twins.begin()),
                std::make_move_iterator(twins.end()));
    return rows;
}

} // namespace

std::string_view GroupHeading(OptionGroup group)
{
    switch (group) {
    case OptionGroup::Parameters:
        return "Parameters, applied in the order given:";
    case OptionGroup::Bridge:
        return "Bridge settings:";
    case OptionGroup::Run:
        return "Run:";
    case OptionGroup::Output:
        return "Output, in this order (--summary when none is given):";
    case OptionGroup::Reference:
        return "Reference run drawn under --png's traces (from the default parameters):";
    case OptionGroup::Detector:
        return "Zero-crossing detector, for --zc:";
    case OptionGroup::Samples:
        return "Samples looked at:";
    case OptionGroup::Study:
        return "Parameter study:";
    case OptionGroup::Program:
        return "";
    }
    return "";
}

const std::vector<OptionRow>& OptionTable()
{
    static const std::vector<OptionRow> table = BuildTable();
    return table;
}

} // namespace cli
