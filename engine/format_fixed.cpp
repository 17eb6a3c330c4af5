#include "engine/format_fixed.h"

#include "engine/decimal_separator.h"
#include "engine/exact_decimal.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

using exact_decimal::u64;
using exact_decimal::ValueKind;
using exact_decimal::BinaryValue;
using exact_decimal::Decompose;
using exact_decimal::KeptDigits;
using exact_decimal::Round;
using exact_decimal::kMinPrecision;
using exact_decimal::kMaxPrecision;

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
