#include "graph/plot_mapping.h"

#include <algorithm>
#include <cstdlib>

namespace graph {

namespace {

// Far beyond any pixel, yet safe to convert and to add a cell coordinate to.
constexpr long double kPixelLimit = 1e9L;

} // namespace

int RoundPx(long double value)
{
    if (std::isnan(value))
        return 0;
    if (value > kPixelLimit)
        value = kPixelLimit;
    if (value < -kPixelLimit)
        value = -kPixelLimit;
    return static_cast<int>(std::nearbyint(value));
}

AngleAxis::AngleAxis(float a0, float a1, int left, int right)
    : a0_(a0), a1_(a1), left_(left), right_(right)
{
    if (!Spread())
        return;
    pxPerDeg_ = static_cast<float>((right - left) / (static_cast<long double>(a1) - a0));
    refPxPerDeg_ = (right - left) / (static_cast<double>(a1) - a0);
}

bool AngleAxis::Spread() const
{
    const long double span = static_cast<long double>(a1_) - a0_;
    return right_ - left_ > 0 && span > 0 && std::isfinite(span);
}

PlotMapping::PlotMapping(const engine::SampleWindow& window, int left, int right)
    : window_(window), left_(left), right_(right),
      pxPerSample_(window.Len > 0
                       ? static_cast<float>(static_cast<long double>(right - left) / window.Len)
                       : 0),
      flat_(window.Len < 2)
{
}

PlotMapping PlotMapping::OfView(const engine::SampleBuffer& run, const engine::SampleWindow& view,
                                const TRect& column)
{
    const std::int32_t count = run.RecordCount();
    engine::SampleWindow window = engine::CutToRun(view, count);
    if (window.Empty() && count > 0)
        window = {std::min(window.Start, count - 1), 1};
    PlotMapping mapping(window, column.Left, column.Right);
    if (window.Empty())
        return mapping;
    mapping.firstAngle_ = run.Samples[static_cast<std::size_t>(window.Start)].Angle;
    mapping.lastAngle_ = run.Samples[static_cast<std::size_t>(window.End() - 1)].Angle;
    mapping.flat_ =
        mapping.flat_ || !(static_cast<long double>(mapping.lastAngle_) - mapping.firstAngle_ > 0);
    return mapping;
}

int PlotMapping::SampleAt(int x) const
{
    const int len = window_.Len;
    const long double exact =
        pxPerSample_ > 0 ? SamplesAcross(static_cast<long double>(x) - left_) : 0;
    const long double clamped = std::clamp<long double>(exact, 0, len - 1);
    const auto base = static_cast<int>(std::floor(clamped));
    int best = std::clamp(base, 0, len - 1);
    for (int j = std::max(base - 1, 0); j <= std::min(base + 2, len - 1); ++j) {
        const int dx = std::abs(X(window_.Start + j) - x);
        const int bestDx = std::abs(X(window_.Start + best) - x);
        if (dx < bestDx || (dx == bestDx && std::fabs(j - exact) < std::fabs(best - exact)))
            best = j;
    }
    return window_.Start + best;
}

PlotScale ComputePlotScale(float minValue, float maxValue, int top, int bottom)
{
    PlotScale scale;
    scale.MinValue = minValue;
    scale.MaxValue = maxValue;
    scale.Baseline = bottom - 12;
    const int height = bottom - top - 32;
    const long double range = static_cast<long double>(maxValue) - minValue;
    if (range > 0 && std::isfinite(range)) {
        const float yScale = static_cast<float>(height / range);
        if (std::isfinite(yScale))
            scale.YScale = yScale;
    }
    return scale;
}

} // namespace graph
