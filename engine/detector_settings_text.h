#pragma once

#include <optional>
#include <string>
#include <string_view>

// The zero-crossing detector's blanking and filter as a user types them, read by one rule for
// the command line's options and the window's boxes, with the one sentence that says what is
// expected when a text does not qualify.

namespace engine {

// Degrees from 0 to kMaxZcBlankingDeg, "." or "," as the decimal point, the whole text.
std::optional<double> ReadZcBlanking(std::string_view text);
std::string ZcBlankingExpected();

// A sample count from 1 to kMaxZcFilter, the whole text.
std::optional<int> ReadZcFilter(std::string_view text);
std::string ZcFilterExpected();

} // namespace engine
