#pragma once

#include "graph/canvas.h"
#include "graph/grid_size.h"

#include <functional>
#include <vector>

// The grid the graph is painted in, for the window's StringGrid1 and for the pictures made
// without a window alike: where its cells lie and the order they are painted in.

namespace graph {

// The cells of an owner-drawn grid: per-column widths and per-row heights with one pixel of
// line after each cell, the fixed row 0 always in view and the scrollable rows from TopRow
// on. Coordinates are those of the grid's inside (within its one-pixel frame).
struct GridLayout {
    std::vector<int> ColWidths;
    std::vector<int> RowHeights;
    int FixedRows = 1;
    int TopRow = 1; // the first scrollable row in view
    int Width = 0;  // the inside
    int Height = 0;

    // Column 0 at x 0, each further cell one pixel right of (below) the previous one's Right
    // (Bottom). Empty for a cell outside the grid or scrolled out of view.
    TRect CellRect(int col, int row) const;
    // The fixed rows and the rows from TopRow on, top to bottom.
    std::vector<int> RowsInView() const;
};

using DrawCellFn = std::function<void(Canvas& canvas, int col, int row, const TRect& rect)>;

// The one-pixel lines between the cells and the grid's frame.
inline constexpr TColor kGridLineColor = 0x000000;

// Paints the grid's inside: `background`, the lines between the cells, then every cell in
// view through `drawCell`, row by row with column 0 first (column 1's painter writes the row
// labels into column 0, which must not paint over them). A cell is not clipped to its
// rectangle; the graph's lower edge lines lie on the grid's lines.
void PaintGrid(Canvas& canvas, const GridLayout& layout, TColor background,
               const DrawCellFn& drawCell);

// The graph grid: column 0 holds the row labels, column 1 the traces; row 0 is the header,
// rows 1 to 6 the switch traces, row 7 the analog plot.
inline constexpr int kGraphColCount = 2;
inline constexpr int kGraphRowCount = 8;
inline constexpr int kLabelColWidth = 56;
inline constexpr int kHeaderRowHeight = 39;
inline constexpr int kTraceRowHeight = 31;
inline constexpr int kPlotRow = kGraphRowCount - 1;

// Column 1 takes the width the outer size leaves after column 0 and the lines; row 7 the
// height the outer size leaves after rows 0 to 6 (a pixel more than the lines need).
int PlotColWidth(int outerWidth);
int PlotRowHeight(int outerHeight);

// The graph grid of outer size `outer`, frame included, scrolled to the top.
GridLayout LayoutGraphGrid(GridSize outer);

} // namespace graph
