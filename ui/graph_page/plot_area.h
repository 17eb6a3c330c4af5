#pragma once

#include "graph/graph_cursors.h"

#include <QPoint>

#include <optional>

// Where the plot lies in the grid's viewport, for the pointer's gestures: column 1 from the
// header row down to row 7, mapped to samples as the painter maps them.

namespace ui {

class GraphHost;

class PlotArea {
public:
    explicit PlotArea(const GraphHost& host) : host_(host) {}

    // The horizontal geometry of the graph now; empty while it shows no spread of samples.
    std::optional<graph::PlotMapping> Geometry() const;
    // The lower edge of row 7, where the cursor lines end.
    int Bottom() const;
    bool Contains(const QPoint& pos) const;
    // Whether the pointer may move the view window: there is a geometry and the run has at
    // least 10 samples (below that UpdateGraph does not keep the window inside the run).
    bool Navigable() const;

private:
    const GraphHost& host_;
};

} // namespace ui
