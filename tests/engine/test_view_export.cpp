#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/params.h"
#include "engine/view_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace engine;

std::vector<std::string> Split(const std::string& text, const std::string& by)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(by, start)) != std::string::npos;
         start = end + by.size()) {
        parts.push_back(text.substr(start, end - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The lines of a text whose every line ends with CR LF.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines = Split(text, "\r\n");
    EXPECT_EQ(lines.back(), "") << "text after the last CR LF";
    lines.pop_back();
    return lines;
}

// The default run of the window, with the channels of `view`.
struct DefaultRun {
    SampleBuffer run;
    ChannelSet result;

    explicit DefaultRun(int view)
    {
        TParams params;
        ParamTexts texts = DefaultParamTexts();
        ReadStartupParams(params, texts, '.');
        CalcPhases(params, RunSettings{}, -1, -0.5f, run);
        PrepareRes(view, ChannelTexts{}, '.', run, result);
    }
};

TEST(ViewExport, WindowIsCutToTheRunAndToTheChannelRows)
{
    DefaultRun d(1);
    const std::int64_t n = d.run.SampleCount;
    ASSERT_GT(n, 1000);
    const auto range = [&](int start, int len) {
        return ClampExportRange(d.run, d.result, start, len);
    };
    EXPECT_EQ(range(100, 50), ExportRange(100, 50));
    EXPECT_EQ(range(0, static_cast<int>(n)), ExportRange(0, n));
    EXPECT_EQ(range(static_cast<int>(n) - 10, 50), ExportRange(n - 10, 10));
    EXPECT_EQ(range(-5, 10), ExportRange(0, 5));
    EXPECT_EQ(range(static_cast<int>(n) + 3, 10).Count, 0);
    EXPECT_EQ(range(10, 0).Count, 0);
    EXPECT_EQ(range(10, -4).Count, 0);
    EXPECT_EQ(range(2147483000, 2147483000).Count, 0);
    EXPECT_EQ(range(-2147483647, 2147483647), ExportRange(0, 0));

    // Rows of an earlier, shorter view and stale records behind SampleCount are not read.
    d.result.ChannelRows.resize(200);
    EXPECT_EQ(range(150, 100), ExportRange(150, 50));
    d.run.SampleCount = 120;
    EXPECT_EQ(range(0, 1000), ExportRange(0, 120));
    d.run.SampleCount = -1;
    EXPECT_EQ(range(0, 1000), ExportRange(0, 0));
}

TEST(ViewExport, HeaderNamesTheViewsChannels)
{
    DefaultRun d(2);
    const std::vector<std::string> lines = Lines(BuildViewExport(d.run, d.result, 0, 0, '.'));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "INDEX\tTIME(us)\tANGLE(deg)\tHA\tLA\tHB\tLB\tHC\tLC\t"
                        "CompA+\tCompA-\tCompB+\tCompB-\tCompC+\tCompC-");

    // A label with a TAB or a line break must not add columns or lines.
    ChannelTexts texts;
    texts.PhaseLabels = {"Ph\tA", "B\r\n", "C"};
    PrepareRes(1, texts, '.', d.run, d.result);
    const std::vector<std::string> header =
        Split(Lines(BuildViewExport(d.run, d.result, 0, 0, '.'))[0], "\t");
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(header[9], "Ph A");
    EXPECT_EQ(header[10], "B  ");
    EXPECT_EQ(header[12], "Zero-wire");
}

TEST(ViewExport, OneLinePerSampleOfTheWindowWithTheChannelValues)
{
    for (const char separator : {'.', ','}) {
        DefaultRun d(2);
        const int start = 1234;
        const int len = 777;
        const std::vector<std::string> lines =
            Lines(BuildViewExport(d.run, d.result, start, len, separator));
        ASSERT_EQ(lines.size(), static_cast<std::size_t>(len) + 1);
        for (int j = 0; j < len; ++j) {
            const int i = start + j;
            const TSampleRec& s = d.run.Samples[static_cast<std::size_t>(i)];
            const std::vector<std::string> fields = Split(lines[static_cast<std::size_t>(j) + 1], "\t");
            ASSERT_EQ(fields.size(), 15u) << "line " << j;
            EXPECT_EQ(fields[0], std::to_string(i));
            std::string expected;
            AppendFormatFixed(expected, s.Time, 10, 1, separator);
            EXPECT_EQ(fields[1], expected);
            expected.clear();
            AppendFormatFixed(expected, s.Angle, 7, 4, separator);
            EXPECT_EQ(fields[2], expected);
            for (int k = 0; k < 6; ++k) {
                EXPECT_EQ(fields[3 + static_cast<std::size_t>(k)], std::to_string(s.Switch[k]));
            }
            for (std::size_t k = 0; k < 6; ++k) {
                expected.clear();
                AppendFormatFixed(expected, d.result.ChannelRows[static_cast<std::size_t>(i)][k], 7,
                                  4, separator);
                ASSERT_EQ(fields[9 + k], expected) << "sample " << i << " channel " << k;
            }
        }
        // The angle field of the first line uses the separator asked for.
        EXPECT_NE(Split(lines[1], "\t")[2].find(separator), std::string::npos);
    }
}

TEST(ViewExport, SavedFileHoldsTheTextAndFailsAsTheLogDoes)
{
    const DefaultRun d(0);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("view_export_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path file = dir / "view.tsv";
    {
        std::ofstream old(file, std::ios::binary);
        old << std::string(100000, 'x'); // longer than the export: nothing of it may remain
    }
    SaveViewExport(file.string(), d.run, d.result, 10, 20, '.');
    std::ifstream in(file, std::ios::binary);
    const std::string written{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(written, BuildViewExport(d.run, d.result, 10, 20, '.'));
    EXPECT_EQ(Lines(written).size(), 21u);

    const std::string missing = (dir / "no such folder" / "view.tsv").string();
    try {
        SaveViewExport(missing, d.run, d.result, 0, 10, '.');
        FAIL() << "no error for a missing folder";
    } catch (const LogWriteError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Cannot create file \"" + missing + "\". No such file or directory");
    }
    std::filesystem::remove_all(dir);
}

} // namespace
