#pragma once

#include "engine/circuit_settings.h"
#include "engine/emulation.h"
#include "engine/sample.h"
#include "engine/sample_window.h"

#include <array>
#include <optional>

// The currents, powers and losses of a circuit-model run over a window of its samples. Each
// sample stands for its 1 us step with the currents at the step's start.

namespace engine {

struct PhaseCurrentStats {
    double Mean = 0; // amperes, into the motor
    double Rms = 0;
    double Peak = 0; // the largest magnitude
};

struct CircuitMeasurements {
    SampleWindow Measured;
    std::array<PhaseCurrentStats, 3> Phases{};
    double BatteryCurrent = 0;   // mean current drawn from the battery, amperes
    double BatteryPower = 0;     // mean power the battery's source gives: nominal voltage x current
    double CopperLoss = 0;       // mean R i^2 over the three windings, watts
    double BackEmfPower = 0;     // mean power into the back-EMFs: the mechanical power, watts
    double DiodeLoss = 0;        // mean drop x current of the conducting body diodes, watts
    double ImpedanceLoss = 0;    // mean loss in the battery's impedance, watts
    std::optional<double> Efficiency; // back-EMF power / battery power, while the battery gives
};

// Nothing when the run holds no currents (a quasi-static run) or the window no samples.
// `params` and `settings` must be the run's own.
std::optional<CircuitMeasurements> MeasureCircuit(const SampleBuffer& run, const TParams& params,
                                                  const RunSettings& settings,
                                                  const SampleWindow& window);

} // namespace engine
