#pragma once

#include "graph/canvas.h"
#include "graph/graph_paint_params.h"

#include <array>

// The cell painter of the waveform graph: header with the angle axis, six switch traces and
// the analog plot of the selected view, for the samples of the view window.

namespace graph {

inline constexpr TColor kGridColor = 0x202020;
// The switch traces' colours, HA ... LC.
inline constexpr std::array<TColor, 6> kSwitchTraceColors = {0x0000B0, 0x0000FF, 0x00B000,
                                                             0x00FF00, 0xB00000, 0xFF0000};

// Paints cell (col, row) of StringGrid1 whose rectangle is `rect`, with "." as the decimal
// separator for the duration of the call.
void DrawGraphCell(Canvas& canvas, const GraphPaintParams& params, int col, int row,
                   const TRect& rect);

} // namespace graph
