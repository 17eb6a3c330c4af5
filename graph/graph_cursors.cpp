#include "graph/graph_cursors.h"

#include "graph/graph_axes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace graph {

namespace {

int RecordCount(const engine::SampleBuffer& run)
{
    return static_cast<int>(
        std::min<std::int64_t>(run.SampleCount, static_cast<std::int64_t>(run.Samples.size())));
}

bool IsEdge(const engine::SampleBuffer& run, int i)
{
    const engine::TSampleRec& now = run.Samples[static_cast<std::size_t>(i)];
    const engine::TSampleRec& before = run.Samples[static_cast<std::size_t>(i - 1)];
    return !std::equal(std::begin(now.Switch), std::end(now.Switch), std::begin(before.Switch));
}

} // namespace

PlotGeometry::PlotGeometry(int first, int len, int left, int right, float pxPerSample)
    : first_(first), len_(len), left_(left), right_(right), pxPerSample_(pxPerSample)
{
}

std::optional<PlotGeometry> PlotGeometry::Make(const TRect& column, const engine::SampleBuffer& run,
                                               int viewStart, int viewLen)
{
    const std::int64_t count = RecordCount(run);
    const std::int64_t begin = std::max<std::int64_t>(viewStart, 0);
    const std::int64_t end = std::min<std::int64_t>(std::int64_t{viewStart} + viewLen, count);
    if (end - begin < 2)
        return std::nullopt;
    const float a0 = run.Samples[static_cast<std::size_t>(begin)].Angle;
    const float a1 = run.Samples[static_cast<std::size_t>(end - 1)].Angle;
    if (!(static_cast<long double>(a1) - a0 > 0))
        return std::nullopt;
    const int len = static_cast<int>(end - begin);
    const int width = column.Right - column.Left;
    const auto pxPerSample = static_cast<float>(static_cast<long double>(width) / len);
    return PlotGeometry(static_cast<int>(begin), len, column.Left, column.Right, pxPerSample);
}

int PlotGeometry::X(int sample) const
{
    return RoundPx(static_cast<long double>(sample - first_) * pxPerSample_ + left_);
}

int PlotGeometry::SampleAt(int x) const
{
    const long double exact =
        pxPerSample_ > 0 ? (static_cast<long double>(x) - left_) / pxPerSample_ : 0;
    const long double clamped = std::clamp<long double>(exact, 0, len_ - 1);
    const auto base = static_cast<int>(std::floor(clamped));
    int best = std::clamp(base, 0, len_ - 1);
    for (int j = std::max(base - 1, 0); j <= std::min(base + 2, len_ - 1); ++j) {
        const int dx = std::abs(X(first_ + j) - x);
        const int bestDx = std::abs(X(first_ + best) - x);
        if (dx < bestDx || (dx == bestDx && std::fabs(j - exact) < std::fabs(best - exact)))
            best = j;
    }
    return first_ + best;
}

void GraphCursors::Place(CursorId id, int sample)
{
    (id == CursorId::A ? a_ : b_) = sample;
}

void GraphCursors::Clear()
{
    a_.reset();
    b_.reset();
}

void GraphCursors::Restrict(int sampleCount)
{
    for (std::optional<int>* cursor : {&a_, &b_}) {
        if (*cursor && (**cursor < 0 || **cursor >= sampleCount))
            cursor->reset();
    }
}

std::optional<CursorId> GraphCursors::Near(const PlotGeometry& geometry, int x, int tolerance) const
{
    std::optional<CursorId> nearest;
    int nearestDx = tolerance + 1;
    for (const CursorId id : {CursorId::A, CursorId::B}) {
        const std::optional<int>& sample = Get(id);
        if (!sample || !geometry.Contains(*sample))
            continue;
        const int dx = std::abs(geometry.X(*sample) - x);
        if (dx < nearestDx) {
            nearest = id;
            nearestDx = dx;
        }
    }
    return nearest;
}

std::optional<int> NextSwitchEdge(const engine::SampleBuffer& run, int after)
{
    const int count = RecordCount(run);
    for (int i = std::max(after + 1, 1); i < count; ++i) {
        if (IsEdge(run, i))
            return i;
    }
    return std::nullopt;
}

std::optional<int> PreviousSwitchEdge(const engine::SampleBuffer& run, int before)
{
    const int count = RecordCount(run);
    for (int i = std::min(before - 1, count - 1); i >= 1; --i) {
        if (IsEdge(run, i))
            return i;
    }
    return std::nullopt;
}

} // namespace graph
