#include "engine/emulation.h"

#include "engine/decimal_separator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace engine {
namespace {

RunSettings HighSideOnly()
{
    return RunSettings{};
}

RunSettings BothSides()
{
    RunSettings s;
    s.LowSidePwm = true;
    return s;
}

bool HighOn(const TSampleRec& r, int k, int highInvert = 0)
{
    return (r.Switch[2 * k] ^ highInvert) != 0;
}
bool LowOn(const TSampleRec& r, int k)
{
    return r.Switch[2 * k + 1] != 0;
}

int Conducting(const TSampleRec& r, int highInvert = 0)
{
    int n = 0;
    for (int k = 0; k < 3; ++k) {
        n += (HighOn(r, k, highInvert) || LowOn(r, k)) ? 1 : 0;
    }
    return n;
}

// PwmOn as the run decides it, for checking the records from outside.
bool PwmOnAt(float time, float periodUs, float duty)
{
    const double q = time / static_cast<double>(periodUs);
    return q - std::trunc(q) <= duty;
}

struct RunResult {
    SampleBuffer buffer;
    RunSummary summary;
};

RunResult FullRun(const TParams& p, const RunSettings& s = HighSideOnly())
{
    RunResult run;
    run.summary = CalcPhases(p, s, -1, -0.5f, run.buffer);
    return run;
}

TEST(Emulation, DefaultRunHasTheKnownOperatingPointAndTwoConductingPhasesThroughout)
{
    const RunResult run = FullRun(DefaultParams());
    EXPECT_NEAR(run.summary.Rpm, 13891.9, 0.1);
    EXPECT_EQ(run.summary.Timing, 25.0f);
    ASSERT_EQ(run.buffer.SampleCount, 4326);
    EXPECT_EQ(RunSummaryText(run.summary, '.'), "RPM = 13892;   Timing = 25.0 deg");
    EXPECT_EQ(RunSummaryText(run.summary, ','), "RPM = 13892;   Timing = 25,0 deg");

    const float nominal = DefaultParams()[NominalVoltage];
    const float step = ComputeOperatingPoint(DefaultParams(), HighSideOnly(), -1, -0.5f).DegPerStep;
    float angle = -0.5f;
    for (int i = 0; i < run.buffer.SampleCount; ++i) {
        const TSampleRec& r = run.buffer.Samples[static_cast<std::size_t>(i)];
        ASSERT_EQ(r.Time, static_cast<float>(i));
        ASSERT_EQ(r.Angle, angle) << i;
        angle += step;
        ASSERT_EQ(Conducting(r), 2) << "step " << i;
        // The high terminal sits at the loaded battery voltage, the low one at 0 V.
        ASSERT_LT(r.VBatt, nominal);
        int atBattery = 0;
        int atZero = 0;
        for (int k = 0; k < 3; ++k) {
            atBattery += (HighOn(r, k) && r.PhaseV[k] == r.VBatt) ? 1 : 0;
            atZero += (LowOn(r, k) && r.PhaseV[k] == 0.0f) ? 1 : 0;
            ASSERT_EQ(r.Drive[k], (HighOn(r, k) || LowOn(r, k)) ? 1 : 0);
        }
        ASSERT_EQ(atBattery, 1) << i;
        ASSERT_EQ(atZero, 1) << i;
    }
    EXPECT_LT(run.buffer.Samples[4325].Angle, 360.0f);
}

TEST(Emulation, HalfDutyHalvesTheSpeedAndTheOffPartsDependOnThePwmSides)
{
    TParams p = DefaultParams();
    const float fullRpm = FullRun(p).summary.Rpm;
    p[PwmDuty] = 50;

    const RunResult high = FullRun(p);
    EXPECT_EQ(high.summary.Timing, 12.5f);
    EXPECT_EQ(high.summary.Rpm, fullRpm / 2);
    const RunResult both = FullRun(p, BothSides());
    ASSERT_EQ(both.buffer.SampleCount, high.buffer.SampleCount);

    int offSteps = 0;
    int overlapSteps = 0;
    for (int i = 0; i < high.buffer.SampleCount; ++i) {
        const TSampleRec& h = high.buffer.Samples[static_cast<std::size_t>(i)];
        const TSampleRec& b = both.buffer.Samples[static_cast<std::size_t>(i)];
        if (PwmOnAt(h.Time, 250, 0.5f)) {
            ASSERT_GE(Conducting(h), 2) << i;
            continue;
        }
        ++offSteps;
        // Only the low side conducts; in a commutation overlap that can be two low phases.
        ASSERT_GE(Conducting(h), 1) << i;
        overlapSteps += Conducting(h) > 1 ? 1 : 0;
        for (int k = 0; k < 3; ++k) {
            ASSERT_FALSE(HighOn(h, k));
            ASSERT_EQ(h.Drive[k], 0);
        }
        if (Conducting(h) == 1) {
            EXPECT_EQ(h.VBatt, p[NominalVoltage]);
        }

        // Nothing conducts: the phase with the lowest back-EMF sits at 0 V, up to the rounding
        // of the stored star-point voltage it is computed from.
        ASSERT_EQ(Conducting(b), 0) << i;
        EXPECT_EQ(b.VBatt, p[NominalVoltage]);
        EXPECT_NEAR(std::min({b.PhaseV[0], b.PhaseV[1], b.PhaseV[2]}), 0.0f, 1e-6);
    }
    EXPECT_GT(offSteps, high.buffer.SampleCount / 3);
    EXPECT_LE(overlapSteps, 6);
}

TEST(Emulation, DutyEndsSetTheTimingAndWhenThePwmOutputIsOn)
{
    TParams p = DefaultParams();
    const float fullRpm = FullRun(p).summary.Rpm;
    p[PwmDuty] = 0;
    const RunResult zero = FullRun(p);
    EXPECT_EQ(zero.summary.Rpm, fullRpm); // 0 % duty leaves the speed unscaled
    EXPECT_EQ(zero.summary.Timing, p[Timing10]);
    int onSteps = 0;
    for (int i = 0; i < zero.buffer.SampleCount; ++i) {
        const TSampleRec& r = zero.buffer.Samples[static_cast<std::size_t>(i)];
        const bool periodStart = std::fmod(r.Time, 250.0f) == 0.0f;
        const bool driven = r.Drive[0] + r.Drive[1] + r.Drive[2] > 0;
        ASSERT_EQ(driven, periodStart) << i;
        onSteps += driven ? 1 : 0;
    }
    EXPECT_EQ(onSteps, (zero.buffer.SampleCount + 249) / 250);
}

TEST(Emulation, SingleAngleRunsRecordOneStepAtTheirAngle)
{
    const TParams p = DefaultParams();
    SampleBuffer buffer;
    CalcPhases(p, HighSideOnly(), 1, 30.0f, buffer);
    ASSERT_EQ(buffer.SampleCount, 1);
    EXPECT_EQ(buffer.Samples[0].Time, 0.0f);
    EXPECT_EQ(buffer.Samples[0].Angle, 30.0f);

    // 35 + 25 = 60 degrees: a commutation point where the overlap lets all three conduct.
    CalcPhases(p, HighSideOnly(), 1, 35.0f, buffer);
    ASSERT_EQ(buffer.SampleCount, 1);
    const TSampleRec on = buffer.Samples[0];
    EXPECT_TRUE(HighOn(on, 0));
    EXPECT_TRUE(LowOn(on, 1));
    EXPECT_TRUE(HighOn(on, 2));
    EXPECT_EQ(Conducting(on), 3);
    EXPECT_NEAR(on.VZero, on.VBatt / 2, 1e-5);
    EXPECT_EQ(on.PhaseV[0], on.VBatt);
    EXPECT_EQ(on.PhaseV[1], 0.0f);

    CalcPhases(p, HighSideOnly(), 0, 35.0f, buffer);
    const TSampleRec off = buffer.Samples[0];
    EXPECT_EQ(Conducting(off), 1);
    EXPECT_TRUE(LowOn(off, 1));
    const OperatingPoint op = ComputeOperatingPoint(p, HighSideOnly(), 0, 35.0f);
    const double emfB = -std::cos((120.0 + 35.0) * 0.017453292f) * op.EmfAmplitude;
    EXPECT_EQ(off.PhaseV[1], 0.0f);
    EXPECT_FLOAT_EQ(off.VZero, static_cast<float>(-emfB));
}

TEST(Emulation, The180DegreePatternConductsOnAllThreePhases)
{
    RunSettings s;
    s.Pattern120 = false;
    const RunResult run = FullRun(DefaultParams(), s);
    ASSERT_GT(run.buffer.SampleCount, 4000);
    for (int i = 0; i < run.buffer.SampleCount; ++i) {
        const TSampleRec& r = run.buffer.Samples[static_cast<std::size_t>(i)];
        ASSERT_EQ(Conducting(r), 3) << i;
        ASSERT_NEAR(r.VZero, r.VBatt / 2, 1e-4) << i;
        ASSERT_LT(r.VBatt, DefaultParams()[NominalVoltage]);
    }
}

TEST(Emulation, HighInvertComplementsOnlyTheHighSideLevels)
{
    const RunResult plain = FullRun(DefaultParams());
    for (const auto& [driver, mosfet] : {std::pair{0, 1}, std::pair{1, 0}}) {
        RunSettings s;
        s.DriverKind = driver;
        s.MosfetKind = mosfet;
        EXPECT_EQ(ComputeOperatingPoint(DefaultParams(), s, -1, -0.5f).HighInvert, 1);
        const RunResult inverted = FullRun(DefaultParams(), s);
        ASSERT_EQ(inverted.buffer.SampleCount, plain.buffer.SampleCount);
        for (int i = 0; i < plain.buffer.SampleCount; ++i) {
            const TSampleRec& a = plain.buffer.Samples[static_cast<std::size_t>(i)];
            const TSampleRec& b = inverted.buffer.Samples[static_cast<std::size_t>(i)];
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(b.Switch[2 * k], 1 - a.Switch[2 * k]);
                ASSERT_EQ(b.Switch[2 * k + 1], a.Switch[2 * k + 1]);
            }
            ASSERT_EQ(b.VZero, a.VZero);
        }
    }
    RunSettings nonInverting;
    nonInverting.DriverKind = 0;
    nonInverting.MosfetKind = 0;
    EXPECT_EQ(ComputeOperatingPoint(DefaultParams(), nonInverting, -1, -0.5f).HighInvert, 0);
}

