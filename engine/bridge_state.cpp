#include "engine/bridge_state.h"

#include <algorithm>

namespace engine {

bool BridgeState::CurrentFlows() const
{
    return std::ranges::any_of(Current,
                               [](TerminalCurrent c) { return c != TerminalCurrent::None; });
}

int HighSideInversion(const RunSettings& settings)
{
    return (settings.DriverKind + settings.MosfetKind) & 1;
}

BridgeState BridgeStateOf(const TSampleRec& sample, const RunSettings& settings)
{
    const int inversion = HighSideInversion(settings);
    BridgeState state;
    state.Angle = sample.Angle;
    bool anyIn = false;
    bool anyOut = false;
    std::array<TerminalCurrent, 3> current{};
    for (std::size_t k = 0; k < 3; ++k) {
        const bool highOn = (sample.Switch[2 * k] ^ inversion) != 0;
        const bool lowOn = sample.Switch[2 * k + 1] != 0;
        state.TransistorOn[2 * k] = highOn;
        state.TransistorOn[2 * k + 1] = lowOn;
        state.Drive[k] = sample.Drive[k] != 0;
        state.PhaseV[k] = sample.PhaseV[k];
        // The run never turns both transistors of a phase on; were it to, the phase would be a
        // short across the battery and take no part in the motor's loop.
        if (highOn && !lowOn) {
            current[k] = TerminalCurrent::In;
            anyIn = true;
        } else if (lowOn && !highOn) {
            current[k] = TerminalCurrent::Out;
            anyOut = true;
        }
    }
    if (anyIn && anyOut) {
        state.Current = current;
    }
    state.VZero = sample.VZero;
    state.VBatt = sample.VBatt;
    return state;
}

} // namespace engine
