#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "tests/cli/run_in_process.h"

#include <gtest/gtest.h>

#include <sstream>

// --sweep and --view-window: reading them, and what the runs print.

namespace cli {
namespace {

std::vector<std::string> Split(const std::string& text, char by)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, by);) {
        parts.push_back(part);
    }
    return parts;
}

std::string ErrorOf(const std::vector<std::string>& args)
{
    const ParseResult result = ParseCommandLine(args);
    const auto* error = std::get_if<UsageError>(&result);
    return error != nullptr ? error->Message : "";
}

TEST(CliSweep, ValuesRunFromFromToToWithTheWrittenDecimals)
{
    const SweepRequest sweep =
        *std::get<CliRequest>(ParseCommandLine({"--sweep", "7=0,1:0.3:0.1"})).Sweep;
    // 0.1 + 2 * 0.1 falls short of 0.3 in binary: TO is reached all the same.
    ASSERT_EQ(sweep.Count, 3);
    EXPECT_EQ(sweep.ValueText(0, ','), "0,1");
    EXPECT_EQ(sweep.ValueText(2, '.'), "0.3");
    const SweepRequest wide =
        *std::get<CliRequest>(ParseCommandLine({"--sweep=6=1000:9999:1000"})).Sweep;
    EXPECT_EQ(wide.Count, 9);
    EXPECT_EQ(wide.ValueText(8, '.'), "9000");
    EXPECT_EQ(std::get<CliRequest>(ParseCommandLine({"--sweep", "1=0:9999:1"})).Sweep->Count,
              kMaxSweepRuns);
}

// Every line's results are those of the value it shows: the box must read the whole text.
TEST(CliSweep, EachValueIsTypedSoThatTheBoxReadsAllOfIt)
{
    const auto rpmOf = [](const std::vector<std::string>& args) {
        const Outcome o = RunCli(args);
        return Split(Split(o.out, '\n').at(0), ' ').at(2); // "RPM = 123;"
    };
    const Outcome big = RunCli({"--decimal-separator", ".", "--sweep",
                                "1=1000000000000000000:2000000000000000000:1000000000000000000"});
    const std::vector<std::string> lines = Split(big.out, '\n');
    ASSERT_EQ(lines.size(), 3u) << big.err;
    EXPECT_EQ(Split(lines[2], '\t')[0], "2000000000000000000");
    EXPECT_EQ(Split(lines[2], '\t')[1] + ";",
              rpmOf({"--decimal-separator", ".", "--set", "1=2000000000000000000"}));
    // A separator the box does not read is only shown, never typed.
    const Outcome odd = RunCli({"--decimal-separator", ";", "--sweep", "1=11.5:11.5:1"});
    ASSERT_EQ(Split(odd.out, '\n').size(), 2u) << odd.err;
    EXPECT_EQ(Split(Split(odd.out, '\n')[1], '\t')[0], "11;5");
    EXPECT_EQ(Split(Split(odd.out, '\n')[1], '\t')[1] + ";", rpmOf({"--set", "1=11.5"}));
    // Values the box cannot read at all are refused.
    EXPECT_NE(ErrorOf({"--sweep", "1=-1:1:1"}).find("it cannot read -1"), std::string::npos);
    EXPECT_NE(ErrorOf({"--sweep", "1=" + std::string(39, '9') + ":" + std::string(39, '9') + ":1"}),
              "");
}

TEST(CliSweep, BadSweepsWindowsAndCombinationsAreUsageErrors)
{
    for (const std::string bad : {"11=1:2:1", "1=1:2", "1=a:2:1", "1=1:2:0", "1=2:1:1",
                                  "1=0:10000:1", "1=0:1:1e-9", "1=1:2:1:3"}) {
        EXPECT_EQ(ErrorOf({"--sweep", bad}).rfind("bad value '" + bad + "' for --sweep", 0), 0u)
            << bad;
    }
    EXPECT_EQ(ErrorOf({"--sweep", "1=1:2:1", "--png", "x.png"}),
              "--sweep prints a table of its own: it cannot be combined with --png");
    EXPECT_EQ(ErrorOf({"--log", "l.txt", "--view-window", "0", "10"}),
              "--view-window restricts --channels, --png, --zc, --measure, --vcd and --sweep: "
              "give one of them (--log always writes the whole run)");
    EXPECT_EQ(ErrorOf({"--channels", "--view-window", "5"}),
              "--view-window needs two values: --view-window START LEN");
    EXPECT_EQ(ErrorOf({"--channels", "--view-window", "-1", "10"}).rfind("bad values '-1 10'", 0),
              0u);
    EXPECT_NE(ErrorOf({"--channels", "--view-window", "0", "0"}), "");
    EXPECT_NE(ErrorOf({"--png-size", "800x600"}), "");
    for (const std::string bad : {"800", "0x600", "9000x600", "800x600x2"}) {
        EXPECT_NE(ErrorOf({"--png", "a.png", "--png-size", bad}), "") << bad;
    }
}

