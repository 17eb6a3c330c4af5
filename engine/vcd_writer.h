#pragma once

#include "engine/byte_file.h" // FileWriteError
#include "engine/channels.h"
#include "engine/chunked_text.h"
#include "engine/sample.h"
#include "engine/sample_window.h"

#include <string>

// A run as a Value Change Dump for waveform viewers: timescale 1 us, one time step per
// sample at the sample's index, the six switches and the three drive flags as 1-bit wires,
// the voltages A, B, C, Z and VBatt and the angle as real variables, and optionally the
// channels of a view in a scope of their own. Only changes are written after the first
// sample's values; a last time stamp closes the last sample's microsecond.

namespace engine {

// `view` may be null: no view channels. The window is cut to the run (and, with a view, to its
// channel rows).
void WriteVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window,
              ChunkedText& out);

std::string BuildVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window);

// Writes the whole run with the view's channels to `path`. Throws FileWriteError.
void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view);
// Writes the samples of `window` only, cut as WriteVcd cuts it.
void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view,
             const SampleWindow& window);

} // namespace engine
