#pragma once

#include "engine/circuit_settings.h"
#include "engine/params.h"
#include "engine/run_summary.h"
#include "engine/sample.h"

#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <string>

// One electrical revolution of six-step commutation in 1 us steps (a full run), or one step
// at a given angle with the PWM output held on or off (a single-angle run).

namespace engine {

// The bridge settings a run reads from the window when it starts.
struct RunSettings {
    bool HighSidePwm = true; // CheckBox1 "H-Side PWM"
    bool LowSidePwm = false; // CheckBox2 "L-Side PWM"
    int DriverKind = 1;      // RadioGroup1: 0 "2 Non Inv", 1 "Inv+Non Inv"
    int MosfetKind = 1;      // RadioGroup2: 0 "N + N", 1 "P + N"
    bool Pattern120 = true;  // RadioButton1 checked; otherwise the 180-degree pattern
    // The model of the bridge and its circuit values; the quasi-static model by default.
    CircuitSettings Circuit{};

    friend bool operator==(const RunSettings&, const RunSettings&) = default;
};

// Computed once at the start of a run; every value stored at single precision.
struct OperatingPoint {
    float Duty = 0;
    float Timing = 0;
    float StallCurrent = 0;
    float LoadFactor = 0;
    float Rpm = 0;
    float EmfAmplitude = 0;
    float TimeStep = 1;
    float DegPerStep = 0;
    float StartAngle = 0;
    float EndAngle = 0;
    float PwmPeriod = 0;
    float ConductThreshold = 0;
    float CurrentFactor = 0;
    int HighInvert = 0;
    int PwmState = -1; // below 0: a full run; 0 or 1: the PWM output held in every step
};

// Runs longer than this are refused before they start: they would never end in reasonable
// time or memory (the longest run the track bars reach is about a million steps).
inline constexpr std::int64_t kMaxRunSteps = 4'000'000;

// A run that cannot be done: a floating-point fault (a zero divisor of the operating point,
// a non-finite value inside the loop) or a run that would never end. The message names the
// cause in the user's terms.
class EmulationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws EmulationError for a parameter set whose operating point is undefined or whose run
// cannot end. `pwmState` < 0: a full run; 0 or 1: a single-angle run.
OperatingPoint ComputeOperatingPoint(const TParams& params, const RunSettings& settings,
                                     int pwmState, float startAngle);

// Where a single-angle run from `startAngle` ends: 0.0001 deg on, stored at single precision.
// From 2048 deg on the step is below half the float spacing, the end rounds back to the start
// and the run records nothing.
float SingleAngleEnd(float startAngle);

// cos((Angle + Timing + 120 k) x 0.017453292): the commutation logic drives phase k high
// above ConductThreshold, low below its negative and leaves it floating in between.
double CommutationCos(float timing, float angle, int k);

// True when the commutation logic leaves phase k undriven at `angle`; PWM plays no part.
bool PhaseFloats(const OperatingPoint& op, float angle, int k);

// The PWM output (0 or 1) of the step at `time`: in a full run on while the time's fraction
// of the PWM period is at most the duty, in a single-angle run the held state.
inline int PwmOutputAt(const OperatingPoint& op, float time)
{
    if (op.PwmState >= 0) {
        return op.PwmState;
    }
    // The on part starts each period, and the comparison includes equality.
    const double periods = time / static_cast<double>(op.PwmPeriod);
    return periods - std::trunc(periods) <= static_cast<double>(op.Duty) ? 1 : 0;
}

// How a run may spread its steps over threads. The records are the same for every choice;
// the threads start and end inside the run.
struct RunThreads {
    unsigned Count = 0;                      // 0: one per core
    std::int64_t MinStepsPerThread = 100000; // shorter runs use fewer threads, down to one
    std::int64_t BlockSteps = 16384;         // the steps a thread emulates at a time
};

// The whole run as one block on the caller's thread: one plain loop over the steps.
inline constexpr RunThreads kOneLoop{.Count = 1, .BlockSteps = 2 * kMaxRunSteps};

// The run: fills `buffer` from index 0 and sets SampleCount. On an error found before the
// loop the buffer is untouched; on a fault inside the loop SampleCount counts the steps done.
// In the circuit model (settings.Circuit) the recorded revolution is the periodic steady state (warm-up
// revolutions first), buffer.Currents holds a record per sample, and a single-angle run is
// that instant of the full run's steady state with the PWM output held; a fault of the circuit
// leaves SampleCount at 0.
RunSummary CalcPhases(const TParams& params, const RunSettings& settings, int pwmState,
                      float startAngle, SampleBuffer& buffer, const RunThreads& threads = {});

} // namespace engine
