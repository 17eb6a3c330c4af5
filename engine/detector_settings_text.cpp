#include "engine/detector_settings_text.h"

#include "engine/crossing_detector.h"
#include "engine/format_fixed.h"
#include "engine/strict_number.h"

namespace engine {

std::optional<double> ReadZcBlanking(std::string_view text)
{
    const std::optional<double> value = ReadStrictDecimal(text);
    if (!value || *value < 0 || *value > kMaxZcBlankingDeg) {
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
    return ReadStrictInt(text, 1, kMaxZcFilter);
}

std::string ZcFilterExpected()
{
    return "a sample count from 1 to " + std::to_string(kMaxZcFilter);
}

} // namespace engine
