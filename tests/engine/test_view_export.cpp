#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/params.h"
#include "engine/view_export.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
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

// The window's default run, with the channels of `view`.
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
    const int n = d.run.SampleCount;
    const auto range = [&](int start, int len) {
        return ExportedSamples(d.run, d.result, {start, len});
    };
    EXPECT_EQ(range(100, 50), (SampleWindow{100, 50}));
    EXPECT_EQ(range(n - 10, 50), (SampleWindow{n - 10, 10}));
    EXPECT_EQ(range(-5, 10), (SampleWindow{0, 5}));
    EXPECT_EQ(range(n + 3, 10).Len, 0);
    EXPECT_EQ(range(10, -4).Len, 0);
    EXPECT_EQ(range(2147483000, 2147483000).Len, 0);
    EXPECT_EQ(range(-2147483647, 2147483647), (SampleWindow{0, 0}));
    // Rows of an earlier, shorter view and stale records behind SampleCount are not read.
    d.result.ChannelRows.resize(200);
    EXPECT_EQ(range(150, 100), (SampleWindow{150, 50}));
    d.run.SampleCount = 120;
    EXPECT_EQ(range(0, 1000), (SampleWindow{0, 120}));
}

TEST(ViewExport, HeaderNamesTheViewsChannelsInOneLine)
{
    DefaultRun d(2);
    EXPECT_EQ(BuildViewExport(d.run, d.result, {0, 0}, '.'),
              "INDEX\tTIME (us)\tANGLE (deg)\tHA\tLA\tHB\tLB\tHC\tLC\t"
              "CompA+ (V)\tCompA- (V)\tCompB+ (V)\tCompB- (V)\tCompC+ (V)\tCompC- (V)\r\n");
    // A label with a TAB or a line break must not add columns or lines.
    ChannelTexts texts;
    texts.PhaseLabels = {"Ph\tA", "B\r\n", "C"};
    PrepareRes(1, texts, '.', d.run, d.result);
    EXPECT_EQ(BuildViewExport(d.run, d.result, {0, 0}, '.'),
              "INDEX\tTIME (us)\tANGLE (deg)\tHA\tLA\tHB\tLB\tHC\tLC\tPh A (V)\tB   (V)\tC (V)\t"
              "Zero-wire (V)\r\n");
}

TEST(ViewExport, OneLinePerSampleOfTheWindowWithTheChannelValues)
{
    const DefaultRun d(2);
    const int start = 1234;
    const int len = 777;
    const std::vector<std::string> lines =
        Lines(BuildViewExport(d.run, d.result, {start, len}, ','));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(len) + 1);
    for (int j = 0; j < len; ++j) {
        const auto i = static_cast<std::size_t>(start + j);
        const TSampleRec& s = d.run.Samples[i];
        std::string expected = std::to_string(i) + '\t';
        AppendFormatFixed(expected, s.Time, 10, 1, ',');
        expected += '\t';
        AppendFormatFixed(expected, s.Angle, 7, 4, ',');
        for (const int level : s.Switch) {
            expected += '\t' + std::to_string(level);
        }
        for (std::size_t k = 0; k < 6; ++k) {
            expected += '\t';
            AppendFormatFixed(expected, d.result.ChannelRows[i][k], 7, 4, ',');
        }
        ASSERT_EQ(lines[static_cast<std::size_t>(j) + 1], expected) << "sample " << i;
    }
}

} // namespace

namespace {

TEST(ViewExport, ChannelsJsonGivesColoursTheDatasExtremesAndTheAxisLimits)
{
    const DefaultRun d(1);
    std::string text;
    JsonWriter json(text);
    WriteChannelsJson(d.run, d.result, {1000, 200}, json);
    const nlohmann::json channels = nlohmann::json::parse(text);
    ASSERT_EQ(channels.size(), 4u);
    EXPECT_EQ(channels[0]["color"], "#FF0000"); // phase A is drawn red ($000000FF)
    EXPECT_EQ(channels[3]["color"], "#FF00FF");
    float low = d.result.ChannelRows[1000][3];
    for (int i = 1000; i < 1200; ++i) {
        low = std::min(low, d.result.ChannelRows[static_cast<std::size_t>(i)][3]);
    }
    EXPECT_EQ(channels[3]["data min (V)"].get<float>(), low);
    EXPECT_EQ(channels[3]["axis min (V)"].get<float>(), d.result.Channels[3].MinValue);
    EXPECT_LT(channels[3]["axis min (V)"].get<float>(), low);
    text.clear();
    WriteChannelsJson(d.run, d.result, {0, 0}, json);
    EXPECT_TRUE(nlohmann::json::parse(text)[0]["data max (V)"].is_null());
}

} // namespace