TEST(Emulation, TheBufferGrowsInStepsOf200AndNeverShrinks)
{
    SampleBuffer buffer;
    CalcPhases(DefaultParams(), HighSideOnly(), -1, -0.5f, buffer);
    EXPECT_EQ(buffer.Samples.size(), 4400u);
    CalcPhases(DefaultParams(), HighSideOnly(), 1, 30.0f, buffer);
    EXPECT_EQ(buffer.SampleCount, 1);
    EXPECT_EQ(buffer.Samples.size(), 4400u);
    // A start angle that is not below the end records nothing.
    CalcPhases(DefaultParams(), HighSideOnly(), -1, 360.0f, buffer);
    EXPECT_EQ(buffer.SampleCount, 0);
}

// The message of the EmulationError that `run` throws, or "" when it does not throw.
template <typename F> std::string ErrorOf(F run)
{
    try {
        run();
    } catch (const EmulationError& error) {
        return error.what();
    }
    return "";
}

TEST(Emulation, UndefinedOperatingPointsFailBeforeTouchingThePreviousRun)
{
    ScopedDecimalSeparator point('.');
    SampleBuffer buffer;
    CalcPhases(DefaultParams(), HighSideOnly(), -1, -0.5f, buffer);
    const TSampleRec first = buffer.Samples[0];

    struct Case {
        int tag;
        float value;
        const char* message;
    };
    const Case cases[] = {
        {MotorResistance, 0, "Motor resistance is 0 Ohms: the stall current is undefined"},
        {RpmPerVolt, 0, "Motor speed constant is 0 RPM/V: the back-EMF amplitude is undefined"},
        {PwmFrequency, 0, "PWM frequency is 0 Hz: the PWM period is undefined"},
        {NoLoadCurrent, 11.1f / 0.053f,
         "The stall current equals the no-load current (209.43 A): the load factor is undefined"},
    };
    for (const Case& c : cases) {
        TParams p = DefaultParams();
        p[c.tag] = c.value;
        EXPECT_EQ(ErrorOf([&] { CalcPhases(p, HighSideOnly(), -1, -0.5f, buffer); }), c.message);
        EXPECT_EQ(buffer.SampleCount, 4326);
        EXPECT_EQ(buffer.Samples[0].VBatt, first.VBatt);
    }

    TParams huge = DefaultParams();
    huge[NominalVoltage] = 3e38f;
    huge[MotorResistance] = 1e-3f;
    const std::string overflow =
        ErrorOf([&] { CalcPhases(huge, HighSideOnly(), -1, -0.5f, buffer); });
    EXPECT_EQ(overflow,
              "The stall current is out of range at these parameters: the operating point is "
              "undefined");
    EXPECT_EQ(buffer.SampleCount, 4326);

    TParams nan = DefaultParams();
    nan[Timing100] = std::nanf("");
    EXPECT_EQ(ErrorOf([&] { CalcPhases(nan, HighSideOnly(), -1, -0.5f, buffer); }),
              "Timing at 100 % duty is not a finite number: the operating point is undefined");
}

