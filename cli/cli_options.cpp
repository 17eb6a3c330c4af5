#include "cli/cli_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <string_view>

namespace cli {
namespace {

std::optional<int> ReadInt(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// An angle in degrees, with "." or "," as the decimal point.
std::optional<float> ReadAngle(std::string_view text) {
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

std::optional<bool> ReadOnOff(std::string_view text) {
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

struct Option {
    std::string_view Name;
    bool TakesValue;
    Apply Handler;
};

std::optional<std::string> Accepted() { return std::nullopt; }

Apply IntoInt(int low, int high, std::string expected, std::function<void(CliRequest&, int)> set) {
    return [=](std::string_view value, CliRequest& request) -> std::optional<std::string> {
        const std::optional<int> number = ReadInt(value, low, high);
        if (!number) {
            return expected;
        }
        set(request, *number);
        return Accepted();
    };
}

Apply IntoSwitch(std::function<void(CliRequest&, bool)> set) {
    return [=](std::string_view value, CliRequest& request) -> std::optional<std::string> {
        const std::optional<bool> on = ReadOnOff(value);
        if (!on) {
            return std::string("on or off");
        }
        set(request, *on);
        return Accepted();
    };
}

std::optional<std::string> ApplySet(std::string_view value, CliRequest& request) {
    const std::size_t equals = value.find('=');
    const std::optional<int> tag =
        equals == std::string_view::npos ? std::nullopt : ReadInt(value.substr(0, equals), 1, 10);
    if (!tag) {
        return std::string("N=TEXT with N from 1 to 10");
    }
    request.Edits.emplace_back(SetBoxText{*tag, std::string(value.substr(equals + 1))});
    return Accepted();
}

std::optional<std::string> ApplyAngle(std::string_view value, CliRequest& request) {
    const std::optional<float> angle = ReadAngle(value);
    if (!angle) {
        return std::string("an angle in degrees, such as 35 or 12.5");
    }
    request.Angle = *angle;
    return Accepted();
}

std::optional<std::string> ApplySeparator(std::string_view value, CliRequest& request) {
    const bool printable = value.size() == 1 && value[0] > ' ' && value[0] < 0x7F;
    if (!printable || (value[0] >= '0' && value[0] <= '9')) {
        return std::string("one printable character that is not a digit, such as . or ,");
    }
    request.Separator = value[0];
    return Accepted();
}

const std::vector<Option>& Options() {
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
         IntoInt(0, 3, "0, 1, 2 or 3", [](CliRequest& r, int view) { r.View = view; })},
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
    };
    return options;
}

const Option* FindOption(std::string_view name) {
    for (const Option& option : Options()) {
        if (option.Name == name) {
            return &option;
        }
    }
    return nullptr;
}

} // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& args) {
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
    if (request.PwmState && !request.Angle) {
        return UsageError{"--pwm applies to a single-angle run: give --angle as well"};
    }
    return request;
}

std::string UsageText() {
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

Bridge settings:
  --h-pwm on|off        PWM on the high-side switches (default on)
  --l-pwm on|off        PWM on the low-side switches (default off)
  --driver 0|1          0 "2 Non Inv", 1 "Inv+Non Inv" (default 1)
  --mosfet 0|1          0 "N + N", 1 "P + N" (default 1)
  --pattern 120|180     commutation pattern in degrees (default 120)

Run:
  --angle DEG           emulate the single angle DEG instead of the whole revolution
  --pwm 0|1             the PWM output during a single-angle run (default: 1 with H-side PWM)
  --view 0..3           analog view for --channels: 0 Vbatt, 1 A, B, C, Z (default),
                        2 Tarvel Resist.: 2.2K/10K/20K, 3 My circuit comparators
  --decimal-separator C the decimal separator of all numbers (default: the user's locale)

Output, in this order (--summary when none is given):
  --params              the ten normalised parameter texts, N<TAB>text
  --summary             the run summary line, then "samples: N"
  --channels            the view's channels (name, colour, min, max), then one line per sample
  --log FILE            write the sample log to FILE (- for standard output)

  --help                show this text

Exit status: 0 success, 1 the run or a file failed, 2 a bad command line.
)";
}

} // namespace cli
