#pragma once

#include <string>

// FormatFixed(Value, P, D): the fixed-point text of a number with at most P significant digits
// (P clamped to 2 ... 18) and exactly D decimals, rounded half away from zero from the value's
// 18-significant-digit decimal expansion; the exponent form when the integer digits exceed P.
// The value is formatted at its exact stored value (a float is not widened through a decimal).

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

} // namespace engine
