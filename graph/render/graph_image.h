#pragma once

#include "graph/canvas.h"
#include "graph/graph_painter.h"
#include "graph/reference_run.h"

#include <QFont>
#include <QImage>
#include <QSize>

#include <array>

// The graph grid painted into an image exactly as StringGrid1 shows it, without a window:
// for the headless front end's --png and for saving the graph from the window.

namespace graph {

// The one-pixel lines between the cells and the grid's frame.
inline constexpr TColor kGridLineColor = 0x000000;

// The font the grid paints with in the window.
QFont GraphFont();

// The cells of the graph grid of a given outer size, after the window's grid set-up and its
// resize rule: column 0 is 56 wide and column 1 takes the rest; rows 0 to 6 are 39 and 31
// high and row 7 takes the rest. Coordinates are those of the grid's inside (within the
// one-pixel frame), with one pixel of line between neighbouring cells.
struct GraphGridLayout {
    std::array<int, 2> ColWidths{};
    std::array<int, 8> RowHeights{};

    TRect CellRect(int col, int row) const;
    // The inside of the frame.
    QSize ClientSize;
};

GraphGridLayout LayoutGraphGrid(QSize gridSize);

// The whole grid, frame included, of outer size `gridSize`: the grid colour, the lines between
// the cells, then every cell through DrawGraphCell (with `reference` underneath where it
// has something to draw), row by row with column 0 first. A null image when the size is empty
// or the image cannot be allocated.
QImage RenderGraphImage(const GraphPaintParams& params, QSize gridSize,
                        const QFont& font = GraphFont(), const HeldReference& reference = {});

} // namespace graph
