#include "engine/format_fixed.h"

#include "engine/decimal_separator.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace engine {

namespace {

__extension__ typedef unsigned __int128 u128;
using u64 = std::uint64_t;

constexpr int kMinPrecision = 2;
constexpr int kMaxPrecision = 18;
// The 18 significant digits of the expansion and the digit that rounds them.
constexpr int kExpansionDigits = kMaxPrecision + 1;

enum class ValueKind { Zero, Finite, NotANumber, Infinity };

// |value| = mantissa * 2^exponent, exactly.
struct BinaryValue {
    ValueKind kind = ValueKind::Zero;
    bool negative = false;
    u128 mantissa = 0;
    int exponent = 0;
};

template <typename Bits, int kFractionBits, int kExponentBits> BinaryValue DecomposeIeee(Bits bits)
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

BinaryValue Decompose(float value)
{
    return DecomposeIeee<std::uint32_t, 23, 8>(std::bit_cast<std::uint32_t>(value));
}

BinaryValue Decompose(double value)
{
    return DecomposeIeee<std::uint64_t, 52, 11>(std::bit_cast<std::uint64_t>(value));
}

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

// The kept digits 0.d1 ... dn x 10^E after both roundings, trailing zeros dropped.
struct KeptDigits {
    bool negative = false;
    int count = 0; // 0: the value is written as zero
    int exp10 = 0;
    char digit[kMaxPrecision] = {};
};

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

char* WriteFill(char* dst, std::int64_t count, char c)
{
    if (count > 0) {
        std::memset(dst, c, static_cast<std::size_t>(count));
        dst += count;
    }
    return dst;
}

char* WriteUnsigned(char* dst, u64 v, int minDigits)
{
    char reversed[20];
    int length = 0;
    do {
        reversed[length++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    dst = WriteFill(dst, minDigits - length, '0');
    while (length > 0) {
        *dst++ = reversed[--length];
    }
    return dst;
}

char* WriteKept(char* dst, const KeptDigits& kept, int precision, std::int64_t decimals,
                char separator)
{
    if (kept.negative) {
        *dst++ = '-';
    }
    if (kept.count == 0) {
        *dst++ = '0';
        if (decimals > 0) {
            *dst++ = separator;
            dst = WriteFill(dst, decimals, '0');
        }
        return dst;
    }
    const int e = kept.exp10;
    if (e > precision) {
        *dst++ = kept.digit[0];
        if (kept.count > 1) {
            *dst++ = separator;
            std::memcpy(dst, kept.digit + 1, static_cast<std::size_t>(kept.count - 1));
            dst += kept.count - 1;
        }
        *dst++ = 'E';
        return WriteUnsigned(dst, static_cast<u64>(e - 1),
                             decimals <= 4 ? static_cast<int>(decimals) : 0);
    }
    // Here E <= P and the kept digits end within the D decimals.
    if (e <= 0) {
        *dst++ = '0';
    } else {
        const int integerDigits = std::min(kept.count, e);
        std::memcpy(dst, kept.digit, static_cast<std::size_t>(integerDigits));
        dst = WriteFill(dst + integerDigits, e - integerDigits, '0');
    }
    if (decimals > 0) {
        *dst++ = separator;
        const std::int64_t leadingZeros = e < 0 ? -static_cast<std::int64_t>(e) : 0;
        dst = WriteFill(dst, leadingZeros, '0');
        const int first = std::max(e, 0);
        const int fractionDigits = std::max(kept.count - first, 0);
        std::memcpy(dst, kept.digit + first, static_cast<std::size_t>(fractionDigits));
        dst += fractionDigits;
        dst = WriteFill(dst, decimals - leadingZeros - fractionDigits, '0');
    }
    return dst;
}

std::size_t KeptLength(const KeptDigits& kept, int precision, std::int64_t decimals)
{
    const std::size_t sign = kept.negative ? 1 : 0;
    const std::size_t fraction = decimals > 0 ? 1 + static_cast<std::size_t>(decimals) : 0;
    if (kept.count == 0) {
        return 1 + fraction;
    }
    const int e = kept.exp10;
    if (e <= precision) {
        return sign + static_cast<std::size_t>(std::max(e, 1)) + fraction;
    }
    int exponentDigits = 1;
    for (int v = e - 1; v >= 10; v /= 10) {
        ++exponentDigits;
    }
    if (decimals <= 4) {
        exponentDigits = std::max(exponentDigits, static_cast<int>(decimals));
    }
    const std::size_t mantissa = kept.count > 1 ? static_cast<std::size_t>(kept.count) + 1 : 1;
    return sign + mantissa + 1 + static_cast<std::size_t>(exponentDigits);
}

const char* SpecialText(const BinaryValue& value)
{
    if (value.kind == ValueKind::NotANumber) {
        return "NAN";
    }
    if (value.kind == ValueKind::Infinity) {
        return value.negative ? "-INF" : "INF";
    }
    return nullptr;
}

int ClampPrecision(int precision)
{
    return std::clamp(precision, kMinPrecision, kMaxPrecision);
}

std::int64_t ClampDecimals(int decimals)
{
    return std::max(decimals, 0);
}

template <typename Value>
char* WriteFormatted(char* dst, Value value, int precision, int decimals, char separator)
{
    const BinaryValue b = Decompose(value);
    if (const char* special = SpecialText(b)) {
        const std::size_t length = std::strlen(special);
        std::memcpy(dst, special, length);
        return dst + length;
    }
    const int p = ClampPrecision(precision);
    const std::int64_t d = ClampDecimals(decimals);
    return WriteKept(dst, Round(b, p, d), p, d, separator);
}

template <typename Value>
void AppendFormatted(std::string& out, Value value, int precision, int decimals, char separator)
{
    const BinaryValue b = Decompose(value);
    if (const char* special = SpecialText(b)) {
        out.append(special);
        return;
    }
    const int p = ClampPrecision(precision);
    const std::int64_t d = ClampDecimals(decimals);
    const KeptDigits kept = Round(b, p, d);
    const std::size_t start = out.size();
    out.resize(start + KeptLength(kept, p, d));
    WriteKept(out.data() + start, kept, p, d, separator);
}

} // namespace

std::string FormatFixed(float value, int precision, int decimals)
{
    std::string text;
    AppendFormatted(text, value, precision, decimals, DecimalSeparator());
    return text;
}

std::string FormatFixed(double value, int precision, int decimals)
{
    std::string text;
    AppendFormatted(text, value, precision, decimals, DecimalSeparator());
    return text;
}

std::string FormatFixed(long double value, int precision, int decimals)
{
    std::string text;
    AppendFormatted(text, value, precision, decimals, DecimalSeparator());
    return text;
}

void AppendFormatFixed(std::string& out, float value, int precision, int decimals, char separator)
{
    AppendFormatted(out, value, precision, decimals, separator);
}

void AppendFormatFixed(std::string& out, double value, int precision, int decimals, char separator)
{
    AppendFormatted(out, value, precision, decimals, separator);
}

void AppendFormatFixed(std::string& out, long double value, int precision, int decimals,
                       char separator)
{
    AppendFormatted(out, value, precision, decimals, separator);
}

char* FormatFixedTo(char* dst, float value, int precision, int decimals, char separator)
{
    return WriteFormatted(dst, value, precision, decimals, separator);
}

char* FormatFixedTo(char* dst, double value, int precision, int decimals, char separator)
{
    return WriteFormatted(dst, value, precision, decimals, separator);
}

char* FormatFixedTo(char* dst, long double value, int precision, int decimals, char separator)
{
    return WriteFormatted(dst, value, precision, decimals, separator);
}

char* FormatIntegerTo(char* dst, std::int64_t value)
{
    if (value < 0) {
        *dst++ = '-';
        // Negating in unsigned arithmetic keeps the most negative value representable.
        return WriteUnsigned(dst, u64{0} - static_cast<u64>(value), 1);
    }
    return WriteUnsigned(dst, static_cast<u64>(value), 1);
}

std::string FormatInteger(std::int64_t value)
{
    char text[kIntegerMaxLength];
    return std::string(text, FormatIntegerTo(text, value));
}

} // namespace engine
