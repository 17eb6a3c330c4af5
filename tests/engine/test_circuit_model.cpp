#include "engine/channels.h"
#include "engine/circuit_measurements.h"
#include "engine/circuit_model.h"
#include "engine/zero_crossing.h"
#include "engine/zero_crossing_text.h"
#include "engine/emulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace engine {
namespace {

RunSettings Circuit(float inductanceUh = 20.0f, float diodeDrop = 0.7f,
                    RunSettings settings = RunSettings{})
{
    settings.Circuit = CircuitSettings{RunModel::Circuit, inductanceUh, diodeDrop};
    return settings;
}

TEST(CircuitModel, KeepsTheStepsAndSwitchesAndGivesABalancedPeriodicRevolution)
{
    const TParams params = DefaultParams();
    SampleBuffer quasi;
    CalcPhases(params, RunSettings{}, -1, -0.5f, quasi);
    for (const float duty : {100.0f, 50.0f}) {
        TParams p = params;
        p[PwmDuty] = duty;
        SampleBuffer run;
        const RunSummary summary = CalcPhases(p, Circuit(), -1, -0.5f, run);
        EXPECT_EQ(summary.Model, RunModel::Circuit);
        EXPECT_TRUE(summary.Settled);
        EXPECT_GE(summary.WarmUps, 2);
        ASSERT_TRUE(run.HasCurrents());
        SampleBuffer same;
        CalcPhases(p, RunSettings{}, -1, -0.5f, same);
        ASSERT_EQ(run.SampleCount, same.SampleCount);
        double peak = 0;
        for (int n = 0; n < run.SampleCount; ++n) {
            const TSampleRec& r = run.Samples[static_cast<std::size_t>(n)];
            const TSampleRec& q = same.Samples[static_cast<std::size_t>(n)];
            ASSERT_EQ(r.Angle, q.Angle);
            ASSERT_TRUE(std::equal(r.Switch, r.Switch + 6, q.Switch));
            const TCurrentRec& c = run.Currents[static_cast<std::size_t>(n)];
            ASSERT_NEAR(c.I[0] + c.I[1] + c.I[2], 0.0, 1e-4) << "step " << n;
            for (int k = 0; k < 3; ++k) {
                // The body diodes hold every terminal within a drop of the rails.
                ASSERT_GE(r.PhaseV[k], -0.7f - 1e-4f) << "step " << n;
                ASSERT_LE(r.PhaseV[k], r.VBatt + 0.7f + 1e-4f) << "step " << n;
                peak = std::max(peak, std::fabs(static_cast<double>(c.I[k])));
            }
        }
        EXPECT_GT(peak, 5.0);
        // The revolution ends where it started: the next step would repeat the first.
        const TCurrentRec& first = run.Currents.front();
        const TCurrentRec& last = run.Currents[static_cast<std::size_t>(run.SampleCount - 1)];
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(first.I[k], last.I[k], 0.05 * peak);
        }
    }
    // A quasi-static run in the same buffer drops the currents; its voltages are unchanged.
    SampleBuffer reused;
    CalcPhases(params, Circuit(), -1, -0.5f, reused);
    CalcPhases(params, RunSettings{}, -1, -0.5f, reused);
    EXPECT_FALSE(reused.HasCurrents());
    ASSERT_EQ(reused.SampleCount, quasi.SampleCount);
    EXPECT_EQ(0, std::memcmp(reused.Samples.data(), quasi.Samples.data(),
                             sizeof(TSampleRec) * static_cast<std::size_t>(quasi.SampleCount)));
}

TEST(CircuitModel, ASingleAngleRunIsThatInstantOfTheFullRun)
{
    TParams params = DefaultParams();
    params[PwmDuty] = 50;
    SampleBuffer full;
    CalcPhases(params, Circuit(), -1, -0.5f, full);
    const OperatingPoint op = ComputeOperatingPoint(params, RunSettings{}, -1, -0.5f);
    for (const int n : {0, 700, 1234, 4000, full.SampleCount - 1}) {
        const TSampleRec& r = full.Samples[static_cast<std::size_t>(n)];
        SampleBuffer one;
        CalcPhases(params, Circuit(), PwmOutputAt(op, r.Time), r.Angle, one);
        ASSERT_EQ(one.SampleCount, 1);
        const TSampleRec& s = one.Samples[0];
        EXPECT_TRUE(std::equal(s.Switch, s.Switch + 6, r.Switch)) << "step " << n;
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(one.Currents[0].I[k], full.Currents[static_cast<std::size_t>(n)].I[k]);
            EXPECT_EQ(s.PhaseV[k], r.PhaseV[k]) << "step " << n << " phase " << k;
        }
        EXPECT_EQ(s.VZero, r.VZero);
    }
}

