#pragma once

#include "engine/json_writer.h"
#include "engine/number_forms.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A table of named columns written as tab-separated text, as CSV (RFC 4180) or as a JSON
// array of records, one row at a time so that long tables can be streamed.

namespace engine {

enum class TableFormat { Tsv, Csv, Json };

// "tsv", "csv" or "json"; nothing for any other text.
std::optional<TableFormat> TableFormatNamed(std::string_view name);

// One field of a row: a text, an integer, a measured number, a number already written with '.'
// (a JSON number), or nothing (an empty field, null in JSON). A measured number is written in
// its FormatFixed form in TSV, with the user's separator, as the window shows it; CSV and JSON
// are read by machines and get, with '.', the digits that give back the exact value: the
// shortest such text for a float, 9 significant digits for a double.
struct TableCell {
    enum class Kind { Text, Integer, Fixed, Number, Empty };
    Kind Type = Kind::Empty;
    std::string_view Str;
    std::int64_t Int = 0;
    double Value = 0;
    int Precision = 0;
    int Decimals = 0;
    bool Single = false; // the value is a float's

    static TableCell Text(std::string_view text) { return {Kind::Text, text}; }
    static TableCell Integer(std::int64_t value) { return {Kind::Integer, {}, value}; }
    static TableCell Fixed(double value, int precision, int decimals)
    {
        return {Kind::Fixed, {}, 0, value, precision, decimals};
    }
    static TableCell Fixed(float value, int precision, int decimals)
    {
        return {Kind::Fixed, {}, 0, value, precision, decimals, true};
    }
    static TableCell Fixed(double value, NumberForm form)
    {
        return Fixed(value, form.Precision, form.Decimals);
    }
    static TableCell Fixed(float value, NumberForm form)
    {
        return Fixed(value, form.Precision, form.Decimals);
    }
    static TableCell Number(std::string_view pointed) { return {Kind::Number, pointed}; }
    static TableCell Empty() { return {}; }
};

// Writes into `out`, which the caller may hand on and clear between rows. TSV lines end with
// `tsvLineEnd` (CR LF in files beside the sample log, "\n" on standard output) and carry no
// quoting: a TAB or line break inside a text becomes a blank. CSV lines always end with CR LF
// and quote a field that holds a comma, a quote or a line break.
class TableWriter {
public:
    TableWriter(TableFormat format, std::string& out, char tsvSeparator,
                std::string_view tsvLineEnd = "\n");

    // A table of one row is written in JSON as that row's object rather than a list of one.
    enum class Rows { Any, One };

    // The header line, or in JSON the opening of the array and the records' field names.
    void Header(std::vector<std::string> columns, Rows rows = Rows::Any);
    // One row with a cell per column.
    void Row(std::span<const TableCell> cells);
    // Closes the JSON array; nothing for TSV and CSV.
    void Finish();

    // The decimal separator of this table's numbers.
    char Separator() const { return separator_; }
    TableFormat Format() const { return format_; }

private:
    void Field(std::size_t index, const TableCell& cell);
    void EndLine();

    TableFormat format_;
    std::string& out_;
    char separator_;
    std::string_view lineEnd_;
    std::vector<std::string> columns_;
    bool oneRow_ = false;
    JsonWriter json_;
};

} // namespace engine
