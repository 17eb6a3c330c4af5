#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// bldc-emu as a user runs it: a separate process in a scratch folder.

namespace {

namespace fs = std::filesystem;

class CliBinary : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("bldc-emu-test-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs the program with `args` (shell words) in the scratch folder; returns the exit status.
    int RunBinary(const std::string& args, const std::string& output = "> out.txt")
    {
        const std::string command = "cd '" + folder_.string() + "' && '" BLDC_EMU_PATH "' " + args +
                                    " " + output + " 2> err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Read(const std::string& name) const
    {
        std::ifstream in(folder_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path folder_;
};

TEST_F(CliBinary, PrintsTheDefaultSummary)
{
    ASSERT_EQ(RunBinary("--decimal-separator ."), 0) << Read("err.txt");
    EXPECT_EQ(Read("out.txt"), "RPM = 13892;   Timing = 25.0 deg\nsamples: 4326\n");
    EXPECT_EQ(Read("err.txt"), "");
}

TEST_F(CliBinary, WritesTheLogFileWithCrLfLines)
{
    ASSERT_EQ(RunBinary("--decimal-separator , --log log.txt"), 0) << Read("err.txt");
    EXPECT_EQ(Read("out.txt"), "");
    const std::string log = Read("log.txt");
    EXPECT_EQ(
        log.rfind("INDEX\tTIME(us)\tANGLE(deg)\tHA\tLA\tHB\tLB\tHC\tLC\tA\tB\tC\tZ\tVBatt\r\n", 0),
        0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4327);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\r'), 4327);
    EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
    EXPECT_NE(log.find("\r\n4325\t4325,0\t"), std::string::npos);
}

TEST_F(CliBinary, PrintsParamsAndChannelHeadersInOrder)
{
    ASSERT_EQ(RunBinary("--decimal-separator . --channels --view 3 --params"), 0)
        << Read("err.txt");
    const std::string out = Read("out.txt");
    EXPECT_EQ(out.rfind("1\t11.1\n2\t0.0342\n3\t1390\n4\t0.0530\n5\t1.80\n6\t4000.0\n7\t2.5\n"
                        "8\t25.0\n9\t10.0\n10\t100\nCompA+\t$000000FF\t",
                        0),
              0u)
        << out.substr(0, 200);
    EXPECT_NE(out.find("\nCompX-\t$00FF00FF\t"), std::string::npos);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 10 + 4 + 4326);
}

TEST_F(CliBinary, LoadsAScenarioFromStandardInput)
{
    ASSERT_EQ(RunBinary("--set 6=8000 --view 2 --save - | '" BLDC_EMU_PATH "' --load - --params"),
              0)
        << Read("err.txt");
    EXPECT_NE(Read("out.txt").find("8000"), std::string::npos) << Read("out.txt");
    EXPECT_EQ(RunBinary("--load - < /dev/null"), 1);
    EXPECT_EQ(Read("err.txt"),
              "bldc-emu: Scenario \"standard input\", line 1: not a scenario file (it is empty)\n");
}

TEST_F(CliBinary, FailuresExitNonZeroWithOneLine)
{
    EXPECT_EQ(RunBinary("--no-such-option"), 2);
    EXPECT_EQ(Read("err.txt"), "bldc-emu: unknown option '--no-such-option' (see --help)\n");
    EXPECT_EQ(RunBinary("--set 4=0 --summary"), 1);
    EXPECT_EQ(Read("err.txt"),
              "bldc-emu: Motor resistance is 0 Ohms: the stall current is undefined\n");
    EXPECT_EQ(Read("out.txt"), "");
    EXPECT_EQ(RunBinary("--log missing/log.txt"), 1);
}

TEST_F(CliBinary, HelpAndVersionFailWhenStandardOutputCannotBeWritten)
{
    for (const std::string args : {"--help", "--version", "--summary"}) {
        for (const std::string output : {"> /dev/full", ">&-"}) {
            EXPECT_EQ(RunBinary(args, output), 1) << args << ' ' << output;
            EXPECT_EQ(Read("err.txt"), "bldc-emu: cannot write the output\n")
                << args << ' ' << output;
        }
    }
    ASSERT_EQ(RunBinary("--version"), 0);
    EXPECT_EQ(Read("out.txt").rfind("bldc-emu ", 0), 0u);
}

} // namespace
