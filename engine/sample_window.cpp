#include "engine/sample_window.h"

#include <algorithm>

namespace engine {

SampleWindow CutToRun(const SampleWindow& window, std::int64_t count)
{
    const std::int64_t held = std::max<std::int64_t>(count, 0);
    const std::int64_t first =
        std::min<std::int64_t>(std::max<std::int32_t>(window.Start, 0), held);
    const std::int64_t end = std::clamp<std::int64_t>(window.End(), first, held);
    // first <= Start and end - first <= held, which itself is no more than the run's
    // 32-bit SampleCount where callers take it from.
    return {static_cast<std::int32_t>(first),
            static_cast<std::int32_t>(std::min<std::int64_t>(end - first, INT32_MAX))};
}

SampleWindow ShiftIntoRun(const SampleWindow& window, std::int64_t count)
{
    const std::int64_t latest = count - window.Len;
    const std::int64_t start =
        std::max<std::int64_t>(std::min<std::int64_t>(window.Start, latest), 0);
    return {static_cast<std::int32_t>(start), window.Len};
}

} // namespace engine
