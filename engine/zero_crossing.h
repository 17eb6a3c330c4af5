#pragma once

#include "engine/channels.h"
#include "engine/crossing_detector.h"
#include "engine/emulation.h"
#include "engine/sample.h"
#include "engine/sample_window.h"

#include <optional>
#include <string_view>
#include <vector>

// Zero-crossing analysis of a full run: for every floating interval of a phase, where its
// back-EMF truly crosses zero, where the comparator of the selected view switches as a
// firmware detector sees it, and the commutation that detection would give next to the one
// the emulation makes.

namespace engine {

enum class ZcDirection { Rising, Falling };

std::string_view ZcDirectionName(ZcDirection direction);

// One floating interval of a phase and the crossing inside it.
struct ZeroCrossing {
    FloatingInterval Interval;
    ZcDirection Direction = ZcDirection::Rising;
    // Where the back-EMF -cos(Angle + 120 k) changes sign: 90 - 120 k + 180 n degrees, and the
    // run's time there, interpolated between the samples around it.
    double TrueAngle = 0;
    double TrueTime = 0;
    Detection Found;
    // Set only when Found.Status is Detected: the detecting sample's angle and time minus the
    // true ones (positive: late), and the commutation the detection implies,
    // detected angle + 30 - Timing.
    float Angle = 0;
    double ErrorDeg = 0;
    double ErrorUs = 0;
    double ImpliedCommutation = 0;
    // The emulation's own commutation at the end of the interval: the angle of the first
    // sample that drives the phase again.
    float Commutation = 0;
    // Circuit model only. The demagnetisation: from the interval's start, while the released
    // winding's current still flows through a body diode, until it is zero (the whole
    // interval when it never is).
    std::optional<double> DemagUs;
    std::optional<double> DemagDeg;
    // The detector fired (a detection, or the post-crossing level at its first look) while the
    // phase conducted through a diode: it saw a clamp, not the back-EMF. The smallest blanking
    // that keeps it from firing inside a conduction then goes with it (none when that would
    // exceed the largest blanking).
    bool DuringDemag = false;
    std::optional<double> BlankingPastDemagDeg;
};

// Why a table has no rows.
enum class ZcEmptyReason {
    None,
    NoRun,              // no samples
    SingleAngle,        // a single-angle run has no intervals
    NoComparator,       // view 0
    StaleChannels,      // the channels were not built from this run for this view
    NoFloatingPhase,    // the commutation never leaves a phase undriven
    NoCompleteInterval, // every floating interval is cut by the start or end of the run
    NoneInWindow,       // none of them touches the samples asked for
};

// A sentence for the user; empty for None.
std::string_view ZcEmptyReasonText(ZcEmptyReason reason);

struct ZcSummary {
    int Detected = 0;
    int Already = 0;
    int Missed = 0;
    int Early = 0; // detected before the true crossing
    int Demag = 0; // fired during the demagnetisation (circuit model); counted apart
    // Over the detections; empty without one. The largest error is the one of largest
    // magnitude, with its sign.
    std::optional<double> MeanErrorDeg;
    std::optional<double> MeanErrorUs;
    std::optional<double> MaxErrorDeg;
    std::optional<double> MaxErrorUs;

    int Undetected() const { return Already + Missed + Demag; }
};

struct ZcTable {
    std::vector<ZeroCrossing> Rows; // in time order
    bool Circuit = false;           // from a circuit-model run: the demagnetisation is known
    ZcEmptyReason Reason = ZcEmptyReason::None;
    ZcSummary Summary;
};

// Analyses the run `run` made at operating point `op`, on the comparators of `view` whose
// channels are `result`. The floating intervals with at least one sample in `window` are
// listed, each analysed whole. An interval that starts at the run's first sample or ends at its
// last is not listed: its other part lies outside the run, so neither where the detector
// starts looking nor the commutation that ends it is known.
ZcTable AnalyseZeroCrossings(const SampleBuffer& run, const OperatingPoint& op,
                             const ChannelSet& result, int view, const DetectorSettings& detector,
                             const SampleWindow& window);

// In a circuit-model run (one with currents) the back-EMF has the circuit's polarity, +cos, so
// the directions are the opposite of the quasi-static model's: a phase released from high
// falls.

// The same over the whole run.
ZcTable AnalyseZeroCrossings(const SampleBuffer& run, const OperatingPoint& op,
                             const ChannelSet& result, int view, const DetectorSettings& detector);

// The figures of the whole run with the default detector; nothing when the run has nothing
// to analyse (no samples, a single angle, no comparators in `view`, channels of another run).
std::optional<ZcSummary> WholeRunZcSummary(const SampleBuffer& run, const OperatingPoint& op,
                                           const ChannelSet& result, int view);

// The run's time at `angle`, interpolated linearly between the two samples around it (or
// extrapolated from the nearest two). The run must hold at least one sample.
double TimeAtAngle(const SampleBuffer& run, double angle);

} // namespace engine
