// Parameter sets swept over the whole range the boxes and track bars admit, at random and on
// the borders, through every bridge setting: each run ends or is refused with a message, and
// whatever it leaves in the buffers is sound. A fixed seed keeps any failure reproducible.
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/sample_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <limits>
#include <random>
#include <string>

namespace engine {
namespace {

constexpr float kFloatMax = std::numeric_limits<float>::max();
constexpr float kDenormMin = std::numeric_limits<float>::denorm_min();

// The steps the sweep may spend on runs; longer runs are checked up to their refusal or
// operating point only, and a few of them in full by LongRunsNearTheBoundStayBounded.
constexpr std::int64_t kStepsPerRun = 50'000;

struct SweepStats {
    int sets = 0;
    int runs = 0;
    int refusedBeforeRun = 0;
    int stoppedInRun = 0;
    int tooLongForTheSweep = 0;
    std::int64_t steps = 0;
};

RunSettings SettingsFrom(unsigned bits)
{
    RunSettings s;
    s.HighSidePwm = (bits & 1) != 0;
    s.LowSidePwm = (bits & 2) != 0;
    s.DriverKind = (bits >> 2) & 1;
    s.MosfetKind = (bits >> 3) & 1;
    s.Pattern120 = (bits & 16) == 0;
    return s;
}

TParams Defaults()
{
    TParams p;
    ParamTexts texts = DefaultParamTexts();
    ReadStartupParams(p, texts, '.');
    return p;
}

bool MentionsNonFinite(const std::string& text)
{
    return text.find("NAN") != std::string::npos || text.find("INF") != std::string::npos;
}

// A value for one slot: the borders of the float range and of the model, or a random value of
// any magnitude, or one near the default.
class ValueSource {
public:
    explicit ValueSource(std::uint64_t seed) : random_(seed) {}

    float Any(float typical)
    {
        static constexpr std::array<float, 12> kBorders{
            0.0f,  kDenormMin, std::numeric_limits<float>::min(),
            1e-6f, 0.05f,      1.0f,
            1e6f,  1e18f,      1e30f,
            3e38f, kFloatMax,  1e-30f};
        switch (Pick(4)) {
        case 0:
            return kBorders[Pick(kBorders.size())];
        case 1:
            return LogUniform(-45, 38);
        default:
            return typical * static_cast<float>(std::exp2(Uniform(-3.3, 3.3)));
        }
    }

    // Duty cycles: the track bar's steps, the 0.9 % and 10 % borders, or any value up to 100.
    float Duty()
    {
        static constexpr std::array<float, 6> kBorders{0.0f, 0.9f, 0.91f, 10.0f, 100.0f, 99.99f};
        switch (Pick(3)) {
        case 0:
            return static_cast<float>(10 * Pick(11));
        case 1:
            return kBorders[Pick(kBorders.size())];
        default:
            return static_cast<float>(Uniform(0, 100));
        }
    }

    // Around the three currents the model turns on: the no-load current, the speed's zero
    // (a load factor of about 0.5143) and a fifth of the battery's short-circuit current.
    float MaxCurrentNear(const TParams& p)
    {
        const double stall = static_cast<double>(p[NominalVoltage]) / p[MotorResistance];
        const double zeroSpeed = p[NoLoadCurrent] + (stall - p[NoLoadCurrent]) * 0.5143 / 1.8;
        const double bound = 0.2 * p[NominalVoltage] / p[BattImpedance];
        const std::array<double, 3> anchors{p[NoLoadCurrent], zeroSpeed, bound};
        const double anchor = anchors[Pick(anchors.size())];
        const double value = anchor * (1 + Uniform(-1e-3, 1e-3) * (Pick(2) == 0 ? 1 : 1e-4));
        return std::isfinite(value) && std::fabs(value) < kFloatMax
                   ? static_cast<float>(std::fabs(value))
                   : 0.0f;
    }

