#include "cli/cli_options.h"
#include "cli/help_text.h"
#include "cli/option_table.h"
#include "tests/cli/run_in_process.h"

#include <gtest/gtest.h>

#include <sstream>

// What a user of any command line expects: --help and --version, "--", "-", values that look
// like options, warnings for texts a box reads only in part, messages that stay one line.

namespace cli {
namespace {

std::string ErrorOf(const std::vector<std::string>& args)
{
    const ParseResult result = ParseCommandLine(args);
    const auto* error = std::get_if<UsageError>(&result);
    return error != nullptr ? error->Message : "";
}

TEST(CliConventions, HelpListsEveryOptionOfTheTableWithinEightyColumns)
{
    const Outcome help = RunCli({"--help"});
    ASSERT_EQ(help.status, kExitSuccess);
    std::istringstream lines(help.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), kHelpWidth) << line;
        EXPECT_TRUE(line.empty() || line.back() != ' ') << line;
    }
    for (const OptionRow& option : OptionTable()) {
        const std::string lead =
            std::string(option.Name) + (option.ValueName.empty() ? "" : " " + option.ValueName);
        EXPECT_TRUE(help.out.find(lead + " ") != std::string::npos ||
                    help.out.find(lead + "\n") != std::string::npos)
            << lead;
        // A value name in the help and a handler that takes no value would contradict.
        EXPECT_EQ(option.ValueName.empty(), std::holds_alternative<FlagHandler>(option.Handler))
            << option.Name;
    }
    EXPECT_EQ(RunCli({"-h"}).out, help.out);
}

// help2man and readers of GNU-style help tell an option from its text by two spaces or more.
TEST(CliConventions, HelpSetsTwoSpacesOrALineBetweenAnOptionAndItsText)
{
    const std::string help = RunCli({"--help"}).out;
    for (const OptionRow& option : OptionTable()) {
        std::string lead = "\n  ";
        if (!option.ShortName.empty()) {
            lead += std::string(option.ShortName) + ", ";
        }
        lead += std::string(option.Name) + (option.ValueName.empty() ? "" : " " + option.ValueName);
        const std::size_t at = help.find(lead);
        ASSERT_NE(at, std::string::npos) << lead;
        const std::string after = help.substr(at + lead.size(), 2);
        EXPECT_TRUE(after[0] == '\n' || after == "  ")
            << lead << " is followed by '" << after << "'";
    }
}

TEST(CliConventions, VersionNamesTheProgramAndWinsLikeHelp)
{
    const Outcome o = RunCli({"--view", "2", "--version", "--bogus"});
    EXPECT_EQ(o.status, kExitSuccess);
    EXPECT_EQ(o.out.rfind("bldc-emu ", 0), 0u);
    EXPECT_EQ(o.out, VersionText());
    EXPECT_EQ(std::count(o.out.begin(), o.out.end(), '\n'), 1);
    EXPECT_EQ(o.err, "");
}

