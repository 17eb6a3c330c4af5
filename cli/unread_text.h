#pragma once

#include "cli/cli_request.h"

#include <optional>
#include <string>

// A box reads its text leniently: digits and one decimal point, up to the first other
// character. That turns a typo such as "4k" into a plausible wrong value, so the command line
// says when a --set text was read only in part.

namespace cli {

// What box `edit.Tag` read of `edit.Text` and what it ignored, or nothing when it read the
// whole text (an empty text reads nothing and ignores nothing).
std::optional<std::string> UnreadTextNote(const SetBoxText& edit);

} // namespace cli
