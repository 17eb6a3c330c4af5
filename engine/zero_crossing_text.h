#pragma once

#include "engine/zero_crossing.h"

#include <array>
#include <string>

// The texts of the zero-crossing table, one home for the command line's TSV and the window's
// table: the column names and every cell of a row.

namespace engine {

inline constexpr std::size_t kZcColumnCount = 11;

inline constexpr std::array<const char*, kZcColumnCount> kZcColumnNames{
    "phase", "direction", "true_angle", "true_time",           "status",     "index",
    "angle", "error_deg", "error_us",   "implied_commutation", "commutation"};

using ZcCells = std::array<std::string, kZcColumnCount>;

// The columns a circuit-model table adds after those: the demagnetisation in us and degrees,
// and, for a row that fired while a diode conducted, the smallest blanking that avoids that.
inline constexpr std::size_t kZcCircuitColumnCount = 3;
inline constexpr std::array<const char*, kZcCircuitColumnCount> kZcCircuitColumnNames{
    "demag_us", "demag_deg", "avoiding_blanking_deg"};

using ZcCircuitCells = std::array<std::string, kZcCircuitColumnCount>;

// The circuit model's cells of a row; status reads "demag" for a row that fired during it.
ZcCircuitCells ZcCircuitRowCells(const ZeroCrossing& row, char separator);

// Angles and the error in degrees with 4 decimals, times and the error in us with 3; the
// detection's cells (index to implied_commutation) are empty without a detection.
ZcCells ZcRowCells(const ZeroCrossing& row, char separator);

// The header line and one line per row, tab-separated, each ended by "\n"; a circuit-model
// table has the circuit's columns too.
std::string ZcTableTsv(const ZcTable& table, char separator);

// An optional number with `decimals` decimals, or nothing.
void AppendOptionalFixed(std::string& out, const std::optional<double>& value, int decimals,
                         char separator);

} // namespace engine
