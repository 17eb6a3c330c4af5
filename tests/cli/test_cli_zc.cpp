#include "cli/cli_options.h"
#include "cli/cli_runner.h"
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/zero_crossing.h"
#include "engine/zero_crossing_text.h"
#include "tests/cli/run_in_process.h"

#include <gtest/gtest.h>

#include <sstream>

// --zc and its detector settings: the table, the sweep's columns and the refusals.

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

// The engine's table for the default parameters at `duty` %, H-side PWM only.
engine::ZcTable EngineTable(float duty, int view, const engine::DetectorSettings& detector,
                            engine::SampleWindow window = {0, 1 << 30})
{
    engine::TParams params = engine::DefaultParams();
    params[engine::PwmDuty] = duty;
    const engine::OperatingPoint op = engine::ComputeOperatingPoint(params, {}, -1, -0.5f);
    engine::SampleBuffer run;
    engine::CalcPhases(params, {}, -1, -0.5f, run);
    engine::ChannelSet channels;
    engine::PrepareRes(view, engine::ChannelTexts{}, '.', run, channels);
    return engine::AnalyseZeroCrossings(run, op, channels, view, detector, window);
}

TEST(CliZc, TheTableIsTheEnginesForTheSameRunAndDetector)
{
    const Outcome o = RunCli({"--decimal-separator", ".", "--set", "10=20", "--view", "2", "--zc",
                              "--zc-sampling", "off", "--zc-blanking", "2,5", "--zc-filter", "3"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;
    EXPECT_EQ(o.err, "");
    engine::DetectorSettings detector;
    detector.Sampling = engine::ZcSampling::Off;
    detector.BlankingDeg = 2.5;
    detector.Filter = 3;
    const engine::ZcTable table = EngineTable(20, 2, detector);
    ASSERT_EQ(table.Rows.size(), 5u);
    EXPECT_EQ(o.out, engine::ZcTableTsv(table, '.'));

    const std::vector<std::string> lines = Split(o.out, '\n');
    EXPECT_EQ(lines[0], "PHASE\tDIRECTION\tTRUE ANGLE (deg)\tTRUE TIME (us)\tSTATUS\tINDEX\t"
                        "ANGLE (deg)\tERROR (deg)\tERROR (us)\tIMPLIED COMMUTATION (deg)\t"
                        "COMMUTATION (deg)");
    const std::vector<std::string> first = Split(lines[1], '\t');
    ASSERT_EQ(first.size(), 11u);
    EXPECT_EQ(first[0], "A");
    EXPECT_EQ(first[1], "rising");
    EXPECT_EQ(first[2], "90.0000");
    EXPECT_EQ(first[4], "detected");
    EXPECT_EQ(std::stoi(first[5]), table.Rows[0].Found.Index);

    // A window lists the intervals it touches.
    const Outcome window =
        RunCli({"--decimal-separator", ",", "--zc", "--view-window", "1500", "9"});
    EXPECT_EQ(window.out, engine::ZcTableTsv(EngineTable(100, 1, {}, {1500, 9}), ','));
    EXPECT_EQ(Split(window.out, '\n').size(), 2u);
}

TEST(CliZc, AnUndetectedIntervalLeavesTheDetectionColumnsEmpty)
{
    // View 2 at full duty never sees the falling crossings inside their intervals.
    const Outcome o = RunCli({"--decimal-separator", ".", "--view", "2", "--zc"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;
    const std::vector<std::string> lines = Split(o.out, '\n');
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "B\tfalling\t150.0000\t1805.590\tmissed\t\t\t\t\t\t155.0357");
}

TEST(CliZc, AnEmptyTableSaysWhyAndIsNoFailure)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--zc", "--pattern", "180"},
          std::vector<std::string>{"--zc", "--angle", "30"},
          std::vector<std::string>{"--zc", "--view", "0"}}) {
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.status, kExitSuccess) << args[1];
        EXPECT_EQ(Split(o.out, '\n').size(), 1u) << args[1];
        EXPECT_EQ(o.err.rfind("bldc-emu: ", 0), 0u) << args[1];
    }
    EXPECT_NE(RunCli({"--zc", "--pattern", "180"}).err.find("180-degree"), std::string::npos);
}

TEST(CliZc, DetectorValuesOutOfRangeAreUsageErrors)
{
    for (const std::vector<std::string>& args : {
             std::vector<std::string>{"--zc", "--zc-filter", "0"},
             std::vector<std::string>{"--zc", "--zc-filter", "1001"},
             std::vector<std::string>{"--zc", "--zc-filter", "2.5"},
             std::vector<std::string>{"--zc", "--zc-blanking", "-1"},
             std::vector<std::string>{"--zc", "--zc-blanking", "60.01"},
             std::vector<std::string>{"--zc", "--zc-blanking", "nan"},
             std::vector<std::string>{"--zc", "--zc-sampling", "ON"},
             std::vector<std::string>{"--zc-filter", "2"},
             std::vector<std::string>{"--zc=1"},
         }) {
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.status, kExitUsage) << args.back();
        EXPECT_EQ(o.out, "") << args.back();
    }
    // The ends of the ranges are in.
    EXPECT_EQ(RunCli({"--zc", "--zc-blanking=60", "--zc-filter=1000", "--zc-sampling=all"}).status,
              kExitSuccess);
}

TEST(CliZc, TheSweepGainsTheErrorAndMissedColumnsOnlyWithZc)
{
    const std::vector<std::string> plain =
        Split(RunCli({"--view", "2", "--sweep", "10=20:100:80"}).out, '\n');
    const Outcome o = RunCli({"--decimal-separator", ".", "--view", "2", "--zc", "--zc-sampling",
                              "all", "--sweep", "10=20:100:80"});
    ASSERT_EQ(o.status, kExitSuccess) << o.err;
    const std::vector<std::string> lines = Split(o.out, '\n');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], plain[0] + "\tzc_mean_error_deg\tzc_max_error_deg\tzc_missed");
    engine::DetectorSettings all;
    all.Sampling = engine::ZcSampling::All;
    for (const int row : {1, 2}) {
        const engine::ZcSummary expected = EngineTable(row == 1 ? 20 : 100, 2, all).Summary;
        const std::vector<std::string> cells = Split(lines[static_cast<std::size_t>(row)], '\t');
        ASSERT_EQ(cells.size(), 4u + 12u + 3u);
        EXPECT_NEAR(std::stod(cells[16]), *expected.MeanErrorDeg, 5e-5);
        EXPECT_NEAR(std::stod(cells[17]), *expected.MaxErrorDeg, 5e-5);
        EXPECT_EQ(std::stoi(cells[18]), expected.Undetected());
    }
    // At full duty the two falling crossings go undetected.
    EXPECT_EQ(Split(lines[2], '\t')[18], "2");
}

} // namespace
} // namespace cli
