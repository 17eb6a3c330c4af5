#include "engine/measurements.h"

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"

#include <gtest/gtest.h>

#include <cmath>

namespace engine {
namespace {

TParams ParamsAtDuty(float duty)
{
    TParams p = DefaultParams();
    p[PwmDuty] = duty;
    return p;
}

struct EmulatedRun {
    SampleBuffer buffer;
    ChannelSet channels;
};

EmulatedRun FullRun(float duty, RunSettings settings = {})
{
    EmulatedRun run;
    CalcPhases(ParamsAtDuty(duty), settings, -1, -0.5f, run.buffer);
    PrepareRes(1, ChannelTexts{}, '.', run.buffer, run.channels);
    return run;
}

// Microseconds per 60 electrical degrees of the run, from its first and last sample.
double SixtyDegreesUs(const SampleBuffer& b)
{
    const TSampleRec& first = b.Samples.front();
    const TSampleRec& last = b.Samples[static_cast<std::size_t>(b.SampleCount - 1)];
    return 60.0 * (static_cast<double>(last.Time) - first.Time) /
           (static_cast<double>(last.Angle) - first.Angle);
}

TEST(Measurements, HalfDutyRunShowsTheConfiguredPwmAndSixtyDegreeCommutation)
{
    const EmulatedRun run = FullRun(50);
    const ViewMeasurements m = MeasureView(run.buffer, run.channels, {0, run.buffer.SampleCount});
    ASSERT_TRUE(m.PwmPeriodUs.has_value());
    EXPECT_NEAR(1e6 / *m.PwmPeriodUs, 4000.0, 40.0);
    ASSERT_TRUE(m.CommutationPeriodUs.has_value());
    EXPECT_NEAR(*m.CommutationPeriodUs, SixtyDegreesUs(run.buffer),
                0.01 * SixtyDegreesUs(run.buffer));
    EXPECT_NEAR(*m.CommutationPeriodDeg, 60.0, 0.5);
    // The high sides are chopped at half duty over a third of the turn, the low sides are not.
    EXPECT_NEAR(m.Switches[0].Duty, 1.0 / 6, 0.01);
    EXPECT_NEAR(m.Switches[1].Duty, 1.0 / 3, 0.01);
    EXPECT_GT(m.Switches[0].Edges, 20);
    EXPECT_LE(m.Switches[1].Edges, 2);
}

TEST(Measurements, InvertedHighSideAndLowSidePwmGiveTheSamePeriods)
{
    RunSettings inverted;
    inverted.DriverKind = 0; // HighInvert 1: the high sides idle at level 1
    inverted.LowSidePwm = true;
    const EmulatedRun run = FullRun(30, inverted);
    const ViewMeasurements m = MeasureView(run.buffer, run.channels, {0, run.buffer.SampleCount});
    ASSERT_TRUE(m.PwmPeriodUs.has_value());
    EXPECT_NEAR(*m.PwmPeriodUs, 250.0, 2.5);
    // With both sides chopped a conduction interval starts with its first pulse, up to one
    // PWM period after the commutation.
    ASSERT_TRUE(m.CommutationPeriodUs.has_value());
    EXPECT_NEAR(*m.CommutationPeriodUs, SixtyDegreesUs(run.buffer), 250.0);
    EXPECT_NEAR(m.Switches[0].Duty, 1.0 - 0.3 / 3, 0.01);
}

TEST(Measurements, FullDutyHasNoPwmButCommutates)
{
    for (const bool pattern120 : {true, false}) {
        RunSettings settings;
        settings.Pattern120 = pattern120;
        const EmulatedRun run = FullRun(100, settings);
        const ViewMeasurements m =
            MeasureView(run.buffer, run.channels, {0, run.buffer.SampleCount});
        EXPECT_FALSE(m.PwmPeriodUs.has_value()) << pattern120;
        ASSERT_TRUE(m.CommutationPeriodDeg.has_value()) << pattern120;
        EXPECT_NEAR(*m.CommutationPeriodDeg, 60.0, 0.5) << pattern120;
    }
}

TEST(Measurements, ShortWindowsReportWhatTheyHold)
{
    const EmulatedRun run = FullRun(50);
    // Three PWM periods inside HA's conduction: the PWM shows, the commutation cannot.
    const ViewMeasurements pwm = MeasureView(run.buffer, run.channels, {100, 800});
    ASSERT_TRUE(pwm.PwmPeriodUs.has_value());
    EXPECT_NEAR(*pwm.PwmPeriodUs, 250.0, 2.5);
    EXPECT_FALSE(pwm.CommutationPeriodUs.has_value());
    // One PWM period of a low side that does not change: constant level, no edges, no PWM.
    const ViewMeasurements one = MeasureView(run.buffer, run.channels, {100, 250});
    EXPECT_FALSE(one.PwmPeriodUs.has_value());
    for (const SwitchStats& s : one.Switches) {
        if (s.Edges == 0) {
            EXPECT_TRUE(s.Duty == 0.0 || s.Duty == 1.0);
        }
    }
}

TEST(Measurements, ChannelStatisticsOfKnownValues)
{
    SampleBuffer buffer;
    buffer.Samples.resize(10);
    buffer.SampleCount = 8; // records 8 and 9 are stale and must not count
    ChannelSet set;
    set.ChannelCount = 2;
    set.ChannelRows.resize(10);
    for (int i = 0; i < 10; ++i) {
        const ChannelRowRef row = set.ChannelRows[static_cast<std::size_t>(i)];
        row[0] = i % 2 == 0 ? 3.0f : -4.0f;
        row[1] = static_cast<float>(i);
        buffer.Samples[static_cast<std::size_t>(i)].Switch[2] = i >= 2 ? 1 : 0;
    }
    const ViewMeasurements m = MeasureView(buffer, set, {-3, 100});
    EXPECT_EQ(m.Measured, (SampleWindow{0, 8}));
    ASSERT_EQ(m.Channels.size(), 2u);
    EXPECT_EQ(m.Channels[0].Min, -4.0f);
    EXPECT_EQ(m.Channels[0].Max, 3.0f);
    EXPECT_DOUBLE_EQ(m.Channels[0].Mean, -0.5);
    EXPECT_DOUBLE_EQ(m.Channels[0].Rms, std::sqrt(12.5));
    EXPECT_DOUBLE_EQ(m.Channels[1].Mean, 3.5);
    EXPECT_EQ(m.Channels[1].Max, 7.0f);
    EXPECT_DOUBLE_EQ(m.Switches[2].Duty, 0.75);
    EXPECT_EQ(m.Switches[2].Edges, 1);
    EXPECT_EQ(m.Switches[0].Duty, 0.0);

    // Rows left from a shorter run are not read; an empty window measures nothing.
    set.ChannelRows.resize(5);
    EXPECT_TRUE(MeasureView(buffer, set, {0, 8}).Channels.empty());
    const ViewMeasurements none = MeasureView(buffer, set, {20, 5});
    EXPECT_TRUE(none.Measured.Empty());
    EXPECT_TRUE(none.Channels.empty());
}

} // namespace
} // namespace engine
