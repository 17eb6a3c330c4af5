#pragma once

#include <string>

// What a run reports when it ends, and the line the graph's header shows of it.

namespace engine {

struct RunSummary {
    float Rpm = 0;
    float Timing = 0;
};

// The RPM rounded to the nearest integer (halves to even), with all its integer digits.
std::string RpmText(float rpm);
// The timing advance in degrees, FormatFixed(timing, 3, 1).
std::string TimingText(float timing, char separator);

// "RPM = 13892;   Timing = 25.0 deg" (with `separator` in the timing).
std::string RunSummaryText(const RunSummary& summary, char separator);

} // namespace engine
