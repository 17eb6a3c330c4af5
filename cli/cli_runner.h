#pragma once

#include "cli/cli_request.h"
#include "cli/exit_codes.h"
#include "cli/run_shared.h"

#include <iosfwd>
#include <string>
#include <vector>

// Runs a bldc-emu request the way the window would: the default box texts, the edits in
// order, one emulation run, then the requested outputs.

namespace cli {

// Writes results to `out` and one "bldc-emu: ..." line per failure to `err`.
// Returns the exit status.
int RunRequest(const CliRequest& request, std::ostream& out, std::ostream& err,
               const RunContext& context = {});

// Parses `args` (without the program name) and runs them.
int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const RunContext& context = {});

} // namespace cli
