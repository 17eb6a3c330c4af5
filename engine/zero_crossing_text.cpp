#include "engine/zero_crossing_text.h"

#include "engine/format_fixed.h"

#include <vector>

namespace engine {
namespace {

constexpr int kPrecision = 12;
constexpr int kAngleDecimals = 4;
constexpr int kTimeDecimals = 3;

std::string Fixed(double value, int decimals, char separator)
{
    std::string text;
    AppendFormatFixed(text, value, kPrecision, decimals, separator);
    return text;
}

} // namespace

void AppendOptionalFixed(std::string& out, const std::optional<double>& value, int decimals,
                         char separator)
{
    if (value) {
        AppendFormatFixed(out, *value, kPrecision, decimals, separator);
    }
}

ZcCells ZcRowCells(const ZeroCrossing& row, char separator)
{
    ZcCells cells;
    cells[0] = std::string(1, static_cast<char>('A' + row.Interval.Phase));
    cells[1] = ZcDirectionName(row.Direction);
    cells[2] = Fixed(row.TrueAngle, kAngleDecimals, separator);
    cells[3] = Fixed(row.TrueTime, kTimeDecimals, separator);
    cells[4] = row.DuringDemag ? "demag" : ZcStatusName(row.Found.Status);
    if (row.Found.Status == ZcStatus::Detected) {
        cells[5] = FormatInteger(row.Found.Index);
        cells[6] = Fixed(row.Angle, kAngleDecimals, separator);
        cells[7] = Fixed(row.ErrorDeg, kAngleDecimals, separator);
        cells[8] = Fixed(row.ErrorUs, kTimeDecimals, separator);
        cells[9] = Fixed(row.ImpliedCommutation, kAngleDecimals, separator);
    }
    cells[10] = Fixed(row.Commutation, kAngleDecimals, separator);
    return cells;
}

ZcCircuitCells ZcCircuitRowCells(const ZeroCrossing& row, char separator)
{
    ZcCircuitCells cells;
    AppendOptionalFixed(cells[0], row.DemagUs, kTimeDecimals, separator);
    AppendOptionalFixed(cells[1], row.DemagDeg, kAngleDecimals, separator);
    AppendOptionalFixed(cells[2], row.BlankingPastDemagDeg, kAngleDecimals, separator);
    return cells;
}

std::string ZcTableTsv(const ZcTable& table, char separator)
{
    std::string text;
    const auto appendLine = [&text](const auto& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0) {
                text += '\t';
            }
            text += cells[i];
        }
        text += '\n';
    };
    if (!table.Circuit) {
        appendLine(kZcColumnNames);
        for (const ZeroCrossing& row : table.Rows) {
            appendLine(ZcRowCells(row, separator));
        }
        return text;
    }
    std::vector<std::string> line;
    const auto join = [&](const auto& first, const auto& more) {
        line.assign(first.begin(), first.end());
        line.insert(line.end(), more.begin(), more.end());
        appendLine(line);
    };
    join(kZcColumnNames, kZcCircuitColumnNames);
    for (const ZeroCrossing& row : table.Rows) {
        join(ZcRowCells(row, separator), ZcCircuitRowCells(row, separator));
    }
    return text;
}

} // namespace engine