    unsigned Bits(unsigned count) { return static_cast<unsigned>(Pick(std::size_t{1} << count)); }
    std::size_t Pick(std::size_t n)
    {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }
    double Uniform(double a, double b)
    {
        return std::uniform_real_distribution<double>(a, b)(random_);
    }
    float LogUniform(int lowExp, int highExp)
    {
        return static_cast<float>(std::pow(10.0, Uniform(lowExp, highExp)));
    }
    std::mt19937_64& Engine() { return random_; }

private:
    std::mt19937_64 random_;
};

void ExpectChannelsSound(const SampleBuffer& run, const ChannelTexts& texts)
{
    static constexpr std::array<int, kViewCount> kCounts{1, 4, 6, 4};
    ChannelSet set;
    for (int view = 0; view < kViewCount; ++view) {
        PrepareRes(view, texts, '.', run, set);
        ASSERT_EQ(set.ChannelCount, kCounts[static_cast<std::size_t>(view)]);
        ASSERT_EQ(set.ChannelRows.size(), static_cast<std::size_t>(run.SampleCount));
        const float lo = set.Channels[0].MinValue;
        const float hi = set.Channels[0].MaxValue;
        ASSERT_TRUE(std::isfinite(lo) && std::isfinite(hi)) << "view " << view;
        ASSERT_LE(lo, 0.0f);
        ASSERT_GE(hi, 0.0f);
        for (int ch = 0; ch < set.ChannelCount; ++ch) {
            ASSERT_EQ(set.Channels[static_cast<std::size_t>(ch)].MinValue, lo);
            ASSERT_EQ(set.Channels[static_cast<std::size_t>(ch)].MaxValue, hi);
        }
        for (const TChannelRow& row : set.ChannelRows) {
            for (int ch = 0; ch < set.ChannelCount; ++ch) {
                const float v = row[static_cast<std::size_t>(ch)];
                ASSERT_TRUE(v >= lo && v <= hi) << "view " << view << " value " << v;
            }
        }
    }
}

// The records of a completed run, checked against the run's own loop replayed from its
// operating point: count, time and angle of every step, levels, and finite voltages.
void ExpectRunSound(const TParams& p, int pwmState, const OperatingPoint& op,
                    const SampleBuffer& run, std::size_t sizeBefore)
{
    std::int64_t count = 0;
    float time = 0;
    float angle = op.StartAngle;
    for (; angle < op.EndAngle; ++count) {
        if (count < run.SampleCount) {
            const TSampleRec& r = run.Samples[static_cast<std::size_t>(count)];
            ASSERT_EQ(r.Time, time) << "step " << count;
            ASSERT_EQ(r.Angle, angle) << "step " << count;
        }
        time += op.TimeStep;
        angle += op.DegPerStep;
    }
    ASSERT_EQ(run.SampleCount, count);
    ASSERT_LE(count, kMaxRunSteps * 3 / 2);
    const std::size_t needed = (static_cast<std::size_t>(count) + 199) / 200 * 200;
    ASSERT_EQ(run.Samples.size(), std::max(sizeBefore, needed)) << "grows by 200, never shrinks";

    const int highInvert = op.HighInvert;
    for (std::int32_t i = 0; i < run.SampleCount; ++i) {
        const TSampleRec& r = run.Samples[static_cast<std::size_t>(i)];
        // The PWM output: held in a single-angle run, on for the first part of each period.
        const double periods = r.Time / static_cast<double>(op.PwmPeriod);
        const int pwmOn = pwmState >= 0 ? (pwmState != 0 ? 1 : 0)
                                        : (periods - std::trunc(periods) <= op.Duty ? 1 : 0);
        ASSERT_TRUE(std::isfinite(r.VBatt) && std::isfinite(r.VZero)) << "step " << i;
        ASSERT_LE(r.VBatt, p[NominalVoltage]) << "the battery only drops under load";
        int conducting = 0;
        for (int k = 0; k < 3; ++k) {
            ASSERT_TRUE(std::isfinite(r.PhaseV[k])) << "step " << i << " phase " << k;
            const std::int32_t high = r.Switch[2 * k];
            const std::int32_t low = r.Switch[2 * k + 1];
            ASSERT_TRUE((high == 0 || high == 1) && (low == 0 || low == 1)) << "step " << i;
            ASSERT_EQ(r.Drive[k], (high | low) & pwmOn) << "step " << i;
            const bool highOn = (high ^ highInvert) != 0;
            // Both switches of one leg on would short the battery.
            ASSERT_FALSE(highOn && low != 0) << "shoot-through at step " << i;
            conducting += (highOn || low != 0) ? 1 : 0;
        }
        if (conducting == 3) {
            for (int k = 0; k < 3; ++k) {
                ASSERT_EQ(r.PhaseV[k], r.Switch[2 * k + 1] != 0 ? 0.0f : r.VBatt);
            }
        }
    }
}

// The buffer the sweep's runs go into, and a mirror of it that receives the same runs spread
// over threads in small blocks. Both start empty, so when every run leaves them equal to the
// bit, stale records included, each run also found them equal.
struct SweepBuffers {
    SampleBuffer run;
    SampleBuffer split;
};

void ExpectSplitRunMatches(const TParams& p, const RunSettings& s, int pwmState, float start,
                           SampleBuffer& split, const SampleBuffer& run, const std::string& error)
{
    constexpr RunThreads kSplit{.Count = 2, .MinStepsPerThread = 1, .BlockSteps = 257};
    std::string splitError;
    try {
        CalcPhases(p, s, pwmState, start, split, kSplit);
    } catch (const EmulationError& stopped) {
        splitError = stopped.what();
    }
    ASSERT_EQ(splitError, error);
    ASSERT_EQ(split.SampleCount, run.SampleCount);
    ASSERT_EQ(split.Samples.size(), run.Samples.size());
    ASSERT_EQ(std::memcmp(split.Samples.data(), run.Samples.data(),
                          run.Samples.size() * sizeof(TSampleRec)),
              0)
        << "the split run's records differ";
}

// One parameter set through one setting: either refused, or stopped with the step it stopped
// at, or a sound run with sound channels and log.
void Sweep(const TParams& p, const RunSettings& s, int pwmState, float start, SweepBuffers& buffers,
           SweepStats& stats)
{
    SampleBuffer& run = buffers.run;
    ++stats.sets;
    const std::int32_t countBefore = run.SampleCount;
    const std::size_t sizeBefore = run.Samples.size();
    OperatingPoint op;
    try {
        op = ComputeOperatingPoint(p, s, pwmState, start);
    } catch (const EmulationError& refused) {
        const std::string message = refused.what();
        ASSERT_FALSE(message.empty());
        ASSERT_FALSE(MentionsNonFinite(message)) << message;
        try {
            CalcPhases(p, s, pwmState, start, run);
            FAIL() << "the run did not refuse: " << message;
        } catch (const EmulationError& again) {
            ASSERT_EQ(std::string(again.what()), message);
        }
        ASSERT_EQ(run.SampleCount, countBefore) << "a refusal keeps the previous run";
        ASSERT_EQ(run.Samples.size(), sizeBefore);
        ++stats.refusedBeforeRun;
        return;
    }
    ASSERT_GT(op.DegPerStep, 0.0f);
    const double predicted =
        (static_cast<double>(op.EndAngle) - op.StartAngle) / static_cast<double>(op.DegPerStep);
    ASSERT_LE(predicted, static_cast<double>(kMaxRunSteps)) << "an accepted run is bounded";
    if (predicted > kStepsPerRun) {
        ++stats.tooLongForTheSweep;
        return;
    }

    try {
        const RunSummary summary = CalcPhases(p, s, pwmState, start, run);
        ASSERT_FALSE(MentionsNonFinite(RunSummaryText(summary, '.')));
    } catch (const EmulationError& stopped) {
        const std::string message = stopped.what();
        ASSERT_NO_FATAL_FAILURE(
            ExpectSplitRunMatches(p, s, pwmState, start, buffers.split, run, message));
        const std::string prefix =
            "The run stopped at step " + std::to_string(run.SampleCount) + " (";
        ASSERT_EQ(message.rfind(prefix, 0), 0u) << message;
        ASSERT_FALSE(MentionsNonFinite(message)) << message;
        ++stats.stoppedInRun;
        stats.steps += run.SampleCount;
        return;
    }
    ++stats.runs;
    stats.steps += run.SampleCount;
    ASSERT_NO_FATAL_FAILURE(ExpectSplitRunMatches(p, s, pwmState, start, buffers.split, run, ""));
    ASSERT_NO_FATAL_FAILURE(ExpectRunSound(p, pwmState, op, run, sizeBefore));
    ASSERT_NO_FATAL_FAILURE(ExpectChannelsSound(run, ChannelTexts{}));
    // The log costs most per sample: every eighth run is enough to meet every kind of value.
    if (stats.runs % 8 == 1) {
        const std::string log = BuildSampleLog(run, '.');
        ASSERT_EQ(std::count(log.begin(), log.end(), '\n'), run.SampleCount + 1);
        ASSERT_FALSE(MentionsNonFinite(log));
    }
}

void Report(const char* name, const SweepStats& s)
{
    std::cout << "[ sweep    ] " << name << ": " << s.sets << " sets, " << s.runs << " runs ("
              << s.steps << " steps), " << s.refusedBeforeRun << " refused, " << s.stoppedInRun
              << " stopped in the run, " << s.tooLongForTheSweep
              << " accepted but too long to sweep\n";
}

TEST(PropertySweep, BordersOfEveryParameterThroughEverySetting)
{
    // Each slot in turn takes each border value while the others keep their defaults, for all
    // 32 bridge settings and both kinds of run.
    static constexpr std::array<float, 11> kBorders{
        0.0f, kDenormMin, 1e-30f, 1e-6f, 0.05f, 1.0f, 60.0f, 1e6f, 1e20f, 3e38f, kFloatMax};
    SweepStats stats;
    SweepBuffers run;
    for (int tag = 1; tag <= kParamCount; ++tag) {
        for (const float border : kBorders) {
            TParams p = Defaults();
            p[tag] = border;
            // Single angles through all settings; full runs through a quarter of them, a
            // different quarter for each slot.
            for (unsigned bits = 0; bits < 32; ++bits) {
                if (bits % 4 == static_cast<unsigned>(tag) % 4) {
                    ASSERT_NO_FATAL_FAILURE(Sweep(p, SettingsFrom(bits), -1, -0.5f, run, stats))
                        << "tag " << tag << " = " << border << ", settings " << bits;
                }
                ASSERT_NO_FATAL_FAILURE(Sweep(p, SettingsFrom(bits), bits & 1, 35.0f, run, stats))
                    << "tag " << tag << " = " << border << ", settings " << bits;
            }
        }
    }
    Report("borders", stats);
    EXPECT_GT(stats.runs, 2500);
    EXPECT_GT(stats.refusedBeforeRun, 300);
}

TEST(PropertySweep, DutiesAndCurrentsAroundTheirBounds)
{
    ValueSource source(20261209);
    SweepStats stats;
    SweepBuffers run;
    for (int i = 0; i < 1500; ++i) {
        TParams p = Defaults();
        p[PwmDuty] = source.Duty();
        p[MaxCurrent] = source.MaxCurrentNear(p);
        const RunSettings s = SettingsFrom(source.Bits(5));
        ASSERT_NO_FATAL_FAILURE(Sweep(p, s, -1, -0.5f, run, stats))
            << "duty " << p[PwmDuty] << " current " << p[MaxCurrent];
        const float angle = static_cast<float>(source.Pick(360));
        ASSERT_NO_FATAL_FAILURE(Sweep(p, s, static_cast<int>(source.Pick(2)), angle, run, stats));
    }
    Report("duties and currents", stats);
    EXPECT_GT(stats.runs, 1000);
}

TEST(PropertySweep, RandomSetsOfAnyMagnitude)
{
    ValueSource source(7);
    const TParams defaults = Defaults();
    SweepStats stats;
    SweepBuffers run;
    for (int i = 0; i < 3000; ++i) {
        TParams p = defaults;
        // Most sets change a few slots, some change every slot.
        const unsigned changed = source.Pick(4) == 0 ? 0x7FE : source.Bits(11);
        for (int tag = 1; tag <= kParamCount; ++tag) {
            if ((changed >> tag) & 1)
                p[tag] = tag == PwmDuty ? source.Duty() : source.Any(defaults[tag]);
        }
        const RunSettings s = SettingsFrom(source.Bits(5));
        if (source.Pick(3) == 0) {
            const float angle = source.Pick(2) == 0 ? static_cast<float>(source.Pick(360))
                                                    : static_cast<float>(source.Uniform(-1, 400));
            ASSERT_NO_FATAL_FAILURE(
                Sweep(p, s, static_cast<int>(source.Pick(2)), angle, run, stats));
        } else {
            ASSERT_NO_FATAL_FAILURE(Sweep(p, s, -1, -0.5f, run, stats));
        }
    }
    Report("random sets", stats);
    EXPECT_GT(stats.runs, 500);
    EXPECT_GT(stats.refusedBeforeRun, 300);
}

TEST(PropertySweep, SetsTheBoxesGiveFromRandomTexts)
{
    // What a user can reach: default boxes, then edits with texts of digits, separators and
    // stray characters, each read by the entry rule with the maximum-current rule, and moves of
    // both track bars.
    ValueSource source(31337);
    static constexpr std::array<const char*, 12> kPieces{"0", "1",  "5", "9", "00", ".",
                                                         ",", "62", "x", " ", "-",  "99999999999"};
    SweepStats stats;
    SweepBuffers run;
    for (int i = 0; i < 1500; ++i) {
        TParams p;
        ParamTexts texts = DefaultParamTexts();
        ReadStartupParams(p, texts, '.');
        const std::size_t edits = 1 + source.Pick(4);
        for (std::size_t e = 0; e < edits; ++e) {
            const std::size_t what = source.Pick(12);
            if (what == 10) {
                texts[MaxCurrent] =
                    CurrentScaleText(1 + static_cast<int>(source.Pick(10)), texts[NoLoadCurrent]);
                ChangeParam(p, texts, MaxCurrent, true, '.');
            } else if (what == 11) {
                texts[PwmDuty] = DutyScaleText(static_cast<int>(source.Pick(11)));
                ChangeParam(p, texts, PwmDuty, true, '.');
            } else {
                const int tag = 1 + static_cast<int>(what % 9); // Edit10 is read-only
                std::string text;
                for (std::size_t n = 1 + source.Pick(5); n > 0; --n)
                    text += kPieces[source.Pick(kPieces.size())];
                texts[static_cast<std::size_t>(tag)] = text;
                ChangeParam(p, texts, tag, true, '.');
            }
        }
        ASSERT_NO_FATAL_FAILURE(Sweep(p, SettingsFrom(source.Bits(5)), -1, -0.5f, run, stats));
    }
    Report("box texts", stats);
    EXPECT_GT(stats.runs, 700);
}

TEST(PropertySweep, LongRunsNearTheBoundStayBounded)
{
    // Slow motors just inside and just outside the step bound, run in full.
    SweepStats stats;
    SampleBuffer run;
    const TParams defaults = Defaults();
    for (const float rpmPerVolt : {3.3f, 1.6f, 1.4f, 0.83f}) {
        TParams p = defaults;
        p[RpmPerVolt] = rpmPerVolt;
        ++stats.sets;
        try {
            const OperatingPoint op = ComputeOperatingPoint(p, RunSettings{}, -1, -0.5f);
            const std::size_t sizeBefore = run.Samples.size();
            SampleBuffer split = run;
            CalcPhases(p, RunSettings{}, -1, -0.5f, run, kOneLoop);
            ++stats.runs;
            stats.steps += run.SampleCount;
            ASSERT_NO_FATAL_FAILURE(ExpectRunSound(p, -1, op, run, sizeBefore));
            ASSERT_NO_FATAL_FAILURE(ExpectSplitRunMatches(p, {}, -1, -0.5f, split, run, ""));
        } catch (const EmulationError& refused) {
            ++stats.refusedBeforeRun;
            EXPECT_NE(std::string(refused.what()).find("steps are refused"), std::string::npos);
        }
    }
    Report("long runs", stats);
    EXPECT_EQ(stats.runs, 2);
    EXPECT_LE(run.Samples.size(), static_cast<std::size_t>(kMaxRunSteps) + 200);
}

} // namespace
} // namespace engine
