#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A strict RFC 4180 reader for the tests: CR LF after every record, the last one included;
// quotes only around a whole field, doubled inside it; every record as wide as the header.
// Anything else throws, so a writer that bends the rules fails its test.

namespace testing_support {

using CsvRecord = std::vector<std::string>;

inline std::vector<CsvRecord> ReadStrictCsv(std::string_view text)
{
    std::vector<CsvRecord> records;
    CsvRecord record;
    std::string field;
    std::size_t i = 0;
    const auto fail = [&](const std::string& what) {
        throw std::runtime_error("CSV at byte " + std::to_string(i) + ": " + what);
    };
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) {
                    fail("unterminated quote");
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r') {
                if (text[i] == '"' || text[i] == '\n') {
                    fail("quote or line feed inside an unquoted field");
                }
                field += text[i++];
            }
        }
        if (i >= text.size()) {
            fail("no CR LF after the last record");
        }
        record.push_back(std::move(field));
        field.clear();
        if (text[i] == ',') {
            ++i;
            continue;
        }
        if (text.substr(i, 2) != "\r\n") {
            fail("expected a comma or CR LF after a field");
        }
        i += 2;
        if (!records.empty() && record.size() != records.front().size()) {
            fail("record " + std::to_string(records.size()) + " has " +
                 std::to_string(record.size()) + " fields, the header " +
                 std::to_string(records.front().size()));
        }
        records.push_back(std::move(record));
        record.clear();
    }
    return records;
}

} // namespace testing_support
