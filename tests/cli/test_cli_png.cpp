#include "cli/cli_runner.h"

#include <gtest/gtest.h>

#ifdef BLDC_HAVE_GRAPH
#include "engine/emulation.h"
#include "engine/params.h"
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
    int argc = 3;
    char name[] = "cli_tests";
    char option[] = "-platform";
    char platform[] = "offscreen";
    char* argv[] = {name, option, platform, nullptr};
    const QGuiApplication app(argc, argv);

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

} // namespace
#endif
