#include "cli/cli_options.h"
#include "cli/cli_runner.h"

#include <gtest/gtest.h>

#include <sstream>

// --sweep and --view-window: reading them, and what the runs print.

namespace cli {
namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome RunCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommandLine(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Split(const std::string& text, char by) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, by);) {
        parts.push_back(part);
    }
    return parts;
}

std::string ErrorOf(const std::vector<std::string>& args) {
    const ParseResult result = ParseCommandLine(args);
    const auto* error = std::get_if<UsageError>(&result);
    return error != nullptr ? error->Message : "";
}

TEST(CliSweep, ValuesRunFromFromToToWithTheWrittenDecimals) {
    const ParseResult parsed = ParseCommandLine({"--sweep", "7=0,1:0.3:0.1"});
    ASSERT_TRUE(std::holds_alternative<CliRequest>(parsed)) << ErrorOf({"--sweep", "7=0,1:0.3:0.1"});
    const SweepRequest& sweep = *std::get<CliRequest>(parsed).Sweep;
    EXPECT_EQ(sweep.Tag, 7);
    // 0.1 + 2 * 0.1 falls short of 0.3 in binary: TO is reached all the same.
    ASSERT_EQ(sweep.Count, 3);
    EXPECT_EQ(sweep.ValueText(0, ','), "0,1");
    EXPECT_EQ(sweep.ValueText(2, '.'), "0.3");

    const SweepRequest wide = *std::get<CliRequest>(ParseCommandLine({"--sweep=6=1000:9999:1000"})).Sweep;
    EXPECT_EQ(wide.Count, 9);
    EXPECT_EQ(wide.ValueText(8, '.'), "9000");
    EXPECT_EQ(std::get<CliRequest>(ParseCommandLine({"--sweep", "1=5:5:1"})).Sweep->Count, 1);
    EXPECT_EQ(std::get<CliRequest>(ParseCommandLine({"--sweep", "1=0:9999:1"})).Sweep->Count, 10000);
}

TEST(CliSweep, BadSweepsAndWindowsAreUsageErrors) {
    for (const std::string bad : {"11=1:2:1", "1=1:2", "1=a:2:1", "1=1:2:0", "1=1:2:-1", "1=2:1:1",
                                   "1=0:10000:1", "1=0:1:1e-9", "1=1:2:1:3", "1=1;2;1"}) {
        EXPECT_EQ(ErrorOf({"--sweep", bad}).rfind("bad value '" + bad + "' for --sweep: expected N=", 0), 0u)
            << bad << ": " << ErrorOf({"--sweep", bad});
    }
    EXPECT_EQ(ErrorOf({"--sweep", "1=1:2:1", "--channels"}),
              "--sweep prints a table of its own: it cannot be combined with --channels");
    EXPECT_NE(ErrorOf({"--sweep", "1=1:2:1", "--png", "x.png"}), "");
    EXPECT_EQ(ErrorOf({"--view-window", "0", "10"}),
              "--view-window restricts --channels, --png and --sweep: give one of them "
              "(--log always writes the whole run)");
    EXPECT_EQ(ErrorOf({"--channels", "--view-window", "5"}),
              "--view-window needs two values: --view-window START LEN");
    EXPECT_EQ(ErrorOf({"--channels", "--view-window=5"}),
              "--view-window takes two values: --view-window START LEN");
    for (const auto& [start, len] : std::vector<std::pair<std::string, std::string>>{
             {"-1", "10"}, {"0", "0"}, {"x", "10"}, {"0", "99999999999"}}) {
        EXPECT_EQ(ErrorOf({"--channels", "--view-window", start, len})
                      .rfind("bad values '" + start + " " + len + "' for --view-window", 0),
                  0u);
    }
    EXPECT_EQ(ErrorOf({"--png-size", "800x600"}), "--png-size applies to --png: give --png FILE as well");
    for (const std::string bad : {"800", "0x600", "800x", "9000x600", "800x600x2"}) {
        EXPECT_NE(ErrorOf({"--png", "a.png", "--png-size", bad}), "") << bad;
    }
}

