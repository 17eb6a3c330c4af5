// The fast format against the slow exact reference, over values of every magnitude the program
// meets and the rounding borders where a fast path is most likely to slip.
#include "engine/format_fixed.h"
#include "tests/support/format_fixed_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

struct Format {
    int precision;
    int decimals;
};

// The formats the program uses, and a few beyond them.
constexpr Format kFormats[] = {{8, 1}, {8, 2}, {8, 4}, {10, 1}, {7, 4},  {5, 3}, {3, 1},
                               {3, 0}, {4, 1}, {5, 2}, {2, 0},  {18, 6}, {2, 9}, {18, 0}};

std::string Fast(long double value, const Format& f)
{
    std::string out;
    engine::AppendFormatFixed(out, value, f.precision, f.decimals, '.');
    return out;
}

void ExpectSame(long double value)
{
    for (const Format& f : kFormats) {
        ASSERT_EQ(Fast(value, f), reference::FormatFixed(value, f.precision, f.decimals, '.'))
            << "value " << static_cast<double>(value) << " P " << f.precision << " D "
            << f.decimals;
    }
}

} // namespace

TEST(FormatFixedAgainstReference, RandomFloatsOfEveryMagnitude)
{
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int i = 0; i < 4000; ++i) {
        std::uint32_t raw = bits(random);
        float value;
        std::memcpy(&value, &raw, sizeof value);
        if (!std::isfinite(value))
            continue;
        ExpectSame(value);
    }
}

TEST(FormatFixedAgainstReference, RandomFloatsInTheRangesOfRunValues)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> volts(-50.0f, 50.0f);
    std::uniform_real_distribution<float> angles(-0.5f, 360.0f);
    std::uniform_real_distribution<float> times(0.0f, 4.0e6f);
    for (int i = 0; i < 4000; ++i) {
        ExpectSame(volts(random));
        ExpectSame(angles(random));
        ExpectSame(std::floor(times(random)));
    }
}

TEST(FormatFixedAgainstReference, RandomDoublesAndLongDoubles)
{
    std::mt19937_64 random(99);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < 1500; ++i) {
        std::uint64_t raw = bits(random);
        double value;
        std::memcpy(&value, &raw, sizeof value);
        if (std::isfinite(value) && std::fabs(value) < 1e300 && std::fabs(value) > 1e-300)
            ExpectSame(value);
        const long double scaled =
            std::ldexp(static_cast<long double>(mantissa(random)), exponent(random) * 3);
        ExpectSame(scaled);
    }
}

TEST(FormatFixedAgainstReference, HalfwayAndCarryBorders)
{
    for (int k = -6; k <= 9; ++k) {
        for (long double unit : {1.0L, 5.0L, 9.5L, 9.95L, 9.995L, 9.9995L, 0.5L, 0.05L}) {
            const long double value = unit * std::pow(10.0L, static_cast<long double>(k));
            ExpectSame(value);
            ExpectSame(-value);
            ExpectSame(std::nextafter(value, 0.0L));
            ExpectSame(std::nextafter(value, 1e30L));
            ExpectSame(static_cast<float>(value));
            ExpectSame(std::nextafter(static_cast<float>(value), 0.0f));
        }
    }
}
