#include "graph/view_window.h"

#include <algorithm>

namespace graph {

engine::SampleWindow ZoomIn(const engine::SampleWindow& window, int sampleCount,
                            const AnglesDiffer& anglesDiffer)
{
    const int len = window.Len / 2;
    const int start = window.Start + len / 2;
    const bool inRun = start >= 0 && start + len <= sampleCount;
    if (len < 2 || !inRun || !anglesDiffer(start, start + len - 1))
        return window;
    return {start, len};
}

engine::SampleWindow ZoomOut(const engine::SampleWindow& window, int sampleCount)
{
    const long long doubled = 2LL * std::max(window.Len, 1);
    const int len = static_cast<int>(std::min<long long>(doubled, std::max(sampleCount, 0)));
    // Kept inside the run here, not only by the graph update: below 10 samples the update
    // leaves the window as it is.
    return engine::ShiftIntoRun({window.Start - len / 4, len}, sampleCount);
}

} // namespace graph
