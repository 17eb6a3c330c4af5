#include "engine/scenario.h"
#include "tests/cli/run_in_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

// --save and --load: a scenario stands for the options it was saved from, at its place.

namespace cli {
namespace {

namespace fs = std::filesystem;

class CliScenario : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("bldc-emu-scenario-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << text;
        return PathOf(name);
    }

    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path folder_;
};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more)
{
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST_F(CliScenario, ASavedScenarioGivesTheLogOfItsOptions)
{
    const std::vector<std::vector<std::string>> setups{
        {},
        {"--set", "1=7,4", "--set", "9=20", "--duty-scale", "3", "--l-pwm", "on"},
        {"--current-scale", "1", "--set", "5=2.5", "--driver", "0", "--mosfet", "0", "--pattern",
         "180", "--h-pwm", "off", "--l-pwm", "on", "--view", "2"},
        {"--set", "6=12000", "--set", "7=5", "--set", "8=30", "--duty-scale", "8"},
    };
    for (const auto& options : setups) {
        const std::string file = PathOf("s.ini");
        ASSERT_EQ(RunCli(With(options, {"--decimal-separator", ",", "--save", file})).status, 0);
        const Outcome direct =
            RunCli(With(options, {"--decimal-separator", ".", "--log", "-", "--params"}));
        const Outcome loaded =
            RunCli({"--decimal-separator", ".", "--load", file, "--log", "-", "--params"});
        ASSERT_EQ(loaded.status, 0) << loaded.err;
        EXPECT_EQ(loaded.out, direct.out);
        // The scenario also carries the view: the channels agree too.
        const std::vector<std::string> channels{"--channels", "--view-window", "0", "300"};
        EXPECT_EQ(RunCli(With({"--load", file}, channels)).out,
                  RunCli(With(options, channels)).out);
    }
}

TEST_F(CliScenario, LoadAndSaveActAtTheirPlace)
{
    const std::string file = PathOf("base.ini");
    ASSERT_EQ(RunCli({"--set", "1=14,8", "--h-pwm", "off", "--l-pwm", "on", "--save", file, "--set",
                      "1=9"})
                  .status,
              0);
    const std::string saved = Read(file);
    EXPECT_NE(saved.find("NominalVoltage = \"14.8\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("HSidePwm = off"), std::string::npos);

    // "-" writes the same text to standard output.
    EXPECT_EQ(RunCli({"--set", "1=14,8", "--h-pwm", "off", "--l-pwm", "on", "--save", "-"}).out,
              saved);

    // Options after --load change what it set; options before it are overridden.
    const Outcome after = RunCli({"--decimal-separator", ".", "--load", file, "--set", "1=12",
                                  "--h-pwm", "on", "--log", "-"});
    const Outcome byHand =
        RunCli({"--decimal-separator", ".", "--set", "1=12", "--l-pwm", "on", "--log", "-"});
    EXPECT_EQ(after.out, byHand.out);
    const Outcome before = RunCli({"--decimal-separator", ".", "--set", "1=12", "--h-pwm", "on",
                                   "--load", file, "--log", "-"});
    const Outcome asSaved = RunCli({"--decimal-separator", ".", "--set", "1=14.8", "--h-pwm", "off",
                                    "--l-pwm", "on", "--log", "-"});
    EXPECT_EQ(before.out, asSaved.out);
}

TEST_F(CliScenario, ATextReadInPartIsNamedByTheFileItCameFrom)
{
    engine::Scenario scenario;
    scenario.Texts = engine::DefaultParamTexts();
    scenario.Texts[engine::NominalVoltage] = "12.6V";
    const std::string file = Write("volts.ini", engine::ScenarioText(scenario));
    const Outcome lenient = RunCli({"--load", file, "--params"});
    EXPECT_EQ(lenient.status, 0);
    EXPECT_EQ(lenient.err, "bldc-emu: warning: --load " + file +
                               ": NominalVoltage = \"12.6V\": the nominal voltage (V) box read "
                               "\"12.6\" and ignored \"V\"\n");
    EXPECT_EQ(RunCli({"--strict", "--load", file, "--params"}).status, kExitUsage);

    // A number typed with a thousands separator, from a file or the command line.
    scenario.Texts[engine::NominalVoltage] = "12.6";
    scenario.Texts[engine::PwmFrequency] = "8,000";
    const std::string grouped = Write("grouped.ini", engine::ScenarioText(scenario));
    const std::string note = "the PWM frequency (Hz) box reads \"8,000\" as 8 (shown as 8.0), not "
                             "as 8000: \",\" and \".\" both mark decimals; type 8000 for that";
    Outcome o = RunCli({"--decimal-separator", ".", "--load", grouped, "--params"});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "bldc-emu: warning: --load " + grouped + ": PwmFrequency = \"8,000\": " +
                         note + "\n");
    o = RunCli({"--decimal-separator", ".", "--strict", "--set", "6=8,000", "--params"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_EQ(o.err, "bldc-emu: --set 6=8,000: " + note + " (refused under --strict)\n");
    EXPECT_EQ(RunCli({"--set", "6=8,0", "--set", "2=0,034", "--strict"}).err, "");
}

TEST_F(CliScenario, ABadFileStopsEverythingWithOneMessage)
{
    engine::Scenario good;
    good.Texts = engine::DefaultParamTexts();
    const std::string text = engine::ScenarioText(good);
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string bad = text;
        return bad.replace(bad.find(from), from.size(), to);
    };
    const std::vector<std::pair<std::string, std::string>> files{
        {PathOf("missing.ini"),
         "Cannot read scenario \"" + PathOf("missing.ini") + "\". No such file or directory"},
        {PathOf(""), "Cannot read scenario \"" + PathOf("") + "\". Is a directory"},
        {Write("log.txt", "INDEX\tTIME(us)\r\n"), "line 1: not a scenario file"},
        {Write("newer.ini", replaced("format = 1", "format = 3")), "line 3: written by a newer"},
        {Write("key.ini", replaced("Driver", "Drivers")), "line 20: unknown key \"Drivers\""},
        {Write("kind.ini", replaced("Mosfet = 1", "Mosfet = P")),
         "line 21: Mosfet: expected 0 or 1, not P"},
        // Escaped once, by the reader.
        {Write("nul.ini", replaced("View = 1", std::string("Vi\0ew\\ = 1", 11))),
         "line 25: unknown key \"Vi\\x00ew\\\\\" in [graph]"},
    };
    for (const auto& [file, message] : files) {
        const std::string saved = PathOf("never.ini");
        const Outcome o = RunCli({"--save", saved, "--load", file, "--params", "--log", "-"});
        EXPECT_EQ(o.status, kExitRunFailed) << file;
        EXPECT_EQ(o.out, "") << file;
        EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
        EXPECT_EQ(o.err.find('\n'), o.err.size() - 1) << "one line: " << o.err;
        EXPECT_FALSE(fs::exists(saved)) << "nothing is written before the file is read";
    }
    // A scenario that cannot be written is a failed file too, before any run.
    const Outcome unwritable = RunCli({"--save", PathOf("no/such/folder.ini"), "--summary"});
    EXPECT_EQ(unwritable.status, kExitRunFailed);
    EXPECT_EQ(unwritable.out, "");
}

} // namespace
} // namespace cli