TEST(CircuitModel, CurrentsFollowTheExactRLSolutionAndZeroInductanceAtOnce)
{
    // A high and B low from zero current, C floating: the loop of two windings charges with
    // the time constant L / R, whatever the number of steps.
    const float e[3] = {1.0f, -2.0f, 1.0f};
    const TransistorBits aHighBLow = 0b00'10'01;
    for (const double uh : {20.0, 200.0, 0.0}) {
        const BridgeCircuit b = MakeBridgeCircuit(0.05, uh, 0.7, 12.0, 0.0);
        std::array<double, 3> i{};
        CircuitStepOut out;
        const double settle = (12.0 - (1.0 - -2.0)) / (2 * 0.05);
        for (int n = 1; n <= 1000; ++n) {
            CircuitStep(b, aHighBLow, e, i, out);
            const double expected =
                uh > 0 ? settle * (1 - std::exp(-0.05 * n * 1e-6 / (uh * 1e-6))) : settle;
            ASSERT_NEAR(i[0], expected, 1e-9 * settle) << uh << " uH, step " << n;
            ASSERT_EQ(i[1], -i[0]);
            ASSERT_EQ(i[2], 0.0);
        }
        EXPECT_EQ(out.VZero, (12.0 - 1.0 + 0.0 - -2.0) / 2);
    }
}

TEST(CircuitModel, OutOfRangeValuesAndAZeroResistanceAreRefused)
{
    TParams params = DefaultParams();
    SampleBuffer run;
    CalcPhases(params, Circuit(), -1, -0.5f, run);
    const std::int32_t before = run.SampleCount;
    for (const RunSettings& bad : {Circuit(-1.0f), Circuit(10001.0f), Circuit(20.0f, -0.1f),
                                       Circuit(20.0f, 5.5f), Circuit(NAN)}) {
        EXPECT_THROW(CalcPhases(params, bad, -1, -0.5f, run), EmulationError);
        EXPECT_EQ(run.SampleCount, before);
    }
    params[MotorResistance] = 0;
    EXPECT_THROW(CalcPhases(params, Circuit(), -1, -0.5f, run), EmulationError);
    // A battery impedance the 1 us steps cannot follow without inductance is reported, not
    // recorded as infinities.
    params = DefaultParams();
    params[BattImpedance] = 1.0f;
    EXPECT_THROW(CalcPhases(params, Circuit(0.0f), -1, -0.5f, run), EmulationError);
    EXPECT_EQ(run.SampleCount, 0);
}

TEST(CircuitModel, TheBatteryEnergyOfARevolutionIsTheSumOfItsUses)
{
    struct Case {
        float Duty;
        RunSettings Settings;
        float InductanceUh;
    };
    const RunSettings both{true, true, 1, 1, true, {}};
    for (const Case& c : {Case{100, RunSettings{}, 20}, Case{30, both, 20}, Case{50, RunSettings{}, 5}}) {
        TParams params = DefaultParams();
        params[PwmDuty] = c.Duty;
        const RunSettings settings = Circuit(c.InductanceUh, 0.7f, c.Settings);
        SampleBuffer run;
        CalcPhases(params, settings, -1, -0.5f, run);
        const auto m = MeasureCircuit(run, params, settings, {0, run.SampleCount});
        ASSERT_TRUE(m);
        const double uses = m->CopperLoss + m->BackEmfPower + m->DiodeLoss + m->ImpedanceLoss;
        EXPECT_NEAR(uses, m->BatteryPower, 0.005 * m->BatteryPower) << c.Duty << " %";
        EXPECT_GT(m->DiodeLoss, 0.0);
        EXPECT_GT(m->BackEmfPower, 0.0); // the circuit's back-EMF polarity motors
        ASSERT_TRUE(m->Efficiency);
        EXPECT_LT(*m->Efficiency, 1.0);
        EXPECT_NEAR(m->Phases[0].Rms, m->Phases[1].Rms, 0.05 * m->Phases[0].Rms);
    }
    // The currents view: IA, IB, IC and IBatt of a circuit run; no channels without currents.
    SampleBuffer run;
    ChannelSet set;
    CalcPhases(DefaultParams(), RunSettings{}, -1, -0.5f, run);
    EXPECT_NE(ViewUnavailableText(kCurrentsView, run), nullptr);
    PrepareView(kCurrentsView, ChannelTexts{}, '.', run, set);
    EXPECT_EQ(set.ChannelCount, 0);
    EXPECT_FALSE(MeasureCircuit(run, DefaultParams(), Circuit(), {0, 10}));
    CalcPhases(DefaultParams(), Circuit(), -1, -0.5f, run);
    EXPECT_EQ(ViewUnavailableText(kCurrentsView, run), nullptr);
    PrepareView(kCurrentsView, ChannelTexts{}, '.', run, set);
    ASSERT_EQ(set.ChannelCount, 4);
    EXPECT_EQ(set.Channels[3].Name, "IBatt");
    EXPECT_EQ(set.ChannelRows[100][1], run.Currents[100].I[1]);
    EXPECT_EQ(set.ChannelRows[100][3], run.Currents[100].IBatt);
}

