#include "engine/strict_number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace engine {
namespace {

template <typename Number>
std::optional<Number> ReadDecimal(std::string_view text)
{
    std::string number(text);
    for (char& ch : number) {
        if (ch == ',') {
            ch = '.';
        }
    }
    Number value = 0;
    const char* end = number.data() + number.size();
    const auto [ptr, error] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (number.empty() || error != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<double> ReadStrictDecimal(std::string_view text)
{
    return ReadDecimal<double>(text);
}

std::optional<float> ReadStrictDecimalFloat(std::string_view text)
{
    return ReadDecimal<float>(text);
}

std::optional<int> ReadStrictInt(std::string_view text, int low, int high)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

} // namespace engine
