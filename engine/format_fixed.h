#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// FormatFixed(Value, P, D): the fixed-point text of a number with at most P significant digits
// (P clamped to 2 ... 18) and exactly D decimals, rounded half away from zero from the value's
// 18-significant-digit decimal expansion; the exponent form when the integer digits exceed P.
// The value is formatted at its exact stored value (a float is not widened through a decimal).
// A negative D counts as 0. NaN and infinities, which the engine never produces, give "NAN",
// "INF" and "-INF".

namespace engine {

// Uses the process-wide decimal separator.
std::string FormatFixed(float value, int precision, int decimals);
std::string FormatFixed(double value, int precision, int decimals);
std::string FormatFixed(long double value, int precision, int decimals);

// Appends to `out` without any allocation of its own (only `out` may grow).
void AppendFormatFixed(std::string& out, float value, int precision, int decimals, char separator);
void AppendFormatFixed(std::string& out, double value, int precision, int decimals, char separator);
void AppendFormatFixed(std::string& out, long double value, int precision, int decimals,
                       char separator);

// The longest text FormatFixed gives with `decimals` decimals: sign, 18 integer digits, separator
// and the decimals, or the exponent form with up to 17 further digits and a 4-digit exponent.
constexpr std::size_t FormatFixedMaxLength(int decimals)
{
    return 26 + static_cast<std::size_t>(decimals > 0 ? decimals : 0);
}

// Writes the text at `dst`, which must have room for FormatFixedMaxLength(decimals) characters,
// and returns the end of the text. For writers that manage their own buffer (the sample log).
char* FormatFixedTo(char* dst, float value, int precision, int decimals, char separator);
char* FormatFixedTo(char* dst, double value, int precision, int decimals, char separator);
char* FormatFixedTo(char* dst, long double value, int precision, int decimals, char separator);

// Plain decimal text of an integer: "-" for negatives, no leading zeros, no filler.
inline constexpr std::size_t kIntegerMaxLength = 20;
char* FormatIntegerTo(char* dst, std::int64_t value);
std::string FormatInteger(std::int64_t value);

} // namespace engine
