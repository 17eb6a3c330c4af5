#include "engine/params.h"

#include "engine/format_fixed.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace engine {

// clang-format off
const std::array<const char*, kParamCount + 1> kParamNames{
    "", "NominalVoltage", "BattImpedance", "RpmPerVolt", "MotorResistance", "NoLoadCurrent",
    "PwmFrequency", "Timing10", "Timing100", "MaxCurrent", "PwmDuty"};
const std::array<const char*, kParamCount + 1> kParamUnits{
    "", "V", "Ohm", "RPM/V", "Ohm", "A", "Hz", "deg", "deg", "A", "%"};
// clang-format on

namespace {

__extension__ typedef unsigned __int128 u128;

// The read value before a conversion; any number read from a sign-free text lies above the
// threshold, so a text that yields no number leaves the slot as it was.
constexpr float kNothingRead = -1000000.0f;
constexpr float kReadThreshold = -100000.0f;

constexpr int kDisplayPrecision = 8;

bool IsSeparator(char c)
{
    return c == '.' || c == ',';
}

// A cleaned text (digits, at most one separator) read as a single-precision number.
std::optional<float> ConvertCleaned(std::string_view cleaned, char separator)
{
    if (cleaned.empty()) {
        return std::nullopt;
    }
    if (cleaned.size() == 1 && cleaned[0] == separator) {
        return 0.0f;
    }
    std::string pointed(cleaned);
    std::replace(pointed.begin(), pointed.end(), separator, '.');
    float value = 0.0f;
    const auto [end, error] =
        std::from_chars(pointed.data(), pointed.data() + pointed.size(), value);
    if (error == std::errc::result_out_of_range) {
        // A digit before the point means the text overflowed; otherwise it lay below the
        // smallest denormal and reads as zero, as any number that small rounds to.
        const std::string_view integerPart = std::string_view(pointed).substr(0, pointed.find('.'));
        if (integerPart.find_first_not_of('0') != std::string_view::npos) {
            return std::nullopt;
        }
        return 0.0f;
    }
    if (error != std::errc() || end != pointed.data() + pointed.size()) {
        return std::nullopt;
    }
    return value;
}

// Round to the nearest integer with halves to the even neighbour, independent of the floating
// point environment's rounding mode.
float RoundHalfEven(float value)
{
    const float rounded = std::round(value);
    if (std::fabs(rounded - value) == 0.5f && std::fmod(rounded, 2.0f) != 0.0f) {
        return rounded - std::copysign(1.0f, value);
    }
    return rounded;
}

// Every float of 2^63 or more is an integer below 2^128, so its exact digits are written rather
// than a saturated or exponent text.
std::string IntegerText(float value)
{
    if (!std::isfinite(value)) {
        return FormatFixed(value, 2, 0);
    }
    const float rounded = RoundHalfEven(value);
    if (std::fabs(rounded) < 9.2233720368547758e18f) {
        return FormatInteger(static_cast<std::int64_t>(rounded));
    }
    u128 magnitude = static_cast<u128>(std::fabs(rounded));
    std::string reversed;
    while (magnitude != 0) {
        reversed.push_back(static_cast<char>('0' + static_cast<int>(magnitude % 10)));
        magnitude /= 10;
    }
    if (rounded < 0) {
        reversed.push_back('-');
    }
    return std::string(reversed.rbegin(), reversed.rend());
}

std::string FixedText(long double value, int decimals, char separator)
{
    std::string text;
    AppendFormatFixed(text, value, kDisplayPrecision, decimals, separator);
    return text;
}

// The maximum current lies between the no-load current (applied at one decimal) and a fifth of
// the battery's short-circuit current. Both tests use the values stored before the rule.
void ApplyMaxCurrentRule(TParams& params, ParamTexts& texts, char separator)
{
    const float maxCurrent = params[MaxCurrent];
    const float noLoadCurrent = params[NoLoadCurrent];
    const float impedance = params[BattImpedance];

    if (maxCurrent < noLoadCurrent) {
        texts[MaxCurrent] = FixedText(noLoadCurrent, 1, separator);
    }
    // A battery without impedance has no finite short-circuit current: the maximum current is
    // then bounded below only, instead of failing on a division by zero.
    if (impedance != 0.0f) {
        const long double bound = 0.2L * params[NominalVoltage] / impedance;
        if (bound < maxCurrent) {
            texts[MaxCurrent] = FixedText(bound, 1, separator);
        }
    }
    ChangeParam(params, texts, MaxCurrent, false, separator);
}

} // namespace

ParamTexts DefaultParamTexts()
{
    ParamTexts texts;
    texts[NominalVoltage] = "11,1";
    texts[BattImpedance] = "0,0342";
    texts[RpmPerVolt] = "1390";
    texts[MotorResistance] = "0,053";
    texts[NoLoadCurrent] = "1,8";
    texts[PwmFrequency] = "4000";
    texts[Timing10] = "2.5";
    texts[Timing100] = "25";
    texts[MaxCurrent] = "10,0";
    texts[PwmDuty] = "100";
    return texts;
}

std::size_t EntryTextReadLength(std::string_view text)
{
    bool separatorSeen = false;
    std::size_t length = 0;
    for (const char c : text) {
        if (IsSeparator(c) && !separatorSeen) {
            separatorSeen = true;
        } else if (c < '0' || c > '9') {
            break;
        }
        ++length;
    }
    return length;
}

std::string CleanEntryText(std::string_view text, char separator)
{
    std::string cleaned(text.substr(0, EntryTextReadLength(text)));
    std::replace_if(cleaned.begin(), cleaned.end(), IsSeparator, separator);
    return cleaned;
}

std::optional<float> ReadEntryValue(std::string_view text)
{
    return ConvertCleaned(CleanEntryText(text, '.'), '.');
}

std::string NormalisedParamText(int tag, float value, char separator)
{
    switch (tag) {
    case BattImpedance:
    case MotorResistance:
        return FixedText(value, 4, separator);
    case NoLoadCurrent:
        return FixedText(value, 2, separator);
    case RpmPerVolt:
    case PwmDuty:
        return IntegerText(value);
    default:
        return FixedText(value, 1, separator);
    }
}

void ChangeParam(TParams& params, ParamTexts& texts, int tag, bool recalc, char separator)
{
    if (tag < 1 || tag > kParamCount) {
        return;
    }
    float readValue = kNothingRead;
    if (const auto value = ConvertCleaned(CleanEntryText(texts[tag], separator), separator)) {
        readValue = *value;
    }
    if (readValue > kReadThreshold) {
        params[tag] = readValue;
    }
    if (recalc) {
        ApplyMaxCurrentRule(params, texts, separator);
    }
    texts[tag] = NormalisedParamText(tag, params[tag], separator);
}

void ReadStartupParams(TParams& params, ParamTexts& texts, char separator)
{
    for (int tag = 1; tag <= kParamCount; ++tag) {
        ChangeParam(params, texts, tag, false, separator);
    }
}

std::string CurrentScaleText(int position, std::string_view noLoadCurrentText)
{
    const int p = std::clamp(position, 1, 10);
    if (p == 1) {
        return std::string(noLoadCurrentText);
    }
    return FormatInteger(p <= 6 ? (p - 1) * 5 : (p - 4) * 10);
}

std::string DutyScaleText(int position)
{
    return FormatInteger(std::clamp(position, 0, 10) * 10);
}

TParams DefaultParams()
{
    TParams params;
    ParamTexts texts = DefaultParamTexts();
    ReadStartupParams(params, texts, '.');
    return params;
}

} // namespace engine
