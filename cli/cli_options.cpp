#include "cli/cli_options.h"

#include "cli/cli_options_formats.h"
#include "engine/format_fixed.h"
#include "engine/scenario_reader.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <functional>
#include <string_view>

namespace cli {
namespace {

std::optional<int> ReadInt(std::string_view text, int low, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// An angle in degrees, with "." or "," as the decimal point.
std::optional<float> ReadAngle(std::string_view text)
{
    std::string number(text);
    for (char& ch : number) {
        if (ch == ',') {
            ch = '.';
        }
    }
    float value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A decimal number with "." or "," as the decimal point, and how many decimals it was written
// with.
struct WrittenNumber {
    double Value = 0;
    int Decimals = 0;
};

std::optional<WrittenNumber> ReadNumber(std::string_view text)
{
    std::string number(text);
    int decimals = 0;
    bool afterPoint = false;
    for (char& ch : number) {
        if (ch == ',') {
            ch = '.';
        }
        if (afterPoint && ch >= '0' && ch <= '9') {
            ++decimals;
        }
        afterPoint = afterPoint || ch == '.';
    }
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return WrittenNumber{value, decimals};
}

std::optional<bool> ReadOnOff(std::string_view text)
{
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    return std::nullopt;
}

// The handler of one option: applies `value` to the request, or returns what a valid value
// looks like.
using Apply = std::function<std::optional<std::string>(std::string_view value, CliRequest&)>;

// The handler of an option with two values.
using ApplyPair = std::function<std::optional<std::string>(std::string_view first,
                                                           std::string_view second, CliRequest&)>;

struct Option {
    std::string_view Name;
    bool TakesValue;
    Apply Handler;
    ApplyPair PairHandler = {}; // set for an option that takes two values
};

std::optional<std::string> Accepted()
{
    return std::nullopt;
}

Apply IntoInt(int low, int high, std::string expected, std::function<void(CliRequest&, int)> set)
{
    return [=](std::string_view value, CliRequest& request) -> std::optional<std::string> {
        const std::optional<int> number = ReadInt(value, low, high);
        if (!number) {
            return expected;
        }
        set(request, *number);
        return Accepted();
    };
}

Apply IntoSwitch(std::function<void(CliRequest&, bool)> set)
{
    return [=](std::string_view value, CliRequest& request) -> std::optional<std::string> {
        const std::optional<bool> on = ReadOnOff(value);
        if (!on) {
            return std::string("on or off");
        }
        set(request, *on);
        return Accepted();
    };
}

std::optional<std::string> ApplySet(std::string_view value, CliRequest& request)
{
    const std::size_t equals = value.find('=');
    const std::optional<int> tag =
        equals == std::string_view::npos ? std::nullopt : ReadInt(value.substr(0, equals), 1, 10);
    if (!tag) {
        return std::string("N=TEXT with N from 1 to 10");
    }
    request.Edits.emplace_back(SetBoxText{*tag, std::string(value.substr(equals + 1))});
    return Accepted();
}

std::optional<std::string> ApplyAngle(std::string_view value, CliRequest& request)
{
    const std::optional<float> angle = ReadAngle(value);
    if (!angle) {
        return std::string("an angle in degrees, such as 35 or 12.5");
    }
    request.Angle = *angle;
    return Accepted();
}

std::optional<std::string> ApplySeparator(std::string_view value, CliRequest& request)
{
    const bool printable = value.size() == 1 && value[0] > ' ' && value[0] < 0x7F;
    if (!printable || (value[0] >= '0' && value[0] <= '9')) {
        return std::string("one printable character that is not a digit, such as . or ,");
    }
    request.Separator = value[0];
    return Accepted();
}

std::optional<std::string> ApplyViewWindow(std::string_view start, std::string_view len,
                                           CliRequest& request)
{
    const std::optional<int> first = ReadInt(start, 0, INT_MAX);
    const std::optional<int> count = ReadInt(len, 1, INT_MAX);
    if (!first || !count) {
        return std::string("a first sample from 0 and a sample count from 1");
    }
    request.Window = ViewWindowRequest{*first, *count};
    return Accepted();
}

std::optional<std::string> ApplyPngSize(std::string_view value, CliRequest& request)
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
    request.PngSize = PictureSize{*width, *height};
    request.PngSizeGiven = true;
    return Accepted();
}

std::optional<std::string> ApplySweep(std::string_view value, CliRequest& request)
{
    const std::string expected =
        "N=FROM:TO:STEP with N from 1 to 10, FROM at most TO, STEP above 0 and at most " +
        std::to_string(kMaxSweepRuns) + " runs, such as 10=20:100:10";
    const std::size_t equals = value.find('=');
    const std::optional<int> tag =
        equals == std::string_view::npos ? std::nullopt : ReadInt(value.substr(0, equals), 1, 10);
    if (!tag) {
        return expected;
    }
    const std::string_view range = value.substr(equals + 1);
    const std::size_t colon1 = range.find(':');
    const std::size_t colon2 =
        colon1 == std::string_view::npos ? colon1 : range.find(':', colon1 + 1);
    if (colon2 == std::string_view::npos) {
        return expected;
    }
    const std::optional<WrittenNumber> from = ReadNumber(range.substr(0, colon1));
    const std::optional<WrittenNumber> to =
        ReadNumber(range.substr(colon1 + 1, colon2 - colon1 - 1));
    const std::optional<WrittenNumber> step = ReadNumber(range.substr(colon2 + 1));
    if (!from || !to || !step || !(step->Value > 0) || to->Value < from->Value) {
        return expected;
    }
    // A TO that the steps reach only up to rounding (0.1 + 0.1 + 0.1 is not 0.3) still counts.
    const double steps = std::floor((to->Value - from->Value) / step->Value + 1e-9);
    if (!(steps < kMaxSweepRuns)) {
        return expected;
    }
    SweepRequest sweep;
    sweep.Tag = *tag;
    sweep.From = from->Value;
    sweep.To = to->Value;
    sweep.Step = step->Value;
    sweep.Decimals = std::max({from->Decimals, to->Decimals, step->Decimals});
    sweep.Count = static_cast<int>(steps) + 1;
    request.Sweep = sweep;
    return Accepted();
}

// The options --sweep replaces with its table.
std::optional<std::string_view> OutputBesideSweep(const CliRequest& request)
{
    if (request.ShowParams) {
        return "--params";
    }
    if (request.ShowSummary) {
        return "--summary";
    }
    if (request.ShowChannels) {
        return "--channels";
    }
    if (request.LogPath) {
        return "--log";
    }
    if (request.PngPath) {
        return "--png";
    }
    if (request.ShowMeasure) {
        return "--measure";
    }
    if (request.VcdPath) {
        return "--vcd";
    }
    return std::nullopt;
}

std::optional<std::string> CheckCombination(const CliRequest& request)
{
    if (request.PwmState && !request.Angle) {
        return "--pwm applies to a single-angle run: give --angle as well";
    }
    if (request.Sweep) {
        if (const std::optional<std::string_view> other = OutputBesideSweep(request)) {
            return "--sweep prints a table of its own: it cannot be combined with " +
                   std::string(*other);
        }
    }
    if (request.Window && !request.ShowChannels && !request.PngPath && !request.Sweep &&
        !request.ShowMeasure && !request.VcdPath) {
        return "--view-window restricts --channels, --png, --sweep, --measure and --vcd: give "
               "one of them (--log always writes the whole run)";
    }
    if (request.PngSizeGiven && !request.PngPath) {
        return "--png-size applies to --png: give --png FILE as well";
    }
    return CheckStandardOutputUse(request);
}

const std::vector<Option>& Options()
{
    static const std::vector<Option> options{
        {"--set", true, ApplySet},
        {"--current-scale", true,
         IntoInt(1, 10, "a track bar position from 1 to 10",
                 [](CliRequest& r, int p) { r.Edits.emplace_back(MoveCurrentScale{p}); })},
        {"--duty-scale", true,
         IntoInt(0, 10, "a track bar position from 0 to 10",
                 [](CliRequest& r, int p) { r.Edits.emplace_back(MoveDutyScale{p}); })},
        {"--h-pwm", true, IntoSwitch([](CliRequest& r, bool on) { r.Settings.HighSidePwm = on; })},
        {"--l-pwm", true, IntoSwitch([](CliRequest& r, bool on) { r.Settings.LowSidePwm = on; })},
        {"--driver", true,
         IntoInt(0, 1, "0 (2 Non Inv) or 1 (Inv+Non Inv)",
                 [](CliRequest& r, int kind) { r.Settings.DriverKind = kind; })},
        {"--mosfet", true,
         IntoInt(0, 1, "0 (N + N) or 1 (P + N)",
                 [](CliRequest& r, int kind) { r.Settings.MosfetKind = kind; })},
        {"--pattern", true,
         [](std::string_view value, CliRequest& r) -> std::optional<std::string> {
             if (value != "120" && value != "180") {
                 return std::string("120 or 180");
             }
             r.Settings.Pattern120 = value == "120";
             return Accepted();
         }},
        {"--angle", true, ApplyAngle},
        {"--pwm", true,
         IntoInt(0, 1, "0 (off) or 1 (on)", [](CliRequest& r, int state) { r.PwmState = state; })},
        {"--view", true,
         IntoInt(0, 3, "0, 1, 2 or 3",
                 [](CliRequest& r, int view) {
                     r.View = view;
                     r.ViewChosen = true;
                 })},
        {"--decimal-separator", true, ApplySeparator},
        {"--params", false,
         [](std::string_view, CliRequest& r) {
             r.ShowParams = true;
             return Accepted();
         }},
        {"--summary", false,
         [](std::string_view, CliRequest& r) {
             r.ShowSummary = true;
             return Accepted();
         }},
        {"--channels", false,
         [](std::string_view, CliRequest& r) {
             r.ShowChannels = true;
             return Accepted();
         }},
        {"--log", true,
         [](std::string_view value, CliRequest& r) -> std::optional<std::string> {
             if (value.empty()) {
                 return std::string("a file name, or - for standard output");
             }
             r.LogPath = std::string(value);
             return Accepted();
         }},
        {"--png", true,
         [](std::string_view value, CliRequest& r) -> std::optional<std::string> {
             if (value.empty()) {
                 return std::string("a file name");
             }
             r.PngPath = std::string(value);
             return Accepted();
         }},
        {"--png-size", true, ApplyPngSize},
        {"--measure", false,
         [](std::string_view, CliRequest& r) {
             r.ShowMeasure = true;
             return Accepted();
         }},
        {"--vcd", true, ApplyVcdOption},
        {"--format", true, ApplyFormatOption},
        {"--load", true, ApplyLoadOption},
        {"--save", true, ApplySaveOption},
        {"--view-window", true, {}, ApplyViewWindow},
        {"--sweep", true, ApplySweep},
    };
    return options;
}

const Option* FindOption(std::string_view name)
{
    for (const Option& option : Options()) {
        if (option.Name == name) {
            return &option;
        }
    }
    return nullptr;
}

ParseResult ParseOptions(const std::vector<std::string>& args)
{
    CliRequest request;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            request.ShowHelp = true;
            return request;
        }
        // Both "--view 2" and "--view=2".
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        const Option* option = FindOption(name);
        if (option == nullptr) {
            const std::string what =
                arg.rfind("-", 0) == 0 ? "unknown option" : "unexpected argument";
            return UsageError{what + " '" + std::string(arg) + "' (see --help)"};
        }
        if (option->PairHandler) {
            if (equals != std::string_view::npos) {
                return UsageError{std::string(name) + " takes two values: " + std::string(name) +
                                  " START LEN"};
            }
            if (i + 2 >= args.size()) {
                return UsageError{std::string(name) + " needs two values: " + std::string(name) +
                                  " START LEN"};
            }
            const std::string_view first = args[i + 1];
            const std::string_view second = args[i + 2];
            i += 2;
            if (const std::optional<std::string> expected =
                    option->PairHandler(first, second, request)) {
                return UsageError{"bad values '" + std::string(first) + " " + std::string(second) +
                                  "' for " + std::string(name) + ": expected " + *expected};
            }
            continue;
        }
        std::string_view value;
        if (equals != std::string_view::npos) {
            if (!option->TakesValue) {
                return UsageError{std::string(name) + " takes no value"};
            }
            value = arg.substr(equals + 1);
        } else if (option->TakesValue) {
            if (i + 1 >= args.size()) {
                return UsageError{std::string(name) + " needs a value"};
            }
            value = args[++i];
        }
        if (const std::optional<std::string> expected = option->Handler(value, request)) {
            return UsageError{"bad value '" + std::string(value) + "' for " + std::string(name) +
                              ": expected " + *expected};
        }
    }
    if (const std::optional<std::string> problem = CheckCombination(request)) {
        return UsageError{*problem};
    }
    return request;
}

} // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args)
{
    try {
        return ParseOptions(args);
    } catch (const engine::ScenarioError& error) {
        return UsageError{error.what(), true};
    }
}

