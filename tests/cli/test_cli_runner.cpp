#include "cli/cli_runner.h"
#include "tests/cli/run_in_process.h"

#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/sample_log.h"

#include <gtest/gtest.h>

#include <sstream>

namespace cli {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(CliRunner, WithoutOutputOptionsTheSummaryIsPrinted)
{
    const Outcome o = RunCli({"--decimal-separator", "."});
    EXPECT_EQ(o.status, kExitSuccess);
    EXPECT_EQ(o.out, "RPM = 13892;   Timing = 25.0 deg\nsamples: 4326\n");
    EXPECT_EQ(o.err, "");
}

TEST(CliRunner, ParamsShowTheNormalisedBoxTextsAfterTheEdits)
{
    const Outcome o = RunCli({"--decimal-separator", ",", "--params", "--set", "7=2.25", "--set",
                              "3=abc", "--current-scale", "1", "--duty-scale", "5"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;
    const std::vector<std::string> lines = Lines(o.out);
    ASSERT_EQ(lines.size(), 10u);
    EXPECT_EQ(lines[0], "1\t11,1");
    EXPECT_EQ(lines[2], "3\t1390"); // no number read: the value stays
    EXPECT_EQ(lines[3], "4\t0,0530");
    EXPECT_EQ(lines[6], "7\t2,3"); // half away from zero in the box
    EXPECT_EQ(lines[8], "9\t1,8"); // the free-run position copies the no-load current
    EXPECT_EQ(lines[9], "10\t50");
}

TEST(CliRunner, ARefusedRunStillShowsTheParamsAndFails)
{
    const Outcome o =
        RunCli({"--decimal-separator", ".", "--set", "9=100", "--params", "--summary"});
    EXPECT_EQ(o.status, kExitRunFailed);
    EXPECT_NE(o.out.find("9\t64.9\n"), std::string::npos) << o.out;
    EXPECT_EQ(o.out.find("RPM ="), std::string::npos);
    EXPECT_EQ(o.err.rfind("bldc-emu: The motor does not turn at this operating point", 0), 0u)
        << o.err;
    EXPECT_EQ(Lines(o.err).size(), 1u);
}

TEST(CliRunner, ChannelsListTheViewThenOneLinePerSample)
{
    const Outcome o = RunCli({"--decimal-separator", ".", "--channels", "--view", "1"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;
    const std::vector<std::string> lines = Lines(o.out);
    ASSERT_EQ(lines.size(), 4u + 4326u);
    EXPECT_EQ(lines[0].rfind("A\t$000000FF\t", 0), 0u) << lines[0];
    EXPECT_EQ(lines[3].rfind("Zero-wire\t$00FF00FF\t", 0), 0u) << lines[3];
    for (std::size_t i = 4; i < lines.size(); ++i) {
        ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 3) << i;
    }
    // The first sample at -0.5 deg: A high at the loaded battery voltage, B low.
    EXPECT_EQ(lines[4].rfind("10.7208\t0.0000\t", 0), 0u) << lines[4];
}

// The channel line of a single-angle run at 35 deg (a commutation point).
std::string LineAt35(std::vector<std::string> options)
{
    std::vector<std::string> args{"--decimal-separator", ".", "--angle", "35", "--channels"};
    args.insert(args.end(), options.begin(), options.end());
    const Outcome o = RunCli(args);
    const std::vector<std::string> lines = Lines(o.out);
    EXPECT_EQ(lines.size(), 5u) << o.err;
    return lines.size() == 5 ? lines[4] : "";
}

TEST(CliRunner, SingleAngleRunsHoldThePwmAtTheHighSideSettingUnlessGiven)
{
    // PWM on: A and C high at the loaded battery voltage, B low.
    const std::string on = LineAt35({});
    std::vector<std::string> fields;
    std::istringstream in(on);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0], fields[2]);
    EXPECT_EQ(fields[1], "0.0000");
    EXPECT_EQ(on, LineAt35({"--pwm", "1"}));
    EXPECT_NE(on, LineAt35({"--pwm", "0"}));
    // Without H-side PWM the held state is off, which here switches the low side off.
    EXPECT_NE(LineAt35({"--h-pwm", "off", "--l-pwm", "on"}),
              LineAt35({"--h-pwm", "off", "--l-pwm", "on", "--pwm", "1"}));
    EXPECT_EQ(LineAt35({"--h-pwm", "off", "--l-pwm", "on"}),
              LineAt35({"--h-pwm", "off", "--l-pwm", "on", "--pwm", "0"}));
}

TEST(CliRunner, TheLogToStandardOutputIsTheSampleLogOfTheRun)
{
    const Outcome o = RunCli({"--decimal-separator", ",", "--duty-scale", "5", "--log", "-"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;

    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, ',');
    texts[engine::PwmDuty] = "50";
    engine::ChangeParam(params, texts, engine::PwmDuty, true, ',');
    engine::SampleBuffer run;
    engine::CalcPhases(params, engine::RunSettings{}, -1, -0.5f, run);
    EXPECT_EQ(o.out, engine::BuildSampleLog(run, ','));
}

TEST(CliRunner, FailuresReportOneLineAndTheirKind)
{
    Outcome o = RunCli({"--view", "9"});
    EXPECT_EQ(o.status, kExitUsage);
    EXPECT_EQ(o.err, "bldc-emu: bad value '9' for --view: expected 0, 1, 2 or 3\n");
    EXPECT_EQ(o.out, "");

    o = RunCli({"--set", "6=0"});
    EXPECT_EQ(o.status, kExitRunFailed);
    EXPECT_EQ(o.err, "bldc-emu: PWM frequency is 0 Hz: the PWM period is undefined\n");

    o = RunCli({"--log", "/nonexistent-folder/log.txt"});
    EXPECT_EQ(o.status, kExitRunFailed);
    EXPECT_EQ(o.err.rfind("bldc-emu: Cannot create file \"/nonexistent-folder/log.txt\". ", 0), 0u)
        << o.err;

    // A write that fails after the file was opened names the file and the system's reason.
    for (const char* option : {"--log", "--vcd", "--save"}) {
        o = RunCli({option, "/dev/full"});
        EXPECT_EQ(o.status, kExitRunFailed);
        EXPECT_EQ(o.err,
                  "bldc-emu: Stream write error. File \"/dev/full\": No space left on device\n");
    }

    o = RunCli({"--help"});
    EXPECT_EQ(o.status, kExitSuccess);
    EXPECT_EQ(o.out.rfind("Usage: bldc-emu", 0), 0u);
}

TEST(CliRunner, AnOutputThatCannotBeWrittenIsAFailure)
{
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(RunCommandLine({"--summary"}, out, err), kExitRunFailed);
    EXPECT_EQ(err.str(), "bldc-emu: cannot write the output\n");
}

} // namespace
} // namespace cli
