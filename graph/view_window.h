#pragma once

#include <functional>

// The zoom steps of the graph's view window. The window is the middle half of the old one
// after zooming in and twice as long around the same centre after zooming out; the limits
// keep it showable: zoom in stops before fewer than two samples of different angle would
// remain, zoom out stops at the whole run.

namespace graph {

struct ViewWindow {
    int Start = 0;
    int Len = 0;
    friend bool operator==(const ViewWindow&, const ViewWindow&) = default;
};

// Whether the samples `first` and `last` have different angles.
using AnglesDiffer = std::function<bool(int first, int last)>;

// The window after "+", or the same window when zooming in further would leave fewer than
// two samples of different angle.
ViewWindow ZoomIn(const ViewWindow& window, int sampleCount, const AnglesDiffer& anglesDiffer);

// The window after "-": twice as long around the same centre, at most the whole run, and
// moved back inside the run where it would reach beyond it.
ViewWindow ZoomOut(const ViewWindow& window, int sampleCount);

} // namespace graph
