#pragma once

#include "cli/cli_request.h"

#include <optional>
#include <string>
#include <string_view>

// The options of the standard formats and the scenario files. Each handler applies its value
// to the request, or returns what a valid value looks like.

namespace cli {

// "--format tsv|csv|json".
std::optional<std::string> ApplyFormatOption(std::string_view value, CliRequest& request);
// "--load FILE": the file's ten box texts as edits at this place, then its settings and view.
// Throws engine::ScenarioError: a bad file stops the command line before anything runs.
std::optional<std::string> ApplyLoadOption(std::string_view value, CliRequest& request);
// "--save FILE": the scenario of the options so far ("-" for standard output).
std::optional<std::string> ApplySaveOption(std::string_view value, CliRequest& request);

// What is wrong with the use of standard output: a CSV or JSON document shares it with no
// other text, a CSV holds one table, and a VCD there stands alone.
std::optional<std::string> CheckStandardOutputUse(const CliRequest& request);

} // namespace cli
