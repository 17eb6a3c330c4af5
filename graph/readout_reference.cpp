#include "graph/readout_reference.h"

#include "engine/decimal_separator.h"
#include "engine/format_fixed.h"

#include <cmath>
#include <functional>

namespace graph {

namespace {

// The difference with its sign; one that rounds to zero has none.
std::string Signed(double value, int decimals)
{
    std::string text = engine::FormatFixed(value, 12, decimals);
    const bool zero = text.find_first_not_of("-0.,") == std::string::npos;
    if (zero && text.front() == '-')
        text.erase(0, 1);
    return (text.front() != '-' && !zero ? "+" : "") + text;
}

std::string Optional(const std::optional<double>& value, int decimals)
{
    return value ? engine::FormatFixed(*value, 12, decimals) : "-";
}

void AddZcRows(ReadoutSection& section, const engine::ZcSummary& live,
               const engine::ZcSummary& reference)
{
    const auto errorRow = [&](const std::string& label,
                              const std::function<std::optional<double>(const engine::ZcSummary&)>&
                                  value) {
        const std::optional<double> a = value(live);
        const std::optional<double> b = value(reference);
        section.Rows.push_back({{label},
                                {Optional(a, 2)},
                                {Optional(b, 2)},
                                {a && b ? Signed(*a - *b, 2) : "-"}});
    };
    errorRow("ZC mean error \xC2\xB0", [](const engine::ZcSummary& s) { return s.MeanErrorDeg; });
    errorRow("ZC largest error \xC2\xB0",
             [](const engine::ZcSummary& s) { return s.MaxErrorDeg; });
    const auto countRow = [&](const std::string& label, int a, int b) {
        section.Rows.push_back({{label},
                                {engine::FormatInteger(a)},
                                {engine::FormatInteger(b)},
                                {Signed(a - b, 0)}});
    };
    countRow("ZC detected", live.Detected, reference.Detected);
    countRow("ZC early", live.Early, reference.Early);
    countRow("ZC missed or already", live.Undetected(), reference.Undetected());
}

} // namespace

ReadoutSection ReferenceSection(const ReferenceComparison& comparison)
{
    const engine::RunSummary& live = comparison.Live.Summary;
    const engine::RunSummary& reference = comparison.Reference.Summary;
    const char separator = engine::DecimalSeparator();
    ReadoutSection section{kReferenceSection, {}};
    section.Rows.push_back({{""}, {"live"}, {"reference"}, {"live \xE2\x88\x92 ref"}});
    const double rpmDiff = std::nearbyint(live.Rpm) - std::nearbyint(reference.Rpm);
    section.Rows.push_back(
        {{"RPM"}, {engine::RpmText(live.Rpm)}, {engine::RpmText(reference.Rpm)},
         {Signed(rpmDiff, 0)}});
    section.Rows.push_back({{"Timing \xC2\xB0"},
                            {engine::TimingText(live.Timing, separator)},
                            {engine::TimingText(reference.Timing, separator)},
                            {Signed(static_cast<double>(live.Timing) - reference.Timing, 1)}});
    if (comparison.Live.Zc && comparison.Reference.Zc)
        AddZcRows(section, *comparison.Live.Zc, *comparison.Reference.Zc);
    return section;
}

} // namespace graph
