#include "cli/option_values.h"

#include "engine/strict_number.h"

namespace cli {

std::optional<int> ReadInt(std::string_view text, int low, int high)
{
    return engine::ReadStrictInt(text, low, high);
}

std::optional<float> ReadAngle(std::string_view text)
{
    return engine::ReadStrictDecimalFloat(text);
}

std::optional<WrittenNumber> ReadNumber(std::string_view text)
{
    const std::optional<double> value = engine::ReadStrictDecimal(text);
    if (!value) {
        return std::nullopt;
    }
    int decimals = 0;
    bool afterPoint = false;
    for (const char ch : text) {
        if (afterPoint && ch >= '0' && ch <= '9') {
            ++decimals;
        }
        afterPoint = afterPoint || ch == '.' || ch == ',';
    }
    return WrittenNumber{*value, decimals};
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
