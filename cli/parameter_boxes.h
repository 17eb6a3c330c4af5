#pragma once

#include <array>
#include <string_view>

// What the command line calls the ten parameter boxes, by tag: in the help of --set and in the
// warnings about a text a box read only in part.

namespace cli {

inline constexpr std::array<std::string_view, 11> kParameterBoxNames{
    "",
    "nominal voltage (V)",
    "battery impedance (Ohms)",
    "motor RPM/V",
    "motor resistance (Ohms)",
    "no-load current (A)",
    "PWM frequency (Hz)",
    "timing at 10 % duty (deg)",
    "timing at 100 % duty (deg)",
    "maximum current at 100 % duty (A)",
    "PWM duty cycle (%)",
};

} // namespace cli
