#pragma once

#include "cli/option_row.h"

#include <string_view>
#include <vector>

// The options of bldc-emu, one row each: what the parser accepts and what --help says come
// from the same row. A new option is one row here plus its handling where the request is run.

namespace cli {

// The heading --help writes above a group ("" for none).
std::string_view GroupHeading(OptionGroup group);

const std::vector<OptionRow>& OptionTable();

} // namespace cli
