#pragma once

// A slow, independent reference of the fixed-point format for tests and fuzzing: it writes the
// whole exact decimal expansion of the binary value (with the library's conversion, at a
// precision long enough that nothing is rounded) and applies the rounding and layout rules to
// that text. Nothing here is shared with the engine's implementation.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace reference {

// |value| = 0.d1 d2 d3 ... x 10^exponent with d1 not 0, every digit of the expansion.
struct ExactDecimal {
    std::string digits;
    int exponent = 0;
};

inline ExactDecimal ExpandExactly(long double value)
{
    int binaryExponent = 0;
    std::frexp(value, &binaryExponent);
    // |value| = m * 2^e with m below 2^64. An integer below 2^(64+e) has at most
    // (64 + e) log10(2) + 1 digits; m * 2^-k = m * 5^k / 10^k has at most
    // 64 log10(2) + k log10(5) + 1 significant digits. Both bounds are rounded up.
    const int e = binaryExponent - 64;
    const int significant =
        e >= 0 ? (64 + e) * 30103 / 100000 + 2 : 64 * 30103 / 100000 + -e * 69898 / 100000 + 3;
    std::string text(static_cast<std::size_t>(significant) + 16, '\0');
    // The library converts a double many times faster than a long double.
    const long double magnitude = std::fabs(value);
    const auto narrow = static_cast<double>(magnitude);
    const auto written = static_cast<long double>(narrow) == magnitude
                             ? std::to_chars(text.data(), text.data() + text.size(), narrow,
                                             std::chars_format::scientific, significant - 1)
                             : std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                             std::chars_format::scientific, significant - 1);
    text.resize(static_cast<std::size_t>(written.ptr - text.data()));
    // "d.ddd...e+x" or, for a single digit, "de+x".
    const std::size_t mark = text.find('e');
    ExactDecimal exact;
    exact.digits = text.substr(0, 1) + (mark > 1 ? text.substr(2, mark - 2) : "");
    exact.exponent = std::stoi(text.substr(mark + 1)) + 1;
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

    const ExactDecimal exact = ExpandExactly(value);
    std::string digits = exact.digits;
    int e = exact.exponent;

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
