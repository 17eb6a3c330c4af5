#pragma once

#include "graph/view_window.h"

// Zooming the view window by a factor of two around the pointer: the window gets the length
// the "+" and "-" buttons give it (and stops where they stop), and its start is chosen so that
// the sample under the pointer lands on the pixel column nearest the pointer again.

namespace graph {

enum class ZoomDirection { In, Out };

struct ZoomAnchor {
    int Sample = 0;   // the sample under the pointer (run index, inside the window)
    int OffsetPx = 0; // the pointer's x minus column 1's Left
    int WidthPx = 0;  // column 1's width
};

// The new window, shifted into the run, which moves the anchor off the pointer only where the
// run ends. The same window when the zoom
// buttons would not change it, or when the anchor or the width is unusable.
engine::SampleWindow ZoomAroundPointer(const engine::SampleWindow& window, int sampleCount,
                                       const ZoomAnchor& anchor, ZoomDirection direction,
                                       const AnglesDiffer& anglesDiffer);

// The window moved by `samples` (negative: toward the start), shifted into the run.
engine::SampleWindow ScrollWindow(const engine::SampleWindow& window, int sampleCount, int samples);

} // namespace graph
