#include "cli/option_values.h"

#include <charconv>
#include <cmath>
#include <string>

namespace cli {

std::optional<int> ReadInt(std::string_view text, int low, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<float> ReadAngle(std::string_view text)
{
    std::string number(text);
    for (char& ch : number) {
        if (ch == ',') {
            ch = '.';
        }
    }
    float value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<WrittenNumber> ReadNumber(std::string_view text)
{
    std::string number(text);
    int decimals = 0;
    bool afterPoint = false;
    for (char& ch : number) {
        if (ch == ',') {
            ch = '.';
        }
        if (afterPoint && ch >= '0' && ch <= '9') {
            ++decimals;
        }
        afterPoint = afterPoint || ch == '.';
    }
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return WrittenNumber{value, decimals};
}

std::optional<bool> ReadOnOff(std::string_view text)
{
    if (text == "on") {
        return true;
    }
    if (text == "off") {
        return false;
    }
    return std::nullopt;
}

} // namespace cli
