#pragma once

#include "engine/channels.h"
#include "engine/sample.h"
#include "graph/canvas.h"

#include <array>
#include <string>

// The cell painter of the waveform graph: header with the angle axis, six switch traces and
// the analog plot of the selected view, for the samples of the view window.

namespace graph {

// Everything one paint reads; the painter keeps nothing between calls.
struct GraphPaintParams {
    const engine::SampleBuffer& Run;
    const engine::ChannelSet& Result;
    int ViewStart = 0;
    int ViewLen = 0;
    std::string HeaderText;                  // cell (1, 0): the run summary
    std::array<std::string, 6> SwitchLabels; // Edit101 ... Edit106
};

inline constexpr TColor kGridColor = 0x202020;

// Paints cell (col, row) of StringGrid1 whose rectangle is `rect`, with "." as the decimal
// separator for the duration of the call.
void DrawGraphCell(Canvas& canvas, const GraphPaintParams& params, int col, int row,
                   const TRect& rect);

} // namespace graph
