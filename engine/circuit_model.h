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

struct SteadyState {
    std::array<double, 3> StartCurrents{};
    int WarmUps = 0;
    bool Settled = true;
};

// Repeats the revolution from zero currents until its start currents change by less than
// 1 mA from one revolution to the next (at most kMaxWarmUps times).
SteadyState FindSteadyState(const BridgeCircuit& b, const CircuitInputs& in);

// Replaces the voltages of records[0 ... count - 1] by the circuit's from `start` on and
// writes the currents. Throws EmulationError when a current stops being finite.
void RecordCircuit(const BridgeCircuit& b, const CircuitInputs& in,
                   const std::array<double, 3>& start, TSampleRec* records, TCurrentRec* currents,
                   std::int64_t count);

// Writes one step's voltages and currents into a record.
void StoreCircuitStep(const CircuitStepOut& out, const std::array<double, 3>& i, TSampleRec& r,
                      TCurrentRec& c);

} // namespace engine
