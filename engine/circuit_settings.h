#pragma once

// Which model a run uses for the bridge's voltages, and the two values only the circuit model
// reads.

namespace engine {

enum class RunModel {
    // Voltages from the conducting phases alone, no currents: the window's own model, whose
    // records every log and picture of earlier versions were made with.
    QuasiStatic,
    // The bridge as a circuit: R-L windings with back-EMF, body diodes, the battery behind its
    // impedance; phase and battery currents in every sample.
    Circuit,
};

inline constexpr float kDefaultInductanceUh = 20.0f;
inline constexpr float kDefaultDiodeDrop = 0.7f;
inline constexpr float kMaxInductanceUh = 10000.0f;
inline constexpr float kMaxDiodeDrop = 5.0f;

struct CircuitSettings {
    RunModel Model = RunModel::QuasiStatic;
    float InductanceUh = kDefaultInductanceUh; // per phase, 0 ... kMaxInductanceUh
    float DiodeDrop = kDefaultDiodeDrop;       // forward drop of each body diode, 0 ... kMaxDiodeDrop

    bool IsDefault() const { return *this == CircuitSettings{}; }
    friend bool operator==(const CircuitSettings&, const CircuitSettings&) = default;
};

// The names the command line and scenario files use: "static" and "circuit".
const char* RunModelName(RunModel model);
// False for any other name.
bool ParseRunModel(const char* name, RunModel& model);

// True when both values lie in their ranges (and are numbers).
inline bool InductanceInRange(float uh)
{
    return uh >= 0.0f && uh <= kMaxInductanceUh;
}
inline bool DiodeDropInRange(float volts)
{
    return volts >= 0.0f && volts <= kMaxDiodeDrop;
}

} // namespace engine
