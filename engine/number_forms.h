#pragma once

// The text form of each quantity the program writes: FormatFixed's significant digits and
// decimals, in one place for the sample log, the window's tables and exports, and the command
// line's tab-separated outputs. Texts for machines (CSV, JSON) write every number with the
// digits that give back its exact value instead (TableWriter, JsonWriter).

namespace engine {

struct NumberForm {
    int Precision;
    int Decimals;
};

// The sample log's columns, whose texts are fixed: time in us, angle in degrees, voltages.
inline constexpr NumberForm kLogTimeForm{10, 1};
inline constexpr NumberForm kLogAngleForm{7, 4};
inline constexpr NumberForm kLogVoltageForm{5, 3};

// A channel's value, the angle beside it and a channel's range in the view export and the
// command line's channel and sweep tables.
inline constexpr NumberForm kChannelForm{7, 4};

// The zero-crossing table: angles and errors in degrees, times and errors in us. Numbers whose
// integer part leaves fewer decimals than these within the 12 digits lose the ones that would
// only be padding (ZcFixed).
inline constexpr NumberForm kZcAngleForm{12, 4};
inline constexpr NumberForm kZcTimeForm{12, 3};

// The readout's measurements.
inline constexpr NumberForm kReadoutVoltsForm{8, 3};
inline constexpr NumberForm kReadoutPercentForm{6, 1};
inline constexpr NumberForm kReadoutHertzForm{12, 1};
inline constexpr NumberForm kReadoutMicrosForm{12, 1};
inline constexpr NumberForm kReadoutDegreesForm{10, 3};
inline constexpr NumberForm kReadoutAmperesForm{8, 3};
inline constexpr NumberForm kReadoutWattsForm{10, 3};

} // namespace engine