TEST(CliSweep, OneLinePerRunWithTheExtremesOfTheViewWindow)
{
    const Outcome o = RunCli({"--decimal-separator", ".", "--set", "1=12", "--sweep",
                              "10=50:100:25", "--view-window", "100", "300"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;
    const std::vector<std::string> lines = Split(o.out, '\n');
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "value\tRPM\ttiming\tsamples\tA min\tA max\tB min\tB max\tC min\tC max\t"
                        "Zero-wire min\tZero-wire max");
    // The last run is the one of the other options alone, as --summary and --channels see it.
    const Outcome single = RunCli({"--decimal-separator", ".", "--set", "1=12", "--summary",
                                   "--channels", "--view-window", "100", "300"});
    const std::vector<std::string> rows = Split(single.out, '\n');
    const std::vector<std::string> last = Split(lines[3], '\t');
    ASSERT_EQ(last.size(), 12u);
    EXPECT_EQ(rows[0], "RPM = " + last[1] + ";   Timing = " + last[2] + " deg");
    EXPECT_EQ(rows[1], "samples: " + last[3]);
    ASSERT_EQ(rows.size(), 2u + 4u + 300u);
    for (std::size_t k = 0; k < 4; ++k) {
        double low = 1e9;
        double high = -1e9;
        for (std::size_t i = 6; i < rows.size(); ++i) {
            low = std::min(low, std::stod(Split(rows[i], '\t')[k]));
            high = std::max(high, std::stod(Split(rows[i], '\t')[k]));
        }
        EXPECT_EQ(std::stod(last[4 + 2 * k]), low) << "channel " << k;
        EXPECT_EQ(std::stod(last[5 + 2 * k]), high) << "channel " << k;
    }
    EXPECT_LT(std::stoi(Split(lines[1], '\t')[1]), std::stoi(last[1])); // less duty, slower
}

TEST(CliSweep, ARefusedRunIsNamedInItsLineAndTheOthersGoOn)
{
    const Outcome o =
        RunCli({"--decimal-separator", ".", "--view", "0", "--sweep", "4=0:0.1:0.05"});
    EXPECT_EQ(o.status, kExitRunFailed);
    const std::vector<std::string> lines = Split(o.out, '\n');
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "0.00\tMotor resistance is 0 Ohms: the stall current is undefined");
    EXPECT_EQ(Split(lines[2], '\t').size(), 6u);
    EXPECT_EQ(Split(lines[3], '\t')[0], "0.10");
    EXPECT_EQ(o.err, "bldc-emu: 4=0.00: Motor resistance is 0 Ohms: the stall current is "
                     "undefined\n");
}

Outcome RunWith(const std::vector<std::string>& args, const RunContext& context)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCommandLine(args, out, err, context);
    return {status, out.str(), err.str()};
}

// What a terminal shows after `text`: a carriage return goes back to the start of the line,
// later characters overwrite earlier ones; blanks at line ends are not seen.
std::string Screen(const std::string& text)
{
    std::vector<std::string> lines(1);
    std::size_t column = 0;
    for (const char ch : text) {
        if (ch == '\r') {
            column = 0;
        } else if (ch == '\n') {
            lines.emplace_back();
            column = 0;
        } else {
            std::string& line = lines.back();
            line.resize(std::max(line.size(), column + 1), ' ');
            line[column++] = ch;
        }
    }
    std::string screen;
    for (std::string& line : lines) {
        line.erase(line.find_last_not_of(' ') + 1);
        screen += line + '\n';
    }
    return screen;
}

TEST(CliSweep, EveryNumberOfJobsPrintsTheSameBytes)
{
    // Long and short runs and a refusal, so that runs finish out of order.
    const std::vector<std::string> sweep{"--decimal-separator", ".", "--sweep", "1=0:6:1"};
    const Outcome one = RunWith(sweep, RunContext{.Cores = 1});
    ASSERT_EQ(one.status, kExitRunFailed);
    ASSERT_EQ(Split(one.out, '\n').size(), 8u);
    for (const unsigned cores : {3u, 16u}) {
        const Outcome many = RunWith(sweep, RunContext{.Cores = cores});
        EXPECT_EQ(many.status, one.status);
        EXPECT_EQ(many.out, one.out) << cores << " cores";
        EXPECT_EQ(many.err, one.err) << cores << " cores";
    }
    std::vector<std::string> jobs = sweep;
    jobs.insert(jobs.end(), {"--jobs", "3"});
    EXPECT_EQ(RunCli(jobs).out, one.out);
    for (const std::string bad : {"0", "257", "x", ""}) {
        EXPECT_EQ(ErrorOf({"--jobs", bad}),
                  "bad value '" + bad + "' for --jobs: expected a number of cores from 1 to 256");
    }
}

TEST(CliSweep, ATerminalSeesProgressThatIsClearedBeforeEachMessage)
{
    const std::vector<std::string> sweep{"--decimal-separator", ".", "--sweep", "4=0:0.1:0.05",
                                         "--duty-scale",        "1"};
    const Outcome quiet = RunWith(sweep, RunContext{.Cores = 1});
    const Outcome shown = RunWith(sweep, RunContext{.ErrIsTerminal = true,
                                                    .Cores = 1,
                                                    .ProgressEvery = std::chrono::milliseconds(1)});
    EXPECT_EQ(shown.out, quiet.out);
    EXPECT_NE(shown.err.find(" of 3 runs done"), std::string::npos) << shown.err;
    // Each progress text is wiped before a message and at the end: the terminal is left
    // showing exactly the plain error output.
    EXPECT_EQ(Screen(shown.err), Screen(quiet.err));
    EXPECT_NE(Screen(quiet.err), "");
    EXPECT_EQ(shown.status, quiet.status);
}

TEST(CliViewWindow, AWindowBeyondTheRunIsMovedBackKeepingItsLength)
{
    const std::vector<std::string> all = Split(RunCli({"--channels"}).out, '\n');
    const std::vector<std::string> tail =
        Split(RunCli({"--channels", "--view-window", "4320", "50"}).out, '\n');
    ASSERT_EQ(all.size(), 4u + 4326u);
    // The channel descriptors (the view's range) stay those of the whole run.
    std::vector<std::string> expected(all.begin(), all.begin() + 4);
    expected.insert(expected.end(), all.end() - 50, all.end());
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(Split(RunCli({"--channels", "--view-window", "0", "99999"}).out, '\n'), all);
}

} // namespace
} // namespace cli
