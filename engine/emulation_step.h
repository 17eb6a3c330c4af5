#pragma once

#include "engine/commutation_sign.h"
#include "engine/emulation.h"

#include <cstdint>
#include <limits>

// One step of a run: the switch levels, drive flags and voltages of a record at its time and
// angle. Every step depends only on its own time and angle and on the run's shared inputs, so
// any stretch of steps can be emulated on its own once its first time and angle are known.

namespace engine {

// The single-precision degrees-to-radians constant, with its stored value.
inline constexpr double kDegToRad = 0.017453292f;

// The argument of phase k's commutation cosine, in radians.
inline double CommutationArgument(float timing, float angle, int k)
{
    return (static_cast<double>(angle) + timing + 120.0 * k) * kDegToRad;
}

// Rounds to single precision as storing a value does. A value beyond the float range becomes
// an infinity, as the hardware conversion gives, without the undefined out-of-range cast.
inline float ToSingle(double value)
{
    constexpr double kFirstOverflow = 0x1.ffffffp127; // FLT_MAX plus half an ulp
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    if (value >= kFirstOverflow) {
        return kInfinity;
    }
    if (value <= -kFirstOverflow) {
        return -kInfinity;
    }
    return static_cast<float>(value);
}

// The inputs every step of a run shares, widened once.
struct StepModel {
    OperatingPoint Op;
    double EmfAmplitude;
    CommutationSign CommSign; // from the conduction threshold
    double CurrentFactor;
    double LoadCurrent;   // Params[MaxCurrent]
    double BattImpedance; // Params[BattImpedance]
    float NominalVoltage;
    bool HighSidePwm;
    bool LowSidePwm;
    // Set for a circuit-model run: each step also leaves its transistor states (bit 2k the
    // high transistor of phase k, 2k + 1 the low one) and its circuit back-EMFs, which have
    // the opposite sign of the voltage model's (3 per step), at its index.
    std::uint8_t* CircuitBits = nullptr;
    float* CircuitEmf = nullptr;
};

StepModel MakeStepModel(const OperatingPoint& op, const TParams& params,
                        const RunSettings& settings);

// The time and angle of the next step, accumulated in single precision as the run does.
struct StepClock {
    float Time;
    float Angle;
};

// Emulates the steps `first` ... `end` - 1 into records[first] ... records[end - 1], the first
// of them at `clock`, which is left at the step after the last one emulated. Returns the index
// of the first record with a voltage that is not finite (emulation stops after it), else `end`.
std::int64_t EmulateSteps(const StepModel& m, TSampleRec* records, std::int64_t first,
                          std::int64_t end, StepClock& clock);

// The name of the first stored voltage of `r` that is not finite, or nullptr.
const char* NonFiniteField(const TSampleRec& r);

// True when no step of a run with this model can store a voltage that is not finite, at any
// angle: the bound of every stored voltage stays far inside the float range.
bool VoltagesStayFinite(const StepModel& m);

} // namespace engine
