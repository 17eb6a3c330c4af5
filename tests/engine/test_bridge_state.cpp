#include "engine/bridge_state.h"

#include <gtest/gtest.h>

#include <string>

namespace engine {
namespace {

// With the default parameters at full duty the commutation angle is the rotor angle plus
// 25 degrees. Each case sits 20 degrees into a 60 degree sector of the commutation angle, far
// from every switching point.
constexpr float kTiming = 25.0f;

TSampleRec StepAt(float commutationAngle, const RunSettings& settings, int pwmState)
{
    SampleBuffer buffer;
    float angle = commutationAngle - kTiming;
    if (angle < 0) {
        angle += 360.0f;
    }
    CalcPhases(DefaultParams(), settings, pwmState, angle, buffer);
    EXPECT_EQ(buffer.SampleCount, 1);
    return buffer.Samples.at(0);
}

// "H", "L" or "-" per phase A, B, C.
std::string Conduction(const BridgeState& s)
{
    std::string out;
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_FALSE(s.TransistorOn[2 * k] && s.TransistorOn[2 * k + 1]) << "shoot-through";
        out += s.TransistorOn[2 * k] ? 'H' : (s.TransistorOn[2 * k + 1] ? 'L' : '-');
    }
    return out;
}

std::string CurrentPath(const BridgeState& s)
{
    std::string out;
    for (const TerminalCurrent c : s.Current) {
        out += c == TerminalCurrent::In ? '>' : (c == TerminalCurrent::Out ? '<' : '.');
    }
    return out;
}

RunSettings Settings(int driver, int mosfet, bool pattern120)
{
    RunSettings s;
    s.DriverKind = driver;
    s.MosfetKind = mosfet;
    s.Pattern120 = pattern120;
    return s;
}

// The transistors read the same in every driver and transistor combination: the inversion
// the run puts on the high-side level is undone for the picture.
TEST(BridgeState, SixSectorsOfBothPatternsInEveryDriverAndTransistorCombination)
{
    const std::string k120[6] = {"HL-", "-LH", "L-H", "LH-", "-HL", "H-L"};
    const std::string k180[6] = {"HLL", "HLH", "LLH", "LHH", "LHL", "HHL"};
    for (int driver = 0; driver < 2; ++driver) {
        for (int mosfet = 0; mosfet < 2; ++mosfet) {
            for (const bool pattern120 : {true, false}) {
                const RunSettings settings = Settings(driver, mosfet, pattern120);
                for (int sector = 0; sector < 6; ++sector) {
                    const float theta = 60.0f * static_cast<float>(sector) + 20.0f;
                    const TSampleRec r = StepAt(theta, settings, 1);
                    const BridgeState s = BridgeStateOf(r, settings);
                    const std::string expected = (pattern120 ? k120 : k180)[sector];
                    SCOPED_TRACE("driver " + std::to_string(driver) + " mosfet " +
                                 std::to_string(mosfet) + " sector " + std::to_string(sector));
                    EXPECT_EQ(Conduction(s), expected);
                    // The drive flag takes the recorded levels: through an inversion it marks
                    // the phases whose high side is off, not the conducting ones.
                    const bool inverted = ((driver + mosfet) & 1) != 0;
                    for (std::size_t k = 0; k < 3; ++k) {
                        EXPECT_EQ(s.Drive[k],
                                  ((expected[k] == 'H') != inverted) || expected[k] == 'L');
                    }
                    EXPECT_TRUE(s.CurrentFlows());
                    for (std::size_t k = 0; k < 3; ++k) {
                        const TerminalCurrent want =
                            expected[k] == 'H' ? TerminalCurrent::In
                                               : (expected[k] == 'L' ? TerminalCurrent::Out
                                                                     : TerminalCurrent::None);
                        EXPECT_EQ(s.Current[k], want);
                    }
                    EXPECT_EQ(s.VBatt, r.VBatt);
                    EXPECT_EQ(s.VZero, r.VZero);
                }
            }
        }
    }
}

TEST(BridgeState, PwmOffLeavesTheLowSideAloneAndNoLoopThroughTheBattery)
{
    // "P + N" with a non-inverting driver: the high-side gates idle at level 1.
    const RunSettings settings = Settings(0, 1, true);
    ASSERT_EQ(HighSideInversion(settings), 1);
    const TSampleRec r = StepAt(20.0f, settings, 0);
    EXPECT_EQ(r.Switch[0], 1); // the recorded level of HA: off through the inversion
    const BridgeState s = BridgeStateOf(r, settings);
    EXPECT_EQ(Conduction(s), "-L-");
    EXPECT_EQ(CurrentPath(s), "...");
    EXPECT_FALSE(s.CurrentFlows());
    EXPECT_EQ(s.Drive, (std::array<bool, 3>{false, false, false}));
}

TEST(BridgeState, ThreeHighPhasesCloseNoLoop)
{
    TSampleRec r{};
    r.Switch[0] = r.Switch[2] = r.Switch[4] = 1;
    const BridgeState s = BridgeStateOf(r, Settings(1, 1, true));
    EXPECT_EQ(Conduction(s), "HHH");
    EXPECT_FALSE(s.CurrentFlows());
}

} // namespace
} // namespace engine
