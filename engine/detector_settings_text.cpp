#include "engine/detector_settings_text.h"

#include "engine/crossing_detector.h"
#include "engine/format_fixed.h"

#include <charconv>
#include <cmath>

namespace engine {

std::optional<double> ReadZcBlanking(std::string_view text)
{
    std::string number(text);
    for (char& ch : number) {
        if (ch == ',') {
            ch = '.';
        }
    }
    double value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || ptr != end || !std::isfinite(value) ||
        value < 0 || value > kMaxZcBlankingDeg) {
        return std::nullopt;
    }
    return value;
}

std::string ZcBlankingExpected()
{
    return "degrees from 0 to " + FormatFixed(kMaxZcBlankingDeg, 18, 0) + ", such as 5 or 2.5";
}

std::optional<int> ReadZcFilter(std::string_view text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < 1 || value > kMaxZcFilter) {
        return std::nullopt;
    }
    return value;
}

std::string ZcFilterExpected()
{
    return "a sample count from 1 to " + std::to_string(kMaxZcFilter);
}

} // namespace engine
