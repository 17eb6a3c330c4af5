#pragma once

#include "cli/cli_request.h"

#include <iosfwd>

// What bldc-emu says on standard error about a request that runs, but perhaps not as meant.

namespace cli {

// Warns about each --set text its box reads only in part or that looks thousands-grouped (the
// value written with `separator`); under --strict that refuses the command line instead,
// before anything runs. Returns false when refused.
bool ReportUnreadTexts(const CliRequest& request, char separator, std::ostream& err);

// A single-angle run whose angle cannot advance records nothing, as the rules of a run say; a
// bare "samples: 0" would leave the user guessing why.
void ReportAngleWithoutSamples(const CliRequest& request, char separator, std::ostream& err);

} // namespace cli
