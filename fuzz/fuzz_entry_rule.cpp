// The entry rule of the ten parameter boxes and the texts written back into them, fed with any
// bytes: the value read must be what the rule says, the box must show that value in its form,
// the maximum-current rule must leave finite values, and the operating point of whatever set
// results must be computed or refused with a message, never a fault.
//
// Input: a sequence of edits separated by NUL bytes, each one control byte and the box text.
// Control byte: bits 0-3 the box (values 10 ... 15 are tags outside 1 ... 10), bit 4 Recalc,
// bit 5 the user's separator "," instead of ".", bits 6-7 bridge settings of the run.
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

void Check(bool ok, const char* what, std::string_view detail = {})
{
    if (!ok) {
        std::fprintf(stderr, "check failed: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                     detail.data());
        std::abort();
    }
}

// The rule in other words: the longest prefix made of digits, "." and ","; within it,
// everything before the second separator, with the first one written as `separator`.
std::string ReferenceClean(std::string_view text, char separator)
{
    const std::size_t prefix = text.find_first_not_of("0123456789.,");
    std::string cleaned(text.substr(0, prefix));
    const std::size_t first = cleaned.find_first_of(".,");
    if (first != std::string::npos) {
        cleaned.resize(std::min(cleaned.size(), cleaned.find_first_of(".,", first + 1)));
        cleaned[first] = separator;
    }
    return cleaned;
}

// The C library's correctly rounded conversion, in the "C" locale of a fresh process: nothing
// for an empty text or one beyond single precision, 0 for a lone separator.
std::optional<float> ReferenceRead(std::string cleaned, char separator)
{
    if (cleaned.empty())
        return std::nullopt;
    for (char& c : cleaned) {
        if (c == separator)
            c = '.';
    }
    if (cleaned == ".")
        return 0.0f;
    errno = 0;
    const float value = std::strtof(cleaned.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
}

int DecimalsOf(int tag)
{
    switch (tag) {
    case engine::BattImpedance:
    case engine::MotorResistance:
        return 4;
    case engine::NoLoadCurrent:
        return 2;
    case engine::RpmPerVolt:
    case engine::PwmDuty:
        return 0;
    default:
        return 1;
    }
}

// The fixed form: integer digits (at least one), then the separator and exactly `decimals`
// decimals, or digits alone for the integer form.
bool HasFixedForm(const std::string& text, int decimals, char separator)
{
    const std::size_t integer = text.find_first_not_of("0123456789");
    if (decimals == 0)
        return !text.empty() && integer == std::string::npos;
    return integer != std::string::npos && integer > 0 && text[integer] == separator &&
           text.size() == integer + 1 + static_cast<std::size_t>(decimals) &&
           text.find_first_not_of("0123456789", integer + 1) == std::string::npos;
}

// "1.2346E9": a non-zero first digit, its further digits after the separator without trailing
// zeros, "E" and the exponent's digits.
bool HasExponentForm(const std::string& text, char separator)
{
    const std::size_t e = text.find('E');
    if (e == std::string::npos || e == 0 || e + 1 >= text.size() || text[0] == '0')
        return false;
    const std::string mantissa = text.substr(0, e);
    const std::size_t sep = mantissa.find(separator);
    if (sep != std::string::npos && (sep != 1 || mantissa.size() < 3 || mantissa.back() == '0'))
        return false;
    return text.find_first_not_of("0123456789", e + 1) == std::string::npos;
}

// The shown value lies within half a unit of its last shown digit of the stored one (eight
// significant digits at most); fixed-form texts only.
void CheckShownValue(const std::string& text, int decimals, float stored, char separator)
{
    const std::optional<float> shown = ReferenceRead(ReferenceClean(text, separator), separator);
    Check(shown.has_value(), "the box text reads as a number", text);
    const double v = stored;
    const double magnitude = v >= 1 ? std::floor(std::log10(v)) + 1 : 0;
    const double unit = std::max(std::pow(10.0, -decimals), std::pow(10.0, magnitude - 8));
    const double slack = 0.5 * unit * (1 + 1e-6) + 4 * std::fabs(v) * 1.2e-7;
    Check(std::fabs(*shown - v) <= slack, "the box shows the stored value", text);
}

struct Edit {
    int tag;
    bool recalc;
    char separator;
    engine::RunSettings settings;
};

Edit DecodeControl(std::uint8_t control)
{
    static constexpr int kOutside[] = {0, 11, -1, 12, 1000, -2147483647 - 1};
    const int box = control & 0x0F;
    Edit edit{};
    edit.tag = box < 10 ? box + 1 : kOutside[box - 10];
    edit.recalc = (control & 0x10) != 0;
    edit.separator = (control & 0x20) != 0 ? ',' : '.';
    edit.settings.LowSidePwm = (control & 0x40) != 0;
    edit.settings.Pattern120 = (control & 0x80) == 0;
    edit.settings.DriverKind = (control >> 6) & 1;
    return edit;
}

void ApplyEdit(engine::TParams& params, engine::ParamTexts& texts, const Edit& edit,
               std::string_view typed)
{
    const bool inside = edit.tag >= 1 && edit.tag <= engine::kParamCount;
    const auto slot = static_cast<std::size_t>(inside ? edit.tag : 0);
    if (inside)
        texts[slot] = std::string(typed);
    const engine::TParams before = params;
    const engine::ParamTexts textsBefore = texts;

    engine::ChangeParam(params, texts, edit.tag, edit.recalc, edit.separator);

    if (!inside) {
        Check(params.Slot == before.Slot && texts == textsBefore, "an unknown tag changes nothing");
        return;
    }
    const std::string cleaned = ReferenceClean(typed, edit.separator);
    Check(engine::CleanEntryText(typed, edit.separator) == cleaned, "cleaned text", typed);

    const std::optional<float> read = ReferenceRead(cleaned, edit.separator);
    const float expected = read.value_or(before[edit.tag]);
    if (!edit.recalc || edit.tag != engine::MaxCurrent) {
        Check(params[edit.tag] == expected, "the value read by the entry rule", typed);
    }
    for (int t = 1; t <= engine::kParamCount; ++t) {
        if (t != edit.tag && !(edit.recalc && t == engine::MaxCurrent))
            Check(params[t] == before[t], "other parameters keep their values");
        Check(std::isfinite(params[t]) && params[t] >= 0, "parameters are finite and not negative");
    }

    for (const int t : {edit.tag, static_cast<int>(engine::MaxCurrent)}) {
        const std::string& text = texts[static_cast<std::size_t>(t)];
        if (t == engine::MaxCurrent && !edit.recalc && edit.tag != engine::MaxCurrent)
            continue;
        const int decimals = DecimalsOf(t);
        const bool exponent = text.find('E') != std::string::npos;
        Check(exponent ? HasExponentForm(text, edit.separator)
                       : HasFixedForm(text, decimals, edit.separator),
              "the box text has its form", text);
        if (exponent)
            continue; // the entry rule stops at "E": a large value shown so reads back smaller
        CheckShownValue(text, decimals, params[t], edit.separator);
        // Reading the normalised text again shows the same text.
        engine::TParams again = params;
        engine::ParamTexts againTexts = texts;
        engine::ChangeParam(again, againTexts, t, false, edit.separator);
        Check(againTexts[static_cast<std::size_t>(t)] == text, "normalisation is stable", text);
    }

    // The resistor texts of the circuit page read by their own lenient rule.
    engine::ChannelTexts divider;
    divider.R1Text = std::string(typed);
    const float k1 = engine::DividerRatio(divider, edit.separator);
    divider.R2Text = divider.R1Text;
    const float k2 = engine::DividerRatio(divider, edit.separator);
    Check(k1 >= 0 && k1 <= 1 && k2 >= 0 && k2 <= 1, "divider ratio lies in 0 ... 1", typed);

    // Whatever the boxes now hold, the run's operating point is computed or refused.
    try {
        const engine::OperatingPoint op =
            engine::ComputeOperatingPoint(params, edit.settings, -1, -0.5f);
        Check(std::isfinite(op.Rpm) && std::isfinite(op.DegPerStep) && op.DegPerStep > 0 &&
                  std::isfinite(op.PwmPeriod) && std::isfinite(op.EmfAmplitude),
              "an accepted operating point is finite and advances");
    } catch (const engine::EmulationError& error) {
        const std::string message = error.what();
        Check(!message.empty() && message.find("NAN") == std::string::npos &&
                  message.find("INF") == std::string::npos,
              "a refusal names its cause in figures", message);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, '.');

    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    int edits = 0;
    while (at < input.size() && edits < 64) {
        const std::size_t end = std::min(input.find('\0', at), input.size());
        const std::string_view segment = input.substr(at, end - at);
        if (!segment.empty()) {
            const Edit edit = DecodeControl(static_cast<std::uint8_t>(segment[0]));
            ApplyEdit(params, texts, edit, segment.substr(1));
            ++edits;
        }
        at = end + 1;
    }
    return 0;
}
