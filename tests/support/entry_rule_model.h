#pragma once

// An independent model of the ten parameter boxes for tests and fuzzing: the lenient entry
// rule, the texts written back, the maximum-current rule with its re-read of Edit9, and the
// texts the two track bars give, written from the rules themselves. It shares no code with the
// engine: numbers are read by the C library's own conversion and the fixed form comes from the
// test reference of the format.

#include "tests/support/format_fixed_reference.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <optional>
#include <string>
#include <string_view>

namespace model {

inline constexpr int kNoLoadCurrent = 5;
inline constexpr int kMaxCurrent = 9;
inline constexpr int kPwmDuty = 10;

// Digits; the first "." or "," as `separator`; anything else, or a second separator, ends it.
inline std::string CleanEntry(std::string_view text, char separator)
{
    std::string cleaned;
    bool separatorSeen = false;
    for (const char c : text) {
        const bool isSeparator = c == '.' || c == ',';
        if (isSeparator && separatorSeen)
            break;
        if (!isSeparator && (c < '0' || c > '9'))
            break;
        cleaned += isSeparator ? separator : c;
        separatorSeen = separatorSeen || isSeparator;
    }
    return cleaned;
}

// A cleaned text as the nearest float: nothing when empty or beyond the float range, 0 for a
// lone separator. The "C" locale's conversion, whatever the process's locale is.
inline std::optional<float> ReadCleaned(std::string cleaned, char separator)
{
    if (cleaned.empty())
        return std::nullopt;
    if (cleaned.size() == 1 && cleaned[0] == separator)
        return 0.0f;
    for (char& c : cleaned) {
        if (c == separator)
            c = '.';
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    const float value = strtof_l(cleaned.c_str(), nullptr, cLocale);
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

// Half to even: 1390.5 shows as 1390, 1391.5 as 1392. Beyond 64 bits a float is written with
// all the digits of the integer it holds.
inline std::string IntegerText(float value)
{
    const double v = value; // exact, and so are the floor, the rest and the step below
    const double below = std::floor(v);
    const double rest = v - below;
    const bool up = rest > 0.5 || (rest == 0.5 && std::fmod(below, 2.0) != 0.0);
    const double whole = up ? below + 1 : below;
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, whole, std::chars_format::fixed, 0);
    return std::string(text, written.ptr);
}

inline std::string FixedText(long double value, int decimals, char separator)
{
    return reference::FormatFixed(value, 8, decimals, separator);
}

// The form of each box: 4 decimals for the impedance and the resistance, 2 for the no-load
// current, integers for the speed constant and the duty, 1 decimal for the rest.
inline std::string ShownText(int tag, float value, char separator)
{
    switch (tag) {
    case 2:
    case 4:
        return FixedText(value, 4, separator);
    case 5:
        return FixedText(value, 2, separator);
    case 3:
    case 10:
        return IntegerText(value);
    default:
        return FixedText(value, 1, separator);
    }
}

struct Boxes {
    // Indexed 1 ... 10 by tag, as the engine's arrays; slot 0 stays unused.
    std::array<float, 11> Params{};
    std::array<std::string, 11> Texts{};

    // The form's default texts, read at start without any rule.
    static Boxes AtStart(char separator)
    {
        Boxes boxes;
        boxes.Texts = {"",     "11,1", "0,0342", "1390", "0,053", "1,8",
                       "4000", "2.5",  "25",     "10,0", "100"};
        for (int tag = 1; tag <= 10; ++tag)
            boxes.ChangeParam(tag, false, separator);
        return boxes;
    }

    void ChangeParam(int tag, bool recalc, char separator)
    {
        if (tag < 1 || tag > 10)
            return;
        const auto slot = static_cast<std::size_t>(tag);
        if (const auto read = ReadCleaned(CleanEntry(Texts[slot], separator), separator))
            Params[slot] = *read;
        if (recalc)
            ApplyMaxCurrentRule(separator);
        Texts[slot] = ShownText(tag, Params[slot], separator);
    }

    // Bounded below by the no-load current at one decimal and above by a fifth of the
    // short-circuit current; the later text wins, and Edit9 is read again in any case. Without
    // a battery impedance there is no upper bound (this program's choice).
    void ApplyMaxCurrentRule(char separator)
    {
        const float maxCurrent = Params[kMaxCurrent];
        if (maxCurrent < Params[kNoLoadCurrent])
            Texts[kMaxCurrent] = FixedText(Params[kNoLoadCurrent], 1, separator);
        if (Params[2] != 0) {
            const long double shortCircuitBound = 0.2L * Params[1] / Params[2];
            if (shortCircuitBound < maxCurrent)
                Texts[kMaxCurrent] = FixedText(shortCircuitBound, 1, separator);
        }
        ChangeParam(kMaxCurrent, false, separator);
    }

    // The user leaves a box after typing `text` into it.
    void Type(int tag, std::string_view text, char separator)
    {
        if (tag >= 1 && tag <= 10)
            Texts[static_cast<std::size_t>(tag)] = std::string(text);
        ChangeParam(tag, true, separator);
    }

    // Position 1 ... 10: the no-load current's text ("Free run"), then 5 ... 25 in steps of 5,
    // then 30 ... 60 in steps of 10.
    void MoveTrackBar1(int position, char separator)
    {
        Texts[kMaxCurrent] = position == 1   ? Texts[kNoLoadCurrent]
                             : position <= 6 ? std::to_string((position - 1) * 5)
                                             : std::to_string((position - 4) * 10);
        ChangeParam(kMaxCurrent, true, separator);
    }

    // Position 0 ... 10: the duty in percent.
    void MoveTrackBar2(int position, char separator)
    {
        Texts[kPwmDuty] = std::to_string(position * 10);
        ChangeParam(kPwmDuty, true, separator);
    }
};

} // namespace model
