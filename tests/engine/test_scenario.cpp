#include "engine/echoed_text.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/sample_log.h"
#include "engine/scenario.h"
#include "engine/scenario_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace engine {
namespace {

namespace fs = std::filesystem;

Scenario Awkward()
{
    Scenario s;
    s.Texts = DefaultParamTexts();
    s.Texts[NominalVoltage] = "12,6 \"V\" # not a comment";
    s.Texts[BattImpedance] = "";
    s.Texts[RpmPerVolt] = " back\\slash\ttab";
    s.Settings = {false, true, 0, 0, false};
    s.View = 3;
    return s;
}

TEST(Scenario, TextReadsBackToTheSameScenario)
{
    const Scenario s = Awkward();
    EXPECT_EQ(ParseScenario(ScenarioText(s), "a.scenario"), s);
    // Windows line ends, a byte-order mark and comments are fine.
    std::string text = "\xEF\xBB\xBF; shared set-up\n";
    for (const char ch : ScenarioText(s)) {
        text += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    EXPECT_EQ(ParseScenario(text, "a.scenario"), s);
}

TEST(Scenario, ApplyingIsTypingEachBoxInOrder)
{
    Scenario s;
    s.Texts = DefaultParamTexts();
    s.Texts[NominalVoltage] = "7,4";
    s.Texts[MaxCurrent] = "100"; // above the new short-circuit bound
    s.Texts[PwmDuty] = "40";

    // Start from a state the user left behind, not from the defaults.
    TParams params = DefaultParams();
    ParamTexts texts = DefaultParamTexts();
    ReadStartupParams(params, texts, '.');
    texts[NoLoadCurrent] = "3";
    ChangeParam(params, texts, NoLoadCurrent, true, '.');
    TParams byHand = params;
    ParamTexts byHandTexts = texts;
    for (int tag = 1; tag <= kParamCount; ++tag) {
        byHandTexts[static_cast<std::size_t>(tag)] = s.Texts[static_cast<std::size_t>(tag)];
        ChangeParam(byHand, byHandTexts, tag, true, '.');
    }
    ApplyScenarioTexts(s, params, texts, '.');
    EXPECT_EQ(texts, byHandTexts);
    EXPECT_EQ(params.Slot, byHand.Slot);
    EXPECT_EQ(texts[MaxCurrent], "43.3"); // 0.2 * 7.4 / 0.0342
}

TEST(Scenario, SavedAndLoadedGivesTheSameRun)
{
    TParams params = DefaultParams();
    ParamTexts texts = DefaultParamTexts();
    ReadStartupParams(params, texts, ',');
    texts[PwmFrequency] = "8000";
    ChangeParam(params, texts, PwmFrequency, true, ',');
    texts[PwmDuty] = "60";
    ChangeParam(params, texts, PwmDuty, true, ',');
    const Scenario saved{texts, {true, true, 1, 0, false}, 2};
    const fs::path path = fs::path(::testing::TempDir()) / "round_trip.scenario";
    SaveScenario(path.string(), saved);
    const Scenario loaded = LoadScenario(path.string());
    EXPECT_EQ(loaded, saved);

    TParams fresh;
    ParamTexts freshTexts = DefaultParamTexts();
    ReadStartupParams(fresh, freshTexts, '.');
    ApplyScenarioTexts(loaded, fresh, freshTexts, '.');
    SampleBuffer a;
    SampleBuffer b;
    CalcPhases(params, saved.Settings, -1, -0.5f, a);
    CalcPhases(fresh, loaded.Settings, -1, -0.5f, b);
    EXPECT_EQ(BuildSampleLog(a, '.'), BuildSampleLog(b, '.'));
    fs::remove(path);
}

// The message a text gives, or "" when it is read.
std::string Refusal(const std::string& text)
{
    try {
        ParseScenario(text, "set.ini");
    } catch (const ScenarioError& error) {
        return error.what();
    }
    return "";
}

// `text` with one line of the saved default scenario replaced.
std::string With(const std::string& from, const std::string& to)
{
    Scenario s;
    s.Texts = DefaultParamTexts();
    std::string text = ScenarioText(s);
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(Scenario, EveryFaultNamesTheFileAndTheLine)
{
    const std::string head = "Scenario \"set.ini\", line ";
    EXPECT_EQ(Refusal(""), head + "1: not a scenario file (it is empty)");
    EXPECT_EQ(Refusal("\x89PNG\r\n\x1A\n"), head + "1: not a scenario file (it must begin with "
                                                   "[scenario])");
    EXPECT_EQ(Refusal("INDEX\tTIME(us)\n0\t0.0\n"),
              head + "1: not a scenario file (it must begin with [scenario])");
    EXPECT_EQ(Refusal(With("format = 1", "format = 3")),
              head + "3: written by a newer version of the program (format 3; this one reads "
                     "format 2 and older)");
    EXPECT_EQ(Refusal(With("format = 1", "format = one")),
              head + "3: format: expected a whole number such as 1, not one");
    EXPECT_EQ(Refusal(With("format = 1\n", "")),
              head + "4: the [scenario] section has no format line");
    EXPECT_EQ(Refusal(With("Timing10", "Timing20")),
              head + "12: unknown key \"Timing20\" in [parameters]");
    EXPECT_EQ(Refusal(With("[graph]", "[plot]")), head + "24: unknown section [plot]");
    EXPECT_EQ(Refusal(With("View = 1", "Driver = 1")),
              head + "25: unknown key \"Driver\" in [graph]");
    EXPECT_EQ(Refusal(With("NominalVoltage = \"11,1\"", "NominalVoltage = 11,1")),
              head + "6: NominalVoltage: expected a text in double quotes, such as \"11.1\", "
                     "not 11,1");
    EXPECT_EQ(Refusal(With("NominalVoltage = \"11,1\"", "NominalVoltage = \"11,1")),
              head + "6: NominalVoltage: expected a text in double quotes, such as \"11.1\", "
                     "not \"11,1");
    EXPECT_EQ(Refusal(With("HSidePwm = on", "HSidePwm = yes")),
              head + "18: HSidePwm: expected on or off, not yes");
    EXPECT_EQ(Refusal(With("Pattern = 120", "Pattern = 90")),
              head + "22: Pattern: expected 120 or 180, not 90");
    EXPECT_EQ(Refusal(With("View = 1", "View = 1 2")), head + "25: View: expected 0, 1, 2 or 3, "
                                                              "not 1 2");
    EXPECT_EQ(Refusal(With("View = 1", "View = 1\nView = 2")),
              head + "26: View is given twice (first on line 25)");
    EXPECT_EQ(Refusal(With("Mosfet = 1", "Mosfet")), head + "21: expected NAME = VALUE");
    EXPECT_EQ(Refusal(With("LSidePwm = off\n", "")), head + "24: the file ends without LSidePwm in "
                                                            "[bridge]");
}

// What a message quotes of the file stays whole, readable and short.
TEST(Scenario, MessagesQuoteTheFileEscapedAndCut)
{
    using namespace std::string_literals;
    const std::string head = "Scenario \"set.ini\", line ";
    EXPECT_EQ(Refusal(With("View = 1", "View = 1\0"s)),
              head + "25: View: expected 0, 1, 2 or 3, not 1\\x00");
    EXPECT_EQ(Refusal(With("View = 1", "Vi\0ew = 1"s)),
              head + "25: unknown key \"Vi\\x00ew\" in [graph]");
    EXPECT_EQ(Refusal(With("View = 1", "\xFF\xC3\xA9\xC3 = 1")),
              head + "25: unknown key \"\\xff\xC3\xA9\\xc3\" in [graph]");
    const std::string refusal = Refusal(With("Timing10", std::string(60000, 'k')));
    EXPECT_EQ(refusal, head + "12: unknown key \"" + std::string(kEchoCharacters, 'k') +
                           "...\" in [parameters]");

    // Lines that end with a CR alone are lines; a CR LF is one line end.
    Scenario s = Awkward();
    std::string text = ScenarioText(s);
    std::replace(text.begin(), text.end(), '\n', '\r');
    EXPECT_EQ(ParseScenario(text, "a.scenario"), s);
    std::string windows;
    for (const char ch : With("View = 1", "View = 5")) {
        windows += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    }
    EXPECT_EQ(Refusal(windows), head + "25: View: expected 0, 1, 2 or 3, not 5");
}

TEST(Scenario, FilesThatCannotBeReadAreRefusedWithoutWaiting)
{
    const fs::path dir = fs::path(::testing::TempDir()) / "scenario_files";
    fs::create_directories(dir);
    const auto refusal = [](const fs::path& path) -> std::string {
        try {
            LoadScenario(path.string());
        } catch (const ScenarioError& error) {
            return error.what();
        }
        return "";
    };
    const fs::path missing = dir / "missing.ini";
    EXPECT_EQ(refusal(missing),
              "Cannot read scenario \"" + missing.string() + "\". No such file or directory");
    EXPECT_EQ(refusal(dir), "Cannot read scenario \"" + dir.string() + "\". Is a directory");

    // A pipe with no writer would block a plain open for ever.
    const fs::path fifo = dir / "fifo";
    fs::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(refusal(fifo),
              "Cannot read scenario \"" + fifo.string() + "\". It is not a regular file");

    const fs::path large = dir / "large.ini";
    std::ofstream(large) << "[scenario]\n" << std::string(kMaxScenarioBytes, '#') << '\n';
    EXPECT_EQ(refusal(large), "Cannot read scenario \"" + large.string() +
                                  "\". At over 64 KiB it is too large for a scenario");
    fs::remove_all(dir);
}

} // namespace
} // namespace engine
