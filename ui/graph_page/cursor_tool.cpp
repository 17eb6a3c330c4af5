#include "ui/graph_page/cursor_tool.h"

#include "ui/graph_page/graph_host.h"
#include "ui/session/run_session.h"

#include <algorithm>
#include <cstdint>

namespace ui {

namespace {

constexpr int kGrabTolerancePx = 4;

int RecordCount(const engine::SampleBuffer& run)
{
    return static_cast<int>(
        std::min<std::int64_t>(run.SampleCount, static_cast<std::int64_t>(run.Samples.size())));
}

} // namespace

CursorTool::CursorTool(const GraphHost& host)
    : host_(host), lastSampleCount_(host.Session().Engine().Run.SampleCount)
{
}

bool CursorTool::Place(graph::CursorId id, int sample)
{
    const int count = RecordCount(host_.Session().Engine().Run);
    FollowRun();
    if (count <= 0)
        return false;
    cursors_.Place(id, std::clamp(sample, 0, count - 1));
    return true;
}

void CursorTool::Clear()
{
    cursors_.Clear();
    dragging_.reset();
}

bool CursorTool::Press(const graph::PlotMapping& geometry, int x, bool shift)
{
    const int sample = geometry.SampleAt(x);
    if (shift) {
        const bool placed = Place(graph::CursorId::B, sample);
        dragging_ = graph::CursorId::B;
        return placed;
    }
    if (const std::optional<graph::CursorId> near = cursors_.Near(geometry, x, kGrabTolerancePx)) {
        dragging_ = near;
        return false;
    }
    const bool placed = Place(graph::CursorId::A, sample);
    dragging_ = graph::CursorId::A;
    return placed;
}

void CursorTool::DragTo(const graph::PlotMapping& geometry, int x)
{
    if (dragging_)
        cursors_.Place(*dragging_, geometry.SampleAt(x));
}

std::optional<int> CursorTool::Edge(int direction) const
{
    const engine::SampleBuffer& run = host_.Session().Engine().Run;
    const engine::SampleWindow view = host_.Session().Window();
    const std::optional<int>& a = cursors_.A();
    return direction < 0 ? graph::PreviousSwitchEdge(run, a ? *a : view.Start + view.Len)
                         : graph::NextSwitchEdge(run, a ? *a : view.Start - 1);
}

void CursorTool::FollowRun()
{
    const engine::SampleBuffer& run = host_.Session().Engine().Run;
    if (run.SampleCount != lastSampleCount_) {
        // Another run: the old cursor positions mean nothing in it.
        cursors_.Clear();
        dragging_.reset();
        lastSampleCount_ = run.SampleCount;
    }
    cursors_.Restrict(RecordCount(run));
}

} // namespace ui
