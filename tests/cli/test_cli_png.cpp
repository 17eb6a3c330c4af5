#include "cli/cli_runner.h"

#include <gtest/gtest.h>

#ifdef BLDC_HAVE_GRAPH
#include "engine/emulation.h"
#include "engine/params.h"
#include "graph/reference_run.h"
#include "graph/render/graph_image.h"

#include <QGuiApplication>
#include <QImage>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

// --png: the picture file, made by the program on its own and in-process.

namespace {

namespace fs = std::filesystem;

// Fonts and images in-process need a QGuiApplication, always offscreen here.
class OffscreenGui {
public:
    OffscreenGui() : app_(argc_, argv_) {}

private:
    int argc_ = 3;
    char name_[10] = "cli_tests";
    char option_[10] = "-platform";
    char platform_[10] = "offscreen";
    char* argv_[4] = {name_, option_, platform_, nullptr};
    QGuiApplication app_;
};

class CliPng : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("bldc-emu-png-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The program in its own process, after the shell assignments of `environment`.
    int RunBinary(const std::string& environment, const std::string& args)
    {
        const std::string command = "cd '" + folder_.string() + "' && " + environment + " '" +
                                    BLDC_EMU_PATH "' " + args + " > out.txt 2> err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path folder_;
};

TEST_F(CliPng, TheProgramDrawsOffscreenWhateverThePlatformSetting)
{
    // Neither a missing platform setting nor one that needs a display may stop the picture.
    ASSERT_EQ(RunBinary("env -u QT_QPA_PLATFORM -u DISPLAY", "--png a.png"), 0);
    ASSERT_EQ(RunBinary("env -u DISPLAY QT_QPA_PLATFORM=xcb", "--png b.png --png-size 1200x64"), 0);
    EXPECT_EQ(fs::file_size(folder_ / "err.txt"), 0u);
    EXPECT_EQ(QImage(QString::fromStdString((folder_ / "a.png").string())).size(), QSize(539, 470));
    EXPECT_EQ(QImage(QString::fromStdString((folder_ / "b.png").string())).size(), QSize(1200, 64));
    EXPECT_EQ(RunBinary("", "--png missing/c.png"), 1);
}

TEST_F(CliPng, ADashWritesThePictureToStandardOutput)
{
    ASSERT_EQ(RunBinary("", "--png file.png --view 3"), 0);
    ASSERT_EQ(RunBinary("", "--png - --view 3"), 0);
    EXPECT_FALSE(fs::exists(folder_ / "-"));
    std::ifstream file(folder_ / "file.png", std::ios::binary);
    std::ifstream out(folder_ / "out.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(out), {}),
              std::string(std::istreambuf_iterator<char>(file), {}));
    std::ostringstream full;
    full.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(cli::RunCommandLine({"--png", "-"}, full, err), cli::kExitRunFailed);
    EXPECT_EQ(err.str(), "bldc-emu: cannot write the output\n");
}

// The picture is the window's graph of the same run: the view, the window and the summary of
// the command line, and the switch labels of the form.
TEST_F(CliPng, ThePictureIsTheGraphOfTheRunsWindow)
{
    const OffscreenGui gui;

    const std::string path = (folder_ / "window.png").string();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::RunCommandLine({"--decimal-separator", ",", "--view", "2", "--png", path,
                                   "--view-window", "1000", "500"},
                                  out, err),
              cli::kExitSuccess)
        << err.str();

    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, ',');
    engine::SampleBuffer run;
    const engine::RunSummary summary =
        engine::CalcPhases(params, engine::RunSettings{}, -1, -0.5f, run);
    engine::ChannelSet result;
    engine::PrepareRes(2, engine::ChannelTexts{}, ',', run, result);
    const graph::GraphPaintParams expected{
        .Run = run,
        .Result = result,
        .View = {1000, 500},
        .HeaderText = engine::RunSummaryText(summary, ','),
        .SwitchLabels = {"HighA", "LowA", "HighB", "LowB", "HighC", "LowC"}};
    EXPECT_TRUE(QImage(QString::fromStdString(path), "PNG").convertToFormat(QImage::Format_RGB32) ==
                graph::RenderGraphImage(expected, QSize(graph::kDefaultGridSize.Width,
                                                        graph::kDefaultGridSize.Height)));
}

// The --ref- options draw a second run under the live one, as the window's held reference.
TEST_F(CliPng, TheReferenceRunIsDrawnUnderTheLiveTraces)
{
    const OffscreenGui gui;

    const std::string path = (folder_ / "compared.png").string();
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(cli::RunCommandLine({"--decimal-separator", ".", "--view", "2", "--ref-set",
                                   "10=50", "--ref-h-pwm", "off", "--ref-l-pwm", "on", "--png",
                                   path},
                                  out, err),
              cli::kExitSuccess)
        << err.str();

    const auto runOf = [](const char* duty, engine::RunSettings settings, engine::SampleBuffer& run,
                          engine::ChannelSet& result) {
        engine::TParams params;
        engine::ParamTexts texts = engine::DefaultParamTexts();
        engine::ReadStartupParams(params, texts, '.');
        texts[engine::PwmDuty] = duty;
        engine::ChangeParam(params, texts, engine::PwmDuty, true, '.');
        const engine::RunSummary summary = engine::CalcPhases(params, settings, -1, -0.5f, run);
        engine::PrepareRes(2, engine::ChannelTexts{}, '.', run, result);
        return summary;
    };
    engine::SampleBuffer live;
    engine::ChannelSet liveResult;
    const engine::RunSummary summary =
        runOf(engine::DefaultParamTexts()[engine::PwmDuty].c_str(), {}, live, liveResult);
    engine::SampleBuffer ref;
    engine::ChannelSet refResult;
    engine::RunSettings refSettings;
    refSettings.HighSidePwm = false;
    refSettings.LowSidePwm = true;
    const graph::ReferenceRun reference =
        graph::HoldReference(ref, refResult, 2, runOf("50", refSettings, ref, refResult));
    const graph::GraphPaintParams expected{.Run = live,
                                           .Result = liveResult,
                                           .View = {0, live.SampleCount},
                                           .HeaderText = engine::RunSummaryText(summary, '.'),
                                           .SwitchLabels = graph::DefaultSwitchLabels()};
    const QSize size(graph::kDefaultGridSize.Width, graph::kDefaultGridSize.Height);
    const QImage written =
        QImage(QString::fromStdString(path), "PNG").convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(written ==
                graph::RenderGraphImage(expected, size, graph::GraphFont(), {&reference, 2}));
    EXPECT_FALSE(written == graph::RenderGraphImage(expected, size));

    // Without --png there is nothing to draw the reference in; its texts are checked as the
    // live ones are.
    EXPECT_EQ(cli::RunCommandLine({"--ref-set", "10=50"}, out, err), cli::kExitUsage);
    std::ostringstream strictErr;
    EXPECT_EQ(cli::RunCommandLine({"--strict", "--ref-set", "6=4k", "--png", path}, out,
                                  strictErr),
              cli::kExitUsage);
    EXPECT_NE(strictErr.str().find("--ref-set 6=4k: the PWM frequency"), std::string::npos)
        << strictErr.str();
}

} // namespace
#endif
