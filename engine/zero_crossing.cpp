#include "engine/zero_crossing.h"

#include "engine/comparators.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>

namespace engine {

std::string_view ZcDirectionName(ZcDirection direction)
{
    return direction == ZcDirection::Rising ? "rising" : "falling";
}

std::string_view ZcEmptyReasonText(ZcEmptyReason reason)
{
    switch (reason) {
    case ZcEmptyReason::None:
        return "";
    case ZcEmptyReason::NoRun:
        return "There is no run to analyse.";
    case ZcEmptyReason::SingleAngle:
        return "A single-angle run has no floating intervals to analyse: emulate the whole "
               "revolution.";
    case ZcEmptyReason::NoComparator:
        return "The battery view has no comparators: choose view 1, 2 or 3.";
    case ZcEmptyReason::StaleChannels:
        return "The channels do not belong to this run.";
    case ZcEmptyReason::NoFloatingPhase:
        return "No phase floats in this run: the 180-degree pattern drives all three phases "
               "at nearly every step, so there is no back-EMF to compare.";
    case ZcEmptyReason::NoCompleteInterval:
        return "Every floating interval is cut by the start or the end of the run.";
    case ZcEmptyReason::NoneInWindow:
        return "No floating interval lies in the view window.";
    }
    return "";
}

double TimeAtAngle(const SampleBuffer& run, double angle)
{
    const SampleVector& s = run.Samples;
    const auto count = static_cast<std::size_t>(run.SampleCount);
    if (count < 2) {
        return s.front().Time;
    }
    const auto end = s.begin() + static_cast<std::ptrdiff_t>(count);
    const auto above = std::upper_bound(s.begin(), end, angle,
                                        [](double a, const TSampleRec& r) { return a < r.Angle; });
    const auto upper =
        static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(above - s.begin(), 1, count - 1));
    const TSampleRec& a = s[upper - 1];
    const TSampleRec& b = s[upper];
    const double share = (angle - a.Angle) / (static_cast<double>(b.Angle) - a.Angle);
    return a.Time + share * (static_cast<double>(b.Time) - a.Time);
}

