#pragma once

#include "engine/format_fixed.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

// The sample log's numbers, written without the general formatter where that provably gives
// its digits.
//
// A float column written with P significant digits and D decimals: while the magnitude stays
// below 10^(P-D) the value has at most P - D integer digits, so all D decimals are kept and
// FormatFixed rounds half away from zero at the D-th decimal. |value| * 10^D is exact in
// double (a 24-bit significand times 5^D, D <= 12, fits 53 bits), so that rounding can be done
// on it directly.
// FormatFixed rounds the value to 18 significant digits first, which moves |value| * 10^D by
// at most 10^(E+D-18)/2 (E integer digits). The fractional part of |value| * 10^D is a
// multiple of 2^(e+D), e the exponent of the float's last bit, and 2^(e+D) exceeds
// 10^(E+D-18) by a factor above 2^4 for D <= 12 (above 2^23 for D <= 4): a value that is not
// exactly half way stays on its side of the half, and one that is has at most P + 1 <= 18
// significant digits and is not moved. So the first rounding never changes the second.
// Every other value (larger magnitudes, infinities, NaN) goes to FormatFixedTo.

namespace engine::log_fields {

inline int DigitCount(std::uint64_t n)
{
    int digits = 1;
    for (; n >= 100; n /= 100) {
        digits += 2;
    }
    return digits + (n >= 10 ? 1 : 0);
}

// "00", "01", ... "99".
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930"
    "31323334353637383940414243444546474849505152535455565758596061"
    "62636465666768697071727374757677787980818283848586878889909192"
    "93949596979899";

// The last `digits` digits of `n`, with leading zeros, at p ... p + digits - 1.
template <typename Unsigned> inline void WriteDigits(char* p, Unsigned n, int digits)
{
    for (; digits >= 2; digits -= 2) {
        std::memcpy(p + digits - 2, &kDigitPairs[2 * static_cast<std::size_t>(n % 100)], 2);
        n /= 100;
    }
    if (digits == 1) {
        p[0] = static_cast<char>('0' + n % 10);
    }
}

template <typename Unsigned> inline char* WriteUnsigned(char* p, Unsigned n)
{
    const int digits = DigitCount(n);
    WriteDigits(p, n, digits);
    return p + digits;
}

constexpr std::uint64_t Pow10(int exponent)
{
    std::uint64_t power = 1;
    for (int i = 0; i < exponent; ++i) {
        power *= 10;
    }
    return power;
}

// FormatFixed(value, Precision, Decimals) with `separator`, at `p`, which has room for
// FormatFixedMaxLength(Decimals) characters.
template <int Precision, int Decimals> char* WriteFixed(char* p, float value, char separator)
{
    static_assert(Decimals >= 1 && Decimals <= 12, "the scaled value must stay exact");
    static_assert(Precision > Decimals && Precision <= 17, "an exact half must keep its digits");
    // Scaled values below 10^9 fit 32 bits, whose division by constants is cheaper.
    using Units = std::conditional_t<(Precision <= 9), std::uint32_t, std::uint64_t>;
    constexpr auto kScale = static_cast<Units>(Pow10(Decimals));
    constexpr double kLimit = static_cast<double>(Pow10(Precision - Decimals));
    const double magnitude = std::fabs(static_cast<double>(value));
    if (!(magnitude < kLimit)) {
        return FormatFixedTo(p, value, Precision, Decimals, separator);
    }
    const double scaled = magnitude * static_cast<double>(kScale);
    auto units = static_cast<Units>(scaled);
    units += scaled - static_cast<double>(units) >= 0.5 ? 1 : 0;
    if (value < 0 && units != 0) {
        *p++ = '-'; // a value that rounds to zero has no sign
    }
    p = WriteUnsigned(p, static_cast<Units>(units / kScale));
    *p++ = separator;
    WriteDigits(p, static_cast<Units>(units % kScale), Decimals);
    return p + Decimals;
}

} // namespace engine::log_fields
