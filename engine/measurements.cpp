#include "engine/measurements.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace engine {
namespace {

// Two starts of conduction closer than this belong to one commutation: a switch whose idle
// level was guessed wrong reports its end, which is where another switch starts.
constexpr double kSameCommutationDeg = kPwmGapLimitDeg / 4;

struct LevelRun {
    std::int32_t Level = 0;
    int Begin = 0; // first sample of the run
    int End = 0;   // first sample after it
};

std::vector<LevelRun> RunsOf(const std::vector<TSampleRec>& samples, int first, int end,
                             std::size_t slot)
{
    std::vector<LevelRun> runs;
    for (int i = first; i < end; ++i) {
        const std::int32_t level = samples[static_cast<std::size_t>(i)].Switch[slot];
        if (runs.empty() || runs.back().Level != level)
            runs.push_back({level, i, i + 1});
        else
            runs.back().End = i + 1;
    }
    return runs;
}

double Median(std::vector<double> values)
{
    const std::size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid),
                     values.end());
    const double upper = values[mid];
    if (values.size() % 2 == 1)
        return upper;
    const double lower =
        *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
    return (lower + upper) / 2;
}

struct EdgeFindings {
    std::vector<double> PulseIntervalsUs; // between pulse starts of one conduction interval
    std::vector<int> ConductionStarts;    // samples where a conduction interval begins
};

// Splits one switch's levels into conduction intervals (pulses joined across PWM gaps) and
// collects the pulse intervals and the interval starts. The levels carry no polarity (the
// high side may be inverted by the driver), so the idle level is the one of the longest run:
// a conduction interval is chopped by PWM, the idle gap between two of them is not.
void FindEdges(const std::vector<TSampleRec>& samples, int first, int end, std::size_t slot,
               EdgeFindings& out)
{
    const std::vector<LevelRun> runs = RunsOf(samples, first, end, slot);
    if (runs.size() < 2)
        return;
    const auto longest =
        std::max_element(runs.begin(), runs.end(), [](const auto& a, const auto& b) {
            return a.End - a.Begin < b.End - b.Begin;
        });
    const std::int32_t idle = longest->Level;

    bool conducting = false;
    int lastPulse = -1; // start of the previous pulse of this interval; -1 when unknown
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const LevelRun& run = runs[k];
        if (run.Level == idle) {
            const bool interior = k > 0 && k + 1 < runs.size();
            const double gapDeg =
                interior ? static_cast<double>(samples[static_cast<std::size_t>(run.End)].Angle) -
                               samples[static_cast<std::size_t>(run.Begin)].Angle
                         : 0;
            if (!interior || gapDeg >= kPwmGapLimitDeg) {
                conducting = false;
                lastPulse = -1;
            }
            continue;
        }
        // A run that begins with the window has no edge of its own to measure from.
        const bool edge = run.Begin > first;
        if (!conducting) {
            conducting = true;
            if (edge)
                out.ConductionStarts.push_back(run.Begin);
        } else if (lastPulse >= 0) {
            out.PulseIntervalsUs.push_back(
                static_cast<double>(samples[static_cast<std::size_t>(run.Begin)].Time) -
                samples[static_cast<std::size_t>(lastPulse)].Time);
        }
        lastPulse = edge ? run.Begin : -1;
    }
}

void MeasureCommutation(const std::vector<TSampleRec>& samples, std::vector<int> starts,
                        ViewMeasurements& out)
{
    std::sort(starts.begin(), starts.end());
    std::vector<int> distinct;
    for (const int start : starts) {
        if (distinct.empty() ||
            static_cast<double>(samples[static_cast<std::size_t>(start)].Angle) -
                    samples[static_cast<std::size_t>(distinct.back())].Angle >=
                kSameCommutationDeg)
            distinct.push_back(start);
    }
    if (distinct.size() < 3)
        return;
    std::vector<double> us;
    std::vector<double> deg;
    for (std::size_t k = 1; k < distinct.size(); ++k) {
        const TSampleRec& a = samples[static_cast<std::size_t>(distinct[k - 1])];
        const TSampleRec& b = samples[static_cast<std::size_t>(distinct[k])];
        us.push_back(static_cast<double>(b.Time) - a.Time);
        deg.push_back(static_cast<double>(b.Angle) - a.Angle);
    }
    out.CommutationPeriodUs = Median(std::move(us));
    out.CommutationPeriodDeg = Median(std::move(deg));
}

void MeasureChannels(const ChannelSet& result, int first, int end, ViewMeasurements& out)
{
    const int count = std::clamp(result.ChannelCount, 0, kMaxChannels);
    if (count == 0 || static_cast<std::int64_t>(result.ChannelRows.size()) < end)
        return;
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(count); ++slot) {
        ChannelStats stats;
        stats.Min = result.ChannelRows[static_cast<std::size_t>(first)][slot];
        stats.Max = stats.Min;
        double sum = 0;
        double squares = 0;
        for (int i = first; i < end; ++i) {
            const float v = result.ChannelRows[static_cast<std::size_t>(i)][slot];
            stats.Min = std::min(stats.Min, v);
            stats.Max = std::max(stats.Max, v);
            sum += v;
            squares += static_cast<double>(v) * v;
        }
        const double n = end - first;
        stats.Mean = sum / n;
        stats.Rms = std::sqrt(squares / n);
        out.Channels.push_back(stats);
    }
}

} // namespace

ViewMeasurements MeasureView(const SampleBuffer& run, const ChannelSet& result,
                             const SampleWindow& view)
{
    ViewMeasurements out;
    out.Measured = CutToRun(view, run.RecordCount());
    if (out.Measured.Empty())
        return out;
    const int first = out.Measured.Start;
    const int last = first + out.Measured.Len;

    MeasureChannels(result, first, last, out);

    EdgeFindings findings;
    for (std::size_t slot = 0; slot < out.Switches.size(); ++slot) {
        SwitchStats& stats = out.Switches[slot];
        std::int64_t high = 0;
        std::int32_t previous = run.Samples[static_cast<std::size_t>(first)].Switch[slot];
        for (int i = first; i < last; ++i) {
            const std::int32_t level = run.Samples[static_cast<std::size_t>(i)].Switch[slot];
            high += level == 1 ? 1 : 0;
            stats.Edges += level != previous ? 1 : 0;
            previous = level;
        }
        stats.Duty = static_cast<double>(high) / out.Measured.Len;
        FindEdges(run.Samples, first, last, slot, findings);
    }
    if (findings.PulseIntervalsUs.size() >= 2)
        out.PwmPeriodUs = Median(std::move(findings.PulseIntervalsUs));
    MeasureCommutation(run.Samples, std::move(findings.ConductionStarts), out);
    return out;
}

} // namespace engine
