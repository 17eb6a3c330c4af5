#pragma once

// A slow, independent reference of the fixed-point format for tests and fuzzing: it writes the
// exact decimal expansion of the binary value with schoolbook arithmetic on digit strings and
// applies the rounding and layout rules to that text. Nothing here is shared with the engine's
// fast implementation.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

namespace reference {

// Decimal digits (most significant first) times 10^-fractionDigits.
struct ExactDecimal {
    std::string digits;
    int fractionDigits = 0;
};

inline void MultiplySmall(std::string& digits, int factor)
{
    int carry = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        const int value = (*it - '0') * factor + carry;
        *it = static_cast<char>('0' + value % 10);
        carry = value / 10;
    }
    while (carry > 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
        carry /= 10;
    }
}

// |value| = mantissa * 2^exponent, written out exactly.
inline ExactDecimal ExpandExactly(long double value)
{
    int binaryExponent = 0;
    const long double fraction = std::frexp(std::fabs(value), &binaryExponent);
    // fraction in [0.5, 1): 64 bits of mantissa hold it exactly.
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    int exponent = binaryExponent - 64;
    ExactDecimal exact{std::to_string(mantissa), 0};
    if (exponent >= 0) {
        for (int i = 0; i < exponent; ++i)
            MultiplySmall(exact.digits, 2);
    } else {
        // m * 2^-k = m * 5^k / 10^k
        for (int i = 0; i < -exponent; ++i)
            MultiplySmall(exact.digits, 5);
        exact.fractionDigits = -exponent;
    }
    return exact;
}

// Adds one unit at the last digit; returns true when the carry ran out of the front.
inline bool IncrementDigits(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it == '9') {
            *it = '0';
        } else {
            ++*it;
            return false;
        }
    }
    digits.insert(digits.begin(), '1');
    return true;
}

inline std::string FormatFixed(long double value, int precision, int decimals, char separator)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    precision = std::clamp(precision, 2, 18);
    decimals = std::max(decimals, 0);
    const std::string zero = decimals > 0 ? "0" + std::string(1, separator) +
                                                std::string(static_cast<std::size_t>(decimals), '0')
                                          : "0";
    if (value == 0)
        return zero;
    const bool negative = value < 0;

    // 0.d1d2d3... x 10^E with d1 not 0.
    ExactDecimal exact = ExpandExactly(value);
    std::string digits = exact.digits;
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    const int integerDigits = static_cast<int>(digits.size()) - exact.fractionDigits;
    int e = integerDigits - static_cast<int>(firstNonZero);
    digits = digits.substr(firstNonZero);

    // 18 significant digits, half away from zero.
    if (digits.size() > 18) {
        const bool up = digits[18] >= '5';
        digits.resize(18);
        if (up && IncrementDigits(digits)) {
            ++e;
            digits.resize(18);
        }
    }

    if (e + decimals < 0)
        return zero;
    const int kept = std::min(precision, e + decimals);
    if (static_cast<int>(digits.size()) > kept) {
        const bool up = digits[static_cast<std::size_t>(kept)] >= '5';
        digits.resize(static_cast<std::size_t>(kept));
        if (up && IncrementDigits(digits))
            ++e;
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty())
        return zero;

    std::string out = negative ? "-" : "";
    if (e > precision) {
        out += digits[0];
        if (digits.size() > 1)
            out += separator + digits.substr(1);
        std::string exponent = std::to_string(e - 1);
        if (decimals <= 4 && static_cast<int>(exponent.size()) < decimals)
            exponent.insert(0, static_cast<std::size_t>(decimals) - exponent.size(), '0');
        return out + "E" + exponent;
    }
    const auto digitAt = [&](int position) { // position 1 is d1
        return position >= 1 && position <= static_cast<int>(digits.size())
                   ? digits[static_cast<std::size_t>(position - 1)]
                   : '0';
    };
    if (e <= 0) {
        out += '0';
    } else {
        for (int p = 1; p <= e; ++p)
            out += digitAt(p);
    }
    if (decimals > 0) {
        out += separator;
        for (int j = 1; j <= decimals; ++j)
            out += digitAt(e + j);
    }
    return out;
}

} // namespace reference
