#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A JSON document written straight into a string: objects, arrays, texts and numbers, with
// the commas kept by the writer. Numbers always use '.', whatever the user's separator.

namespace engine {

class JsonWriter {
public:
    // Appends to `out`; the caller may hand `out` on and clear it between values, as the
    // writer keeps its nesting apart from the text.
    explicit JsonWriter(std::string& out) : out_(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next value inside an object.
    void Key(std::string_view name);

    void Text(std::string_view text);
    void Integer(std::int64_t value);
    // FormatFixed(value, precision, decimals) with '.': the digits the other formats show.
    void Fixed(double value, int precision, int decimals);
    // The shortest text that reads back as exactly this float.
    void Float(float value);
    // A double with the 9 significant digits that give back any float it came from.
    void Significant(double value);
    // A number already written in JSON's form, such as "12.5"; an empty text gives null.
    void Number(std::string_view pointed);
    void Bool(bool value);
    void Null();
    // The next value is written into the same text by another writer (a table's array).
    void ExternalValue() { BeforeValue(); }

private:
    void BeforeValue();
    void Close(char bracket);

    struct Level {
        bool InArray = false;
        bool Empty = true;
    };
    std::string& out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

// `text` as a JSON string with its quotes. Control characters are escaped; bytes that are not
// UTF-8 become U+FFFD, so that a stray byte never makes the whole document unreadable.
void AppendJsonString(std::string& out, std::string_view text);

// The shortest decimal text that reads back as exactly `value` ("11.1", "1e+20"); "." always.
void AppendShortestFloat(std::string& out, float value);

// `value` with 9 significant digits and no trailing zeros ("0.1", "11998535900", "1.5e-07");
// "." always.
inline constexpr int kMachineDigits = 9;
void AppendSignificant(std::string& out, double value);

} // namespace engine
