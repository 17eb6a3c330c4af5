#pragma once

#include "graph/graph_cursors.h"

#include <optional>

// The two measuring cursors as the pointer and the keys move them: placed by a click (shift
// for B), dragged by their lines, moved to the neighbouring switch edge, and forgotten when a
// run of another length comes.

namespace ui {

class GraphHost;

class CursorTool {
public:
    explicit CursorTool(const GraphHost& host);

    const graph::GraphCursors& Cursors() const { return cursors_; }

    // Places a cursor, clamped to the samples the run holds; false when it holds none.
    bool Place(graph::CursorId id, int sample);
    void Clear();

    // A left press at x over the plot: shift places B, a press within 4 pixels of a cursor's
    // line grabs that cursor, any other press places A. The cursor placed or grabbed follows
    // DragTo until EndDrag. True when a cursor was placed.
    bool Press(const graph::PlotMapping& geometry, int x, bool shift);
    bool Dragging() const { return dragging_.has_value(); }
    void DragTo(const graph::PlotMapping& geometry, int x);
    void EndDrag() { dragging_.reset(); }

    // The switch edge after cursor A (direction < 0: before it); without cursor A the search
    // starts at the view window's edge.
    std::optional<int> Edge(int direction) const;

    // Brings the cursors in line with the run: a run of another length clears them, and none
    // lies past the samples the run holds.
    void FollowRun();

private:
    const GraphHost& host_;
    graph::GraphCursors cursors_;
    int lastSampleCount_ = 0;
    std::optional<graph::CursorId> dragging_;
};

} // namespace ui
