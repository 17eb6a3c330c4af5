#include "engine/scenario.h"
#include "engine/scenario_reader.h"

#include <gtest/gtest.h>

#include <string>

// Format 2: the circuit model's section, and the format-1 files it leaves as they were.

namespace engine {
namespace {

Scenario CircuitScenario()
{
    Scenario s;
    s.Texts = DefaultParamTexts();
    s.Settings.Circuit = CircuitSettings{RunModel::Circuit, 12.3456f, 0.45f};
    s.View = 4;
    return s;
}

std::string Refusal(const std::string& text)
{
    try {
        ParseScenario(text, "c.ini");
    } catch (const ScenarioError& error) {
        return error.what();
    }
    return "";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(ScenarioCircuit, TheCircuitNeedsFormat2AndReadsBackExactly)
{
    const Scenario s = CircuitScenario();
    const std::string text = ScenarioText(s);
    EXPECT_NE(text.find("format = 2\n"), std::string::npos);
    EXPECT_NE(text.find("[circuit]\nModel = circuit"), std::string::npos);
    EXPECT_EQ(ParseScenario(text, "c.ini"), s);
    // Default circuit values and a view of the window: format 1, without the section.
    Scenario plain = s;
    plain.Settings.Circuit = CircuitSettings{};
    plain.View = 2;
    EXPECT_EQ(ScenarioText(plain).find("[circuit]"), std::string::npos);
    EXPECT_NE(ScenarioText(plain).find("format = 1\n"), std::string::npos);
    // Only the model chosen, its values left: still format 2.
    Scenario model = plain;
    model.Settings.Circuit.Model = RunModel::Circuit;
    EXPECT_EQ(ParseScenario(ScenarioText(model), "c.ini"), model);
}

TEST(ScenarioCircuit, FaultsOfTheCircuitSectionAreNamed)
{
    const std::string good = ScenarioText(CircuitScenario());
    const std::string head = "Scenario \"c.ini\", line ";
    EXPECT_EQ(Refusal(Replaced(good, "format = 2", "format = 1")),
              head + "27: the section [circuit] needs format 2 (this file says format 1)");
    EXPECT_EQ(Refusal(good.substr(0, good.find("DiodeDrop"))),
              head + "29: the file ends without DiodeDrop in [circuit]");
    EXPECT_EQ(Refusal(Replaced(good, "Inductance = 12.3456", "Inductance = 10001")),
              head + "29: Inductance: expected microhenries from 0 to 10000, such as 20, not "
                     "10001   # uH per winding");
    EXPECT_EQ(Refusal(Replaced(good, "DiodeDrop = 0.45", "DiodeDrop = -0.1")).find(head + "30"),
              0u);
    EXPECT_EQ(Refusal(Replaced(good, "DiodeDrop = 0.45", "DiodeDrop = 1e0")).find(head + "30"),
              0u);
    EXPECT_EQ(Refusal(Replaced(good, "Model = circuit", "Model = spice")),
              head + "28: Model: expected static or circuit, not spice   # static or circuit");
    EXPECT_EQ(Refusal(Replaced(good, "Model = circuit", "Model = static")),
              head + "25: View: 4 (the currents) needs Model = circuit in [circuit]");
}

} // namespace
} // namespace engine
