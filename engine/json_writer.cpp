#include "engine/json_writer.h"

#include "engine/format_fixed.h"

#include <array>
#include <charconv>
#include <cmath>

namespace engine {

namespace {

// The length of the UTF-8 sequence starting at `text[i]`, or 0 when it is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        // No overlong forms and no surrogates.
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

} // namespace

void AppendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch >= 0x80) {
            const std::size_t length = Utf8Length(text, i);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20 || ch == 0x7F) {
            constexpr std::string_view kHex = "0123456789abcdef";
            out += "\\u00";
            out += kHex[ch >> 4];
            out += kHex[ch & 0xF];
        } else {
            out += static_cast<char>(ch);
        }
        ++i;
    }
    out += '"';
}

void AppendShortestFloat(std::string& out, float value)
{
    std::array<char, 32> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    out.append(digits.data(), result.ptr);
}

void AppendSignificant(std::string& out, double value)
{
    std::array<char, 32> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::general, kMachineDigits);
    out.append(digits.data(), result.ptr);
}

void JsonWriter::BeforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!levels_.empty()) {
        Level& level = levels_.back();
        if (!level.Empty) {
            out_ += ',';
        }
        level.Empty = false;
        // One element per line keeps long tables readable and diffable.
        if (level.InArray) {
            out_ += '\n';
        }
    }
}

void JsonWriter::BeginObject()
{
    BeforeValue();
    out_ += '{';
    levels_.push_back({false, true});
}

void JsonWriter::BeginArray()
{
    BeforeValue();
    out_ += '[';
    levels_.push_back({true, true});
}

void JsonWriter::Close(char bracket)
{
    const bool multiLine = !levels_.empty() && levels_.back().InArray && !levels_.back().Empty;
    if (!levels_.empty()) {
        levels_.pop_back();
    }
    if (multiLine) {
        out_ += '\n';
    }
    out_ += bracket;
}

void JsonWriter::EndObject()
{
    Close('}');
}

void JsonWriter::EndArray()
{
    Close(']');
}

void JsonWriter::Key(std::string_view name)
{
    BeforeValue();
    AppendJsonString(out_, name);
    out_ += ':';
    afterKey_ = true;
}

void JsonWriter::Text(std::string_view text)
{
    BeforeValue();
    AppendJsonString(out_, text);
}

void JsonWriter::Integer(std::int64_t value)
{
    BeforeValue();
    out_ += FormatInteger(value);
}

void JsonWriter::Fixed(double value, int precision, int decimals)
{
    // JSON has no NaN or infinity; the engine never produces them, but a reader must not choke.
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    BeforeValue();
    AppendFormatFixed(out_, value, precision, decimals, '.');
}

void JsonWriter::Float(float value)
{
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    BeforeValue();
    AppendShortestFloat(out_, value);
}

void JsonWriter::Significant(double value)
{
    if (!std::isfinite(value)) {
        Null();
        return;
    }
    BeforeValue();
    AppendSignificant(out_, value);
}

void JsonWriter::Number(std::string_view pointed)
{
    if (pointed.empty()) {
        Null();
        return;
    }
    BeforeValue();
    out_ += pointed;
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::Null()
{
    BeforeValue();
    out_ += "null";
}

} // namespace engine