TEST(CircuitModel, ZeroCrossingsFallAfterHighAndKnowTheirDemagnetisation)
{
    // Constant rails (no battery impedance, full duty): after a commutation the released
    // winding, the one staying on and the new one hold a diode's clamp, 0 and VBatt, so its
    // current decays towards d = (Vdiode - VZero - e) / R with VZero = (sum V - sum e) / 3.
    TParams params = DefaultParams();
    params[BattImpedance] = 0;
    const RunSettings settings = Circuit();
    SampleBuffer run;
    CalcPhases(params, settings, -1, -0.5f, run);
    ChannelSet set;
    PrepareRes(3, ChannelTexts{}, '.', run, set);
    const OperatingPoint op = ComputeOperatingPoint(params, settings, -1, -0.5f);
    const ZcTable table = AnalyseZeroCrossings(run, op, set, 3, DetectorSettings{});
    ASSERT_TRUE(table.Circuit);
    ASSERT_GE(table.Rows.size(), 5u);
    const double r = params[MotorResistance];
    const double tau = 20e-6 / r;
    const double vBatt = params[NominalVoltage];
    for (const ZeroCrossing& row : table.Rows) {
        const int k = row.Interval.Phase;
        const TSampleRec& at = run.Samples[static_cast<std::size_t>(row.Interval.First)];
        const double i0 = run.Currents[static_cast<std::size_t>(row.Interval.First)].I[k];
        const bool fromHigh = i0 > 0;
        // Released from high, the phase falls through its crossing.
        EXPECT_EQ(row.Direction, fromHigh ? ZcDirection::Falling : ZcDirection::Rising);
        const double e = op.EmfAmplitude * std::cos((at.Angle + 120.0 * k) * 0.017453292f);
        const double vDiode = fromHigh ? -0.7 : vBatt + 0.7;
        // The other two: one at VBatt and one at 0; the three back-EMFs sum to zero.
        const double vZero = (vDiode + vBatt) / 3;
        const double d = (vDiode - vZero - e) / r;
        const double closedUs = tau * std::log((i0 - d) / -d) * 1e6;
        ASSERT_TRUE(row.DemagUs);
        // The table counts whole steps: the first sample after the current's zero.
        EXPECT_GE(*row.DemagUs, closedUs - 0.5) << k;
        EXPECT_LE(*row.DemagUs, closedUs + 1.5) << k;
        // Without blanking the detector looks first inside the demagnetisation.
        EXPECT_TRUE(row.DuringDemag);
        ASSERT_TRUE(row.BlankingPastDemagDeg);
    }
    EXPECT_EQ(table.Summary.Demag, static_cast<int>(table.Rows.size()));
    EXPECT_NE(ZcTableTsv(table, '.').find("\tdemag\t"), std::string::npos);

    // The blanking the table names avoids the diode: with it no row fires during one.
    DetectorSettings past;
    for (const ZeroCrossing& row : table.Rows) {
        past.BlankingDeg = std::max(past.BlankingDeg, *row.BlankingPastDemagDeg);
    }
    const ZcTable blanked = AnalyseZeroCrossings(run, op, set, 3, past);
    EXPECT_EQ(blanked.Summary.Demag, 0);
    EXPECT_EQ(blanked.Summary.Detected, static_cast<int>(blanked.Rows.size()));
}

} // namespace
} // namespace engine
