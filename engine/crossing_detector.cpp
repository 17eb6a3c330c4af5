#include "engine/crossing_detector.h"

#include "engine/comparators.h"

#include <algorithm>
#include <cstddef>

namespace engine {

std::string_view ZcSamplingName(ZcSampling sampling)
{
    return kZcSamplingNames[static_cast<std::size_t>(sampling)];
}

std::optional<ZcSampling> ZcSamplingFromName(std::string_view name)
{
    for (std::size_t i = 0; i < kZcSamplingNames.size(); ++i) {
        if (kZcSamplingNames[i] == name) {
            return static_cast<ZcSampling>(i);
        }
    }
    return std::nullopt;
}

std::string_view ZcStatusName(ZcStatus status)
{
    switch (status) {
    case ZcStatus::Detected:
        return "detected";
    case ZcStatus::Already:
        return "already";
    case ZcStatus::Missed:
        break;
    }
    return "missed";
}

namespace {

bool Qualifies(ZcSampling sampling, const OperatingPoint& op, const TSampleRec& sample)
{
    if (sampling == ZcSampling::All) {
        return true;
    }
    const int pwmOn = PwmOutputAt(op, sample.Time);
    return (sampling == ZcSampling::On) == (pwmOn == 1);
}

} // namespace

Detection Detect(const DetectorSettings& settings, const OperatingPoint& op,
                 const SampleBuffer& run, const ChannelSet& result, int view,
                 const FloatingInterval& interval, int postLevel)
{
    const int first = interval.First;
    const double blanking = std::clamp(settings.BlankingDeg, 0.0, kMaxZcBlankingDeg);
    const int filter = std::clamp(settings.Filter, 1, kMaxZcFilter);
    const double startAngle = run.Samples[static_cast<std::size_t>(first)].Angle;

    bool looking = false;
    int postRun = 0; // qualifying samples in a row at the post-crossing level
    for (int i = first; i <= interval.Last; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const TSampleRec& sample = run.Samples[at];
        if (static_cast<double>(sample.Angle) - startAngle < blanking ||
            !Qualifies(settings.Sampling, op, sample)) {
            continue;
        }
        const bool post =
            ComparatorOutput(view, interval.Phase, result.ChannelRows[at]) == postLevel;
        if (!looking) {
            looking = true;
            if (post) {
                return {ZcStatus::Already, -1};
            }
            continue;
        }
        // The run of post-crossing samples always follows one at the other level, since the
        // first sample looked at showed it.
        postRun = post ? postRun + 1 : 0;
        if (postRun == filter) {
            return {ZcStatus::Detected, i};
        }
    }
    return {ZcStatus::Missed, -1};
}

int FirstLookedAt(const DetectorSettings& settings, const OperatingPoint& op,
                  const SampleBuffer& run, const FloatingInterval& interval)
{
    const double blanking = std::clamp(settings.BlankingDeg, 0.0, kMaxZcBlankingDeg);
    const double startAngle = run.Samples[static_cast<std::size_t>(interval.First)].Angle;
    for (int i = interval.First; i <= interval.Last; ++i) {
        const TSampleRec& sample = run.Samples[static_cast<std::size_t>(i)];
        if (static_cast<double>(sample.Angle) - startAngle >= blanking &&
            Qualifies(settings.Sampling, op, sample)) {
            return i;
        }
    }
    return -1;
}

} // namespace engine
