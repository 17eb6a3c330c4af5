#include "engine/channels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace engine {
namespace {

TSampleRec Sample(float a, float b, float c, float zero, float battery)
{
    TSampleRec r{};
    r.PhaseV[0] = a;
    r.PhaseV[1] = b;
    r.PhaseV[2] = c;
    r.VZero = zero;
    r.VBatt = battery;
    return r;
}

// A run of `samples` with a stale record behind SampleCount that must not be read.
SampleBuffer RunOf(std::initializer_list<TSampleRec> samples)
{
    SampleBuffer run;
    run.Samples.assign(samples);
    run.SampleCount = static_cast<std::int32_t>(run.Samples.size());
    run.Samples.push_back(Sample(1e6f, -1e6f, 1e6f, 1e6f, 1e6f));
    return run;
}

void ExpectSharedRange(const ChannelSet& set, float minValue, float maxValue)
{
    for (int k = 0; k < set.ChannelCount; ++k) {
        EXPECT_EQ(set.Channels[static_cast<std::size_t>(k)].MinValue, minValue) << k;
        EXPECT_EQ(set.Channels[static_cast<std::size_t>(k)].MaxValue, maxValue) << k;
    }
}

// 1.05 x 11.1 at single precision: one float above 11.655f.
const float kPadded11_1 = static_cast<float>(1.05 * 11.1f);

TEST(Channels, RangesAreWidenedAwayFromZeroOnlyOnSidesThatHoldValues)
{
    EXPECT_EQ(PadRange(2.0f, 11.1f), std::make_pair(0.0f, kPadded11_1));
    EXPECT_EQ(PadRange(-4.0f, -1.0f), std::make_pair(-4.2f, 0.0f));
    EXPECT_EQ(PadRange(-1.0f, 1.0f), std::make_pair(-1.05f, 1.05f));
    // The extremes of a run without samples.
    EXPECT_EQ(PadRange(1e8f, -1e8f), std::make_pair(0.0f, 0.0f));
    // Near the float limit the range stays finite.
    const float huge = std::numeric_limits<float>::max();
    EXPECT_EQ(PadRange(-huge, huge), std::make_pair(-huge, huge));
}

TEST(Channels, BatteryAndPhaseViewsCarryTheSamplesWithOneSharedRange)
{
    const SampleBuffer run =
        RunOf({Sample(11.1f, 0, 5.5f, 5.55f, 11.1f), Sample(0, 3, 11.1f, 4, 10.5f)});
    const ChannelTexts texts;
    ChannelSet set;
    PrepareRes(0, texts, '.', run, set);
    ASSERT_EQ(set.ChannelCount, 1);
    ASSERT_EQ(set.ChannelRows.size(), 2u);
    EXPECT_EQ(set.ChannelRows[1][0], 10.5f);
    EXPECT_EQ(set.Channels[0].Name, "Battery");
    EXPECT_EQ(set.Channels[0].Color, 0x00FFFFu);
    ExpectSharedRange(set, 0.0f, kPadded11_1);

    PrepareRes(1, texts, '.', run, set);
    ASSERT_EQ(set.ChannelCount, 4);
    EXPECT_EQ(set.ChannelRows[0][0], 11.1f);
    EXPECT_EQ(set.ChannelRows[1][2], 11.1f);
    EXPECT_EQ(set.ChannelRows[0][3], 5.55f);
    ExpectSharedRange(set, 0.0f, kPadded11_1);
    const char* names[] = {"A", "B", "C", "Zero-wire"};
    const TColor colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF};
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(set.Channels[k].Name, names[k]);
        EXPECT_EQ(set.Channels[k].Color, colours[k]);
    }
}

TEST(Channels, ComparatorViewSpansAllSixDividerVoltagesAndLeavesOlderDescriptorsBehind)
{
    const SampleBuffer run = RunOf({Sample(11.1f, -0.7f, 4, 0, 11.1f)});
    ChannelSet set;
    PrepareRes(2, ChannelTexts{}, '.', run, set);
    ASSERT_EQ(set.ChannelCount, 6);
    const TChannelRow& row = set.ChannelRows[0];
    EXPECT_EQ(row[0], static_cast<float>(11.1f * double{0.18032786f}));
    EXPECT_EQ(row[1], static_cast<float>((-0.7 + 4.0) * double{0.0990991f} * 0.5));
    EXPECT_EQ(row[2], static_cast<float>(double{-0.7f} * double{0.18032786f}));
    EXPECT_EQ(row[5],
              static_cast<float>((double{11.1f} - double{0.7f}) * double{0.0990991f} * 0.5));
    ExpectSharedRange(set, static_cast<float>(1.05 * row[2]), static_cast<float>(1.05 * row[0]));
    EXPECT_EQ(set.Channels[5].Name, "CompC-");
    EXPECT_EQ(set.Channels[5].Color, 0xFF8080u);

    PrepareRes(1, ChannelTexts{}, '.', run, set);
    EXPECT_EQ(set.ChannelCount, 4);
    EXPECT_EQ(set.Channels[4].Name, "CompC+");
    EXPECT_EQ(set.Channels[5].Name, "CompC-");
    // Rows keep slots beyond the view's channels.
    EXPECT_EQ(set.ChannelRows[0][5], row[5]);
}

