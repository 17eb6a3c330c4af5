#pragma once

#include "engine/sample_window.h"

#include <functional>

// The zoom steps of the graph's view window. The window is the middle half of the old one
// after zooming in and twice as long around the same centre after zooming out; the limits
// keep it showable: zoom in stops before fewer than two samples of different angle would
// remain, zoom out stops at the whole run.

namespace graph {

// Whether the samples `first` and `last` have different angles.
using AnglesDiffer = std::function<bool(int first, int last)>;

// The window after "+", or the same window when zooming in further would leave fewer than
// two samples of different angle.
engine::SampleWindow ZoomIn(const engine::SampleWindow& window, int sampleCount,
                            const AnglesDiffer& anglesDiffer);

// The window after "-": twice as long around the same centre, at most the whole run, and
// shifted into the run where it would reach beyond it.
engine::SampleWindow ZoomOut(const engine::SampleWindow& window, int sampleCount);

} // namespace graph
