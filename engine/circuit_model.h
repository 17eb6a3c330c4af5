#pragma once

#include "engine/circuit_settings.h"
#include "engine/sample.h"

#include <array>
#include <cstdint>
#include <vector>

// The bridge as a circuit. Each phase runs from its terminal through the winding resistance R
// and inductance L and its back-EMF e to the star point; each transistor has a body diode with
// forward drop Vf; the battery sits behind its impedance. Over one 1 us step the terminal
// voltages are held, and the currents follow the exact solution of the R-L branch. A diode
// that stops conducting inside a step does so at the instant its current reaches zero, and the
// rest of the step goes on with that phase floating.

namespace engine {

// Which transistors a step has on: bit 2k the high one of phase k, bit 2k + 1 the low one.
using TransistorBits = std::uint8_t;

struct BridgeCircuit {
    double Resistance = 0;  // ohms per phase, above 0
    double Inductance = 0;  // henries per phase, 0 or more
    double DiodeDrop = 0;   // volts
    double NominalVoltage = 0;
    double BattImpedance = 0;
    double StepSeconds = 1e-6;
    // exp(-R dt / L) over a whole step, 0 for L = 0: the share of a current that a step keeps.
    double StepDecay = 0;
    double Conductance = 0; // 1 / Resistance: the steps multiply, off their critical path
};

BridgeCircuit MakeBridgeCircuit(double resistance, double inductanceUh, double diodeDrop,
                                double nominalVoltage, double battImpedance);

// How a phase is tied: by a transistor, through a diode (the current keeps it there), or not.
enum class PhaseTie : std::uint8_t { Open, High, Low, DiodeLow, DiodeHigh };

// The voltages a step holds and the battery current taken at its start.
struct CircuitStepOut {
    std::array<double, 3> PhaseV{};
    double VZero = 0;
    double VBatt = 0;
    double IBatt = 0;
    std::array<PhaseTie, 3> Ties{};
};

// Advances the phase currents `i` (amperes, into the motor) over one step with transistors
// `bits` and back-EMFs `e`, and reports the voltages at its start in `out`.
void CircuitStep(const BridgeCircuit& b, TransistorBits bits, const float* e,
                 std::array<double, 3>& i, CircuitStepOut& out);

// The run's per-step inputs: transistor states and back-EMFs (3 per step), as the
// emulation's steps leave them.
struct CircuitInputs {
    std::vector<TransistorBits> Bits;
    std::vector<float> Emf;
};

inline constexpr int kMaxWarmUps = 50;
inline constexpr double kSettledAmps = 1e-3;
// A revolution is recorded (in case it settles) once the one before it changed the start
// currents by less than this; before that, warm-ups only advance the currents.
inline constexpr double kRecordBelowAmps = 0.1;
// The first warm-up of a revolution longer than this many time constants L / R runs only its
// last ones: the currents at its end no longer depend on where it started.
inline constexpr double kForgetTimeConstants = 40.0;

struct SteadyState {
    std::array<double, 3> StartCurrents{}; // of the recorded revolution
    int WarmUps = 0;                       // revolutions before the recorded one
    bool Settled = true;
};

// The periodic steady state, recorded: revolutions from zero currents, each starting where
// the one before ended, until one ends with currents within 1 mA of those it started with
// (they are then those an identical revolution before it ended with); the revolution after
// the last of kMaxWarmUps warm-ups is recorded unsettled. WarmUps counts the revolutions
// before the recorded one, the first of them shortened as kForgetTimeConstants says. Replaces the voltages of
// records[0 ... steps - 1] and writes the currents. Throws EmulationError when the currents
// stop being finite.
SteadyState RecordSteadyState(const BridgeCircuit& b, const CircuitInputs& in,
                              TSampleRec* records, TCurrentRec* currents);

// Writes one step's voltages and currents into a record.
void StoreCircuitStep(const CircuitStepOut& out, const std::array<double, 3>& i, TSampleRec& r,
                      TCurrentRec& c);

} // namespace engine
