#pragma once

#include "cli/cli_outputs.h"
#include "cli/run_shared.h"
#include "engine/params.h"

#include <ostream>

// --sweep: one run per value, on as many cores as the request may use, printed as a table in
// the order of the values; each line as soon as it and every line before it are ready.

namespace cli {

// `params` and `texts` are those of the other options; the table goes to `printed`, which
// writes to `out`. Returns the exit status; standard output is checked by the caller.
int RunSweep(const CliRequest& request, const engine::TParams& params,
             const engine::ParamTexts& texts, char separator, RunOutput& printed,
             std::ostream& out, std::ostream& err, const RunContext& context);

} // namespace cli
