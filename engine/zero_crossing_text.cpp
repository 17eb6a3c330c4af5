#include "engine/zero_crossing_text.h"

#include "engine/format_fixed.h"
#include "engine/number_forms.h"

#include <algorithm>
#include <cmath>

#include <vector>

namespace engine {
namespace {

constexpr int kPrecision = kZcAngleForm.Precision;
static_assert(kZcTimeForm.Precision == kPrecision);

std::string Fixed(double value, int decimals, char separator)
{
    std::string text;
    AppendZcFixed(text, value, decimals, separator);
    return text;
}

std::string PhaseName(const ZeroCrossing& row)
{
    return std::string(1, static_cast<char>('A' + row.Interval.Phase));
}

} // namespace

void AppendZcFixed(std::string& out, double value, int decimals, char separator)
{
    const std::size_t start = out.size();
    AppendFormatFixed(out, value, kPrecision, decimals, separator);
    const std::string_view text = std::string_view(out).substr(start);
    if (text.find('E') != std::string_view::npos) {
        return; // the exponent form holds only computed digits
    }
    // Digits past the 12th significant one are padding: cut them, and the separator with them.
    const std::size_t first = text.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return;
    }
    const auto digits = static_cast<int>(
        std::count_if(text.begin() + static_cast<std::ptrdiff_t>(first), text.end(),
                      [](char ch) { return ch >= '0' && ch <= '9'; }));
    const int padding = std::min(digits - kPrecision, decimals);
    if (padding > 0) {
        // With the separator when no decimal is left; erase, as a shrinking resize makes GCC 12
        // warn of an overlapping copy under the hardening flags.
        const std::size_t cut = static_cast<std::size_t>(padding) + (padding == decimals ? 1 : 0);
        out.erase(out.size() - cut);
    }
}

void AppendOptionalFixed(std::string& out, const std::optional<double>& value, int decimals,
                         char separator)
{
    if (value) {
        AppendZcFixed(out, *value, decimals, separator);
    }
}

ZcCells ZcRowCells(const ZeroCrossing& row, char separator)
{
    constexpr int kAngle = kZcAngleForm.Decimals;
    constexpr int kTime = kZcTimeForm.Decimals;
    ZcCells cells;
    cells[0] = PhaseName(row);
    cells[1] = ZcDirectionName(row.Direction);
    cells[2] = Fixed(row.TrueAngle, kAngle, separator);
    cells[3] = Fixed(row.TrueTime, kTime, separator);
    cells[4] = row.DuringDemag ? "demag" : ZcStatusName(row.Found.Status);
    if (row.Found.Status == ZcStatus::Detected) {
        cells[5] = FormatInteger(row.Found.Index);
        cells[6] = Fixed(row.Angle, kAngle, separator);
        cells[7] = Fixed(row.ErrorDeg, kAngle, separator);
        cells[8] = Fixed(row.ErrorUs, kTime, separator);
        cells[9] = Fixed(row.ImpliedCommutation, kAngle, separator);
    }
    cells[10] = Fixed(row.Commutation, kAngle, separator);
    return cells;
}

ZcCircuitCells ZcCircuitRowCells(const ZeroCrossing& row, char separator)
{
    ZcCircuitCells cells;
    AppendOptionalFixed(cells[0], row.DemagUs, kZcTimeForm.Decimals, separator);
    AppendOptionalFixed(cells[1], row.DemagDeg, kZcAngleForm.Decimals, separator);
    AppendOptionalFixed(cells[2], row.BlankingPastDemagDeg, kZcAngleForm.Decimals, separator);
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

void WriteZcTable(const ZcTable& table, TableWriter& out)
{
    out.Header(std::vector<std::string>(kZcColumnNames.begin(), kZcColumnNames.end()));
    std::array<TableCell, kZcColumnCount> cells{};
    for (const ZeroCrossing& row : table.Rows) {
        if (out.Format() == TableFormat::Tsv) {
            const ZcCells texts = ZcRowCells(row, out.Separator());
            for (std::size_t i = 0; i < kZcColumnCount; ++i) {
                cells[i] = texts[i].empty() ? TableCell::Empty() : TableCell::Text(texts[i]);
            }
            out.Row(cells);
            continue;
        }
        const std::string phase = PhaseName(row);
        const bool detected = row.Found.Status == ZcStatus::Detected;
        const auto found = [detected](double value) {
            return detected ? TableCell::Fixed(value, kZcAngleForm) : TableCell::Empty();
        };
        cells = {TableCell::Text(phase),
                 TableCell::Text(ZcDirectionName(row.Direction)),
                 TableCell::Fixed(row.TrueAngle, kZcAngleForm),
                 TableCell::Fixed(row.TrueTime, kZcTimeForm),
                 TableCell::Text(ZcStatusName(row.Found.Status)),
                 detected ? TableCell::Integer(row.Found.Index) : TableCell::Empty(),
                 found(row.Angle),
                 found(row.ErrorDeg),
                 found(row.ErrorUs),
                 found(row.ImpliedCommutation),
                 TableCell::Fixed(row.Commutation, kZcAngleForm)};
        out.Row(cells);
    }
    out.Finish();
}

} // namespace engine
