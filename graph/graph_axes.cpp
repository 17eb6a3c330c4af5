#include "graph/graph_axes.h"

#include "engine/format_fixed.h"

#include <climits>
#include <cmath>

namespace graph {

namespace {

// More grid lines than this cannot be told apart on any screen; such a grid is not drawn.
constexpr std::int64_t kMaxGridLines = 100000;

// NaN reads as 0 and values beyond the 64-bit range as its ends, so that no conversion is
// undefined; `whole` drops the fraction as the caller's rule says.
template <typename Whole> std::int64_t SaturatedInt64(long double value, Whole whole)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18L)
        return INT64_MAX;
    if (value <= -9.2e18L)
        return INT64_MIN;
    return static_cast<std::int64_t>(whole(value));
}

std::int64_t RoundInt64(long double value)
{
    return SaturatedInt64(value, [](long double v) { return std::nearbyint(v); });
}

bool IsZeroLine(float v)
{
    return v >= -0.0099L && v <= 0.0099L;
}

} // namespace

std::int64_t TruncInt(long double value)
{
    return SaturatedInt64(value, [](long double v) { return std::trunc(v); });
}

float AngleStep(std::int64_t k)
{
    if (k < 0)
        return 360.0f;
    if (k <= 4)
        return 0.01f;
    if (k <= 9)
        return 0.05f;
    if (k <= 49)
        return 0.1f;
    if (k <= 99)
        return 0.5f;
    if (k <= 499)
        return 1.0f;
    if (k <= 1499)
        return 5.0f;
    if (k <= 2999)
        return 15.0f;
    if (k <= 5999)
        return 30.0f;
    if (k <= 8999)
        return 60.0f;
    if (k <= 35999)
        return 90.0f;
    return 360.0f;
}

float ValueStep(std::int64_t k2)
{
    if (k2 <= 1)
        return 0.01f;
    if (k2 <= 5)
        return 0.05f;
    if (k2 <= 10)
        return 0.1f;
    if (k2 <= 50)
        return 0.5f;
    if (k2 <= 100)
        return 1.0f;
    if (k2 <= 200)
        return 2.0f;
    if (k2 <= 500)
        return 5.0f;
    if (k2 <= 1000)
        return 10.0f;
    if (k2 <= 2000)
        return 20.0f;
    return 50.0f;
}

LabelFormat AngleLabelFormat(float step)
{
    if (step > 0.999L)
        return {3, 0};
    if (step > 0.099L)
        return {4, 1};
    return {5, 2};
}

LabelFormat ValueLabelFormat(float step)
{
    if (step > 0.99L)
        return {2, 0};
    if (step > 0.099L)
        return {3, 1};
    return {4, 2};
}

float FirstGridAngle(float a0, float step)
{
    float g = static_cast<float>(
        static_cast<long double>(TruncInt(a0 / static_cast<long double>(step))) * step);
    while (g < a0) {
        const float next = static_cast<float>(static_cast<long double>(g) + step);
        if (!(next > g))
            break; // the step is lost in g's precision: no further angle exists
        g = next;
    }
    return g;
}

AngleGrid ComputeAngleGrid(float a0, float a1, int left, int right)
{
    return ComputeAngleGrid(AngleAxis(a0, a1, left, right));
}

AngleGrid ComputeAngleGrid(const AngleAxis& axis)
{
    AngleGrid grid;
    if (!axis.Spread())
        return grid;
    const int right = axis.Right();
    const int width = right - axis.Left();
    const long double span = static_cast<long double>(axis.A1()) - axis.A0();
    grid.PxPerDeg = axis.PxPerDeg();
    const std::int64_t n = TruncInt(width / 32.0L);
    if (n == 0 || !std::isfinite(grid.PxPerDeg))
        return grid;
    grid.K = TruncInt(static_cast<float>(span / n * 100));
    grid.Step = AngleStep(grid.K);

    float g = FirstGridAngle(axis.A0(), grid.Step);
    int x = axis.Left();
    do {
        x = axis.GridX(g);
        const long double turns = (static_cast<long double>(g) + 30) / 60;
        const bool solid = std::fabs(turns - std::trunc(turns)) <= 0.0009L;
        grid.Lines.push_back({g, x, solid});
        const float next = static_cast<float>(static_cast<long double>(g) + grid.Step);
        if (!(next > g))
            break;
        g = next;
    } while (x < right && static_cast<std::int64_t>(grid.Lines.size()) < kMaxGridLines);
    return grid;
}

std::vector<HeaderMark> PlaceAngleLabels(const AngleGrid& grid, int left,
                                         const TextWidthFn& textWidth)
{
    std::vector<HeaderMark> marks;
    marks.reserve(grid.Lines.size());
    const LabelFormat format = AngleLabelFormat(grid.Step);
    int labelLimit = left + 8;
    for (const AngleLine& line : grid.Lines) {
        HeaderMark mark;
        mark.Line = line;
        std::string text = engine::FormatFixed(line.Angle, format.Precision, format.Decimals);
        const int half = textWidth(text) / 2;
        const bool even =
            RoundInt64(std::fabs(static_cast<long double>(line.Angle)) / grid.Step) % 2 == 0;
        if (line.X - half > labelLimit && even) {
            mark.Tick = HeaderTick::UnderLabel;
            mark.Label = std::move(text);
            mark.LabelX = line.X - half;
            labelLimit = line.X + half + 8;
        }
        marks.push_back(std::move(mark));
    }
    return marks;
}

ValueGrid ComputeValueGrid(const PlotScale& scale, int left, int top, int bottom,
                           const TextWidthFn& textWidth, int textHeight)
{
    ValueGrid grid;
    const int height = bottom - top - 32;
    const float q = static_cast<float>(TruncInt(height / 8.0L));
    const long double range = static_cast<long double>(scale.MaxValue) - scale.MinValue;
    if (!(q > 0) || !(range > 0) || !std::isfinite(range) || scale.YScale == 0)
        return grid;
    const std::int64_t k2 = TruncInt(static_cast<float>(range / q * 100));
    grid.K2 = k2 < 0 ? -k2 : k2;
    grid.Step = ValueStep(grid.K2);

    const std::int64_t first = TruncInt(scale.MinValue / static_cast<long double>(grid.Step));
    const std::int64_t last = TruncInt(scale.MaxValue / static_cast<long double>(grid.Step));
    // At the ends of the range both numbers saturate, and their difference in 64 bits would
    // wrap round into a small count of lines.
    if (last < first || static_cast<long double>(last) - first >= kMaxGridLines)
        return grid;
    const LabelFormat format = ValueLabelFormat(grid.Step);
    int labelLimit = bottom;
    for (std::int64_t j = first; j <= last; ++j) {
        ValueLine line;
        line.Value = static_cast<float>(static_cast<long double>(j) * grid.Step);
        // The line at Baseline - Round((v - MinValue) * YScale): Round is odd-symmetric
        // (halves go to even either way), so that is the y every value v is drawn at.
        line.Y = scale.Y(line.Value);
        line.Solid = IsZeroLine(line.Value);
        if (line.Y <= labelLimit && j % 2 == 0) {
            line.Label = engine::FormatFixed(line.Value, format.Precision, format.Decimals);
            line.LabelX = left - 4 - textWidth(line.Label);
            line.LabelY = line.Y - 6;
            labelLimit = line.Y - textHeight - 4;
        }
        grid.Lines.push_back(std::move(line));
    }
    return grid;
}

} // namespace graph