std::string SweepRequest::ValueText(int index, char separator) const
{
    // From the start each time, so that the values do not collect the step's rounding.
    const long double value = static_cast<long double>(From) +
                              static_cast<long double>(index) * static_cast<long double>(Step);
    std::string text;
    engine::AppendFormatFixed(text, value, 18, Decimals, separator);
    return text;
}

std::string UsageText()
{
    return R"(Usage: bldc-emu [OPTION]...
Emulates one electrical revolution of a sensorless brushless-DC motor controller in 1 us steps,
starting from the window's default parameters, and prints the results.

Parameters, applied in the order given:
  --set N=TEXT          type TEXT into parameter box N (1 to 10) and leave it:
                        1 nominal voltage (V), 2 battery impedance (Ohms), 3 motor RPM/V,
                        4 motor resistance (Ohms), 5 no-load current (A), 6 PWM frequency (Hz),
                        7 timing at 10 % duty (deg), 8 timing at 100 % duty (deg),
                        9 maximum current at 100 % duty (A), 10 PWM duty cycle (%)
  --current-scale POS   move the maximum-current track bar to POS (1 to 10)
  --duty-scale POS      move the duty-cycle track bar to POS (0 to 10)
  --load FILE           apply a scenario file here: its ten box texts as --set 1 ... 10,
                        then its bridge settings and view
  --save FILE           write the scenario the options before it give: the ten box texts,
                        the bridge settings and the view

Bridge settings:
  --h-pwm on|off        PWM on the high-side switches (default on)
  --l-pwm on|off        PWM on the low-side switches (default off)
  --driver 0|1          0 "2 Non Inv", 1 "Inv+Non Inv" (default 1)
  --mosfet 0|1          0 "N + N", 1 "P + N" (default 1)
  --pattern 120|180     commutation pattern in degrees (default 120)

Run:
  --angle DEG           emulate the single angle DEG instead of the whole revolution
  --pwm 0|1             the PWM output during a single-angle run (default: 1 with H-side PWM)
  --view 0..3           analog view for --channels, --png and --sweep: 0 Vbatt,
                        1 A, B, C, Z (default),
                        2 Tarvel Resist.: 2.2K/10K/20K, 3 My circuit comparators
  --decimal-separator C the decimal separator of all numbers (default: the user's locale)

Output, in this order (--summary when none is given):
  --params              the ten normalised parameter texts, N<TAB>text
  --summary             the run summary line, then "samples: N"
  --channels            the view's channels (name, colour, min, max), then one line per sample
  --log FILE            write the sample log to FILE (- for standard output)
  --png FILE            write the graph as the window shows it to FILE (PNG), drawn
                        offscreen with the view chosen by --view
  --png-size WxH        the size of the graph's grid for --png (default 539x470, the
                        window's minimum size)
  --measure             the readout's measurements: each channel's minimum, maximum, mean
                        and RMS, each switch's duty and edges, the PWM and commutation
                        frequency and period (a table with a header)
  --vcd FILE            write the run as a Value Change Dump for waveform viewers to FILE
                        (- for standard output); with --view or --load the view's channels
  --format tsv|csv|json the form of --params, --summary, --channels, --measure and --sweep:
                        tables with a header row and INDEX, TIME(us), ANGLE(deg) before the
                        channels (TSV with the decimal separator, CSV after RFC 4180 with
                        "." always), or one JSON document with a member per output; without
                        it the outputs above keep their classic form

Samples looked at:
  --view-window START LEN
                        restrict --channels, --png, --sweep, --measure and --vcd to the
                        LEN samples from sample START (counted from 0); a window reaching
                        beyond the run is moved back into it, as the graph's scroll bar does

Parameter study:
  --sweep N=FROM:TO:STEP
                        run once for each value FROM, FROM+STEP, ... up to TO typed into
                        parameter box N, starting each time from the parameters the other
                        options give; prints a header, then one tab-separated line per
                        run: value, RPM, timing, samples, then the minimum and maximum of
                        each channel of the view (over the run or the --view-window).
                        A refused run prints the value and the reason; the others go on.
                        At most 10000 runs; not combined with the other outputs.

  --help                show this text

Exit status: 0 success, 1 the run (or a run of the sweep) failed or a file could not be
used (also one given to --load), 2 a bad command line.
)";
}

} // namespace cli
