#include "graph/graph_cursors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace graph {

namespace {

bool IsEdge(const engine::SampleBuffer& run, int i)
{
    const engine::TSampleRec& now = run.Samples[static_cast<std::size_t>(i)];
    const engine::TSampleRec& before = run.Samples[static_cast<std::size_t>(i - 1)];
    return !std::equal(std::begin(now.Switch), std::end(now.Switch), std::begin(before.Switch));
}

} // namespace

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

std::optional<CursorId> GraphCursors::Near(const PlotMapping& mapping, int x, int tolerance) const
{
    std::optional<CursorId> nearest;
    int nearestDx = tolerance + 1;
    for (const CursorId id : {CursorId::A, CursorId::B}) {
        const std::optional<int>& sample = Get(id);
        if (!sample || !mapping.Contains(*sample))
            continue;
        const int dx = std::abs(mapping.X(*sample) - x);
        if (dx < nearestDx) {
            nearest = id;
            nearestDx = dx;
        }
    }
    return nearest;
}

std::optional<int> NextSwitchEdge(const engine::SampleBuffer& run, int after)
{
    const int count = run.RecordCount();
    for (int i = std::max(after + 1, 1); i < count; ++i) {
        if (IsEdge(run, i))
            return i;
    }
    return std::nullopt;
}

std::optional<int> PreviousSwitchEdge(const engine::SampleBuffer& run, int before)
{
    const int count = run.RecordCount();
    for (int i = std::min(before - 1, count - 1); i >= 1; --i) {
        if (IsEdge(run, i))
            return i;
    }
    return std::nullopt;
}

} // namespace graph