namespace {

// The floating intervals of all three phases in time order, the ones cut by the run's ends
// left out. `anyFloating` tells whether a phase floats at all.
std::vector<FloatingInterval> FloatingIntervals(const SampleBuffer& run, const OperatingPoint& op,
                                                bool& anyFloating)
{
    std::vector<FloatingInterval> intervals;
    anyFloating = false;
    const int count = run.SampleCount;
    for (int k = 0; k < 3; ++k) {
        int start = -1;
        for (int i = 0; i <= count; ++i) {
            const bool floats =
                i < count && PhaseFloats(op, run.Samples[static_cast<std::size_t>(i)].Angle, k);
            if (floats && start < 0) {
                start = i;
            } else if (!floats && start >= 0) {
                anyFloating = true;
                if (start > 0 && i < count) {
                    intervals.push_back({k, start, i - 1});
                }
                start = -1;
            }
        }
    }
    std::sort(intervals.begin(), intervals.end(),
              [](const FloatingInterval& a, const FloatingInterval& b) {
                  return a.First != b.First ? a.First < b.First : a.Phase < b.Phase;
              });
    return intervals;
}

// The crossing that belongs to an interval: the phase floats around the commutation angle
// Angle + Timing + 120 k = 90 + 180 n, and its back-EMF crosses zero where Angle + 120 k is
// that same 90 + 180 n, Timing later.
ZeroCrossing CrossingOf(const SampleBuffer& run, const OperatingPoint& op,
                        const FloatingInterval& interval, bool circuit)
{
    const int mid = interval.First + (interval.Last - interval.First) / 2;
    const double midAngle = run.Samples[static_cast<std::size_t>(mid)].Angle;
    const double n =
        std::floor((midAngle + op.Timing + 120.0 * interval.Phase - 90.0) / 180.0 + 0.5);
    ZeroCrossing row;
    row.Interval = interval;
    row.TrueAngle = 90.0 - 120.0 * interval.Phase + 180.0 * n;
    // -cos(x) rises through zero at x = 90 + 360 m and falls at 270 + 360 m.
    // The circuit's back-EMF, +cos(x), does the opposite.
    const bool rising = (std::fmod(std::fabs(n), 2.0) == 0) != circuit;
    row.Direction = rising ? ZcDirection::Rising : ZcDirection::Falling;
    row.TrueTime = TimeAtAngle(run, row.TrueAngle);
    row.Commutation = run.Samples[static_cast<std::size_t>(interval.Last) + 1].Angle;
    return row;
}

void Summarise(ZcTable& table)
{
    ZcSummary& sum = table.Summary;
    double totalDeg = 0;
    double totalUs = 0;
    for (const ZeroCrossing& row : table.Rows) {
        if (row.DuringDemag) {
            ++sum.Demag;
            continue;
        }
        switch (row.Found.Status) {
        case ZcStatus::Already:
            ++sum.Already;
            continue;
        case ZcStatus::Missed:
            ++sum.Missed;
            continue;
        case ZcStatus::Detected:
            break;
        }
        ++sum.Detected;
        sum.Early += row.ErrorDeg < 0 ? 1 : 0;
        totalDeg += row.ErrorDeg;
        totalUs += row.ErrorUs;
        if (!sum.MaxErrorDeg || std::fabs(row.ErrorDeg) > std::fabs(*sum.MaxErrorDeg)) {
            sum.MaxErrorDeg = row.ErrorDeg;
        }
        if (!sum.MaxErrorUs || std::fabs(row.ErrorUs) > std::fabs(*sum.MaxErrorUs)) {
            sum.MaxErrorUs = row.ErrorUs;
        }
    }
    if (sum.Detected > 0) {
        sum.MeanErrorDeg = totalDeg / sum.Detected;
        sum.MeanErrorUs = totalUs / sum.Detected;
    }
}

ZcEmptyReason CheckAnalysable(const SampleBuffer& run, const OperatingPoint& op,
                              const ChannelSet& result, int view)
{
    if (run.SampleCount <= 0) {
        return ZcEmptyReason::NoRun;
    }
    if (op.PwmState >= 0) {
        return ZcEmptyReason::SingleAngle;
    }
    if (!HasComparators(view)) {
        return ZcEmptyReason::NoComparator;
    }
    if (result.ChannelRows.size() != static_cast<std::size_t>(run.SampleCount) ||
        result.ChannelCount != ComparatorChannelCount(view) ||
        run.Samples.size() < static_cast<std::size_t>(run.SampleCount)) {
        return ZcEmptyReason::StaleChannels;
    }
    return ZcEmptyReason::None;
}

// The sample the detector fired at: its detection, or the first one it looked at when that
// showed the crossing already; -1 when it missed.
int FiredAt(const Detection& found, const DetectorSettings& detector, const OperatingPoint& op,
            const SampleBuffer& run, const FloatingInterval& interval)
{
    if (found.Status == ZcStatus::Detected) {
        return found.Index;
    }
    return found.Status == ZcStatus::Already ? FirstLookedAt(detector, op, run, interval) : -1;
}

// The demagnetisation of a circuit-model interval, and whether the detector fired while the
// phase conducted through a diode: during the demagnetisation, or later when the floating
// terminal passed a rail by a diode drop.
void AddDemagnetisation(const SampleBuffer& run, const OperatingPoint& op,
                        const ChannelSet& result, int view, const DetectorSettings& detector,
                        int postLevel, ZeroCrossing& row)
{
    const FloatingInterval& in = row.Interval;
    const auto current = [&](int i) {
        return run.Currents[static_cast<std::size_t>(i)].I[in.Phase];
    };
    // A conduction ends where the current is zero, or where it changed sign: the diode of
    // the other rail took over inside the step.
    const auto ends = [&](int i) {
        return current(i) == 0.0f || (current(i) > 0) != (current(i - 1) > 0);
    };
    int end = in.First;
    while (end <= in.Last && current(end) != 0.0f && (end == in.First || !ends(end))) {
        ++end;
    }
    const TSampleRec& first = run.Samples[static_cast<std::size_t>(in.First)];
    const auto angleAt = [&](int i) {
        return static_cast<double>(run.Samples[static_cast<std::size_t>(i)].Angle) - first.Angle;
    };
    // Sample Last + 1 exists: intervals cut by the run's end are not analysed.
    row.DemagUs = static_cast<double>(run.Samples[static_cast<std::size_t>(end)].Time) - first.Time;
    row.DemagDeg = angleAt(end);
    const int fired = FiredAt(row.Found, detector, op, run, in);
    row.DuringDemag = fired >= 0 && current(fired) != 0.0f;
    if (!row.DuringDemag) {
        return;
    }
    // The smallest blanking that ends where a conduction ends and keeps the detector from
    // firing inside one.
    DetectorSettings longer = detector;
    for (int i = fired + 1; i <= in.Last + 1; ++i) {
        if (i <= in.Last && !ends(i)) {
            continue;
        }
        longer.BlankingDeg = angleAt(i);
        if (longer.BlankingDeg > kMaxZcBlankingDeg) {
            return;
        }
        const Detection found = Detect(longer, op, run, result, view, in, postLevel);
        const int firedThen = FiredAt(found, longer, op, run, in);
        if (firedThen < 0 || current(firedThen) == 0.0f) {
            row.BlankingPastDemagDeg = longer.BlankingDeg;
            return;
        }
    }
}

} // namespace

