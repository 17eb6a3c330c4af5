#include "cli/cli_options_formats.h"

#include "engine/params.h"
#include "engine/scenario_reader.h"

#include <algorithm>
#include <unistd.h>

namespace cli {

namespace {

// The outputs printed as tables (or JSON members) on standard output.
int TableOutputs(const CliRequest& request)
{
    // --zc with --sweep adds the sweep's columns rather than a table of its own.
    return int{request.ShowParams} + int{request.ShowSummary} + int{request.ShowChannels} +
           int{request.ShowMeasure} + int{request.ShowZc && !request.Sweep};
}

} // namespace

std::optional<std::string> ApplyFormatOption(std::string_view value, CliRequest& request)
{
    request.Format = engine::TableFormatNamed(value);
    if (!request.Format) {
        return std::string("tsv, csv or json");
    }
    return std::nullopt;
}

std::optional<std::string> ApplyLoadOption(std::string_view value, CliRequest& request)
{
    if (value.empty()) {
        return std::string("a scenario file");
    }
    // Standard input is read to its end: "--save - | bldc-emu --load -" passes a scenario on.
    const engine::Scenario scenario = value == kStandardInput
                                          ? engine::ReadScenario(STDIN_FILENO, "standard input")
                                          : engine::LoadScenario(std::string(value));
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        const std::string& text = scenario.Texts[static_cast<std::size_t>(tag)];
        request.Edits.emplace_back(SetBoxText{
            tag, text,
            "--load " + std::string(value) + ": " +
                engine::kParamNames[static_cast<std::size_t>(tag)] + " = \"" + text + "\""});
    }
    request.Settings = scenario.Settings;
    request.View = scenario.View;
    request.ViewChosen = true;
    return std::nullopt;
}

std::optional<std::string> ApplySaveOption(std::string_view value, CliRequest& request)
{
    if (value.empty()) {
        return std::string("a file name, or - for standard output");
    }
    request.Edits.emplace_back(
        SaveScenarioFile{std::string(value), request.Settings, request.View});
    return std::nullopt;
}

std::optional<std::string> CheckStandardOutputUse(const CliRequest& request)
{
    const bool document = request.Format && *request.Format != engine::TableFormat::Tsv;
    const bool saveThere =
        std::any_of(request.Edits.begin(), request.Edits.end(), [](const ParamEdit& edit) {
            const auto* save = std::get_if<SaveScenarioFile>(&edit);
            return save != nullptr && save->Path == kStandardOutput;
        });
    if (document &&
        (request.LogPath == kStandardOutput || request.VcdPath == kStandardOutput || saveThere)) {
        return "with --format csv or json standard output holds that document alone: write "
               "--log, --vcd and --save to files";
    }
    if (request.Format == engine::TableFormat::Csv && TableOutputs(request) > 1) {
        return "--format csv writes one table: give only one of --params, --summary, "
               "--channels, --measure and --zc";
    }
    if (request.VcdPath == kStandardOutput && (TableOutputs(request) > 0 || request.ShowZc ||
                                               request.LogPath == kStandardOutput || saveThere)) {
        return "--vcd - fills standard output: it cannot be combined with --params, --summary, "
               "--channels, --measure, --zc, --log - or --save -";
    }
    return std::nullopt;
}

} // namespace cli
