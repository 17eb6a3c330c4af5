#include "graph/zoom_around_pointer.h"

#include "graph/plot_mapping.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace graph {

engine::SampleWindow ZoomAroundPointer(const engine::SampleWindow& window, int sampleCount,
                                       const ZoomAnchor& anchor, ZoomDirection direction,
                                       const AnglesDiffer& anglesDiffer)
{
    if (anchor.WidthPx <= 0 || window.Len < 1 || !window.Contains(anchor.Sample))
        return window;
    const engine::SampleWindow sized = direction == ZoomDirection::In
                                           ? ZoomIn(window, sampleCount, anglesDiffer)
                                           : ZoomOut(window, sampleCount);
    const int len = sized.Len;
    if (len == window.Len || len < 2)
        return window;

    // The painter's mapping for the new length, measured from column 1's Left; the anchor
    // goes to the window position whose x is nearest the pointer.
    const PlotMapping mapping({0, len}, 0, anchor.WidthPx);
    const long double exact = mapping.SamplesAcross(anchor.OffsetPx);
    const auto guess = static_cast<int>(std::clamp<long double>(std::round(exact), 0, len - 1));
    int offset = guess;
    const auto distance = [&](int j) { return std::abs(mapping.X(j) - anchor.OffsetPx); };
    for (int j = std::max(guess - 1, 0); j <= std::min(guess + 1, len - 1); ++j) {
        if (distance(j) < distance(offset))
            offset = j;
    }
    const engine::SampleWindow zoomed =
        engine::ShiftIntoRun({anchor.Sample - offset, len}, sampleCount);
    if (!anglesDiffer(zoomed.Start, zoomed.Start + len - 1))
        return window;
    return zoomed;
}

engine::SampleWindow ScrollWindow(const engine::SampleWindow& window, int sampleCount, int samples)
{
    // In 64 bits first: a long pan or scroll must not wrap the start round.
    const std::int64_t start =
        std::clamp<std::int64_t>(std::int64_t{window.Start} + samples, INT_MIN, INT_MAX);
    return engine::ShiftIntoRun({static_cast<int>(start), window.Len}, sampleCount);
}

} // namespace graph
