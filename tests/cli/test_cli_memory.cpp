#include "cli/cli_runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Memory that runs out after the run, while its outputs are made: each is reported as the run
// is, with exit status 1, and leaves no file behind. Each request runs in a fresh process (this
// program started again as a helper: a forked one would reuse the heap the tests before it
// freed) whose address space ends a little above what the bare run needed.

namespace cli {
namespace {

constexpr const char* kHelperLimit = "BLDC_CLI_MEMORY_LIMIT_KIB"; // 0: report the peak
constexpr const char* kHelperArgs = "BLDC_CLI_MEMORY_ARGS";       // one argument a line

// A run of about 800,000 samples: its channels and log take megabytes beyond the run itself.
const std::vector<std::string> kRun{"--set", "3=7.5", "--jobs", "1", "--decimal-separator", "."};

long StatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::string(field).size()));
        }
    }
    return -1;
}

// In the helper, before any test: runs the request under the limit and ends the process with
// its exit status; with no limit, prints the address space the run reached.
class HelperRun : public testing::Environment {
public:
    void SetUp() override
    {
        const char* limitText = std::getenv(kHelperLimit);
        if (limitText == nullptr) {
            return;
        }
        std::vector<std::string> args;
        std::string line;
        for (const char c : std::string(std::getenv(kHelperArgs))) {
            if (c == '\n') {
                args.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        const auto kib = static_cast<rlim_t>(std::stol(limitText));
        if (kib > 0) {
            const rlimit limit{kib * 1024, kib * 1024};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        std::ofstream sink("/dev/null");
        int status = 134; // as an exception escaping the program would end it
        try {
            status = RunCommandLine(args, sink, std::cerr);
        } catch (...) {
        }
        if (kib == 0) {
            std::cerr << StatusKiB("VmPeak:") << std::flush;
        }
        std::_Exit(status);
    }
};
[[maybe_unused]] testing::Environment* const kHelper =
    testing::AddGlobalTestEnvironment(new HelperRun);

struct Limited {
    int Status = -1;
    std::string Text; // standard error
};

// The run with `outputs` in a helper; `limitKiB` 0 reports the run's peak.
Limited RunHelper(const std::vector<std::string>& outputs, long limitKiB)
{
    std::string joined;
    for (const std::vector<std::string>* part : {&kRun, &outputs}) {
        for (const std::string& arg : *part) {
            joined += arg + '\n';
        }
    }
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {};
    }
    const std::string limitText = std::to_string(limitKiB);
    const pid_t child = ::fork();
    if (child == 0) {
        // Standard output holds the test framework's lines.
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::setenv(kHelperLimit, limitText.c_str(), 1);
        ::setenv(kHelperArgs, joined.c_str(), 1);
        ::execl("/proc/self/exe", "cli_tests", "--gtest_filter=CliMemory.*", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    Limited result;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        result.Text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

TEST(CliMemory, OutputsThatDoNotFitAreReportedAsTheRunIs)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than any limit allows";
#endif
    const std::string log = testing::TempDir() + "cli_memory_log.txt";
    const std::string png = testing::TempDir() + "cli_memory.png";
    const std::string vcd = testing::TempDir() + "cli_memory.vcd";
    for (const std::string& path : {log, png, vcd}) {
        std::remove(path.c_str());
    }
    // 10 MiB above the bare run: room for a worker thread's stack, not for the channels.
    const long limit = std::stol(RunHelper({"--summary"}, 0).Text) + 10240;
    const std::vector<std::vector<std::string>> cases{
        {"--channels", "--view", "2"},
        {"--format", "json", "--channels", "--view", "2"},
        {"--measure", "--view", "2"},
        {"--zc", "--view", "2"},
        {"--log", log},
        {"--log", "-"},
        {"--png", png, "--view", "2"},
        {"--vcd", vcd, "--view", "2"},
    };
    for (const std::vector<std::string>& outputs : cases) {
        const Limited o = RunHelper(outputs, limit);
        EXPECT_EQ(o.Status, kExitRunFailed) << outputs[0] << ": " << o.Text;
        EXPECT_EQ(o.Text.rfind("bldc-emu: not enough memory for ", 0), 0u) << o.Text;
    }
    EXPECT_NE(::access(log.c_str(), F_OK), 0);
    EXPECT_NE(::access(png.c_str(), F_OK), 0);
    EXPECT_NE(::access(vcd.c_str(), F_OK), 0);

    // A sweep's run whose outputs do not fit fails that row and the command, not the program.
    const Limited sweep = RunHelper({"--sweep", "3=7.5:7.5:1", "--view", "2"}, limit);
    EXPECT_EQ(sweep.Status, kExitRunFailed);
    EXPECT_EQ(sweep.Text, "bldc-emu: 3=7.5: not enough memory for the view's channels\n");
}

} // namespace
} // namespace cli
