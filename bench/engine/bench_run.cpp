#include "bench/engine/cosine_floor.h"
#include "bench/engine/longest_run.h"
#include "engine/channels.h"
#include "engine/emulation.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace engine;

TParams ParamsAt(float maxCurrent, float duty)
{
    TParams p = DefaultParams();
    p[MaxCurrent] = maxCurrent;
    p[PwmDuty] = duty;
    return p;
}

// The window keeps one sample buffer for its lifetime, so runs after the first reuse it.
void RunWarm(benchmark::State& state, const TParams& params)
{
    SampleBuffer buffer;
    CalcPhases(params, RunSettings{}, -1, -0.5f, buffer);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CalcPhases(params, RunSettings{}, -1, -0.5f, buffer));
    }
    state.counters["samples"] = buffer.SampleCount;
}

void BM_FullRunDefault(benchmark::State& state)
{
    RunWarm(state, DefaultParams());
}
void BM_FullRunDuty10(benchmark::State& state)
{
    RunWarm(state, ParamsAt(10, 10));
}
void BM_CosineFloor(benchmark::State& state)
{
    bench::CosineFloor(state);
}

// The first run of a program start, as the window meets it and as every bldc-emu call does:
// the buffer is new. On one core, and on `cores` threads.
void BM_LongestRunCold(benchmark::State& state)
{
    const TParams params = bench::LongestTrackBarRun();
    const RunThreads threads{.Count = static_cast<unsigned>(state.range(0))};
    for (auto _ : state) {
        SampleBuffer buffer;
        benchmark::DoNotOptimize(CalcPhases(params, RunSettings{}, -1, -0.5f, buffer, threads));
    }
}

// Later runs of the window reuse the grown buffer.
void BM_LongestRunWarm(benchmark::State& state)
{
    const TParams params = bench::LongestTrackBarRun();
    const RunThreads threads{.Count = static_cast<unsigned>(state.range(0))};
    SampleBuffer buffer;
    CalcPhases(params, RunSettings{}, -1, -0.5f, buffer, threads);
    for (auto _ : state) {
        benchmark::DoNotOptimize(CalcPhases(params, RunSettings{}, -1, -0.5f, buffer, threads));
    }
}

void BM_PrepareResLongestRun(benchmark::State& state)
{
    SampleBuffer buffer;
    CalcPhases(ParamsAt(60, 10), RunSettings{}, -1, -0.5f, buffer);
    ChannelSet set;
    const int view = static_cast<int>(state.range(0));
    PrepareRes(view, ChannelTexts{}, '.', buffer, set);
    for (auto _ : state) {
        PrepareRes(view, ChannelTexts{}, '.', buffer, set);
        benchmark::DoNotOptimize(set.Channels[0].MaxValue);
    }
}

// What a track-bar move to 60 A at 10 % duty costs the window: the run and the channels.
void BM_LongestTrackBarRunWithPrepareRes(benchmark::State& state)
{
    const TParams params = ParamsAt(60, 10);
    SampleBuffer buffer;
    ChannelSet set;
    CalcPhases(params, RunSettings{}, -1, -0.5f, buffer);
    for (auto _ : state) {
        CalcPhases(params, RunSettings{}, -1, -0.5f, buffer);
        PrepareRes(1, ChannelTexts{}, '.', buffer, set);
        benchmark::DoNotOptimize(set.Channels[0].MaxValue);
    }
}

} // namespace

BENCHMARK(BM_CosineFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LongestRunCold)
    ->ArgName("cores")
    ->Arg(1)
    ->Arg(bench::Cores())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_LongestRunWarm)
    ->ArgName("cores")
    ->Arg(1)
    ->Arg(bench::Cores())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FullRunDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRunDuty10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PrepareResLongestRun)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongestTrackBarRunWithPrepareRes)->Unit(benchmark::kMillisecond)->UseRealTime();
