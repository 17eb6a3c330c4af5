#include "engine/sample_window.h"

#include <gtest/gtest.h>

#include <climits>

namespace engine {
namespace {

TEST(SampleWindow, CutToTheRunKeepsOnlyTheSamplesThatExist)
{
    EXPECT_EQ(CutToRun({100, 50}, 4000), (SampleWindow{100, 50}));
    EXPECT_EQ(CutToRun({3990, 50}, 4000), (SampleWindow{3990, 10}));
    EXPECT_EQ(CutToRun({-5, 10}, 4000), (SampleWindow{0, 5}));
    EXPECT_EQ(CutToRun({-20, 9000}, 4000), (SampleWindow{0, 4000}));
    // Nothing inside: an empty window where the view would meet the run.
    EXPECT_EQ(CutToRun({4003, 10}, 4000), (SampleWindow{4000, 0}));
    EXPECT_EQ(CutToRun({-30, 10}, 4000), (SampleWindow{0, 0}));
    EXPECT_EQ(CutToRun({10, -4}, 4000), (SampleWindow{10, 0}));
    EXPECT_EQ(CutToRun({10, 5}, 0), (SampleWindow{0, 0}));
    EXPECT_EQ(CutToRun({10, 5}, -7), (SampleWindow{0, 0}));
    // The window's end is never formed in 32 bits.
    EXPECT_EQ(CutToRun({INT_MAX, INT_MAX}, 4000), (SampleWindow{4000, 0}));
    EXPECT_EQ(CutToRun({-INT_MAX, INT_MAX}, 4000), (SampleWindow{0, 0}));
    EXPECT_EQ(CutToRun({INT_MIN, INT_MAX}, 4000), (SampleWindow{0, 0}));
}

TEST(SampleWindow, ShiftIntoTheRunKeepsTheLength)
{
    EXPECT_EQ(ShiftIntoRun({1500, 1000}, 4000), (SampleWindow{1500, 1000}));
    EXPECT_EQ(ShiftIntoRun({2500, 2000}, 4000), (SampleWindow{2000, 2000}));
    EXPECT_EQ(ShiftIntoRun({-300, 2000}, 4000), (SampleWindow{0, 2000}));
    EXPECT_EQ(ShiftIntoRun({3999, 1}, 4000), (SampleWindow{3999, 1}));
    // Longer than the run: the start wins, and the length is still not shortened.
    EXPECT_EQ(ShiftIntoRun({700, 8000}, 4000), (SampleWindow{0, 8000}));
    EXPECT_EQ(ShiftIntoRun({INT_MAX, INT_MAX}, 4000), (SampleWindow{0, INT_MAX}));
    EXPECT_EQ(ShiftIntoRun({INT_MAX, 10}, 4000), (SampleWindow{3990, 10}));
    EXPECT_EQ(ShiftIntoRun({INT_MIN, 10}, 4000), (SampleWindow{0, 10}));
}

TEST(SampleWindow, EndAndContainsDoNotOverflow)
{
    const SampleWindow w{INT_MAX - 1, INT_MAX};
    EXPECT_EQ(w.End(), std::int64_t{INT_MAX} * 2 - 1);
    EXPECT_TRUE(w.Contains(INT_MAX));
    EXPECT_FALSE(w.Contains(INT_MAX - 2));
    EXPECT_FALSE((SampleWindow{5, 0}).Contains(5));
    EXPECT_TRUE((SampleWindow{5, -1}).Empty());
}

} // namespace
} // namespace engine
