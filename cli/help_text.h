#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What bldc-emu says about itself: --help, made from the option table, and --version.

namespace cli {

// No line of the help is longer than this, so that it fits an 80-column terminal.
inline constexpr std::size_t kHelpWidth = 79;

// The text --help prints.
std::string UsageText();

// "bldc-emu <version>", the line --version prints.
std::string VersionText();

// Appends `text` filled into lines of at most kHelpWidth characters, each indented by `indent`,
// the first beginning with `lead` when there is room beside it. A "\n" in `text` starts a new
// line; a number stays on the line of the word after it.
void AppendFilled(std::string& out, std::string_view lead, std::string_view text,
                  std::size_t indent);

} // namespace cli
