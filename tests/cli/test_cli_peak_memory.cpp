// The peak memory of bldc-emu's outputs on the longest run it admits: at most 10 % above the
// sample buffer plus what the output itself must hold (the view's channels, or the log text).
// Long (a few seconds a run): `make test-long` runs it, `make test` does not.
#include "engine/channels.h"
#include "engine/sample.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<std::string> kLongestRun{"--set", "3=1.505", "--duty-scale", "0", "--jobs",
                                           "1",     "--decimal-separator", "."};

struct Measured {
    int Status = -1;
    long PeakKiB = 0;
    std::size_t OutBytes = 0;
    std::string Head; // the first bytes of standard output
};

Measured RunEmu(const std::vector<std::string>& outputs)
{
    std::vector<std::string> args{BLDC_EMU_PATH};
    args.insert(args.end(), kLongestRun.begin(), kLongestRun.end());
    args.insert(args.end(), outputs.begin(), outputs.end());
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    Measured m;
    std::vector<char> buffer(1 << 16);
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer.data(), buffer.size())) > 0;) {
        if (m.Head.size() < 256) {
            m.Head.append(buffer.data(), static_cast<std::size_t>(n));
        }
        m.OutBytes += static_cast<std::size_t>(n);
    }
    ::close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    m.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m.PeakKiB = usage.ru_maxrss;
    return m;
}

TEST(CliPeakMemory, EachOutputHoldsTheSamplesAndLittleMoreThanItsOwnData)
{
    const Measured summary = RunEmu({"--summary"});
    ASSERT_EQ(summary.Status, 0);
    const std::size_t at = summary.Head.find("samples: ");
    ASSERT_NE(at, std::string::npos) << summary.Head;
    const double samples = std::stod(summary.Head.substr(at + 9));
    const double buffer = samples * sizeof(engine::TSampleRec);
    const std::string png = testing::TempDir() + "cli_peak_memory.png";

    for (int view = 0; view < engine::kViewCount; ++view) {
        engine::ChannelSet names;
        engine::PrepareRes(view, {}, '.', engine::SampleBuffer{}, names);
        const double own = samples * names.ChannelCount * sizeof(float);
        for (const std::vector<std::string>& output : std::vector<std::vector<std::string>>{
                 {"--channels"}, {"--measure"}, {"--zc"}, {"--png", png}}) {
            std::vector<std::string> args = output;
            args.insert(args.end(), {"--view", std::to_string(view)});
            const Measured m = RunEmu(args);
            ASSERT_EQ(m.Status, 0) << output[0];
            const double peak = m.PeakKiB * 1024.0;
            std::printf("view %d %-10s peak %6.1f MB, samples and channels %6.1f MB (%+.1f %%)\n",
                        view, output[0].c_str(), peak / 1e6, (buffer + own) / 1e6,
                        100 * (peak / (buffer + own) - 1));
            // --png also holds the summaries the window paints from (the channel envelope's
            // eight-slot blocks and the switch edges), about 2 % of the samples.
            const double summaries = output[0] == "--png" ? 0.02 * buffer : 0.0;
            EXPECT_LE(peak, 1.10 * (buffer + own) + summaries)
                << "view " << view << " " << output[0];
        }
    }
    std::remove(png.c_str());

    const Measured log = RunEmu({"--log", "-"});
    ASSERT_EQ(log.Status, 0);
    const double text = static_cast<double>(log.OutBytes);
    std::printf("--log      peak %6.1f MB, samples and text %6.1f MB (%+.1f %%)\n",
                log.PeakKiB * 1024.0 / 1e6, (buffer + text) / 1e6,
                100 * (log.PeakKiB * 1024.0 / (buffer + text) - 1));
    EXPECT_LE(log.PeakKiB * 1024.0, 1.10 * (buffer + text));
}

} // namespace