TEST(Channels, MyCircuitViewUsesTheDividerOfTheResistorTexts)
{
    const SampleBuffer run = RunOf({Sample(11.1f, 0, 5.55f, 0, 11.1f)});
    ChannelTexts texts;
    texts.R1Text = "10";
    texts.R2Text = "10";
    ChannelSet set;
    PrepareRes(3, texts, ',', run, set);
    ASSERT_EQ(set.ChannelCount, 4);
    const TChannelRow& row = set.ChannelRows[0];
    EXPECT_EQ(row[0], static_cast<float>(11.1f * 0.5));
    EXPECT_EQ(row[1], 0.0f);
    EXPECT_EQ(row[2], static_cast<float>(5.55f * 0.5));
    EXPECT_EQ(row[3], static_cast<float>((double{row[0]} + row[1] + row[2]) / 3));
    EXPECT_EQ(set.Channels[3].Name, "CompX-");
}

TEST(Channels, AnEmptyRunGivesNoRowsAndAZeroRange)
{
    SampleBuffer run;
    run.Samples.resize(5); // stale records of an earlier run
    ChannelSet set;
    set.ChannelRows.resize(7);
    PrepareRes(2, ChannelTexts{}, '.', run, set);
    EXPECT_TRUE(set.ChannelRows.empty());
    EXPECT_EQ(set.ChannelCount, 6);
    ExpectSharedRange(set, 0.0f, 0.0f);
}

TEST(Channels, RowsFollowTheSampleCountAndNewRowsStartAtZero)
{
    SampleBuffer run = RunOf({Sample(1, 2, 3, 4, 5)});
    ChannelSet set;
    PrepareRes(2, ChannelTexts{}, '.', run, set);
    run.Samples.assign(3, Sample(-1, -1, -1, -1, -1));
    run.SampleCount = 3;
    PrepareRes(0, ChannelTexts{}, '.', run, set);
    ASSERT_EQ(set.ChannelRows.size(), 3u);
    EXPECT_NE(set.ChannelRows[0][4], 0.0f); // kept from view 2
    EXPECT_EQ(set.ChannelRows[2][4], 0.0f);
    ExpectSharedRange(set, -1.05f, 0.0f);
}

TEST(Channels, CompactRowsHoldTheSameValuesAndOnlyTheViewsChannels)
{
    const SampleBuffer run = RunOf({Sample(11.1f, -0.7f, 4, 0, 11.1f), Sample(0, 3, 11.1f, 4, 10.5f),
                                    Sample(-0.0f, 5, 2, 1, 10.9f)});
    ChannelSet compact;
    compact.CompactRows = true;
    for (const int view : {2, 0, 3, 1}) {
        ChannelSet full;
        PrepareRes(view, ChannelTexts{}, '.', run, full);
        PrepareRes(view, ChannelTexts{}, '.', run, compact);
        ASSERT_EQ(compact.ChannelRows.Width(), full.ChannelCount) << view;
        ASSERT_EQ(compact.ChannelRows.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const TChannelRow row = compact.ChannelRows[i];
            for (std::size_t k = 0; k < static_cast<std::size_t>(full.ChannelCount); ++k) {
                EXPECT_EQ(std::signbit(row[k]), std::signbit(full.ChannelRows[i][k]));
                EXPECT_EQ(row[k], full.ChannelRows[i][k]) << view << " " << i << " " << k;
            }
        }
        EXPECT_EQ(compact.Channels[0].MaxValue, full.Channels[0].MaxValue);
    }
}

TEST(Channels, PhaseLabelsAreCutToTwentyBytesWithoutSplittingACharacter)
{
    ChannelTexts texts;
    texts.PhaseLabels = {"Phase A of the motor!!", "0123456789012345678\xC3\xA9xyz", "C"};
    ChannelSet set;
    PrepareRes(1, texts, '.', RunOf({}), set);
    EXPECT_EQ(set.Channels[0].Name, "Phase A of the motor");
    EXPECT_EQ(set.Channels[1].Name, "0123456789012345678");
    EXPECT_EQ(set.Channels[2].Name, "C");
}

TEST(Channels, ResistorTextsAreReadLeniently)
{
    const auto ratio = [](std::string r1, std::string r2, char separator = ',') {
        ChannelTexts texts;
        texts.R1Text = std::move(r1);
        texts.R2Text = std::move(r2);
        return DividerRatio(texts, separator);
    };
    const float standard = static_cast<float>(2.2f / (double{2.2f} + 20.0f));
    EXPECT_EQ(standard, 0.0990991f);
    EXPECT_EQ(ratio("2,2", "20,0"), standard);
    EXPECT_EQ(ratio("2.2", "20.0", '.'), standard);
    EXPECT_EQ(ratio("2.2", "20,0", ','), standard);
    EXPECT_EQ(ratio("2.2K", "20"), standard); // two separators: R1 falls back to 2.2
    EXPECT_EQ(ratio("", "x y"), standard);
    EXPECT_EQ(ratio("-5", "0,5"), 0.5f); // "-5" reads as 0.5
    EXPECT_EQ(ratio("\xE2\x84\xA6"
                    "5",
                    "0,5"),
              0.5f); // one character, one separator
    EXPECT_EQ(ratio("5.", "5"), 0.5f);
    EXPECT_EQ(ratio(",", "1"), 0.0f);
    EXPECT_EQ(ratio("1", ","), 1.0f);
    EXPECT_EQ(ratio(",", ","), standard);                   // both 0: the divisor is guarded
    EXPECT_EQ(ratio(std::string(60, '9'), "20"), standard); // beyond single precision
}

TEST(Channels, AViewOutsideTheSelectorIsRejected)
{
    ChannelSet set;
    EXPECT_THROW(PrepareRes(4, ChannelTexts{}, '.', RunOf({}), set), std::invalid_argument);
    EXPECT_EQ(set.ChannelCount, 0);
}

} // namespace
} // namespace engine
