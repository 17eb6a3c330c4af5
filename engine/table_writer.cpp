#include "engine/table_writer.h"

#include "engine/format_fixed.h"

#include <cmath>

namespace engine {

namespace {

constexpr std::string_view kCsvLineEnd = "\r\n";

void AppendTsvText(std::string& out, std::string_view text)
{
    // A TAB or a line break inside a text would shift every column after it.
    for (const char ch : text) {
        out += static_cast<unsigned char>(ch) < ' ' || ch == 0x7F ? ' ' : ch;
    }
}

void AppendCsvText(std::string& out, std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char ch : text) {
        if (ch == '"') {
            out += '"';
        }
        out += ch;
    }
    out += '"';
}

} // namespace

std::optional<TableFormat> TableFormatNamed(std::string_view name)
{
    if (name == "tsv") {
        return TableFormat::Tsv;
    }
    if (name == "csv") {
        return TableFormat::Csv;
    }
    if (name == "json") {
        return TableFormat::Json;
    }
    return std::nullopt;
}

TableWriter::TableWriter(TableFormat format, std::string& out, char tsvSeparator,
                         std::string_view tsvLineEnd)
    : format_(format), out_(out), separator_(format == TableFormat::Tsv ? tsvSeparator : '.'),
      lineEnd_(format == TableFormat::Csv ? kCsvLineEnd : tsvLineEnd), json_(out)
{
}

void TableWriter::Header(std::vector<std::string> columns, Rows rows)
{
    columns_ = std::move(columns);
    oneRow_ = rows == Rows::One;
    if (format_ == TableFormat::Json) {
        if (!oneRow_) {
            json_.BeginArray();
        }
        return;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        Field(i, TableCell::Text(columns_[i]));
    }
    EndLine();
}

void TableWriter::Row(std::span<const TableCell> cells)
{
    if (format_ == TableFormat::Json) {
        json_.BeginObject();
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        Field(i, cells[i]);
    }
    if (format_ == TableFormat::Json) {
        json_.EndObject();
    } else {
        EndLine();
    }
}

void TableWriter::Finish()
{
    if (format_ == TableFormat::Json && !oneRow_) {
        json_.EndArray();
    }
}

void TableWriter::Field(std::size_t index, const TableCell& cell)
{
    if (format_ == TableFormat::Json) {
        json_.Key(index < columns_.size() ? std::string_view(columns_[index]) : "");
        switch (cell.Type) {
        case TableCell::Kind::Text:
            json_.Text(cell.Str);
            break;
        case TableCell::Kind::Integer:
            json_.Integer(cell.Int);
            break;
        case TableCell::Kind::Fixed:
            if (cell.Single) {
                json_.Float(static_cast<float>(cell.Value));
            } else {
                json_.Significant(cell.Value);
            }
            break;
        case TableCell::Kind::Number:
            json_.Number(cell.Str);
            break;
        case TableCell::Kind::Empty:
            json_.Null();
            break;
        }
        return;
    }
    if (index > 0) {
        out_ += format_ == TableFormat::Csv ? ',' : '\t';
    }
    switch (cell.Type) {
    case TableCell::Kind::Text:
        if (format_ == TableFormat::Csv) {
            AppendCsvText(out_, cell.Str);
        } else {
            AppendTsvText(out_, cell.Str);
        }
        break;
    case TableCell::Kind::Integer: {
        char digits[kIntegerMaxLength];
        out_.append(digits, static_cast<std::size_t>(FormatIntegerTo(digits, cell.Int) - digits));
        break;
    }
    case TableCell::Kind::Fixed:
        if (format_ == TableFormat::Tsv) {
            AppendFormatFixed(out_, cell.Value, cell.Precision, cell.Decimals, separator_);
        } else if (!std::isfinite(cell.Value)) {
            // Left empty, as JSON has null: a reader must not choke on a word.
        } else if (cell.Single) {
            AppendShortestFloat(out_, static_cast<float>(cell.Value));
        } else {
            AppendSignificant(out_, cell.Value);
        }
        break;
    case TableCell::Kind::Number:
        for (const char ch : cell.Str) {
            out_ += ch == '.' ? separator_ : ch;
        }
        break;
    case TableCell::Kind::Empty:
        break;
    }
}

void TableWriter::EndLine()
{
    out_ += lineEnd_;
}

} // namespace engine