TEST(CliConventions, DoubleDashEndsTheOptions)
{
    EXPECT_EQ(RunCli({"--summary", "--"}).status, kExitSuccess);
    const Outcome o = RunCli({"--", "--summary"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_EQ(o.err, "bldc-emu: unexpected argument '--summary' (see --help)\n");
}

TEST(CliConventions, AValueThatLooksLikeAnOptionNeedsTheEqualsForm)
{
    EXPECT_EQ(ErrorOf({"--log", "--decimal-separator=."}),
              "--log needs a value, not the option '--decimal-separator=.' (a value that looks "
              "like an option is given as --log=VALUE)");
    EXPECT_NE(ErrorOf({"--png", "-h"}), "");
    EXPECT_NE(ErrorOf({"--channels", "--view-window", "0", "--summary"}), "");
    const ParseResult taken = ParseCommandLine({"--log=--decimal-separator=."});
    EXPECT_EQ(std::get<CliRequest>(taken).LogPath, "--decimal-separator=.");
    // A dash alone or a negative number is a value.
    EXPECT_EQ(std::get<CliRequest>(ParseCommandLine({"--png", "-"})).PngPath, "-");
    EXPECT_EQ(RunCli({"--log", "--summary"}).status, kExitUsage);
}

TEST(CliConventions, ASecondSweepAndTextBesideAPictureOnStandardOutputAreRefused)
{
    EXPECT_EQ(ErrorOf({"--sweep", "1=1:2:1", "--sweep=1=1:3:1"}), "--sweep can be given only once");
    EXPECT_NE(ErrorOf({"--png", "-", "--summary"}), "");
    EXPECT_NE(ErrorOf({"--png", "-", "--log", "-"}), "");
    EXPECT_EQ(ErrorOf({"--png", "-", "--log", "log.txt"}), "");
}

TEST(CliConventions, SetWarnsWhenTheBoxReadLessThanWasTyped)
{
    const Outcome o = RunCli({"--decimal-separator", ".", "--params", "--set", "7=3deg", "--set",
                              "3=abc", "--set", "3=1,390", "--set", "2=", "--set", "1=.", "--set",
                              "8=" + std::string(40, '9')});
    EXPECT_EQ(o.status, kExitRunFailed); // a nominal voltage of 0
    EXPECT_EQ(o.err.substr(0, o.err.find("bldc-emu: The motor")),
              "bldc-emu: warning: --set 7=3deg: the timing at 10 % duty (deg) box read \"3\" and "
              "ignored \"deg\"\n"
              "bldc-emu: warning: --set 3=abc: the motor RPM/V box read no number, ignored "
              "\"abc\", and keeps its value\n"
              "bldc-emu: warning: --set 3=1,390: the motor RPM/V box reads \"1,390\" as 1.39 "
              "(shown as 1), not as 1390: \",\" and \".\" both mark decimals; type 1390 for that\n"
              "bldc-emu: warning: --set 8=" +
                  std::string(40, '9') + ": the timing at 100 % duty (deg) box read no number (\"" +
                  std::string(40, '9') + "\" lies beyond single precision) and keeps its value\n");
    // The reading itself is unchanged: 1,390 is read whole as 1.39 (shown rounded), with a word.
    EXPECT_NE(o.out.find("3\t1\n"), std::string::npos) << o.out;
    EXPECT_NE(o.out.find("7\t3.0\n"), std::string::npos) << o.out;
}

TEST(CliConventions, StrictRefusesATextReadInPartBeforeAnythingRuns)
{
    const Outcome o = RunCli({"--params", "--set", "6=4k", "--strict"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "bldc-emu: --set 6=4k: the PWM frequency (Hz) box read \"4\" and ignored "
                     "\"k\" (refused under --strict)\n");
    EXPECT_EQ(RunCli({"--strict", "--set", "6=8000,0"}).status, kExitSuccess);
}

TEST(CliConventions, MessagesShowControlBytesEscaped)
{
    const Outcome o = RunCli({"--view", "1\n2\x01\\"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_EQ(o.err, "bldc-emu: bad value '1\\n2\\x01\\\\' for --view: expected 0, 1, 2 or 3\n");
    const Outcome warned = RunCli({"--set", "7=4\tk"});
    EXPECT_EQ(std::count(warned.err.begin(), warned.err.end(), '\n'), 1) << warned.err;
    EXPECT_NE(warned.err.find("ignored \"\\tk\""), std::string::npos) << warned.err;
}

TEST(CliConventions, ASingleAngleRunThatCannotAdvanceSaysWhyItHasNoSamples)
{
    const Outcome o = RunCli({"--decimal-separator", ".", "--angle", "3000", "--summary"});
    EXPECT_EQ(o.status, kExitSuccess);
    EXPECT_EQ(o.out, "RPM = 13892;   Timing = 25.0 deg\nsamples: 0\n");
    EXPECT_EQ(o.err.rfind("bldc-emu: warning: the single-angle run at 3000 deg records no "
                          "samples",
                          0),
              0u)
        << o.err;
    EXPECT_EQ(RunCli({"--angle", "2047.99", "--summary"}).err, "");
    EXPECT_NE(RunCli({"--angle", "-2048.001"}).err, "");
}

} // namespace
} // namespace cli
