#include "cli/sweep_request.h"

#include "cli/option_values.h"
#include "engine/circuit_settings.h"
#include "engine/format_fixed.h"
#include "engine/params.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace cli {
namespace {

// The fixed form of `value` with every integer digit, for the values FormatFixed would write in
// its exponent form. The box's reader stops at an "E": "1E18" would read as 1.
std::string AllDigits(long double value, int decimals, char separator)
{
    std::string text(std::size_t{5000} + static_cast<std::size_t>(decimals), '\0');
    const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value,
                                            std::chars_format::fixed, decimals);
    text.resize(error == std::errc() ? static_cast<std::size_t>(end - text.data()) : 0);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

} // namespace

std::string SweepRequest::ValueText(int index, char separator) const
{
    // From the start each time, so that the values do not collect the step's rounding.
    const long double value = static_cast<long double>(From) +
                              static_cast<long double>(index) * static_cast<long double>(Step);
    std::string text;
    engine::AppendFormatFixed(text, value, 18, Decimals, separator);
    if (text.find('E') != std::string::npos) {
        return AllDigits(value, Decimals, separator);
    }
    return text;
}

std::string SweepRequest::TypedText(int index) const
{
    return ValueText(index, '.');
}

std::string SweepRequest::Name() const
{
    if (Tag == kSweepInductance) {
        return "inductance";
    }
    if (Tag == kSweepDiodeDrop) {
        return "diode-drop";
    }
    return std::to_string(Tag);
}

std::variant<SweepRequest, std::string> ParseSweep(std::string_view value)
{
    const std::string expected =
        "N=FROM:TO:STEP with N from 1 to 10 (or inductance, diode-drop), FROM at most TO, STEP "
        "above 0 and at most " +
        std::to_string(kMaxSweepRuns) + " runs, such as 10=20:100:10";
    const std::size_t equals = value.find('=');
    std::optional<int> tag =
        equals == std::string_view::npos ? std::nullopt : ReadInt(value.substr(0, equals), 1, 10);
    if (equals != std::string_view::npos && value.substr(0, equals) == "inductance") {
        tag = kSweepInductance;
    } else if (equals != std::string_view::npos && value.substr(0, equals) == "diode-drop") {
        tag = kSweepDiodeDrop;
    }
    if (!tag) {
        return expected;
    }
    const std::string_view range = value.substr(equals + 1);
    const std::size_t colon1 = range.find(':');
    const std::size_t colon2 =
        colon1 == std::string_view::npos ? colon1 : range.find(':', colon1 + 1);
    if (colon2 == std::string_view::npos) {
        return expected;
    }
    const std::optional<WrittenNumber> from = ReadNumber(range.substr(0, colon1));
    const std::optional<WrittenNumber> to =
        ReadNumber(range.substr(colon1 + 1, colon2 - colon1 - 1));
    const std::optional<WrittenNumber> step = ReadNumber(range.substr(colon2 + 1));
    if (!from || !to || !step || !(step->Value > 0) || to->Value < from->Value) {
        return expected;
    }
    // A TO that the steps reach only up to rounding (0.1 + 0.1 + 0.1 is not 0.3) still counts.
    const double steps = std::floor((to->Value - from->Value) / step->Value + 1e-9);
    if (!(steps < kMaxSweepRuns)) {
        return expected;
    }
    SweepRequest sweep;
    sweep.Tag = *tag;
    sweep.From = from->Value;
    sweep.To = to->Value;
    sweep.Step = step->Value;
    sweep.Decimals = std::max({from->Decimals, to->Decimals, step->Decimals});
    sweep.Count = static_cast<int>(steps) + 1;
    if (sweep.SweepsCircuit()) {
        const double high =
            sweep.Tag == kSweepInductance ? engine::kMaxInductanceUh : engine::kMaxDiodeDrop;
        const double last = sweep.From + (sweep.Count - 1) * sweep.Step;
        if (sweep.From < 0 || last > high) {
            return sweep.Name() + " values from 0 to " + engine::FormatFixed(high, 18, 0);
        }
        return sweep;
    }
    // A box reads no sign and no number beyond single precision: it would keep its value and
    // the line would show the results of another one.
    for (int index = 0; index < sweep.Count; ++index) {
        const std::string typed = sweep.TypedText(index);
        if (engine::EntryTextReadLength(typed) != typed.size() || !engine::ReadEntryValue(typed)) {
            return "values that parameter box " + std::to_string(sweep.Tag) +
                   " reads in full, from 0 up to 3.4E38 (it cannot read " + typed + ")";
        }
    }
    return sweep;
}

} // namespace cli
