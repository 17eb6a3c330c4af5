#include "cli/cli_options.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

CliRequest Parsed(const std::vector<std::string>& args)
{
    ParseResult result = ParseCommandLine(args);
    if (const auto* error = std::get_if<UsageError>(&result)) {
        ADD_FAILURE() << error->Message;
        return {};
    }
    return std::get<CliRequest>(result);
}

std::string ErrorOf(const std::vector<std::string>& args)
{
    ParseResult result = ParseCommandLine(args);
    const auto* error = std::get_if<UsageError>(&result);
    return error != nullptr ? error->Message : "";
}

TEST(CliOptions, EditsKeepTheirOrderAndTextsPassUnchanged)
{
    const CliRequest r =
        Parsed({"--set", "9=12,5=x", "--duty-scale", "5", "--set=1=", "--current-scale=10"});
    ASSERT_EQ(r.Edits.size(), 4u);
    const auto& first = std::get<SetBoxText>(r.Edits[0]);
    EXPECT_EQ(first.Tag, 9);
    EXPECT_EQ(first.Text, "12,5=x");
    EXPECT_EQ(std::get<MoveDutyScale>(r.Edits[1]).Position, 5);
    EXPECT_EQ(std::get<SetBoxText>(r.Edits[2]).Text, "");
    EXPECT_EQ(std::get<MoveCurrentScale>(r.Edits[3]).Position, 10);
}

TEST(CliOptions, SettingsRunAndOutputsAreRead)
{
    const CliRequest r = Parsed({"--h-pwm",
                                 "off",
                                 "--l-pwm",
                                 "on",
                                 "--driver",
                                 "0",
                                 "--mosfet",
                                 "0",
                                 "--pattern",
                                 "180",
                                 "--angle",
                                 "12,5",
                                 "--pwm",
                                 "0",
                                 "--view",
                                 "3",
                                 "--decimal-separator",
                                 ",",
                                 "--params",
                                 "--summary",
                                 "--channels",
                                 "--log",
                                 "-"});
    EXPECT_FALSE(r.Settings.HighSidePwm);
    EXPECT_TRUE(r.Settings.LowSidePwm);
    EXPECT_EQ(r.Settings.DriverKind, 0);
    EXPECT_EQ(r.Settings.MosfetKind, 0);
    EXPECT_FALSE(r.Settings.Pattern120);
    EXPECT_EQ(r.Angle, 12.5f);
    EXPECT_EQ(r.PwmState, 0);
    EXPECT_EQ(r.View, 3);
    EXPECT_EQ(r.Separator, ',');
    EXPECT_TRUE(r.ShowParams && r.ShowSummary && r.ShowChannels);
    EXPECT_EQ(r.LogPath, "-");
    EXPECT_EQ(Parsed({"--angle", "-0.5"}).Angle, -0.5f);
}

TEST(CliOptions, HelpWinsOverWhatFollows)
{
    EXPECT_TRUE(Parsed({"--view", "2", "--help", "--bogus"}).ShowHelp);
    EXPECT_TRUE(Parsed({"-h"}).ShowHelp);
}

TEST(CliOptions, BadCommandLinesAreNamed)
{
    EXPECT_EQ(ErrorOf({"--bogus"}), "unknown option '--bogus' (see --help)");
    EXPECT_EQ(ErrorOf({"summary"}), "unexpected argument 'summary' (see --help)");
    EXPECT_EQ(ErrorOf({"--view"}), "--view needs a value");
    EXPECT_EQ(ErrorOf({"--summary=yes"}), "--summary takes no value");
    EXPECT_EQ(ErrorOf({"--view", "4"}), "bad value '4' for --view: expected 0, 1, 2 or 3");
    EXPECT_EQ(ErrorOf({"--pwm", "1"}), "--pwm applies to a single-angle run: give --angle as well");
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--set", "11=5"},
             {"--set", "0=5"},
             {"--set", "5"},
             {"--set", "x=5"},
             {"--current-scale", "0"},
             {"--duty-scale", "11"},
             {"--duty-scale", "5x"},
             {"--h-pwm", "yes"},
             {"--driver", "2"},
             {"--pattern", "90"},
             {"--angle", "abc"},
             {"--angle", "1e5"},
             {"--angle", ""},
             {"--decimal-separator", "ab"},
             {"--decimal-separator", "5"},
             {"--decimal-separator", " "},
             {"--log", ""},
         }) {
        EXPECT_EQ(ErrorOf(bad).rfind("bad value '" + bad[1] + "' for " + bad[0] + ": expected ", 0),
                  0u)
            << bad[0] << ' ' << bad[1] << ": " << ErrorOf(bad);
    }
}

} // namespace
} // namespace cli
