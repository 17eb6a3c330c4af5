#include "engine/emulation.h"
#include "tests/spice/bridge_netlist.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

// The circuit model against ngspice: the same bridge, switched at the same instants, simulated
// from zero current; the last revolution's phase currents must agree with the run's to within
// 3 % of their peak plus 50 mA. SPICE_LONG=1 adds the slower cases (make test-long).

namespace {

using namespace engine;

struct Case {
    const char* Name;
    float Duty;
    bool HighPwm;
    bool LowPwm;
    bool Pattern120;
    float InductanceUh;
    float Timing100;
    bool Long;               // only with SPICE_LONG=1
    float RpmPerVolt = 1390; // a faster motor has a shorter revolution, the same voltages
};

void Compare(const Case& c)
{
    TParams params = DefaultParams();
    params[PwmDuty] = c.Duty;
    params[Timing100] = c.Timing100;
    params[RpmPerVolt] = c.RpmPerVolt;
    if (c.Timing100 == 0) {
        params[Timing10] = 0;
    }
    RunSettings settings{c.HighPwm, c.LowPwm, 1, 1, c.Pattern120, {}};
    settings.Circuit = CircuitSettings{RunModel::Circuit, c.InductanceUh, 0.7f};
    SampleBuffer run;
    CalcPhases(params, settings, -1, -0.5f, run);
    ASSERT_TRUE(run.HasCurrents());
    const int revolutions = spice::RevolutionsToSettle(params, settings, run.SampleCount);
    const spice::Simulated sim =
        spice::RunNgspice(spice::BridgeNetlist(params, settings, run, revolutions),
                          testing::TempDir() + "bridge-" + c.Name, revolutions, run.SampleCount);
    double peak = 0;
    for (int n = 0; n < run.SampleCount; ++n) {
        for (int k = 0; k < 3; ++k) {
            peak = std::max(peak, std::fabs(double{run.Currents[static_cast<std::size_t>(n)].I[k]}));
        }
    }
    const double allowed = 0.03 * peak + 0.05;
    double worst = 0;
    int worstAt = -1;
    int compared = 0;
    for (std::size_t m = 0; m < sim.TimeUs.size(); ++m) {
        const long n = std::lround(sim.TimeUs[m]);
        if (n < 0 || n >= run.SampleCount || std::fabs(sim.TimeUs[m] - n) > 1e-3) {
            continue;
        }
        ++compared;
        for (int k = 0; k < 3; ++k) {
            const double ours = run.Currents[static_cast<std::size_t>(n)].I[k];
            const double gap = std::fabs(ours - sim.Currents[m][k]);
            if (gap > worst) {
                worst = gap, worstAt = static_cast<int>(n);
            }
        }
    }
    EXPECT_GT(compared, run.SampleCount * 9 / 10) << c.Name;
    if (std::getenv("SPICE_DUMP") != nullptr && worst > allowed) {
        for (std::size_t m = 0; m < sim.TimeUs.size(); ++m) {
            const long n = std::lround(sim.TimeUs[m]);
            if (std::abs(n - worstAt) <= 12) {
                const TSampleRec& r = run.Samples[static_cast<std::size_t>(n)];
                const TCurrentRec& i = run.Currents[static_cast<std::size_t>(n)];
                std::printf("%5ld sw %d%d%d%d%d%d V %7.3f %7.3f %7.3f  ours %8.3f %8.3f %8.3f  "
                            "spice %8.3f %8.3f %8.3f\n",
                            n, r.Switch[0], r.Switch[1], r.Switch[2], r.Switch[3], r.Switch[4],
                            r.Switch[5], r.PhaseV[0], r.PhaseV[1], r.PhaseV[2], i.I[0], i.I[1],
                            i.I[2], sim.Currents[m][0], sim.Currents[m][1], sim.Currents[m][2]);
            }
        }
    }
    EXPECT_LE(worst, allowed) << c.Name << ": worst gap " << worst << " A at sample " << worstAt
                              << " (peak " << peak << " A)";
    std::printf("%-14s peak %7.3f A, worst gap %6.3f A (allowed %5.3f), %d revolutions\n", c.Name,
                peak, worst, allowed, revolutions);
}

// Each case a few seconds of ngspice; the long ones run with SPICE_LONG=1 (make test-long).
void Check(const Case& c)
{
    if (c.Long && std::getenv("SPICE_LONG") == nullptr) {
        GTEST_SKIP() << "a long case: SPICE_LONG=1 runs it";
    }
    Compare(c);
}

TEST(CircuitAgainstNgspice, Defaults)
{
    Check({"defaults", 100, true, false, true, 20, 25, false});
}

TEST(CircuitAgainstNgspice, BothSidesPwmAt30Percent)
{
    Check({"both-sides-30", 30, true, true, true, 20, 25, true});
}

// The same voltages in a third of the steps.
TEST(CircuitAgainstNgspice, BothSidesPwmAt30PercentOnAFastMotor)
{
    Check({"both-sides-30-fast", 30, true, true, true, 20, 25, false, 4633});
}

TEST(CircuitAgainstNgspice, FiveMicrohenries)
{
    Check({"inductance-5", 100, true, false, true, 5, 25, false});
}

// 45 degrees of advance: the floating phase passes the high rail and its diode conducts.
TEST(CircuitAgainstNgspice, AdvanceLargeEnoughForTheFloatingPhasesDiode)
{
    Check({"advance-45", 100, true, false, true, 20, 45, false});
}

TEST(CircuitAgainstNgspice, HalfDutyOnTheHighSide)
{
    Check({"half-h-pwm", 50, true, false, true, 20, 25, true});
}

TEST(CircuitAgainstNgspice, The180DegreePattern)
{
    Check({"pattern-180", 100, true, false, false, 20, 25, false});
}

TEST(CircuitAgainstNgspice, TwoHundredMicrohenries)
{
    Check({"inductance-200", 100, true, false, true, 200, 25, true});
}

TEST(CircuitAgainstNgspice, NoAdvance)
{
    Check({"no-advance", 100, true, false, true, 20, 0, true});
}

} // namespace
