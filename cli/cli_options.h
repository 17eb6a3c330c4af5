#pragma once

#include "cli/cli_request.h"

#include <string>
#include <variant>
#include <vector>

// The command line of bldc-emu, read into a request without touching anything.

namespace cli {

// A command line that cannot be run; the message says what is wrong with it.
struct UsageError {
    std::string Message;
    bool BadFile = false; // a --load file that cannot be used: a failed file, not bad usage
};

using ParseResult = std::variant<CliRequest, UsageError>;

// `args` without the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

} // namespace cli
