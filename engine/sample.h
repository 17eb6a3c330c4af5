#pragma once

#include "engine/sample_allocator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace engine {

// One emulation step: sixteen 32-bit fields in this order.
struct TSampleRec {
    float Time;             // microseconds since the start of the run
    float Angle;            // electrical degrees
    std::int32_t Switch[6]; // HA, LA, HB, LB, HC, LC; 0 or 1
    float PhaseV[3];        // terminal voltages A, B, C
    float VBatt;            // battery voltage under load
    float VZero;            // star-point voltage
    std::int32_t Drive[3];  // 1 while phase k has a level of 1 and the PWM output is on
};
static_assert(sizeof(TSampleRec) == 64, "sixteen 32-bit fields");

using SampleVector = std::vector<TSampleRec, SampleAllocator<TSampleRec>>;

// The currents of one step of a circuit-model run, at the step's start: the three phase
// currents (positive into the motor) and the current drawn from the battery's positive
// terminal (negative while the motor feeds back), amperes.
struct TCurrentRec {
    float I[3];
    float IBatt;
};
static_assert(sizeof(TCurrentRec) == 16, "four 32-bit fields");

using CurrentVector = std::vector<TCurrentRec, SampleAllocator<TCurrentRec>>;

// The names of Switch[0] ... Switch[5] in every export.
inline constexpr std::array<const char*, 6> kSwitchNames{"HA", "LA", "HB", "LB", "HC", "LC"};

// The sample buffer of the last run. The vector's length grows in steps of 200 records and
// never shrinks; records from SampleCount on are stale leftovers of earlier runs.
struct SampleBuffer {
    SampleVector Samples;
    std::int32_t SampleCount = 0;
    // One record per sample of the last run when it ran in the circuit model, else empty.
    CurrentVector Currents;

    bool HasCurrents() const
    {
        return SampleCount > 0 && Currents.size() >= static_cast<std::size_t>(SampleCount);
    }

    // The samples of the last run that may be read: SampleCount, but never more records than
    // the vector holds (a buffer filled by hand may hold fewer) and never below 0.
    std::int32_t RecordCount() const
    {
        const auto held = static_cast<std::int64_t>(Samples.size());
        return SampleCount <= 0
                   ? 0
                   : static_cast<std::int32_t>(std::min<std::int64_t>(SampleCount, held));
    }
};

} // namespace engine
