#include "engine/sample_log.h"
#include "tests/support/file_size_limit.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using namespace engine;

TSampleRec Sample(float time, float angle, float a, float b, float c, float zero, float batt)
{
    TSampleRec s{};
    s.Time = time;
    s.Angle = angle;
    s.Switch[0] = 1;
    s.Switch[3] = 1;
    s.PhaseV[0] = a;
    s.PhaseV[1] = b;
    s.PhaseV[2] = c;
    s.VZero = zero;
    s.VBatt = batt;
    s.Drive[0] = 7; // not exported
    return s;
}

SampleBuffer RunOf(std::vector<TSampleRec> samples)
{
    SampleBuffer run;
    run.SampleCount = static_cast<std::int32_t>(samples.size());
    run.Samples.assign(samples.begin(), samples.end());
    return run;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text after the last CR LF";
    return lines;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class SampleLogFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = std::filesystem::temp_directory_path() / "sample_log_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
};

TEST(SampleLog, EmptyRunIsTheHeaderLineAlone)
{
    const std::string text = BuildSampleLog(SampleBuffer{}, '.');
    EXPECT_EQ(text.size(), 59u);
    EXPECT_EQ(text, std::string(kSampleLogHeader) + "\r\n");
}

TEST(SampleLog, WritesTheFieldsInColumnOrder)
{
    const SampleBuffer run =
        RunOf({Sample(0, 0, 11.1f, 0, 5.55f, 5.55f, 11.1f),
               Sample(12, 123.456789f, -0.7f, 123.4567f, 1234.5f, 1.5f, 2.5f)});
    const auto lines = SplitLines(BuildSampleLog(run, '.'));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "0\t0.0\t0.0000\t1\t0\t0\t1\t0\t0\t11.100\t0.000\t5.550\t5.550\t11.100");
    // Z (1.5) comes before VBatt (2.5).
    EXPECT_EQ(lines[2],
              "1\t12.0\t123.4568\t1\t0\t0\t1\t0\t0\t-0.700\t123.460\t1234.500\t1.500\t2.500");
}

TEST(SampleLog, EveryLineHasFourteenFieldsAndEndsWithCrLf)
{
    std::vector<TSampleRec> samples;
    for (int i = 0; i < 250; ++i) {
        samples.push_back(Sample(static_cast<float>(i), -0.5f + static_cast<float>(i) * 0.0837f,
                                 -1.0f * static_cast<float>(i), 3, 4, 5, 6));
    }
    const std::string text = BuildSampleLog(RunOf(samples), '.');
    const auto lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 251u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 251);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 251);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 13) << lines[i];
        EXPECT_NE(lines[i].front(), '\t');
        EXPECT_NE(lines[i].back(), '\t');
        EXPECT_EQ(lines[i].substr(0, lines[i].find('\t')), std::to_string(i - 1));
    }
}

TEST(SampleLog, VoltageBordersExponentFormAndTheCommaSeparator)
{
    const SampleBuffer run = RunOf({Sample(1e10f, 7.5f, -0.0004f, -0.0005f, 123456.7f, 11.1f, 0)});
    EXPECT_EQ(SplitLines(BuildSampleLog(run, '.'))[1],
              "0\t1E10\t7.5000\t1\t0\t0\t1\t0\t0\t0.000\t-0.001\t1.2346E005\t11.100\t0.000");
    const auto lines = SplitLines(BuildSampleLog(run, ','));
    EXPECT_EQ(lines[0], kSampleLogHeader);
    EXPECT_EQ(lines[1],
              "0\t1E10\t7,5000\t1\t0\t0\t1\t0\t0\t0,000\t-0,001\t1,2346E005\t11,100\t0,000");
}

TEST(SampleLog, WritesOnlyTheRecordsOfTheLastRun)
{
    SampleBuffer run = RunOf(std::vector<TSampleRec>(200, Sample(1, 1, 1, 1, 1, 1, 1)));
    run.SampleCount = 3;
    EXPECT_EQ(SplitLines(BuildSampleLog(run, '.')).size(), 4u);
    run.SampleCount = 5000; // more than the buffer holds
    EXPECT_EQ(SplitLines(BuildSampleLog(run, '.')).size(), 201u);
    run.SampleCount = -1;
    EXPECT_EQ(SplitLines(BuildSampleLog(run, '.')).size(), 1u);
}

TEST_F(SampleLogFile, SaveReplacesAnEarlierLongerFile)
{
    const auto path = folder_ / "log.txt";
    SaveSampleLog(path.string(), RunOf(std::vector<TSampleRec>(100, Sample(1, 2, 3, 4, 5, 6, 7))),
                  '.');
    EXPECT_EQ(SplitLines(ReadFile(path)).size(), 101u);

    const SampleBuffer shorter = RunOf({Sample(1, 2, 3, 4, 5, 6, 7)});
    SaveSampleLog(path.string(), shorter, '.');
    EXPECT_EQ(ReadFile(path), BuildSampleLog(shorter, '.'));
}

TEST_F(SampleLogFile, UncreatableFileNamesThePathAndTheReason)
{
    // A missing folder fails for every user, root included.
    const std::string path = (folder_ / "missing" / "log.txt").string();
    try {
        SaveSampleLog(path, SampleBuffer{}, '.');
        FAIL() << "no error";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + path + "\". No such file or directory");
    }
    EXPECT_THROW(SaveSampleLog(folder_.string(), SampleBuffer{}, '.'), FileWriteError);
}

TEST(SampleLog, FullDeviceIsAStreamWriteError)
{
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    try {
        SaveSampleLog("/dev/full", SampleBuffer{}, '.');
        FAIL() << "no error";
    } catch (const FileWriteError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
}

// A write that fails part-way (here: past the process's file-size limit, which binds root too)
// must not cost the user the log that was there, nor leave a stray file beside it.
TEST(SampleLog, AFailedWriteKeepsTheOldFile)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("bldc-keep-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string path = (folder / "log.txt").string();
    const std::string old = "INDEX\told run\r\n";
    WriteFileBytes(path, old);

    SampleBuffer run;
    run.Samples.resize(2000);
    run.SampleCount = 2000;
    std::string error;
    try {
        const FileSizeLimit limit(4096);
        SaveSampleLog(path, run, '.');
    } catch (const FileWriteError& e) {
        error = e.what();
    }

    EXPECT_EQ(error, "Stream write error");
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    // With room again the log replaces it whole.
    SaveSampleLog(path, run, '.');
    EXPECT_EQ(fs::file_size(path), BuildSampleLog(run, '.').size());
    fs::remove_all(folder);
}

} // namespace
