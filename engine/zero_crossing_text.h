#pragma once

#include "engine/table_writer.h"
#include "engine/zero_crossing.h"

#include <array>
#include <string>

// The texts of the zero-crossing table, one home for the command line's outputs and the
// window's table: the column names and every cell of a row.

namespace engine {

inline constexpr std::size_t kZcColumnCount = 11;

inline constexpr std::array<const char*, kZcColumnCount> kZcColumnNames{
    "PHASE",       "DIRECTION",  "TRUE ANGLE (deg)", "TRUE TIME (us)",
    "STATUS",      "INDEX",      "ANGLE (deg)",      "ERROR (deg)",
    "ERROR (us)",  "IMPLIED COMMUTATION (deg)",      "COMMUTATION (deg)"};

using ZcCells = std::array<std::string, kZcColumnCount>;

// The columns a circuit-model table adds after those: the demagnetisation in us and degrees,
// and, for a row that fired while a diode conducted, the smallest blanking that avoids that.
inline constexpr std::size_t kZcCircuitColumnCount = 3;
inline constexpr std::array<const char*, kZcCircuitColumnCount> kZcCircuitColumnNames{
    "demag_us", "demag_deg", "avoiding_blanking_deg"};

using ZcCircuitCells = std::array<std::string, kZcCircuitColumnCount>;

// The circuit model's cells of a row; status reads "demag" for a row that fired during it.
ZcCircuitCells ZcCircuitRowCells(const ZeroCrossing& row, char separator);

// Angles and the error in degrees with 4 decimals, times and the error in us with 3, within 12
// significant digits; the detection's cells (index to implied commutation) are empty without
// a detection.
ZcCells ZcRowCells(const ZeroCrossing& row, char separator);

// The header line and one line per row, tab-separated, each ended by "\n"; a circuit-model
// table has the circuit's columns too.
std::string ZcTableTsv(const ZcTable& table, char separator);

// The table through a table writer: TSV with the cells above, CSV and JSON with the exact
// numbers (JSON: an array of records named by the columns).
void WriteZcTable(const ZcTable& table, TableWriter& out);

// A number of the table: FormatFixed within 12 significant digits, the decimals cut to the
// digits computed rather than padded with zeros when the integer part leaves fewer.
void AppendZcFixed(std::string& out, double value, int decimals, char separator);

// An optional number in that form, or nothing.
void AppendOptionalFixed(std::string& out, const std::optional<double>& value, int decimals,
                         char separator);

} // namespace engine
