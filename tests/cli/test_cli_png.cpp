#include "cli/cli_runner.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#ifdef BLDC_HAVE_GRAPH
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "ui/graph_image.h"

#include <QGuiApplication>
#include <QImage>
#endif

// --png: the picture file, made by the program on its own and in-process.

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliPng : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::temp_directory_path() /
                  ("bldc-emu-png-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    // The program in its own process, with `environment` (shell assignments) before it.
    int RunBinary(const std::string& environment, const std::string& args) {
        const std::string command = "cd '" + folder_.string() + "' && " + environment + " '" +
                                    BLDC_EMU_PATH "' " + args + " > out.txt 2> err.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    fs::path folder_;
};

#ifdef BLDC_HAVE_GRAPH
// Width and height from a PNG file's header, or (0, 0) for anything that is not a PNG.
std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    const auto word = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        return value;
    };
    return {word(16), word(20)};
}

TEST_F(CliPng, TheProgramDrawsOffscreenWhateverThePlatformSetting) {
    // Neither a missing platform setting nor one that needs a display may stop the picture.
    ASSERT_EQ(RunBinary("env -u QT_QPA_PLATFORM -u DISPLAY", "--png graph.png"), 0)
        << ReadFile(folder_ / "err.txt");
    EXPECT_EQ(PngSize(ReadFile(folder_ / "graph.png")), std::make_pair(539u, 470u));
    EXPECT_EQ(ReadFile(folder_ / "out.txt"), "");
    EXPECT_EQ(ReadFile(folder_ / "err.txt"), "");

    ASSERT_EQ(RunBinary("env -u DISPLAY QT_QPA_PLATFORM=xcb",
                        "--png big.png --png-size 1200x640 --summary --view 3"),
              0)
        << ReadFile(folder_ / "err.txt");
    EXPECT_EQ(PngSize(ReadFile(folder_ / "big.png")), std::make_pair(1200u, 640u));
    EXPECT_EQ(ReadFile(folder_ / "out.txt").rfind("RPM = 13892;", 0), 0u);
}

TEST_F(CliPng, AFileThatCannotBeWrittenIsOneLineAndExitOne) {
    EXPECT_EQ(RunBinary("", "--png missing/graph.png"), 1);
    EXPECT_EQ(ReadFile(folder_ / "err.txt"),
              "bldc-emu: Cannot create file \"missing/graph.png\". No such file or directory\n");
}

// The picture is the window's graph of the same run: the view, the window and the summary of
// the command line, and the switch labels of the form.
TEST_F(CliPng, ThePictureIsTheGraphOfTheRunsWindow) {
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
    const QImage written(QString::fromStdString(path), "PNG");
    ASSERT_FALSE(written.isNull());

    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, ',');
    engine::SampleBuffer run;
    const engine::RunSummary summary =
        engine::CalcPhases(params, engine::RunSettings{}, -1, -0.5f, run);
    engine::ChannelSet result;
    engine::PrepareRes(2, engine::ChannelTexts{}, ',', run, result);
    const ui::GraphPaintParams expected{
        .Run = run,
        .Result = result,
        .ViewStart = 1000,
        .ViewLen = 500,
        .HeaderText = engine::RunSummaryText(summary, ','),
        .SwitchLabels = {"HighA", "LowA", "HighB", "LowB", "HighC", "LowC"}};
    EXPECT_TRUE(written.convertToFormat(QImage::Format_RGB32) ==
                ui::RenderGraphImage(expected, ui::kDefaultGraphSize));
}
#else
TEST_F(CliPng, WithoutTheGraphLibraryThePictureIsARefusalThatSaysWhy) {
    EXPECT_EQ(RunBinary("", "--png graph.png --summary"), 1);
    EXPECT_EQ(ReadFile(folder_ / "err.txt"),
              "bldc-emu: this bldc-emu was built without the graph renderer (Qt Gui)\n");
    EXPECT_FALSE(fs::exists(folder_ / "graph.png"));
}
#endif

} // namespace
