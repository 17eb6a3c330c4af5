// The circuit model on the longest track-bar run with 20 uH windings: the steps, the warm-up
// revolutions and the recorded one, on one core and on all of them.
#include "bench/engine/longest_run.h"
#include "engine/emulation.h"

#include <benchmark/benchmark.h>

namespace {

using namespace engine;

void BM_CircuitLongestRun(benchmark::State& state)
{
    const TParams params = bench::LongestTrackBarRun();
    RunSettings settings;
    settings.Circuit = CircuitSettings{RunModel::Circuit, 20.0f, 0.7f};
    const RunThreads threads{.Count = static_cast<unsigned>(state.range(0))};
    SampleBuffer buffer;
    RunSummary summary = CalcPhases(params, settings, -1, -0.5f, buffer, threads);
    for (auto _ : state) {
        summary = CalcPhases(params, settings, -1, -0.5f, buffer, threads);
        benchmark::DoNotOptimize(buffer.Currents.data());
    }
    state.counters["steps"] = buffer.SampleCount;
    state.counters["warmups"] = summary.WarmUps;
}

} // namespace

BENCHMARK(BM_CircuitLongestRun)
    ->ArgName("cores")
    ->Arg(1)
    ->Arg(bench::Cores())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
