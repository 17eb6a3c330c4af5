#pragma once

#include "cli/destination.h"
#include "graph/graph_paint_params.h"
#include "graph/grid_size.h"
#include "graph/reference_run.h"

#include <iosfwd>
#include <stdexcept>
#include <string>

// The graph of a finished run as a PNG file, painted as the window paints it. Only this part
// of bldc-emu needs the Qt Gui library, and only while it runs (offscreen).

namespace cli {

// A picture that cannot be made or written; the message is for the user.
class PictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Renders the grid of outer size `size`, with `reference` under the live traces when one is
// held, and writes it to `destination` (standard output: `out`, whose state tells whether that
// worked). Throws PictureError when it cannot be made, engine::FileWriteError when the file
// cannot be written.
void WriteGraphPng(const Destination& destination, std::ostream& out,
                   const graph::GraphPaintParams& params, graph::GridSize size,
                   const graph::HeldReference& reference = {});

} // namespace cli
