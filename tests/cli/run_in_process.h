#pragma once

#include "cli/cli_runner.h"

#include <sstream>
#include <string>
#include <vector>

// Runs a command line in-process and keeps what it printed, for the CLI tests.

namespace cli {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

inline Outcome RunCli(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace cli
