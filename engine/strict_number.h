#pragma once

#include <optional>
#include <string_view>

// Numbers read strictly, as options and detector settings are: the whole text is the number,
// in fixed notation with "." or "," as the decimal point, and finite. The parameter boxes read
// leniently instead (what they can, as the window does).

namespace engine {

std::optional<double> ReadStrictDecimal(std::string_view text);
// Rounded once, from the text to single precision.
std::optional<float> ReadStrictDecimalFloat(std::string_view text);

// A decimal integer from `low` to `high`.
std::optional<int> ReadStrictInt(std::string_view text, int low, int high);

} // namespace engine
