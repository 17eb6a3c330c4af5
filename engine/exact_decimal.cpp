#include "engine/exact_decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace engine::exact_decimal {
namespace {

// The 18 significant digits of the expansion and the digit that rounds them.
constexpr int kExpansionDigits = kMaxPrecision + 1;

int BitLength(u128 v)
{
    const u64 high = static_cast<u64>(v >> 64);
    return high != 0 ? 128 - std::countl_zero(high) : 64 - std::countl_zero(static_cast<u64>(v));
}

int TrailingZeros(u128 v)
{
    const u64 low = static_cast<u64>(v);
    return low != 0 ? std::countr_zero(low) : 64 + std::countr_zero(static_cast<u64>(v >> 64));
}

// The decimal expansion 0.d1 d2 d3 ... x 10^E of a positive value, produced digit by digit as
// far as the rounding needs it.
class DecimalDigits {
public:
    DecimalDigits(u128 mantissa, int exponent)
    {
        if (exponent >= 0) {
            if (BitLength(mantissa) + exponent <= 128) {
                StartInteger(mantissa << exponent);
            } else {
                StartSlow(mantissa, exponent);
            }
            return;
        }
        const int shift = -exponent;
        if (shift > 124) {
            StartSlow(mantissa, exponent);
            return;
        }
        const u128 fraction = mantissa & ((u128{1} << shift) - 1);
        StartInteger(mantissa >> shift);
        if (fraction == 0 || count_ >= kExpansionDigits) {
            return;
        }
        shift_ = shift;
        if (shift <= 60) {
            tail_ = Tail::Fraction64;
            fraction64_ = static_cast<u64>(fraction);
            mask64_ = (u64{1} << shift) - 1;
        } else {
            tail_ = Tail::Fraction128;
            fraction128_ = fraction;
            mask128_ = (u128{1} << shift) - 1;
        }
        if (count_ == 0) {
            // No integer digits: the zeros after the point lower E instead.
            for (int d = NextFractionDigit(); d == 0; d = NextFractionDigit()) {
                --exp10_;
            }
            ++count_;
        }
    }

    int Exponent() const { return exp10_; }

    // The significant digit at position i (1 ... 19).
    int At(int i)
    {
        while (count_ < i && tail_ != Tail::None) {
            NextFractionDigit();
            ++count_;
        }
        return i <= count_ ? digit_[i - 1] : 0;
    }

private:
    enum class Tail { None, Fraction64, Fraction128 };

    void StartInteger(u128 n)
    {
        if (n == 0) {
            return;
        }
        std::uint8_t reversed[40];
        int length = 0;
        while ((n >> 64) != 0) {
            u64 chunk = static_cast<u64>(n % 10000000000000000000ULL);
            n /= 10000000000000000000ULL;
            for (int i = 0; i < 19; ++i) {
                reversed[length++] = static_cast<std::uint8_t>(chunk % 10);
                chunk /= 10;
            }
        }
        for (u64 v = static_cast<u64>(n); v != 0; v /= 10) {
            reversed[length++] = static_cast<std::uint8_t>(v % 10);
        }
        exp10_ = length;
        count_ = std::min(length, kExpansionDigits);
        for (int i = 0; i < count_; ++i) {
            digit_[i] = reversed[length - 1 - i];
        }
    }

    // Magnitudes of 2^128 and more and fractions finer than 2^-124 take their digits from the
    // library's exact conversion, already rounded to 18 digits. It rounds a tie to even where the
    // expansion rounds it away from zero, but none of these values has a tie there: a tie is an
    // expansion that ends with a 5 at digit 19. Below 2^-124 the expansion of m / 2^k (m odd) is
    // m * 5^k / 10^k, whose last digit lies beyond digit 87. From 2^128 up, m * 2^e with e > 64
    // ends in a 5 at digit 19 only if 5^(e+1) divides m, and 5^66 is far beyond 64 bits.
    void StartSlow(u128 mantissa, int exponent)
    {
        char text[64];
        const auto m = static_cast<u64>(mantissa);
        const int bits = BitLength(mantissa);
        std::to_chars_result written;
        // The double conversion is many times faster than the long double one.
        if (bits <= 53 && exponent >= -1074 && bits + exponent <= 1024) {
            written = std::to_chars(text, text + sizeof text,
                                    std::ldexp(static_cast<double>(m), exponent),
                                    std::chars_format::scientific, kMaxPrecision - 1);
        } else {
            written = std::to_chars(text, text + sizeof text,
                                    std::ldexp(static_cast<long double>(m), exponent),
                                    std::chars_format::scientific, kMaxPrecision - 1);
        }
        // "d.ddddddddddddddddde+x": the first digit, the point, 17 digits, then the exponent.
        digit_[0] = static_cast<std::uint8_t>(text[0] - '0');
        for (int i = 1; i < kMaxPrecision; ++i) {
            digit_[i] = static_cast<std::uint8_t>(text[i + 1] - '0');
        }
        const char* e = text + kMaxPrecision + 2;
        e += *e == '+' ? 1 : 0;
        int tenPower = 0;
        std::from_chars(e, written.ptr, tenPower);
        exp10_ = tenPower + 1;
        count_ = kMaxPrecision;
        tail_ = Tail::None;
    }

