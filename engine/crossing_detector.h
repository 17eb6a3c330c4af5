#pragma once

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/sample.h"

#include <array>
#include <optional>
#include <string_view>

// A firmware zero-crossing detector: it samples the comparator of the floating phase, ignores
// the start of the floating interval (where the winding's demagnetisation and the
// commutation's ringing would disturb a real comparator), and takes a crossing once `Filter`
// qualifying samples in a row show the level that follows it.

namespace engine {

// Which samples the detector reads, by the PWM output of the run's own rule.
enum class ZcSampling { On, Off, All };

inline constexpr std::array<std::string_view, 3> kZcSamplingNames{"on", "off", "all"};

std::string_view ZcSamplingName(ZcSampling sampling);
std::optional<ZcSampling> ZcSamplingFromName(std::string_view name);

// A floating interval of the 120-degree pattern lasts 60 degrees: more blanking leaves nothing
// to look at. A filter longer than this is none a firmware would use.
inline constexpr double kMaxZcBlankingDeg = 60.0;
inline constexpr int kMaxZcFilter = 1000;

struct DetectorSettings {
    ZcSampling Sampling = ZcSampling::On;
    double BlankingDeg = 0; // 0 ... kMaxZcBlankingDeg, from the start of the floating interval
    int Filter = 1;         // 1 ... kMaxZcFilter consecutive qualifying samples

    friend bool operator==(const DetectorSettings&, const DetectorSettings&) = default;
};

// Why a floating interval has no detection, or that it has one.
enum class ZcStatus { Detected, Already, Missed };

std::string_view ZcStatusName(ZcStatus status);

struct Detection {
    ZcStatus Status = ZcStatus::Missed;
    int Index = -1; // the detecting sample when Detected
};

// Samples First ... Last of the run, in which the commutation leaves phase `Phase` undriven.
struct FloatingInterval {
    int Phase = 0;
    int First = 0;
    int Last = 0;
};

// Runs the detector over one floating interval on the phase's comparator in `view` (which
// must have comparators, with `result` built for it from `run`). `postLevel` is the level
// that follows the crossing. Settings out of range are clamped into range.
Detection Detect(const DetectorSettings& settings, const OperatingPoint& op,
                 const SampleBuffer& run, const ChannelSet& result, int view,
                 const FloatingInterval& interval, int postLevel);

// The first sample of the interval the detector looks at (past the blanking, qualifying), or
// -1 when there is none.
int FirstLookedAt(const DetectorSettings& settings, const OperatingPoint& op,
                  const SampleBuffer& run, const FloatingInterval& interval);

} // namespace engine
