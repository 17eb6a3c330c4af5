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

// What box `edit.Tag` read of a text that looks thousands-grouped ("1,390" read as 1.39) and how
// to type the larger number, or nothing. The value is written with `separator`.
std::optional<std::string> ThousandsNote(const SetBoxText& edit, char separator);

} // namespace cli
