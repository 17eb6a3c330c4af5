// Throughput of the sample log: the text of a long run, and the number format it is made of.
#include "bench/engine/longest_run.h"
#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/sample_log.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace {

constexpr int kSamples = 1000000;

// Values shaped like a run: time in whole microseconds, an angle accumulated in single
// precision, trapezoid-like phase voltages around a battery of 11.1 V.
const engine::SampleBuffer& LongRun()
{
    static const engine::SampleBuffer run = [] {
        engine::SampleBuffer r;
        r.Samples.resize(kSamples);
        r.SampleCount = kSamples;
        float time = 0.0f;
        float angle = -0.5f;
        for (int i = 0; i < kSamples; ++i) {
            engine::TSampleRec& s = r.Samples[static_cast<std::size_t>(i)];
            s.Time = time;
            s.Angle = angle;
            const int sector = static_cast<int>(std::fmod(angle + 360.0f, 360.0f) / 60.0f) % 6;
            for (int k = 0; k < 6; ++k) {
                s.Switch[k] = (k == sector || k == (sector + 3) % 6) ? 1 : 0;
            }
            for (int k = 0; k < 3; ++k) {
                const double phase = (angle - 120.0 * k) * 3.14159265358979 / 180.0;
                s.PhaseV[k] = static_cast<float>(5.55 + 6.2 * std::sin(phase));
            }
            s.VBatt = 11.1f - static_cast<float>(i % 97) * 0.0131f;
            s.VZero = (s.PhaseV[0] + s.PhaseV[1] + s.PhaseV[2]) / 3.0f;
            time += 1.0f;
            angle += 0.0837f;
            if (angle > 360.0f) {
                angle -= 360.5f;
            }
        }
        return r;
    }();
    return run;
}

void BM_BuildSampleLog(benchmark::State& state)
{
    const engine::SampleBuffer& run = LongRun();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = engine::BuildSampleLog(run, '.');
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["lines"] = kSamples;
}
BENCHMARK(BM_BuildSampleLog)->Unit(benchmark::kMillisecond)->UseRealTime();

// The log of the longest track-bar run, as the window's "txt" and bldc-emu --log build it.
void BM_BuildSampleLogLongestRun(benchmark::State& state)
{
    static const engine::SampleBuffer run = [] {
        engine::SampleBuffer r;
        engine::CalcPhases(bench::LongestTrackBarRun(), engine::RunSettings{}, -1, -0.5f, r);
        return r;
    }();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = engine::BuildSampleLog(run, '.');
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
    state.counters["bytes"] = static_cast<double>(bytes / state.iterations());
}
BENCHMARK(BM_BuildSampleLogLongestRun)->Unit(benchmark::kMillisecond)->UseRealTime();

template <typename Value>
void FormatFixedOver(benchmark::State& state, const std::vector<Value>& values, int precision,
                     int decimals)
{
    std::string out;
    out.reserve(64);
    std::size_t i = 0;
    for (auto _ : state) {
        out.clear();
        engine::AppendFormatFixed(out, values[i], precision, decimals, '.');
        benchmark::DoNotOptimize(out.data());
        i = (i + 1) % values.size();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

std::vector<float> RunVoltages()
{
    std::vector<float> values;
    for (const engine::TSampleRec& s : LongRun().Samples) {
        values.push_back(s.PhaseV[0]);
        if (values.size() == 4096) {
            break;
        }
    }
    return values;
}

void BM_FormatFixedVoltage(benchmark::State& state)
{
    static const std::vector<float> values = RunVoltages();
    FormatFixedOver(state, values, 5, 3);
}
BENCHMARK(BM_FormatFixedVoltage);

void BM_FormatFixedAngle(benchmark::State& state)
{
    static const std::vector<float> values = [] {
        std::vector<float> v;
        for (int i = 0; i < 4096; ++i) {
            v.push_back(LongRun().Samples[static_cast<std::size_t>(i) * 97].Angle);
        }
        return v;
    }();
    FormatFixedOver(state, values, 7, 4);
}
BENCHMARK(BM_FormatFixedAngle);

void BM_FormatFixedDouble(benchmark::State& state)
{
    static const std::vector<double> values = [] {
        std::vector<double> v;
        for (int i = 0; i < 4096; ++i) {
            v.push_back(std::ldexp(std::sin(i * 0.37), i % 40 - 20));
        }
        return v;
    }();
    FormatFixedOver(state, values, 8, 4);
}
BENCHMARK(BM_FormatFixedDouble);

} // namespace
