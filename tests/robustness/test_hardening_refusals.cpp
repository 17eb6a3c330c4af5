// Refusals must point at the value the user can change: a message that blames the wrong box
// sends the user round in circles.
#include "engine/emulation.h"
#include "engine/params.h"

#include <gtest/gtest.h>

#include <string>

namespace engine {
namespace {

TParams Defaults()
{
    TParams p;
    ParamTexts texts = DefaultParamTexts();
    ReadStartupParams(p, texts, '.');
    return p;
}

std::string Refusal(const TParams& p)
{
    SampleBuffer buffer;
    try {
        CalcPhases(p, RunSettings{}, -1, -0.5f, buffer);
    } catch (const EmulationError& error) {
        return error.what();
    }
    return "";
}

TEST(HardeningRefusals, AStallCurrentBelowTheNoLoadCurrentNamesTheMotorNotTheMaximumCurrent)
{
    // 11.1 V across 10 Ohms gives 1.11 A, less than the 1.8 A the motor draws without load:
    // no maximum current makes it turn.
    TParams weak = Defaults();
    weak[MotorResistance] = 10;
    EXPECT_EQ(Refusal(weak),
              "The motor does not turn at this operating point (RPM = -1.2922035E10): the stall "
              "current of 1.11 A (nominal voltage / motor resistance) is not above the no-load "
              "current of 1.80 A");

    TParams hungry = Defaults();
    hungry[NoLoadCurrent] = 1000;
    const std::string message = Refusal(hungry);
    EXPECT_NE(message.find("the stall current of 209.43 A"), std::string::npos) << message;
    EXPECT_EQ(message.find("lower the maximum current"), std::string::npos) << message;

    // A real overload still names the maximum current.
    TParams overloaded = Defaults();
    overloaded[MaxCurrent] = 62;
    EXPECT_NE(Refusal(overloaded).find("lower the maximum current"), std::string::npos);
}

} // namespace
} // namespace engine
