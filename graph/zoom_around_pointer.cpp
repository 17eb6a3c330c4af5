#include "graph/zoom_around_pointer.h"

#include "graph/graph_axes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace graph {

ViewWindow ZoomAroundPointer(const ViewWindow& window, int sampleCount, const ZoomAnchor& anchor,
                             ZoomDirection direction, const AnglesDiffer& anglesDiffer)
{
    const bool anchored =
        anchor.Sample >= window.Start && anchor.Sample < window.Start + window.Len;
    if (anchor.WidthPx <= 0 || window.Len < 1 || !anchored)
        return window;
    const ViewWindow sized = direction == ZoomDirection::In
                                 ? ZoomIn(window, sampleCount, anglesDiffer)
                                 : ZoomOut(window, sampleCount);
    const int len = sized.Len;
    if (len == window.Len || len < 2)
        return window;

    // The painter's spacing for the new length, single precision as it stores it; the anchor
    // goes to the window position whose rounded x is nearest the pointer.
    const auto pxPerSample = static_cast<float>(static_cast<long double>(anchor.WidthPx) / len);
    const long double exact = anchor.OffsetPx / static_cast<long double>(pxPerSample);
    const auto guess = static_cast<int>(std::clamp<long double>(std::round(exact), 0, len - 1));
    int offset = guess;
    const auto distance = [&](int j) {
        return std::abs(RoundPx(static_cast<long double>(j) * pxPerSample) - anchor.OffsetPx);
    };
    for (int j = std::max(guess - 1, 0); j <= std::min(guess + 1, len - 1); ++j) {
        if (distance(j) < distance(offset))
            offset = j;
    }
    const int start = static_cast<int>(std::clamp<std::int64_t>(
        std::int64_t{anchor.Sample} - offset, 0, std::max(sampleCount - len, 0)));
    if (!anglesDiffer(start, start + len - 1))
        return window;
    return {start, len};
}

ViewWindow ScrollWindow(const ViewWindow& window, int sampleCount, int samples)
{
    const std::int64_t last = std::max<std::int64_t>(std::int64_t{sampleCount} - window.Len, 0);
    const std::int64_t start =
        std::clamp<std::int64_t>(std::int64_t{window.Start} + samples, 0, last);
    return {static_cast<int>(start), window.Len};
}

} // namespace graph
