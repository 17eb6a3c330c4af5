// The commutation sign decided from the angle gives the sign of the cosine itself, also right
// at the four borders of every turn where a shortcut would slip first.
#include "engine/commutation_sign.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace engine {
namespace {

int FromTheCosine(double x, double threshold)
{
    const double c = std::cos(x);
    return std::fabs(c) > threshold ? (c > 0 ? 1 : -1) : 0;
}

TEST(CommutationSign, EqualsTheCosinesSignAtTheBordersAndEverywhere)
{
    // The two patterns' thresholds as the run widens them, and two that disable the shortcut.
    for (const double threshold : {double{0.4999f}, double{1e-6f}, 0.0, 1.0}) {
        const CommutationSign sign(threshold);
        const double a = std::acos(threshold);
        std::mt19937_64 random(7);
        std::uniform_real_distribution<double> anywhere(-30, 30);
        for (int turn = -2; turn <= 3; ++turn) {
            for (const double border : {a, -a, std::numbers::pi - a, a - std::numbers::pi}) {
                double x = border + turn * 2 * std::numbers::pi;
                // The doubles nearest the border, then ever wider around it.
                for (int i = 0; i < 40; ++i) {
                    x = std::nextafter(x, 0.0);
                }
                for (int i = 0; i < 80; ++i, x = std::nextafter(x, 1e9)) {
                    ASSERT_EQ(sign(x), FromTheCosine(x, threshold)) << threshold << " " << x;
                }
                for (double d = 1e-15; d < 1e-3; d *= 1.7) {
                    ASSERT_EQ(sign(border + d), FromTheCosine(border + d, threshold)) << d;
                    ASSERT_EQ(sign(border - d), FromTheCosine(border - d, threshold)) << d;
                }
            }
        }
        for (int i = 0; i < 100000; ++i) {
            const double x = anywhere(random);
            ASSERT_EQ(sign(x), FromTheCosine(x, threshold)) << threshold << " " << x;
        }
        for (const double x : {1e4, -1e4 - 1, 1e12, 1e300, std::numbers::pi, 0.0, -0.0}) {
            ASSERT_EQ(sign(x), FromTheCosine(x, threshold)) << threshold << " " << x;
        }
    }
}

} // namespace
} // namespace engine
