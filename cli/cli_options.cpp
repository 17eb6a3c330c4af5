#include "cli/cli_options.h"

#include "cli/cli_options_formats.h"
#include "cli/option_table.h"
#include "engine/channels.h"
#include "engine/scenario_reader.h"

#include <set>

namespace cli {
namespace {

const OptionRow* FindOption(std::string_view name)
{
    for (const OptionRow& option : OptionTable()) {
        if (option.Name == name || (!option.ShortName.empty() && option.ShortName == name)) {
            return &option;
        }
    }
    return nullptr;
}

// "--log" or "-h", but not "-" (standard output) nor a negative number such as "-0.5". An
// option where a value belongs is far more often a forgotten value than a file named so.
bool LooksLikeOption(std::string_view arg)
{
    if (arg.size() < 2 || arg[0] != '-') {
        return false;
    }
    const char second = arg[1];
    return second == '-' || (second >= 'a' && second <= 'z') || (second >= 'A' && second <= 'Z');
}

// The outputs --sweep replaces with its table.
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

// A picture on standard output is only of use alone there: text before it spoils the file.
bool TextBesidePicture(const CliRequest& request)
{
    if (request.PngPath != kStandardOutput) {
        return false;
    }
    return request.ShowParams || request.ShowSummary || request.ShowChannels ||
           request.ShowMeasure || request.LogPath == kStandardOutput ||
           request.VcdPath == kStandardOutput;
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
        !request.ShowZc && !request.ShowMeasure && !request.VcdPath) {
        return "--view-window restricts --channels, --png, --zc, --measure, --vcd and --sweep: "
               "give one of them (--log always writes the whole run)";
    }
    if (request.DetectorGiven && !request.ShowZc) {
        return "--zc-sampling, --zc-blanking and --zc-filter set the detector of --zc: give --zc "
               "as well";
    }
    if (request.Reference && !request.PngPath) {
        return "the --ref- options set the reference run that --png draws: give --png FILE as "
               "well";
    }
    if (request.PngSizeGiven && !request.PngPath) {
        return "--png-size applies to --png: give --png FILE as well";
    }
    if (request.View == engine::kCurrentsView &&
        request.Settings.Circuit.Model != engine::RunModel::Circuit) {
        // The currents view exists in the circuit model only.
        return "bad value '4' for --view: expected 0, 1, 2 or 3";
    }
    if (TextBesidePicture(request)) {
        return "--png - writes the picture to standard output: no other output can go there "
               "(write the others to files)";
    }
    return CheckStandardOutputUse(request);
}

std::string Quoted(std::string_view text)
{
    return "'" + std::string(text) + "'";
}

ParseResult ParseOptions(const std::vector<std::string>& args)
{
    CliRequest request;
    std::set<std::string_view> given;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        // Both "--view 2" and "--view=2".
        const std::size_t equals = arg.rfind("--", 0) == 0 ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        const OptionRow* option = optionsEnded ? nullptr : FindOption(name);
        if (option == nullptr) {
            const bool dashed = !optionsEnded && arg.rfind("-", 0) == 0;
            return UsageError{std::string(dashed ? "unknown option " : "unexpected argument ") +
                              Quoted(arg) + " (see --help)"};
        }
        if (option->Once && !given.insert(option->Name).second) {
            return UsageError{std::string(option->Name) + " can be given only once"};
        }
        const std::optional<std::string_view> attached =
            equals == std::string_view::npos ? std::nullopt : std::optional(arg.substr(equals + 1));
        const std::string usage = std::string(name) + " " + option->ValueName;

        if (const auto* flag = std::get_if<FlagHandler>(&option->Handler)) {
            if (attached) {
                return UsageError{std::string(name) + " takes no value"};
            }
            (*flag)(request);
            if (request.ShowHelp || request.ShowVersion) {
                return request; // what follows does not matter
            }
        } else if (const auto* single = std::get_if<ValueHandler>(&option->Handler)) {
            std::string_view value;
            if (attached) {
                value = *attached;
            } else if (i + 1 >= args.size()) {
                return UsageError{std::string(name) + " needs a value"};
            } else if (LooksLikeOption(args[i + 1])) {
                return UsageError{std::string(name) + " needs a value, not the option " +
                                  Quoted(args[i + 1]) + " (a value that looks like an option is " +
                                  "given as " + std::string(name) + "=VALUE)"};
            } else {
                value = args[++i];
            }
            if (const Expectation expected = (*single)(value, request)) {
                return UsageError{"bad value " + Quoted(value) + " for " + std::string(name) +
                                  ": expected " + *expected};
            }
        } else {
            const PairHandler& pair = std::get<PairHandler>(option->Handler);
            if (attached) {
                return UsageError{std::string(name) + " takes two values: " + usage};
            }
            if (i + 2 >= args.size() || LooksLikeOption(args[i + 1]) ||
                LooksLikeOption(args[i + 2])) {
                return UsageError{std::string(name) + " needs two values: " + usage};
            }
            const std::string_view first = args[i + 1];
            const std::string_view second = args[i + 2];
            i += 2;
            if (const Expectation expected = pair(first, second, request)) {
                return UsageError{"bad values " +
                                  Quoted(std::string(first) + " " + std::string(second)) + " for " +
                                  std::string(name) + ": expected " + *expected};
            }
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

} // namespace cli
