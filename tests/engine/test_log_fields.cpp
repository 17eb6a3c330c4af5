// The sample log's own writers of its three fixed-point columns against the exact reference:
// exact halves, their neighbours, the column's magnitude limit and values of every size.
#include "engine/log_fields.h"
#include "tests/support/format_fixed_reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace engine {
namespace {

template <int P, int D> std::string Written(float value, char separator)
{
    char text[FormatFixedMaxLength(D)];
    return std::string(text, log_fields::WriteFixed<P, D>(text, value, separator));
}

template <int P, int D> void ExpectColumnAsReference(float value)
{
    for (const float v : {value, -value}) {
        const std::string written = Written<P, D>(v, ',');
        ASSERT_EQ(written, reference::FormatFixed(v, P, D, ','))
            << "P " << P << " D " << D << " value " << static_cast<double>(v);
    }
}

template <int P, int D> void CheckColumn()
{
    // Exact halves at the last decimal are the odd multiples of 2^-(D+1); up to the limit
    // there are too many to take all, so take a spread of them with both neighbours.
    const double half = std::ldexp(1.0, -(D + 1));
    const double limit = std::pow(10.0, P - D);
    for (double k = 1; k * half < limit * 1.01; k = std::floor(k * 1.37) * 2 + 1) {
        const auto tie = static_cast<float>(k * half);
        ExpectColumnAsReference<P, D>(tie);
        ExpectColumnAsReference<P, D>(std::nextafter(tie, 0.0f));
        ExpectColumnAsReference<P, D>(std::nextafter(tie, 1e30f));
    }
    const auto top = static_cast<float>(limit);
    for (const float v :
         {0.0f, std::numeric_limits<float>::denorm_min(), 0.5f * top, std::nextafter(top, 0.0f),
          top, std::nextafter(top, 1e30f), std::numeric_limits<float>::max(),
          std::numeric_limits<float>::infinity(), std::nanf("")}) {
        ExpectColumnAsReference<P, D>(v);
    }
    // Any bit pattern of a float.
    std::mt19937 random(P * 100 + D);
    for (int i = 0; i < 5000; ++i) {
        const std::uint32_t bits = random();
        float v = 0;
        std::memcpy(&v, &bits, sizeof v);
        ExpectColumnAsReference<P, D>(v);
    }
}

TEST(LogFields, TheFixedColumnsWriteTheReferenceDigits)
{
    CheckColumn<10, 1>(); // time
    CheckColumn<7, 4>();  // angle
    CheckColumn<5, 3>();  // voltages
}

TEST(LogFields, IntegersOfEveryLength)
{
    for (const std::uint64_t n :
         {0ull, 7ull, 10ull, 99ull, 100ull, 4326ull, 3943637ull, 18446744073709551615ull}) {
        char text[kIntegerMaxLength];
        EXPECT_EQ(std::string(text, log_fields::WriteUnsigned(text, n)), std::to_string(n));
    }
}

} // namespace
} // namespace engine
