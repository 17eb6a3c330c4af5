#pragma once

#include "engine/channels.h"
#include "engine/sample.h"
#include "engine/sample_window.h"

#include <array>
#include <optional>
#include <vector>

// Measurements over a window of a run's samples: the extremes, mean and RMS of every channel
// of the selected view, the duty and edge count of every switch, and the PWM and commutation
// periods estimated from the switch edges alone.

namespace engine {

struct ChannelStats {
    float Min = 0;
    float Max = 0;
    double Mean = 0;
    double Rms = 0;
};

struct SwitchStats {
    double Duty = 0; // share of the window's samples at level 1
    int Edges = 0;   // level changes between neighbouring samples of the window
};

struct ViewMeasurements {
    // The samples measured: the requested window cut to the run.
    SampleWindow Measured;
    // One entry per channel of the view; empty when the channel rows do not cover the window
    // (they may still belong to an earlier run).
    std::vector<ChannelStats> Channels;
    std::array<SwitchStats, 6> Switches{};
    // Empty without PWM: at full duty, or while the window holds fewer than two intervals
    // between pulses of one conduction interval.
    std::optional<double> PwmPeriodUs;
    // Empty while the window holds fewer than three commutations.
    std::optional<double> CommutationPeriodUs;
    std::optional<double> CommutationPeriodDeg;
};

// An idle gap shorter than this (electrical degrees) is a PWM off-time inside a conduction
// interval: one commutation step. The shortest gap between two conduction intervals of one
// switch is 180 degrees, so only PWM slower than six periods per revolution is mistaken for
// commutation.
inline constexpr double kPwmGapLimitDeg = 60.0;

// Measures the samples of `view` cut to the run.
ViewMeasurements MeasureView(const SampleBuffer& run, const ChannelSet& result,
                             const SampleWindow& view);

} // namespace engine
