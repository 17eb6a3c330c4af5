#include "cli/cli_options_formats.h"

#include "engine/params.h"
#include "engine/scenario_reader.h"

namespace cli {

namespace {

// The outputs printed as tables (or JSON members) on standard output.
int TableOutputs(const CliRequest& request)
{
    return int{request.ShowParams} + int{request.ShowSummary} + int{request.ShowChannels} +
           int{request.ShowMeasure};
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
    const engine::Scenario scenario = engine::LoadScenario(std::string(value));
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        request.Edits.emplace_back(SetBoxText{tag, scenario.Texts[static_cast<std::size_t>(tag)]});
    }
    request.Settings = scenario.Settings;
    request.View = scenario.View;
    request.ViewChosen = true;
    return std::nullopt;
}

std::optional<std::string> ApplyVcdOption(std::string_view value, CliRequest& request)
{
    if (value.empty()) {
        return std::string("a file name, or - for standard output");
    }
    request.VcdPath = std::string(value);
    return std::nullopt;
}

std::optional<std::string> ApplySaveOption(std::string_view value, CliRequest& request)
{
    if (value.empty()) {
        return std::string("a file name");
    }
    request.Edits.emplace_back(
        SaveScenarioFile{std::string(value), request.Settings, request.View});
    return std::nullopt;
}

std::optional<std::string> CheckStandardOutputUse(const CliRequest& request)
{
    const bool document = request.Format && *request.Format != engine::TableFormat::Tsv;
    if (document && (request.LogPath == "-" || request.VcdPath == "-")) {
        return "with --format csv or json standard output holds that document alone: write "
               "--log and --vcd to a file";
    }
    if (request.Format == engine::TableFormat::Csv && TableOutputs(request) > 1) {
        return "--format csv writes one table: give only one of --params, --summary, "
               "--channels and --measure";
    }
    if (request.VcdPath == "-" && (TableOutputs(request) > 0 || request.LogPath == "-")) {
        return "--vcd - fills standard output: it cannot be combined with --params, --summary, "
               "--channels, --measure or --log -";
    }
    return std::nullopt;
}

} // namespace cli
