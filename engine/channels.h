#pragma once

#include "engine/circuit_settings.h"
#include "engine/sample.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The analog channels of the selected view, derived from a run's samples.

namespace engine {

using TColor = std::uint32_t; // $00BBGGRR

struct TChannelDesc {
    std::string Name; // at most 20 characters
    float MinValue = 0;
    float MaxValue = 0;
    TColor Color = 0;
};

using TChannelRow = std::array<float, 8>;

inline constexpr int kMaxChannels = 8;
inline constexpr int kViewCount = 4;
// View 4, "Currents": the phase and battery currents of a circuit-model run, in amperes. It
// lies beyond the window's four voltage views, so that their list stays as it was.
inline constexpr int kCurrentsView = 4;
inline constexpr int kAllViewCount = 5;
inline constexpr std::size_t kChannelNameLength = 20;

// The texts of ComboBox1's items, by view index.
extern const std::array<const char*, kViewCount> kViewNames;
// The name of any view 0 ... kAllViewCount - 1.
const char* ViewName(int view);

struct ChannelSet {
    std::array<TChannelDesc, kMaxChannels> Channels{};
    std::int32_t ChannelCount = 0;
    // Held like the samples, on huge pages where the system has them: the first run of a long
    // run otherwise spends much of its time taking the rows' small pages one by one.
    std::vector<TChannelRow, SampleAllocator<TChannelRow>> ChannelRows;
};

// The texts PrepareRes reads from the window: the phase labels Edit111 ... Edit113 (view 1)
// and the divider resistors Edit151 and Edit152 (view 3).
struct ChannelTexts {
    std::array<std::string, 3> PhaseLabels{"A", "B", "C"};
    std::string R1Text = "2,2";
    std::string R2Text = "20,0";
};

// The padded range of a view: the running extremes widened by 5 % on each side away from 0.
std::pair<float, float> PadRange(float minValue, float maxValue);

// Divider ratio k = R1 / (R1 + R2) of view 3 from the two resistor texts. An unreadable text
// falls back to 2.2 (R1) or 20.0 (R2); when both read as 0 both fall back.
float DividerRatio(const ChannelTexts& texts, char separator);

// Why `view` cannot be shown for `run`, or nullptr: the currents view of a run without
// currents (a quasi-static run).
const char* ViewUnavailableText(int view, const SampleBuffer& run);
// The same before a run in `model`.
const char* ViewUnavailableText(int view, RunModel model);

// Rebuilds `out` for view 0 ... 3 from the first SampleCount samples of `run`.
void PrepareRes(int view, const ChannelTexts& texts, char separator, const SampleBuffer& run,
                ChannelSet& out);

// Rebuilds `out` for the currents view: IA, IB, IC and IBatt in amperes. A run without
// currents gets no channels (ChannelCount 0) and rows of zeros.
void PrepareCurrents(const SampleBuffer& run, ChannelSet& out);

// PrepareRes for views 0 ... 3, PrepareCurrents for view 4.
void PrepareView(int view, const ChannelTexts& texts, char separator, const SampleBuffer& run,
                 ChannelSet& out);

} // namespace engine