TEST(CliSweep, OneLinePerRunWithTheViewsExtremes) {
    const Outcome o = RunCli({"--decimal-separator", ".", "--view", "1", "--sweep", "10=50:100:25"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;
    EXPECT_EQ(o.err, "");
    const std::vector<std::string> lines = Split(o.out, '\n');
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "value\tRPM\ttiming\tsamples\tA min\tA max\tB min\tB max\tC min\tC max\t"
                        "Zero-wire min\tZero-wire max");
    // The last value is the default duty: its run is the one --summary reports.
    const std::vector<std::string> last = Split(lines[3], '\t');
    ASSERT_EQ(last.size(), 12u);
    EXPECT_EQ(std::vector<std::string>(last.begin(), last.begin() + 4),
              (std::vector<std::string>{"100", "13892", "25.0", "4326"}));

    // Its extremes are those of the channel lines of the same run.
    const Outcome channels = RunCli({"--decimal-separator", ".", "--channels"});
    const std::vector<std::string> rows = Split(channels.out, '\n');
    std::vector<double> low(4, 1e9);
    std::vector<double> high(4, -1e9);
    for (std::size_t i = 4; i < rows.size(); ++i) {
        const std::vector<std::string> values = Split(rows[i], '\t');
        for (std::size_t k = 0; k < 4; ++k) {
            low[k] = std::min(low[k], std::stod(values[k]));
            high[k] = std::max(high[k], std::stod(values[k]));
        }
    }
    for (std::size_t k = 0; k < 4; ++k) {
        EXPECT_DOUBLE_EQ(std::stod(last[4 + 2 * k]), low[k]) << "channel " << k;
        EXPECT_DOUBLE_EQ(std::stod(last[5 + 2 * k]), high[k]) << "channel " << k;
    }
    // A smaller duty turns the motor slower.
    EXPECT_LT(std::stoi(Split(lines[1], '\t')[1]), std::stoi(last[1]));
}

TEST(CliSweep, StartsFromTheOtherOptionsAndTheWindowNarrowsTheExtremes) {
    const Outcome whole = RunCli({"--decimal-separator", ",", "--set", "10=50", "--view", "0",
                                  "--sweep", "1=11,1:11,1:1"});
    const Outcome window = RunCli({"--decimal-separator", ",", "--set", "10=50", "--view", "0",
                                   "--sweep", "1=11,1:11,1:1", "--view-window", "100", "10"});
    const Outcome single = RunCli({"--decimal-separator", ",", "--set", "10=50", "--summary"});
    ASSERT_EQ(whole.status, kExitSuccess) << whole.err;
    ASSERT_EQ(window.status, kExitSuccess) << window.err;
    const std::vector<std::string> a = Split(Split(whole.out, '\n')[1], '\t');
    const std::vector<std::string> b = Split(Split(window.out, '\n')[1], '\t');
    ASSERT_EQ(a.size(), 6u);
    EXPECT_EQ(a[0], "11,1");
    EXPECT_EQ("RPM = " + a[1] + ";   Timing = " + a[2] + " deg\nsamples: " + a[3] + "\n", single.out);
    EXPECT_EQ(std::vector<std::string>(a.begin(), a.begin() + 4),
              std::vector<std::string>(b.begin(), b.begin() + 4));
    // Ten samples of a PWM period see less of the battery's swing than the whole run.
    const auto number = [](std::string text) { return std::stod(text.replace(text.find(','), 1, ".")); };
    EXPECT_GE(number(b[4]), number(a[4]));
    EXPECT_LE(number(b[5]), number(a[5]));
    EXPECT_LT(number(b[5]) - number(b[4]), number(a[5]) - number(a[4]));
}

TEST(CliSweep, ARefusedRunIsNamedInItsLineAndTheOthersGoOn) {
    const Outcome o = RunCli({"--decimal-separator", ".", "--view", "0", "--sweep", "4=0:0.106:0.053"});
    EXPECT_EQ(o.status, kExitRunFailed);
    const std::vector<std::string> lines = Split(o.out, '\n');
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "0.000\tMotor resistance is 0 Ohms: the stall current is undefined");
    EXPECT_EQ(Split(lines[2], '\t').size(), 6u);
    EXPECT_EQ(Split(lines[2], '\t')[0], "0.053");
    EXPECT_EQ(Split(lines[3], '\t')[0], "0.106");
    EXPECT_EQ(o.err, "bldc-emu: 4=0.000: Motor resistance is 0 Ohms: the stall current is undefined\n");
}

TEST(CliViewWindow, ChannelsPrintTheWindowMovedIntoTheRun) {
    const Outcome all = RunCli({"--decimal-separator", ".", "--channels"});
    const Outcome part = RunCli({"--decimal-separator", ".", "--channels", "--view-window", "1000", "5"});
    const Outcome tail = RunCli({"--decimal-separator", ".", "--channels", "--view-window", "4320", "50"});
    const Outcome wide = RunCli({"--decimal-separator", ".", "--channels", "--view-window", "7", "99999"});
    const std::vector<std::string> rows = Split(all.out, '\n');
    ASSERT_EQ(rows.size(), 4u + 4326u);
    // The channel descriptors (the view's range) stay those of the whole run.
    const std::vector<std::string> expected{rows[0], rows[1], rows[2], rows[3], rows[4 + 1000],
                                            rows[4 + 1001], rows[4 + 1002], rows[4 + 1003], rows[4 + 1004]};
    EXPECT_EQ(Split(part.out, '\n'), expected);
    // Beyond the end the window keeps its length and ends at the last sample.
    const std::vector<std::string> tailRows = Split(tail.out, '\n');
    ASSERT_EQ(tailRows.size(), 54u);
    EXPECT_EQ(tailRows[4], rows[4 + 4326 - 50]);
    EXPECT_EQ(tailRows.back(), rows.back());
    EXPECT_EQ(Split(wide.out, '\n'), rows);
}

} // namespace
} // namespace cli
