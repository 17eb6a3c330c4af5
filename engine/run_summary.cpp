#include "engine/run_summary.h"

#include "engine/format_fixed.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace engine {

std::string RpmText(float rpm)
{
    // nearbyint rounds halves to the even neighbour in the default rounding mode; "%.0f" of
    // the rounded double prints its exact integer digits at any magnitude.
    double rounded = std::nearbyint(static_cast<double>(rpm));
    if (rounded == 0) {
        rounded = 0; // no "-0"
    }
    std::array<char, 320> digits{};
    std::snprintf(digits.data(), digits.size(), "%.0f", rounded);
    return digits.data();
}

std::string TimingText(float timing, char separator)
{
    std::string text;
    AppendFormatFixed(text, timing, 3, 1, separator);
    return text;
}

std::string SettleNote(const RunSummary& summary)
{
    if (summary.Settled) {
        return {};
    }
    return "currents not settled after " + std::to_string(summary.WarmUps) + " revolutions";
}

std::string RunSummaryText(const RunSummary& summary, char separator)
{
    std::string text = "RPM = " + RpmText(summary.Rpm) +
                       ";   Timing = " + TimingText(summary.Timing, separator) + " deg";
    const std::string note = SettleNote(summary);
    if (!note.empty()) {
        text += ";   " + note;
    }
    return text;
}

} // namespace engine
