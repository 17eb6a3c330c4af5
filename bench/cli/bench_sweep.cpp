// bldc-emu --sweep of 100 default runs (the timing at 10 % duty does not act at the default
// 100 %), on one core and on all of them; the lines are thrown away.
#include "bench/engine/longest_run.h"
#include "cli/cli_runner.h"

#include <benchmark/benchmark.h>

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace {

class Discard : public std::streambuf {
protected:
    int overflow(int ch) override { return ch; }
    std::streamsize xsputn(const char* /*text*/, std::streamsize count) override { return count; }
};

void BM_Sweep100DefaultRuns(benchmark::State& state)
{
    const std::vector<std::string> args{"--sweep", "7=0:9.9:0.1", "--jobs",
                                        std::to_string(state.range(0))};
    Discard discard;
    std::ostream out(&discard);
    std::ostream err(&discard);
    for (auto _ : state) {
        benchmark::DoNotOptimize(cli::RunCommandLine(args, out, err));
    }
}
BENCHMARK(BM_Sweep100DefaultRuns)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(bench::Cores())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