TEST(Emulation, RunsThatCouldNotEndAreRefusedWithTheirFigures)
{
    ScopedDecimalSeparator point('.');
    SampleBuffer buffer;
    const auto refusal = [&](const TParams& p, int pwmState = -1, float start = -0.5f) {
        return ErrorOf([&] { CalcPhases(p, HighSideOnly(), pwmState, start, buffer); });
    };

    TParams stalled = DefaultParams();
    stalled[MaxCurrent] = 62; // load factor above 0.5143
    const std::string stall = refusal(stalled);
    EXPECT_EQ(stall.rfind("The motor does not turn at this operating point (RPM = -", 0), 0u)
        << stall;
    EXPECT_NE(stall.find("maximum current of 62.0 A"), std::string::npos) << stall;
    EXPECT_NE(refusal(stalled, 1, 30.0f), ""); // a single angle would not end either

    TParams dead = DefaultParams();
    dead[NominalVoltage] = 0;
    EXPECT_EQ(refusal(dead),
              "The motor does not turn at this operating point (RPM = 0.0): the nominal voltage "
              "is 0 V");

    // About 1 RPM: 6e-6 degrees per step no longer move a float angle near 360.
    TParams crawling = DefaultParams();
    crawling[RpmPerVolt] = 0.1f;
    const std::string crawl = refusal(crawling);
    EXPECT_EQ(crawl.rfind("The motor turns too slowly for a run (RPM = ", 0), 0u) << crawl;
    EXPECT_NE(crawl.find("near 360.0000 deg"), std::string::npos) << crawl;

    // About 8 RPM still moves the angle but would take some 7 million steps.
    TParams slow = DefaultParams();
    slow[RpmPerVolt] = 0.83f;
    const std::string longRun = refusal(slow);
    EXPECT_EQ(longRun.rfind("The run would take about 7", 0), 0u) << longRun;
    EXPECT_NE(longRun.find("runs of more than 4000000 steps are refused"), std::string::npos);
    EXPECT_EQ(buffer.SampleCount, 0);
    EXPECT_TRUE(buffer.Samples.empty());

    // At a single angle the window is only 0.0001 degrees wide: 8 RPM finish in two steps.
    CalcPhases(slow, HighSideOnly(), 1, 30.0f, buffer);
    EXPECT_EQ(buffer.SampleCount, 2);
}

