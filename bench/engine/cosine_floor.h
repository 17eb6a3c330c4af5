#pragma once

#include "bench/engine/longest_run.h"
#include "engine/emulation.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

// The floor every figure is measured against: the six cosines of every step of the longest
// run, with the run's own arguments, and nothing else. Each benchmark program measures it
// itself, so that its ratios come from one machine state.

namespace bench {

inline void CosineFloor(benchmark::State& state)
{
    const engine::OperatingPoint op =
        engine::ComputeOperatingPoint(LongestTrackBarRun(), engine::RunSettings{}, -1, -0.5f);
    constexpr double kDeg = 0.017453292f;
    const double timing = op.Timing;
    std::int64_t steps = 0;
    for (auto _ : state) {
        double sum = 0;
        steps = 0;
        for (float angle = op.StartAngle; angle < op.EndAngle; angle += op.DegPerStep) {
            const double a = angle;
            for (int k = 0; k < 3; ++k) {
                const double offset = 120.0 * k;
                sum += std::cos((offset + a) * kDeg) + std::cos((a + timing + offset) * kDeg);
            }
            ++steps;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["steps"] = static_cast<double>(steps);
}

} // namespace bench
