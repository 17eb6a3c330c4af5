#include "engine/decimal_separator.h"
#include "engine/format_fixed.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

using engine::FormatFixed;

TEST(FormatFixed, GivesTheDocumentedExamples)
{
    const engine::ScopedDecimalSeparator point('.');
    EXPECT_EQ(FormatFixed(123456.7, 5, 3), "1.2346E005");
    EXPECT_EQ(FormatFixed(123.4567, 5, 3), "123.460");
    EXPECT_EQ(FormatFixed(1234.5, 5, 3), "1234.500");
    EXPECT_EQ(FormatFixed(-0.0004, 5, 3), "0.000");
    EXPECT_EQ(FormatFixed(-0.0005, 5, 3), "-0.001");
    EXPECT_EQ(FormatFixed(12.0, 10, 1), "12.0");
    EXPECT_EQ(FormatFixed(0.5, 3, 0), "1");
    EXPECT_EQ(FormatFixed(12.0f, 10, 1), "12.0");
    EXPECT_EQ(FormatFixed(7.5f, 7, 4), "7.5000");
    EXPECT_EQ(FormatFixed(123.456789f, 7, 4), "123.4568");
    EXPECT_EQ(FormatFixed(11.1f, 5, 3), "11.100");
    EXPECT_EQ(FormatFixed(5.55f, 5, 3), "5.550");
    EXPECT_EQ(FormatFixed(-0.7f, 5, 3), "-0.700");
    EXPECT_EQ(FormatFixed(123456.7f, 5, 3), "1.2346E005");
    EXPECT_EQ(FormatFixed(0.0f, 7, 4), "0.0000");
}

TEST(FormatFixed, ZeroAndValuesThatRoundToZeroHaveNoSign)
{
    const engine::ScopedDecimalSeparator point('.');
    EXPECT_EQ(FormatFixed(-0.0, 5, 3), "0.000");
    EXPECT_EQ(FormatFixed(-0.0f, 5, 0), "0");
    EXPECT_EQ(FormatFixed(-0.4, 5, 0), "0");
    EXPECT_EQ(FormatFixed(-0.00004, 5, 3), "0.000");
    EXPECT_EQ(FormatFixed(1e-300, 5, 3), "0.000");
    EXPECT_EQ(FormatFixed(std::numeric_limits<float>::denorm_min(), 5, 3), "0.000");
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::denorm_min(), 5, 3), "0.000");
}

TEST(FormatFixed, CarryAddsALeadingDigit)
{
    const engine::ScopedDecimalSeparator point('.');
    EXPECT_EQ(FormatFixed(9.9996, 5, 3), "10.000");
    EXPECT_EQ(FormatFixed(0.96, 5, 1), "1.0");
    EXPECT_EQ(FormatFixed(99999.5, 5, 3), "1E005");
    EXPECT_EQ(FormatFixed(0.0995, 2, 2), "0.10");
}

TEST(FormatFixed, ExponentFormPadsTheExponentOnlyUpToFourDecimals)
{
    const engine::ScopedDecimalSeparator point('.');
    EXPECT_EQ(FormatFixed(1e20, 5, 0), "1E20");
    EXPECT_EQ(FormatFixed(1e20, 5, 4), "1E0020");
    EXPECT_EQ(FormatFixed(1e20, 5, 6), "1E20");
    EXPECT_EQ(FormatFixed(-123456789.0, 8, 1), "-1.2345679E8");
    EXPECT_EQ(FormatFixed(1e300, 3, 2), "1E300");
    EXPECT_EQ(FormatFixed(std::numeric_limits<float>::max(), 18, 0), "3.4028234663852886E38");
    // 2^64 has 20 digits; digit 19 (1) rounds the 18 kept ones down.
    EXPECT_EQ(FormatFixed(18446744073709551616.0, 18, 0), "1.84467440737095516E19");
}

TEST(FormatFixed, FloatIsFormattedAtItsStoredValue)
{
    const engine::ScopedDecimalSeparator point('.');
    // 0.1f is 0.100000001490116119384765625.
    EXPECT_EQ(FormatFixed(0.1f, 18, 17), "0.10000000149011612");
    EXPECT_EQ(FormatFixed(0.1, 18, 17), "0.10000000000000001");
    // 1.8f is 1.7999999523..., which rounds up at two decimals but not at eight.
    EXPECT_EQ(FormatFixed(1.8f, 8, 2), "1.80");
    EXPECT_EQ(FormatFixed(1.8f, 18, 8), "1.79999995");
}