ZcTable AnalyseZeroCrossings(const SampleBuffer& run, const OperatingPoint& op,
                             const ChannelSet& result, int view, const DetectorSettings& detector,
                             const SampleWindow& window)
{
    ZcTable table;
    table.Reason = CheckAnalysable(run, op, result, view);
    if (table.Reason != ZcEmptyReason::None) {
        return table;
    }
    bool anyFloating = false;
    const std::vector<FloatingInterval> intervals = FloatingIntervals(run, op, anyFloating);
    if (intervals.empty()) {
        table.Reason =
            anyFloating ? ZcEmptyReason::NoCompleteInterval : ZcEmptyReason::NoFloatingPhase;
        return table;
    }
    table.Circuit = run.HasCurrents();
    for (const FloatingInterval& interval : intervals) {
        if (interval.Last < window.Start || interval.First >= window.End()) {
            continue;
        }
        ZeroCrossing row = CrossingOf(run, op, interval, table.Circuit);
        const int postLevel = row.Direction == ZcDirection::Rising ? 1 : 0;
        row.Found = Detect(detector, op, run, result, view, interval, postLevel);
        if (row.Found.Status == ZcStatus::Detected) {
            const TSampleRec& at = run.Samples[static_cast<std::size_t>(row.Found.Index)];
            row.Angle = at.Angle;
            row.ErrorDeg = at.Angle - row.TrueAngle;
            row.ErrorUs = at.Time - row.TrueTime;
            row.ImpliedCommutation = static_cast<double>(at.Angle) + 30.0 - op.Timing;
        }
        if (table.Circuit) {
            AddDemagnetisation(run, op, result, view, detector, postLevel, row);
        }
        table.Rows.push_back(row);
    }
    if (table.Rows.empty()) {
        table.Reason = ZcEmptyReason::NoneInWindow;
    }
    Summarise(table);
    return table;
}

ZcTable AnalyseZeroCrossings(const SampleBuffer& run, const OperatingPoint& op,
                             const ChannelSet& result, int view, const DetectorSettings& detector)
{
    return AnalyseZeroCrossings(run, op, result, view, detector, SampleWindow{0, run.SampleCount});
}

std::optional<ZcSummary> WholeRunZcSummary(const SampleBuffer& run, const OperatingPoint& op,
                                           const ChannelSet& result, int view)
{
    const ZcTable table = AnalyseZeroCrossings(run, op, result, view, DetectorSettings{});
    switch (table.Reason) {
    case ZcEmptyReason::NoRun:
    case ZcEmptyReason::SingleAngle:
    case ZcEmptyReason::NoComparator:
    case ZcEmptyReason::StaleChannels:
        return std::nullopt;
    default:
        return table.Summary;
    }
}

} // namespace engine
