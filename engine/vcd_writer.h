#pragma once

#include "engine/byte_file.h" // FileWriteError
#include "engine/channels.h"
#include "engine/chunked_text.h"
#include "engine/sample.h"
#include "engine/sample_window.h"
#include "engine/scenario.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

// A run as a Value Change Dump for waveform viewers: timescale 1 us, one time step per
// sample at the sample's index, the six switches and the three drive flags as 1-bit wires,
// the voltages A, B, C, Z and VBatt and the angle as real variables, and optionally the
// channels of a view in a scope of their own, except those that only repeat one of the run's
// voltages. Only changes are written after the first sample's values; a last time stamp closes
// the last sample's microsecond. The header gives the date, the program's version, the units
// and, when known, the scenario the run was made from.

namespace engine {

// The run's own variables in scope "bldc" beside the switches (kSwitchNames) and the angle
// ("ANGLE"); a view's channels are in "bldc.view".
inline constexpr std::array<const char*, 3> kVcdDriveNames{"DriveA", "DriveB", "DriveC"};
inline constexpr std::array<const char*, 5> kVcdVoltageNames{"A", "B", "C", "Z", "VBatt"};

// A channel's name as a variable's: no blank or control character, which viewers split on.
std::string VcdReferenceName(std::string_view name);

struct VcdAbout {
    // The set-up of the run: its values are written in a comment, as a scenario file holds them.
    std::optional<Scenario> Setup;
};

// `view` may be null: no view channels. The window is cut to the run (and, with a view, to its
// channel rows).
void WriteVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window,
              ChunkedText& out, const VcdAbout& about = {});

std::string BuildVcd(const SampleBuffer& run, const ChannelSet* view, const SampleWindow& window,
                     const VcdAbout& about = {});

// Writes the whole run with the view's channels to `path`. Throws FileWriteError.
void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view,
             const VcdAbout& about = {});
// Writes the samples of `window` only, cut as WriteVcd cuts it.
void SaveVcd(const std::string& path, const SampleBuffer& run, const ChannelSet* view,
             const SampleWindow& window, const VcdAbout& about = {});

// The dump's date: SOURCE_DATE_EPOCH when it is set to a number of seconds (so that a build
// or a script can make the same file twice), otherwise now; "2026-12-11 13:05:00 UTC".
std::string VcdDateText();

// A save file for the waveform viewer that opens the dump at `dumpPath` with its signals
// arranged: the switches, the drive flags, the run's voltages and the view's channels each in
// a group, the reals drawn as analog traces scaled to their whole range, the angle last.
std::string GtkwaveSaveText(const ChannelSet* view, const std::string& dumpPath);
// Throws FileWriteError.
void SaveGtkwave(const std::string& path, const ChannelSet* view, const std::string& dumpPath);

} // namespace engine
