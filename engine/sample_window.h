#pragma once

#include <cstdint>

// A window of a run's samples: Len samples from index Start on. The graph shows one, the view
// export and the measurements read one, bldc-emu's --view-window asks for one. Two rules bring
// a window to a run of `count` samples; which one applies is the caller's choice:
//   cut to the run    keep only the samples that exist (the painter, the exports, the
//                     measurements: they read samples and must not read past the run)
//   shift into the run  keep the length and move the start (the navigation: the window the
//                     user asked for stays as long as it was)

namespace engine {

struct SampleWindow {
    std::int32_t Start = 0;
    std::int32_t Len = 0;

    // One past the last sample; computed in 64 bits, so it never overflows.
    std::int64_t End() const { return std::int64_t{Start} + Len; }
    bool Empty() const { return Len <= 0; }
    bool Contains(std::int64_t sample) const { return sample >= Start && sample < End(); }

    friend bool operator==(const SampleWindow&, const SampleWindow&) = default;
};

// The samples of `window` that lie in 0 ... count - 1. When none does, an empty window at
// the nearest place inside 0 ... count.
SampleWindow CutToRun(const SampleWindow& window, std::int64_t count);

// The same length, the start moved so that the window ends at sample count - 1 at the latest
// and starts at 0 at the earliest; the start wins, so a window longer than the run starts at
// 0 and still reaches beyond it.
SampleWindow ShiftIntoRun(const SampleWindow& window, std::int64_t count);

} // namespace engine
