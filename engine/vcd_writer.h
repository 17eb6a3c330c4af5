#pragma once

#include "engine/channels.h"
#include "engine/sample.h"
#include "engine/text_file.h"

#include <cstdint>
#include <string>

// A run as a Value Change Dump for waveform viewers: timescale 1 us, one time step per
// sample at the sample's index, the six switches and the three drive flags as 1-bit wires,
// the voltages A, B, C, Z and VBatt and the angle as real variables, and optionally the
// channels of a view in a scope of their own. Only changes are written after the first
// sample's values; a last time stamp closes the last sample's microsecond.

namespace engine {

struct VcdRange {
    std::int64_t First = 0;
    std::int64_t Count = 0;
};

// `view` may be null: no view channels. The range is cut to the run (and, with a view, to its
// channel rows).
void WriteVcd(const SampleBuffer& run, const ChannelSet* view, VcdRange range, ChunkedText& out);

std::string BuildVcd(const SampleBuffer& run, const ChannelSet* view, VcdRange range);

// Writes the whole run with the view's channels to `path`. Throws LogWriteError.
void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view);

} // namespace engine