TEST(FormatFixed, RoundsTwiceFirstToEighteenDigits)
{
    const engine::ScopedDecimalSeparator point('.');
    // 1.2344 followed by fourteen nines then 677...: the 18-digit rounding turns the 4 into a 5.
    const long double justBelow = 0x9e04189374bc6a7cp-63L;
    EXPECT_EQ(FormatFixed(justBelow, 5, 3), "1.235");
    EXPECT_EQ(FormatFixed(justBelow, 18, 17), "1.23450000000000000");
    // 1.2344 followed by thirteen nines then 2: the first rounding stays below.
    const long double further = 0x9e04189374bc6a3ep-63L;
    EXPECT_EQ(FormatFixed(further, 5, 3), "1.234");
}

TEST(FormatFixed, PrecisionIsClampedAndNegativeDecimalsCountAsNone)
{
    const engine::ScopedDecimalSeparator point('.');
    EXPECT_EQ(FormatFixed(123.456, 1, 3), FormatFixed(123.456, 2, 3));
    EXPECT_EQ(FormatFixed(123.456, 1, 3), "1.2E002");
    EXPECT_EQ(FormatFixed(1.0 / 3.0, 40, 30), FormatFixed(1.0 / 3.0, 18, 30));
    EXPECT_EQ(FormatFixed(2.5, 5, -3), "3");
    EXPECT_EQ(FormatFixed(0.25, 5, 40), "0.2500000000000000000000000000000000000000");
}

TEST(FormatFixed, UsesTheSeparatorInForce)
{
    const engine::ScopedDecimalSeparator comma(',');
    EXPECT_EQ(FormatFixed(11.1f, 5, 3), "11,100");
    EXPECT_EQ(FormatFixed(123456.7, 5, 3), "1,2346E005");
    std::string out = "x";
    engine::AppendFormatFixed(out, 2.5f, 5, 2, '.');
    EXPECT_EQ(out, "x2.50");
}

TEST(FormatFixed, NonFiniteValuesDoNotFail)
{
    EXPECT_EQ(FormatFixed(std::numeric_limits<double>::quiet_NaN(), 5, 3), "NAN");
    EXPECT_EQ(FormatFixed(std::numeric_limits<float>::infinity(), 5, 3), "INF");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<long double>::infinity(), 5, 3), "-INF");
}

TEST(FormatFixed, WritesWithinTheStatedLength)
{
    const long double values[] = {-std::numeric_limits<long double>::max(),
                                  -std::numeric_limits<long double>::min(), -1e17L, 0.5L};
    for (const long double v : values) {
        for (int d = 0; d <= 6; ++d) {
            char buffer[engine::FormatFixedMaxLength(6) + 1];
            const char* end = engine::FormatFixedTo(buffer, v, 18, d, '.');
            EXPECT_LE(static_cast<std::size_t>(end - buffer), engine::FormatFixedMaxLength(d));
            EXPECT_EQ(std::string(static_cast<const char*>(buffer), end), FormatFixed(v, 18, d));
        }
    }
}

TEST(FormatFixed, ReachesTinyAndHugeValuesExactly)
{
    const engine::ScopedDecimalSeparator point('.');
    EXPECT_EQ(FormatFixed(std::numeric_limits<float>::denorm_min(), 2, 46),
              "0." + std::string(44, '0') + "14");
    // 1e-200 is 9.99...982e-201: the carry of the 3-digit rounding lands on 10^-200.
    EXPECT_EQ(FormatFixed(1e-200, 3, 205), "0." + std::string(199, '0') + "100000");
    EXPECT_EQ(FormatFixed(1e-4000L, 5, 4005), "0." + std::string(3999, '0') + "100000");
    // 1.18973149535723176502e4932: digit 19 is a 5.
    EXPECT_EQ(FormatFixed(std::numeric_limits<long double>::max(), 18, 2),
              "1.18973149535723177E4932");
}

TEST(FormatInteger, WritesPlainDecimalText)
{
    EXPECT_EQ(engine::FormatInteger(0), "0");
    EXPECT_EQ(engine::FormatInteger(-42), "-42");
    EXPECT_EQ(engine::FormatInteger(std::numeric_limits<std::int64_t>::min()),
              "-9223372036854775808");
}

} // namespace