    // Stores the next digit at count_ (the caller advances count_) and returns it.
    int NextFractionDigit()
    {
        int d = 0;
        if (tail_ == Tail::Fraction64) {
            fraction64_ *= 10;
            d = static_cast<int>(fraction64_ >> shift_);
            fraction64_ &= mask64_;
            if (fraction64_ == 0) {
                tail_ = Tail::None;
            }
        } else {
            fraction128_ *= 10;
            d = static_cast<int>(fraction128_ >> shift_);
            fraction128_ &= mask128_;
            if (fraction128_ == 0) {
                tail_ = Tail::None;
            }
        }
        digit_[count_] = static_cast<std::uint8_t>(d);
        return d;
    }

    std::uint8_t digit_[kExpansionDigits] = {};
    int count_ = 0;
    int exp10_ = 0;
    Tail tail_ = Tail::None;
    int shift_ = 0;
    u64 fraction64_ = 0;
    u64 mask64_ = 0;
    u128 fraction128_ = 0;
    u128 mask128_ = 0;
};

} // namespace

BinaryValue Decompose(long double value)
{
    constexpr int kDigits = std::numeric_limits<long double>::digits;
    // Wider mantissas would let ties reach the slow path (see DecimalDigits::StartSlow).
    static_assert(kDigits <= 64, "the mantissa must fit 64 bits");

    BinaryValue b;
    b.negative = std::signbit(value);
    if (std::isnan(value)) {
        b.kind = ValueKind::NotANumber;
        return b;
    }
    if (std::isinf(value)) {
        b.kind = ValueKind::Infinity;
        return b;
    }
    if (value == 0) {
        return b;
    }
    int exponent = 0;
    const long double fraction = std::frexp(std::fabs(value), &exponent);
    // fraction * 2^kDigits is an integer below 2^kDigits, so both steps are exact.
    b.kind = ValueKind::Finite;
    b.mantissa = static_cast<u128>(std::ldexp(fraction, kDigits));
    b.exponent = exponent - kDigits;
    return b;
}

KeptDigits Round(const BinaryValue& value, int precision, std::int64_t decimals)
{
    KeptDigits kept;
    if (value.kind != ValueKind::Finite) {
        return kept;
    }
    const int zeros = TrailingZeros(value.mantissa);
    const u128 mantissa = value.mantissa >> zeros;
    const int exponent = value.exponent + zeros;

    // Below 2^bits <= 10^-(D+1) nothing can reach the last decimal.
    const std::int64_t bits = BitLength(mantissa) + exponent;
    if (3 * bits <= -10 * (decimals + 1)) {
        return kept;
    }

    DecimalDigits digits(mantissa, exponent);
    const std::int64_t significantPlaces = digits.Exponent() + decimals;
    if (significantPlaces < 0) {
        return kept;
    }
    const int n = static_cast<int>(std::min<std::int64_t>(precision, significantPlaces));

    // The expansion is first rounded to 18 digits on digit 19, then to n digits on digit n + 1.
    // Only a 4 followed by nines up to digit 18 lets the first rounding decide the second.
    bool roundUp = false;
    if (n >= kMaxPrecision) {
        roundUp = digits.At(kExpansionDigits) >= 5;
    } else {
        const int next = digits.At(n + 1);
        roundUp = next >= 5;
        if (next == 4) {
            int i = n + 2;
            while (i <= kMaxPrecision && digits.At(i) == 9) {
                ++i;
            }
            roundUp = i > kMaxPrecision && digits.At(kExpansionDigits) >= 5;
        }
    }

    const int keep = std::min(n, kMaxPrecision);
    for (int i = 0; i < keep; ++i) {
        kept.digit[i] = static_cast<char>('0' + digits.At(i + 1));
    }
    kept.exp10 = digits.Exponent();
    kept.count = keep;
    if (roundUp) {
        int i = keep - 1;
        while (i >= 0 && kept.digit[i] == '9') {
            kept.digit[i--] = '0';
        }
        if (i >= 0) {
            ++kept.digit[i];
        } else {
            kept.digit[0] = '1';
            kept.count = 1;
            ++kept.exp10;
        }
    }
    while (kept.count > 0 && kept.digit[kept.count - 1] == '0') {
        --kept.count;
    }
    kept.negative = value.negative && kept.count > 0;
    return kept;
}

} // namespace engine::exact_decimal
