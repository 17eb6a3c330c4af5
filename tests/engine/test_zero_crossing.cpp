#include "engine/zero_crossing.h"

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/zero_crossing_text.h"
#include "tests/support/strict_csv.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>

namespace engine {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Rad(double deg)
{
    return deg * kPi / 180.0;
}

struct Analysed {
    SampleBuffer Run;
    ChannelSet Result;
    OperatingPoint Op;
    int View = 1;

    ZcTable Table(const DetectorSettings& detector = {}) const
    {
        return AnalyseZeroCrossings(Run, Op, Result, View, detector);
    }
    float Angle(int index) const { return Run.Samples[static_cast<std::size_t>(index)].Angle; }
};

Analysed Emulate(int view, float duty, RunSettings settings = {}, float battImpedance = -1)
{
    TParams params = DefaultParams();
    params[PwmDuty] = duty;
    if (battImpedance >= 0) {
        params[BattImpedance] = battImpedance;
    }
    Analysed a;
    a.View = view;
    a.Op = ComputeOperatingPoint(params, settings, -1, -0.5f);
    CalcPhases(params, settings, -1, -0.5f, a.Run);
    PrepareRes(view, ChannelTexts{}, '.', a.Run, a.Result);
    return a;
}

DetectorSettings Sampling(ZcSampling sampling)
{
    DetectorSettings d;
    d.Sampling = sampling;
    return d;
}

// The PWM output of a sample read from the bridge: while it is on, the low phase drives.
bool PwmOnIn(const TSampleRec& r)
{
    return r.Drive[0] + r.Drive[1] + r.Drive[2] > 0;
}

// The divider ratios of view 2 from its resistors: 2.2K over 10K for the phase, over 20K for
// the mean of the two others.
const double kPhaseRatio = 2.2 / 12.2;
const double kOthersRatio = 2.2 / 22.2;

TEST(ZeroCrossing, StarPointComparatorAtFullDutySwitchesWithinOneSampleOfTheTrueCrossing)
{
    const Analysed a = Emulate(1, 100);
    const ZcTable table = a.Table();
    ASSERT_EQ(table.Reason, ZcEmptyReason::None);
    // Phase C's floating interval around 30 degrees is cut by the start of the run and its
    // next one by the end: five whole intervals remain, 60 degrees apart, in time order.
    ASSERT_EQ(table.Rows.size(), 5u);
    const double step = a.Op.DegPerStep;
    for (std::size_t i = 0; i < table.Rows.size(); ++i) {
        const ZeroCrossing& row = table.Rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(row.Interval.Phase, static_cast<int>(i % 3));
        EXPECT_DOUBLE_EQ(row.TrueAngle, 90.0 + 60.0 * static_cast<double>(i));
        EXPECT_EQ(row.Direction, i % 2 == 0 ? ZcDirection::Rising : ZcDirection::Falling);
        ASSERT_EQ(row.Found.Status, ZcStatus::Detected);
        EXPECT_GE(row.ErrorDeg, 0.0);
        EXPECT_LT(row.ErrorDeg, step);
        EXPECT_GE(row.ErrorUs, 0.0);
        EXPECT_LT(row.ErrorUs, 1.0);
        EXPECT_GE(row.TrueTime, row.Found.Index - 1);
        // The emulation commutates 30 - Timing after the crossing, give or take the 0.013
        // degrees its threshold of 0.4999 adds and one sample.
        EXPECT_NEAR(row.ImpliedCommutation, row.Commutation, step + 0.01);
        EXPECT_FLOAT_EQ(row.Commutation, a.Angle(row.Interval.Last + 1));
    }
    EXPECT_EQ(table.Summary.Detected, 5);
    EXPECT_EQ(table.Summary.Early, 0);
}

// The view-2 comparator while the phase floats and the other two conduct (the high one at the
// battery voltage V, the low one at 0): the phase through 2.2K/10K against the sum of the
// others through 2.2K/20K, halved. The star point sits on the divider of the two windings.
double OnStateMargin(double theta, int f, int h, int l, double v, double emf)
{
    const auto cosOf = [theta](int k) { return std::cos(Rad(theta + 120.0 * k)); };
    const double star = std::fabs(cosOf(h)) * v / (std::fabs(cosOf(h)) + std::fabs(cosOf(l)));
    const double phase = star - cosOf(f) * emf;
    return kPhaseRatio * phase - kOthersRatio * 0.5 * v;
}

TEST(ZeroCrossing, UnequalDividersShiftTheDetectionByWhatTheirRatiosPredict)
{
    // Without battery impedance the high phase sits at the nominal voltage.
    const Analysed a = Emulate(2, 100, {}, 0.0f);
    const double v = DefaultParams()[NominalVoltage];
    const double emf = a.Op.EmfAmplitude;
    const ZcTable table = a.Table();
    ASSERT_EQ(table.Rows.size(), 5u);
    for (const ZeroCrossing& row : table.Rows) {
        SCOPED_TRACE(row.TrueAngle);
        const int f = row.Interval.Phase;
        const int h = std::cos(Rad(row.TrueAngle + a.Op.Timing + 120.0 * ((f + 1) % 3))) > 0
                          ? (f + 1) % 3
                          : (f + 2) % 3;
        const int l = 3 - f - h;
        const auto margin = [&](double theta) { return OnStateMargin(theta, f, h, l, v, emf); };
        if (row.Direction == ZcDirection::Falling) {
            // The phase's divided voltage stays above the others' until the commutation.
            EXPECT_GT(margin(row.Commutation), 0.0);
            EXPECT_EQ(row.Found.Status, ZcStatus::Missed);
            continue;
        }
        double low = a.Angle(row.Interval.First);
        double high = row.TrueAngle;
        ASSERT_LT(margin(low), 0.0);
        ASSERT_GT(margin(high), 0.0);
        for (int i = 0; i < 60; ++i) {
            const double mid = (low + high) / 2;
            (margin(mid) > 0 ? high : low) = mid;
        }
        ASSERT_EQ(row.Found.Status, ZcStatus::Detected);
        EXPECT_GE(row.Angle, low - 1e-4);
        EXPECT_LT(row.Angle, low + a.Op.DegPerStep + 1e-4);
        EXPECT_LT(row.ErrorDeg, -10.0); // far early: a systematic error, not quantisation
    }
    EXPECT_EQ(table.Summary.Detected, 3);
    EXPECT_EQ(table.Summary.Missed, 2);
    EXPECT_EQ(table.Summary.Early, 3);
    ASSERT_TRUE(table.Summary.MaxErrorDeg && table.Summary.MeanErrorDeg);
    EXPECT_LE(*table.Summary.MaxErrorDeg, *table.Summary.MeanErrorDeg);
}

TEST(ZeroCrossing, PwmOffStepsOfTheDividerCircuitGiveEarlyFallingDetectionsThatOnSamplingAvoids)
{
    // H-side PWM off: only the low phase l conducts, at 0 V; the star point sits at -e[l], so the
    // floating phase shows e[f] - e[l] and the high phase e[h] - e[l]. For a falling crossing the
    // comparator turns where r1 sin(phi) = r2/2 sin(phi + 60) with phi = angle - crossing + 30,
    // independent of speed and duty: tan(phi) = (sqrt(3) r2 / 4) / (r1 - r2 / 4).
    const double phi =
        std::atan(std::sqrt(3.0) * kOthersRatio / 4 / (kPhaseRatio - kOthersRatio / 4)) * 180.0 /
        kPi;
    const double offStateError = phi - 30.0;
    ASSERT_NEAR(offStateError, -14.58, 0.01);

    const Analysed a = Emulate(2, 20);
    const double onTimeDeg = 0.2 * a.Op.PwmPeriod * a.Op.DegPerStep;
    const ZcTable all = a.Table(Sampling(ZcSampling::All));
    const ZcTable on = a.Table(Sampling(ZcSampling::On));
    ASSERT_EQ(all.Rows.size(), on.Rows.size());
    int falling = 0;
    for (std::size_t i = 0; i < all.Rows.size(); ++i) {
        if (all.Rows[i].Direction != ZcDirection::Falling) {
            continue;
        }
        SCOPED_TRACE(all.Rows[i].TrueAngle);
        ++falling;
        ASSERT_EQ(all.Rows[i].Found.Status, ZcStatus::Detected);
        EXPECT_GE(all.Rows[i].ErrorDeg, offStateError - 1e-3);
        EXPECT_LE(all.Rows[i].ErrorDeg, offStateError + onTimeDeg + a.Op.DegPerStep);
        EXPECT_FALSE(on.Rows[i].Found.Status == ZcStatus::Detected && on.Rows[i].ErrorDeg < 0);
    }
    EXPECT_EQ(falling, 2);
}

TEST(ZeroCrossing, StarPointAndMeanReferenceReadTheBackEmfSignInBothPwmStates)
{
    for (const int view : {1, 3}) {
        const Analysed a = Emulate(view, 20);
        for (const ZcSampling sampling : {ZcSampling::All, ZcSampling::On, ZcSampling::Off}) {
            SCOPED_TRACE(testing::Message()
                         << "view " << view << " sampling " << ZcSamplingName(sampling));
            const ZcTable table = a.Table(Sampling(sampling));
            ASSERT_EQ(table.Rows.size(), 5u);
            for (const ZeroCrossing& row : table.Rows) {
                // The first sample after the crossing that the detector reads.
                int expected = row.Interval.First;
                while (a.Angle(expected) < row.TrueAngle ||
                       (sampling != ZcSampling::All &&
                        PwmOnIn(a.Run.Samples[static_cast<std::size_t>(expected)]) !=
                            (sampling == ZcSampling::On))) {
                    ++expected;
                }
                ASSERT_EQ(row.Found.Status, ZcStatus::Detected);
                EXPECT_EQ(row.Found.Index, expected);
            }
            EXPECT_EQ(table.Summary.Early, 0);
        }
    }
}

TEST(ZeroCrossing, FilterBlankingAndSamplingDecideWhatTheDetectorSees)
{
    const Analysed a = Emulate(1, 100);
    const ZcTable plain = a.Table();
    DetectorSettings filtered;
    filtered.Filter = 4;
    const ZcTable late = a.Table(filtered);
    ASSERT_EQ(late.Rows.size(), plain.Rows.size());
    for (std::size_t i = 0; i < plain.Rows.size(); ++i) {
        EXPECT_EQ(late.Rows[i].Found.Index, plain.Rows[i].Found.Index + 3);
    }

    // Every crossing lies 55 degrees into its 60-degree interval (Timing 25).
    DetectorSettings blanked;
    blanked.BlankingDeg = 54;
    EXPECT_EQ(a.Table(blanked).Summary.Detected, 5);
    blanked.BlankingDeg = 56;
    EXPECT_EQ(a.Table(blanked).Summary.Already, 5);
    blanked.BlankingDeg = 60;
    EXPECT_EQ(a.Table(blanked).Summary.Missed, 5);

    // At full duty the PWM output is never off.
    EXPECT_EQ(a.Table(Sampling(ZcSampling::Off)).Summary.Missed, 5);
}

TEST(ZeroCrossing, AnEmptyTableSaysWhy)
{
    RunSettings pattern180;
    pattern180.Pattern120 = false;
    const ZcTable none = Emulate(1, 100, pattern180).Table();
    EXPECT_TRUE(none.Rows.empty());
    EXPECT_EQ(none.Reason, ZcEmptyReason::NoFloatingPhase);
    EXPECT_NE(ZcEmptyReasonText(none.Reason).find("180-degree"), std::string_view::npos);

    // In the 120-degree pattern only an absurd advance leaves no phase floating, and the
    // reason says so rather than blaming the other pattern.
    TParams absurd = DefaultParams();
    absurd[Timing10] = absurd[Timing100] = 1e24f;
    Analysed advanced;
    advanced.Op = ComputeOperatingPoint(absurd, {}, -1, -0.5f);
    CalcPhases(absurd, {}, -1, -0.5f, advanced.Run);
    PrepareRes(1, ChannelTexts{}, '.', advanced.Run, advanced.Result);
    EXPECT_EQ(advanced.Table().Reason, ZcEmptyReason::AdvanceTooLarge);
    EXPECT_EQ(ZcEmptyReasonText(ZcEmptyReason::AdvanceTooLarge).find("180"),
              std::string_view::npos);

    Analysed single;
    single.Op = ComputeOperatingPoint(DefaultParams(), {}, 1, 30.0f);
    CalcPhases(DefaultParams(), {}, 1, 30.0f, single.Run);
    PrepareRes(1, ChannelTexts{}, '.', single.Run, single.Result);
    EXPECT_EQ(single.Table().Reason, ZcEmptyReason::SingleAngle);

    const Analysed a = Emulate(1, 100);
    EXPECT_EQ(AnalyseZeroCrossings(a.Run, a.Op, a.Result, 0, {}).Reason,
              ZcEmptyReason::NoComparator);
    EXPECT_EQ(AnalyseZeroCrossings(a.Run, a.Op, a.Result, 2, {}).Reason,
              ZcEmptyReason::StaleChannels);
    EXPECT_EQ(AnalyseZeroCrossings(SampleBuffer{}, a.Op, ChannelSet{}, 1, {}).Reason,
              ZcEmptyReason::NoRun);

    // The start of the run lies in phase C's cut interval; a window over one sample of B's
    // interval lists that interval whole.
    EXPECT_EQ(AnalyseZeroCrossings(a.Run, a.Op, a.Result, 1, {}, {0, 100}).Reason,
              ZcEmptyReason::NoneInWindow);
    const ZcTable one = AnalyseZeroCrossings(a.Run, a.Op, a.Result, 1, {}, {1500, 1});
    ASSERT_EQ(one.Rows.size(), 1u);
    EXPECT_EQ(one.Rows[0].Interval.Phase, 1);
    EXPECT_EQ(one.Rows[0].Found.Status, ZcStatus::Detected);
}

TEST(ZeroCrossingText, NumbersShowTheComputedDigitsWithoutPaddingAndExactOnesForMachines)
{
    std::string text;
    AppendZcFixed(text, 11998535940.545, 3, ',');
    EXPECT_EQ(text, "11998535940,5"); // 12 digits, none made up
    text.clear();
    AppendZcFixed(text, 123456789012.4, 4, '.');
    EXPECT_EQ(text, "123456789012");
    text.clear();
    AppendZcFixed(text, -27.98661, 4, '.');
    EXPECT_EQ(text, "-27.9866");

    // CSV and JSON: the same columns, the numbers with 9 significant digits.
    const Analysed a = Emulate(1, 100);
    const ZcTable table = a.Table();
    ASSERT_FALSE(table.Rows.empty());
    std::string csv;
    TableWriter csvWriter(TableFormat::Csv, csv, ',');
    WriteZcTable(table, csvWriter);
    const auto rows = testing_support::ReadStrictCsv(csv);
    ASSERT_EQ(rows.size(), table.Rows.size() + 1);
    EXPECT_EQ(rows[0][2], "TRUE ANGLE (deg)");
    EXPECT_EQ(rows[0][8], "ERROR (us)");
    const ZeroCrossing& first = table.Rows[0];
    EXPECT_EQ(rows[1][4], "detected");
    EXPECT_NEAR(std::strtod(rows[1][3].c_str(), nullptr), first.TrueTime,
                std::fabs(first.TrueTime) * 1e-8);
    EXPECT_EQ(std::strtof(rows[1][6].c_str(), nullptr), first.Angle);
    std::string json;
    TableWriter jsonWriter(TableFormat::Json, json, ',');
    WriteZcTable(table, jsonWriter);
    const auto records = nlohmann::json::parse(json);
    ASSERT_EQ(records.size(), table.Rows.size());
    EXPECT_EQ(records[0]["INDEX"], first.Found.Index);
    EXPECT_NEAR(records[0]["ERROR (deg)"].get<double>(), first.ErrorDeg, 1e-6);
}

} // namespace
} // namespace engine
