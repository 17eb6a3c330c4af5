#pragma once

#include "graph/canvas.h"
#include "graph/graph_grid.h"
#include "graph/graph_painter.h"
#include "graph/reference_run.h"

#include <QFont>
#include <QImage>
#include <QSize>

// The graph grid painted into an image exactly as StringGrid1 shows it, without a window:
// for the headless front end's --png and for saving the graph from the window.

namespace graph {

// The font the grid paints with, in the window and in every picture of it: the grid's own
// 11-pixel face, narrowed by the form's stretch.
QFont GraphFont();

// The whole grid, frame included, of outer size `gridSize`, laid out and painted as the
// window's grid is (LayoutGraphGrid, PaintGrid): every cell through DrawGraphCell, with
// `reference` underneath where it has something to draw; per pixel column where `params`
// holds the run's summaries, as the window's do. A null image when the size is empty or the
// image cannot be allocated.
QImage RenderGraphImage(const GraphPaintParams& params, QSize gridSize,
                        const QFont& font = GraphFont(), const HeldReference& reference = {});

} // namespace graph