TEST(Emulation, ANonFiniteVoltageStopsTheRunAtItsStep)
{
    ScopedDecimalSeparator point('.');
    TParams p = DefaultParams();
    // The battery drop overflows once the conducting phases' cosines sum to less than about
    // 1.2, which first happens some way into the run.
    p[BattImpedance] = 2.4e37f;
    SampleBuffer buffer;
    const std::string message = ErrorOf([&] { CalcPhases(p, HighSideOnly(), -1, -0.5f, buffer); });
    ASSERT_FALSE(message.empty());
    EXPECT_GT(buffer.SampleCount, 0);
    EXPECT_EQ(message.rfind(
                  "The run stopped at step " + std::to_string(buffer.SampleCount) + " (angle ", 0),
              0u)
        << message;
    EXPECT_NE(message.find("deg): the battery voltage is not a finite number"), std::string::npos);
    for (int i = 0; i < buffer.SampleCount; ++i) {
        ASSERT_TRUE(std::isfinite(buffer.Samples[static_cast<std::size_t>(i)].VBatt));
    }
}

TEST(Emulation, TheLongestTrackBarRunCompletes)
{
    TParams p = DefaultParams();
    p[MaxCurrent] = 60;
    p[PwmDuty] = 10;
    const OperatingPoint op = ComputeOperatingPoint(p, HighSideOnly(), -1, -0.5f);
    const RunResult run = FullRun(p);
    const double predicted = 360.5 / op.DegPerStep;
    EXPECT_GT(run.buffer.SampleCount, 1'000'000);
    EXPECT_NEAR(run.buffer.SampleCount, predicted, predicted * 0.01);
    EXPECT_LT(run.buffer.Samples[static_cast<std::size_t>(run.buffer.SampleCount - 1)].Angle,
              360.0f);

    // On every core, as the window runs it, the records are those of one pass.
    SampleBuffer onePass;
    CalcPhases(p, HighSideOnly(), -1, -0.5f, onePass, kOneLoop);
    ASSERT_EQ(onePass.Samples.size(), run.buffer.Samples.size());
    EXPECT_EQ(std::memcmp(onePass.Samples.data(), run.buffer.Samples.data(),
                          onePass.Samples.size() * sizeof(TSampleRec)),
              0);
}

} // namespace
} // namespace engine
