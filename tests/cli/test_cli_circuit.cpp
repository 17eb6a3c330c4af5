#include "tests/cli/run_in_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

// The circuit model on the command line: its options, the currents view, its measurements and
// its sweeps.

namespace cli {
namespace {

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(CliCircuit, OutOfRangeValuesAndTheCurrentsViewWithoutTheModelAreRefused)
{
    for (const std::vector<std::string>& bad : {
             std::vector<std::string>{"--model", "spice"},
             {"--inductance", "10000.5"},
             {"--inductance", "-1"},
             {"--diode-drop", "5.01"},
             {"--view", "4", "--channels"},
             {"--model", "circuit", "--view", "5"},
             {"--sweep", "inductance=0:20000:5000"},
         }) {
        const Outcome o = RunCli(bad);
        EXPECT_EQ(o.status, 2) << bad[0] << " " << bad[1];
        EXPECT_EQ(Lines(o.err), 1) << o.err;
        EXPECT_TRUE(o.out.empty());
    }
    EXPECT_NE(RunCli({"--model", "circuit", "--view", "5"}).err.find("0, 1, 2, 3 or 4"),
              std::string::npos);
}

TEST(CliCircuit, TheCurrentsViewMeasurementsAndSweepsOfTheCircuitModel)
{
    const Outcome channels = RunCli({"--model", "circuit", "--inductance", "20", "--view", "4",
                                     "--channels", "--format", "csv", "--view-window", "0", "2"});
    ASSERT_EQ(channels.status, 0) << channels.err;
    EXPECT_NE(channels.out.substr(0, channels.out.find('\n')).find(",IA,IB,IC,IBatt"),
              std::string::npos);
    EXPECT_EQ(Lines(channels.out), 3);

    const Outcome measure = RunCli({"--model", "circuit", "--measure"});
    ASSERT_EQ(measure.status, 0) << measure.err;
    for (const char* row : {"IA\tRMS\t", "battery\tpower\t", "diodes\tloss\t", "\tefficiency\t"}) {
        EXPECT_NE(measure.out.find(row), std::string::npos) << row;
    }
    // The quasi-static model's measurements keep their rows.
    EXPECT_EQ(RunCli({"--measure"}).out.find("efficiency"), std::string::npos);

    // More inductance, less peak current: the IA max column falls along the sweep.
    const Outcome sweep =
        RunCli({"--model", "circuit", "--view", "4", "--sweep", "inductance=5:45:20"});
    ASSERT_EQ(sweep.status, 0) << sweep.err;
    std::istringstream lines(sweep.out);
    std::string line;
    std::getline(lines, line);
    double previous = 1e9;
    int rows = 0;
    while (std::getline(lines, line)) {
        std::istringstream cells(line);
        std::string cell;
        for (int column = 0; column < 6; ++column) {
            std::getline(cells, cell, '\t');
        }
        const double peak = std::stod(cell);
        EXPECT_LT(peak, previous) << line;
        previous = peak;
        ++rows;
    }
    EXPECT_EQ(rows, 3);

    // A saved circuit scenario brings the model and its values back.
    const std::string path = testing::TempDir() + "circuit-scenario.ini";
    ASSERT_EQ(RunCli({"--model", "circuit", "--inductance", "50", "--view", "4", "--save", path})
                  .status,
              0);
    const Outcome loaded = RunCli({"--load", path, "--channels"});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(loaded.out,
              RunCli({"--model", "circuit", "--inductance", "50", "--view", "4", "--channels"}).out);
}

} // namespace
} // namespace cli
