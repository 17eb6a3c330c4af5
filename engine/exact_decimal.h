#pragma once

#include <bit>
#include <cstdint>

// The digits FormatFixed writes: a binary floating-point value taken apart exactly, and its
// decimal expansion rounded to a number of significant digits and of decimals. Shared by the
// fixed-point writers only.

namespace engine::exact_decimal {

__extension__ typedef unsigned __int128 u128;
using u64 = std::uint64_t;

inline constexpr int kMinPrecision = 2;
inline constexpr int kMaxPrecision = 18;

enum class ValueKind { Zero, Finite, NotANumber, Infinity };

// |value| = mantissa * 2^exponent, exactly.
struct BinaryValue {
    ValueKind kind = ValueKind::Zero;
    bool negative = false;
    u128 mantissa = 0;
    int exponent = 0;
};

template <typename Bits, int kFractionBits, int kExponentBits>
inline BinaryValue DecomposeIeee(Bits bits)
{
    constexpr Bits kFractionMask = (Bits{1} << kFractionBits) - 1;
    constexpr Bits kExponentMask = (Bits{1} << kExponentBits) - 1;
    constexpr int kBias = (1 << (kExponentBits - 1)) - 1;

    BinaryValue b;
    b.negative = (bits >> (kFractionBits + kExponentBits)) != 0;
    const Bits biased = (bits >> kFractionBits) & kExponentMask;
    const Bits fraction = bits & kFractionMask;
    if (biased == kExponentMask) {
        b.kind = fraction != 0 ? ValueKind::NotANumber : ValueKind::Infinity;
    } else if (biased == 0) {
        b.kind = fraction != 0 ? ValueKind::Finite : ValueKind::Zero;
        b.mantissa = fraction;
        b.exponent = 1 - kBias - kFractionBits;
    } else {
        b.kind = ValueKind::Finite;
        b.mantissa = fraction | (Bits{1} << kFractionBits);
        b.exponent = static_cast<int>(biased) - kBias - kFractionBits;
    }
    return b;
}

inline BinaryValue Decompose(float value)
{
    return DecomposeIeee<std::uint32_t, 23, 8>(std::bit_cast<std::uint32_t>(value));
}

inline BinaryValue Decompose(double value)
{
    return DecomposeIeee<std::uint64_t, 52, 11>(std::bit_cast<std::uint64_t>(value));
}

BinaryValue Decompose(long double value);

// The kept digits 0.d1 ... dn x 10^E after both roundings, trailing zeros dropped.
struct KeptDigits {
    bool negative = false;
    int count = 0; // 0: the value is written as zero
    int exp10 = 0;
    char digit[kMaxPrecision] = {};
};

// Rounds the value's decimal expansion half away from zero, first to its 18 significant digits,
// then to `precision` significant digits (2 ... 18) and `decimals` decimals (0 or more).
KeptDigits Round(const BinaryValue& value, int precision, std::int64_t decimals);

} // namespace engine::exact_decimal
