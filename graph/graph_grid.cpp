#include "graph/graph_grid.h"

#include <algorithm>

namespace graph {

namespace {

constexpr int kFrame = 1;

int FixedRowsHeight()
{
    int height = kHeaderRowHeight + 1;
    for (int row = 1; row < kPlotRow; ++row)
        height += kTraceRowHeight + 1;
    return height;
}

} // namespace

TRect GridLayout::CellRect(int col, int row) const
{
    if (col < 0 || static_cast<std::size_t>(col) >= ColWidths.size() || row < 0 ||
        static_cast<std::size_t>(row) >= RowHeights.size())
        return {};
    if (row >= FixedRows && row < TopRow)
        return {}; // scrolled out of view
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += ColWidths[static_cast<std::size_t>(c)] + 1;
    int y = 0;
    for (int r = 0; r < row; ++r)
        if (r < FixedRows || r >= TopRow)
            y += RowHeights[static_cast<std::size_t>(r)] + 1;
    return {x, y, x + ColWidths[static_cast<std::size_t>(col)],
            y + RowHeights[static_cast<std::size_t>(row)]};
}

std::vector<int> GridLayout::RowsInView() const
{
    std::vector<int> rows;
    for (int r = 0; static_cast<std::size_t>(r) < RowHeights.size(); ++r)
        if (r < FixedRows || r >= TopRow)
            rows.push_back(r);
    return rows;
}

void PaintGrid(Canvas& canvas, const GridLayout& layout, TColor background,
               const DrawCellFn& drawCell)
{
    canvas.SetBrushColor(background);
    canvas.FillRect({0, 0, layout.Width, layout.Height});
    const std::vector<int> rows = layout.RowsInView();
    const int cols = static_cast<int>(layout.ColWidths.size());
    if (rows.empty() || cols == 0)
        return;

    const TRect last = layout.CellRect(cols - 1, rows.back());
    canvas.SetPenColor(kGridLineColor);
    canvas.SetPenStyle(TPenStyle::psSolid);
    for (int c = 0; c < cols; ++c) {
        const TRect cell = layout.CellRect(c, rows.front());
        canvas.MoveTo(cell.Right, 0);
        canvas.LineTo(cell.Right, last.Bottom + 1);
    }
    for (int r : rows) {
        const TRect cell = layout.CellRect(0, r);
        canvas.MoveTo(0, cell.Bottom);
        canvas.LineTo(last.Right + 1, cell.Bottom);
    }

    for (int r : rows) {
        for (int c = 0; c < cols; ++c) {
            const TRect cell = layout.CellRect(c, r);
            if (cell.Top >= layout.Height)
                break;
            drawCell(canvas, c, r, cell);
        }
    }
}

int PlotColWidth(int outerWidth)
{
    return std::max(0, outerWidth - kLabelColWidth - 3);
}

int PlotRowHeight(int outerHeight)
{
    return std::max(0, outerHeight - 4 - FixedRowsHeight());
}

GridLayout LayoutGraphGrid(GridSize outer)
{
    GridLayout layout;
    layout.Width = std::max(outer.Width - 2 * kFrame, 0);
    layout.Height = std::max(outer.Height - 2 * kFrame, 0);
    layout.ColWidths = {kLabelColWidth, PlotColWidth(outer.Width)};
    layout.RowHeights.assign(kGraphRowCount, kTraceRowHeight);
    layout.RowHeights.front() = kHeaderRowHeight;
    layout.RowHeights.back() = PlotRowHeight(outer.Height);
    return layout;
}

} // namespace graph
