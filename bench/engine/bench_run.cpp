#include "engine/channels.h"
#include "engine/emulation.h"

#include <benchmark/benchmark.h>

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
void BM_LongestTrackBarRun(benchmark::State& state)
{
    RunWarm(state, ParamsAt(60, 10));
}

// The first run of a program start: the buffer grows from nothing.
void BM_LongestTrackBarRunColdBuffer(benchmark::State& state)
{
    const TParams params = ParamsAt(60, 10);
    for (auto _ : state) {
        SampleBuffer buffer;
        benchmark::DoNotOptimize(CalcPhases(params, RunSettings{}, -1, -0.5f, buffer));
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

BENCHMARK(BM_FullRunDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullRunDuty10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LongestTrackBarRun)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongestTrackBarRunColdBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareResLongestRun)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LongestTrackBarRunWithPrepareRes)->Unit(benchmark::kMillisecond);
