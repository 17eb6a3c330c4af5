#pragma once

#include "cli/option_row.h"

#include <vector>

// The --ref- options: each parameter and bridge option again, applied to the reference run
// that --png draws under the live traces. They reuse the rows' own handlers, so a reference
// option reads its value exactly as its live twin does.

namespace cli {

std::vector<OptionRow> ReferenceRows(const std::vector<OptionRow>& rows);

} // namespace cli
