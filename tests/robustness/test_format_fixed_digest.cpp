// Every byte FormatFixed writes for about ten million values, hashed and compared with digests
// taken from the earlier implementation, which expanded the values beyond the 128-bit paths with
// its own big-number arithmetic. Any change in any output, however rare the value, changes a
// digest.
//
// The values are drawn so that the inputs are the same on every platform: raw bits, exact
// integer scaling, std::from_chars (correctly rounded) and std::nextafter, never libm.
#include "engine/format_fixed.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr int kValuesPerType = 3'400'000;

class Fnv1a {
public:
    void Add(const char* data, std::size_t size)
    {
        for (std::size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ static_cast<unsigned char>(data[i])) * 0x100000001b3ULL;
        }
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

// Only the raw output of the engine is used, so the draws do not depend on the library's
// distributions.
class Draw {
public:
    explicit Draw(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t Bits() { return engine_(); }
    int Between(int low, int high)
    {
        return low + static_cast<int>(Bits() % static_cast<std::uint64_t>(high - low + 1));
    }
    bool Percent(int percent) { return Between(0, 99) < percent; }

private:
    std::mt19937_64 engine_;
};

template <typename T> T FromBits(Draw& draw);

template <> float FromBits<float>(Draw& draw)
{
    const auto bits = static_cast<std::uint32_t>(draw.Bits());
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

template <> double FromBits<double>(Draw& draw)
{
    const std::uint64_t bits = draw.Bits();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A full 64-bit mantissa at any exponent, subnormals included; mostly within the range of a
// double, as the extremes are slow to expand.
template <> long double FromBits<long double>(Draw& draw)
{
    const std::uint64_t mantissa = draw.Bits() | (std::uint64_t{1} << 63);
    const int exponent = draw.Percent(90) ? draw.Between(-1100, 1100) : draw.Between(-16445, 16383);
    const long double value = std::ldexp(static_cast<long double>(mantissa), exponent - 63);
    return draw.Percent(50) ? -value : value;
}

template <typename T> T Read(const std::string& text)
{
    T value{};
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Up to 19 decimal digits scaled by a power of ten, rounded to T, moved by up to two units in
// the last place: the halfway and carry borders of every rounding position.
template <typename T> T DecimalLike(Draw& draw)
{
    const int maxExponent = std::numeric_limits<T>::max_exponent10;
    const int range = draw.Between(0, 99);
    const int scale = range < 80 ? draw.Between(-25, 25)
                      : range < 95
                          ? draw.Between(-std::min(maxExponent, 330), std::min(maxExponent, 310))
                          : draw.Between(-maxExponent - 20, maxExponent);
    std::uint64_t limit = 10;
    for (int digits = draw.Between(1, 19); digits > 1; --digits) {
        limit *= 10;
    }
    const std::string text =
        std::to_string(draw.Bits() % limit) + "e" + std::to_string(scale - draw.Between(0, 18));
    T value = Read<T>(text);
    const T direction = draw.Percent(50) ? std::numeric_limits<T>::infinity() : T{0};
    for (int steps = draw.Between(0, 2); steps > 0; --steps) {
        value = std::nextafter(value, direction);
    }
    return draw.Percent(50) ? -value : value;
}

// An integer of up to the full mantissa over a small power of two: exact ties at every digit.
template <typename T> T BinaryFraction(Draw& draw)
{
    const int width = draw.Between(1, std::numeric_limits<T>::digits);
    const std::uint64_t mantissa = draw.Bits() >> (64 - width);
    const T value = std::ldexp(static_cast<T>(mantissa), -draw.Between(0, 16));
    return draw.Percent(50) ? -value : value;
}

// A short decimal times a power of five times a power of two: values whose exact expansion ends
// in a run of zeros, up to far beyond 2^128 and down to far below 2^-124.
template <typename T> T ShortDecimalTimesPowerOfTwo(Draw& draw)
{
    std::uint64_t mantissa = static_cast<std::uint64_t>(draw.Between(1, 999));
    const std::uint64_t limit = std::uint64_t{1} << (std::numeric_limits<T>::digits - 1);
    for (int fives = draw.Between(0, 27); fives > 0 && mantissa <= limit / 5; --fives) {
        mantissa *= 5;
    }
    const int maxBinary = std::numeric_limits<T>::max_exponent - std::numeric_limits<T>::digits;
    const int reach = draw.Percent(90) ? std::min(maxBinary, 1100) : maxBinary;
    const T value = std::ldexp(static_cast<T>(mantissa), draw.Between(-reach / 4, reach));
    return draw.Percent(50) ? -value : value;
}

template <typename T> T AnyValue(Draw& draw)
{
    const int family = draw.Between(0, 99);
    if (family < 40) {
        return FromBits<T>(draw);
    }
    if (family < 70) {
        return DecimalLike<T>(draw);
    }
    if (family < 85) {
        return BinaryFraction<T>(draw);
    }
    return ShortDecimalTimesPowerOfTwo<T>(draw);
}

// Every clamped precision, the decimals the program uses most often, and now and then enough
// decimals to reach the digits of the smallest subnormals.
int AnyDecimals(Draw& draw)
{
    const int range = draw.Between(0, 999);
    if (range < 700) {
        return draw.Between(0, 12);
    }
    if (range < 900) {
        return draw.Between(-1, 40);
    }
    if (range < 995) {
        return draw.Between(0, 400);
    }
    return draw.Between(0, 5000);
}

template <typename T> std::uint64_t DigestOfOutputs(std::uint64_t seed)
{
    Draw draw(seed);
    Fnv1a digest;
    std::string text;
    std::string buffer;
    for (int i = 0; i < kValuesPerType; ++i) {
        const T value = AnyValue<T>(draw);
        const int precision = draw.Between(0, 20);
        const int decimals = AnyDecimals(draw);
        const char separator = draw.Percent(90) ? '.' : ',';
        if (i % 2 == 0) {
            text.clear();
            engine::AppendFormatFixed(text, value, precision, decimals, separator);
        } else {
            buffer.resize(engine::FormatFixedMaxLength(decimals));
            const char* end =
                engine::FormatFixedTo(buffer.data(), value, precision, decimals, separator);
            text.assign(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
        }
        text += '\n';
        digest.Add(text.data(), text.size());
    }
    return digest.Value();
}

TEST(FormatFixedDigest, FloatsGiveTheRecordedBytes)
{
    EXPECT_EQ(DigestOfOutputs<float>(1), 17671970326539912920ULL);
}

TEST(FormatFixedDigest, DoublesGiveTheRecordedBytes)
{
    EXPECT_EQ(DigestOfOutputs<double>(2), 18012909406339831548ULL);
}

TEST(FormatFixedDigest, LongDoublesGiveTheRecordedBytes)
{
    EXPECT_EQ(DigestOfOutputs<long double>(3), 8522896380021260211ULL);
}

} // namespace
