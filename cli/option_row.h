#pragma once

#include "cli/cli_request.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

// One option of bldc-emu: its names, its value, its place in --help and its handler.

namespace cli {

// A handler that cannot take a value says what a valid value looks like.
using Expectation = std::optional<std::string>;

using FlagHandler = std::function<void(CliRequest&)>;
using ValueHandler = std::function<Expectation(std::string_view value, CliRequest&)>;
using PairHandler =
    std::function<Expectation(std::string_view first, std::string_view second, CliRequest&)>;

// The sections of --help, in the order it lists them.
enum class OptionGroup {
    Parameters,
    Bridge,
    Run,
    Output,
    Reference,
    Detector,
    Samples,
    Study,
    Program
};
inline constexpr OptionGroup kOptionGroups[] = {
    OptionGroup::Parameters, OptionGroup::Bridge,  OptionGroup::Run,   OptionGroup::Output,
    OptionGroup::Reference,  OptionGroup::Detector, OptionGroup::Samples, OptionGroup::Study,
    OptionGroup::Program,
};

struct OptionRow {
    std::string_view Name;      // "--view"
    std::string_view ShortName; // "-h", or "" when there is none
    std::string ValueName;      // as --help writes the value: "0..3", "START LEN"; "" for a flag
    OptionGroup Group;
    std::string Help; // a "\n" starts a new line
    std::variant<FlagHandler, ValueHandler, PairHandler> Handler;
    bool Once = false; // given twice is an error instead of the second replacing the first
};

} // namespace cli
