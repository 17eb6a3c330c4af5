#pragma once

#include "engine/circuit_settings.h"

#include <string>

// What a run reports when it ends, and the line the graph's header shows of it.

namespace engine {

struct RunSummary {
    float Rpm = 0;
    float Timing = 0;
    RunModel Model = RunModel::QuasiStatic;
    // Circuit model: the revolutions run before the recorded one, and whether their start
    // currents settled (changed by less than 1 mA) within the limit.
    int WarmUps = 0;
    bool Settled = true;
};

// "" when the run settled (always in the quasi-static model), else the note the summary line
// and the command line's standard error carry: "currents not settled after 50 revolutions".
std::string SettleNote(const RunSummary& summary);

// The RPM rounded to the nearest integer (halves to even), with all its integer digits.
std::string RpmText(float rpm);
// The timing advance in degrees, FormatFixed(timing, 3, 1).
std::string TimingText(float timing, char separator);

// "RPM = 13892;   Timing = 25.0 deg" (with `separator` in the timing), followed by
// ";   " and the settle note when a circuit run did not settle.
std::string RunSummaryText(const RunSummary& summary, char separator);

} // namespace engine
