#pragma once

#include <optional>
#include <string_view>

// Readers for the values of command-line options. Unlike the parameter boxes, options are read
// strictly (engine/strict_number.h): the whole text must be the value.

namespace cli {

// A decimal integer from `low` to `high`.
std::optional<int> ReadInt(std::string_view text, int low, int high);

// An angle in degrees, with "." or "," as the decimal point.
std::optional<float> ReadAngle(std::string_view text);

// A decimal number with "." or "," as the decimal point, and how many decimals it was written
// with.
struct WrittenNumber {
    double Value = 0;
    int Decimals = 0;
};
std::optional<WrittenNumber> ReadNumber(std::string_view text);

// "on" or "off".
std::optional<bool> ReadOnOff(std::string_view text);

} // namespace cli
