#pragma once

#include "engine/emulation.h"
#include "engine/sample.h"

#include <array>

// The bridge at one emulation step, as a person looking at the circuit sees it: which
// transistors conduct, which phases are driven, the voltages at the nodes and the way the
// current takes from the battery through the motor and back.

namespace engine {

// How current passes a motor terminal: from the high-side transistor into the winding, out of
// the winding into the low-side transistor, or not at all.
enum class TerminalCurrent { None, In, Out };

struct BridgeState {
    float Angle = 0;
    // HA, LA, HB, LB, HC, LC: true while the transistor conducts. The recorded high-side level
    // is the gate driver's input; with an inverting stage in the path (exactly one of an
    // inverting driver and a P-channel transistor) a level of 0 turns the transistor on.
    std::array<bool, 6> TransistorOn{};
    std::array<bool, 3> Drive{};
    std::array<float, 3> PhaseV{};
    float VZero = 0;
    float VBatt = 0;
    // Per phase; all None unless some terminal takes current in and another gives it out:
    // a single driven phase or three high phases close no loop through the battery.
    std::array<TerminalCurrent, 3> Current{};

    bool CurrentFlows() const;
};

// 1 when the high-side level reaches the transistor inverted, as the run applies it.
int HighSideInversion(const RunSettings& settings);

BridgeState BridgeStateOf(const TSampleRec& sample, const RunSettings& settings);

} // namespace engine
