#include "graph/render/graph_image.h"

#include "graph/render/qpainter_canvas.h"

#include <QPainter>

#include <algorithm>

namespace graph {

namespace {

constexpr int kFrame = 1;
constexpr int kFixedColWidth = 56;
constexpr int kHeaderRowHeight = 39;
constexpr int kTraceRowHeight = 31;

} // namespace

QFont GraphFont()
{
    // The grid's own 11-pixel face, narrowed by the form's stretch that it inherits.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setStretch(92);
    return font;
}

GraphGridLayout LayoutGraphGrid(QSize gridSize)
{
    GraphGridLayout layout;
    layout.ClientSize = QSize(std::max(gridSize.width() - 2 * kFrame, 0),
                              std::max(gridSize.height() - 2 * kFrame, 0));
    layout.ColWidths = {kFixedColWidth, std::max(0, gridSize.width() - kFixedColWidth - 3)};
    int fixedRows = 0;
    for (int row = 0; row <= 6; ++row) {
        layout.RowHeights[static_cast<std::size_t>(row)] =
            row == 0 ? kHeaderRowHeight : kTraceRowHeight;
        fixedRows += layout.RowHeights[static_cast<std::size_t>(row)] + 1;
    }
    layout.RowHeights[7] = std::max(0, gridSize.height() - 4 - fixedRows);
    return layout;
}

TRect GraphGridLayout::CellRect(int col, int row) const
{
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += ColWidths[static_cast<std::size_t>(c)] + 1;
    int y = 0;
    for (int r = 0; r < row; ++r)
        y += RowHeights[static_cast<std::size_t>(r)] + 1;
    return {x, y, x + ColWidths[static_cast<std::size_t>(col)],
            y + RowHeights[static_cast<std::size_t>(row)]};
}

QImage RenderGraphImage(const GraphPaintParams& params, QSize gridSize, const QFont& font,
                        const HeldReference& reference)
{
    if (gridSize.isEmpty())
        return {};
    QImage image(gridSize, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(ToQColor(kGridLineColor));

    const GraphGridLayout layout = LayoutGraphGrid(gridSize);
    QPainter painter(&image);
    painter.setFont(font);
    painter.translate(kFrame, kFrame);
    // Cells are not clipped to their rectangles, only to the grid's inside, as on screen.
    painter.setClipRect(QRect(QPoint(0, 0), layout.ClientSize));
    {
        QPainterCanvas canvas(painter);
        canvas.SetBrushColor(kGridColor);
        canvas.FillRect({0, 0, layout.ClientSize.width(), layout.ClientSize.height()});

        // The lines first: the cells' lower edge lines lie on them.
        const TRect last = layout.CellRect(1, 7);
        canvas.SetPenColor(kGridLineColor);
        canvas.SetPenStyle(TPenStyle::psSolid);
        for (int col = 0; col < 2; ++col) {
            const TRect cell = layout.CellRect(col, 0);
            canvas.MoveTo(cell.Right, 0);
            canvas.LineTo(cell.Right, last.Bottom + 1);
        }
        for (int row = 0; row < 8; ++row) {
            const TRect cell = layout.CellRect(0, row);
            canvas.MoveTo(0, cell.Bottom);
            canvas.LineTo(last.Right + 1, cell.Bottom);
        }

        // Column 1's painter writes the row labels into column 0, so column 0 comes first.
        for (int row = 0; row < 8; ++row) {
            for (int col = 0; col < 2; ++col) {
                const TRect cell = layout.CellRect(col, row);
                if (cell.Top >= layout.ClientSize.height())
                    break;
                DrawGraphCellWithReference(canvas, params, reference, col, row, cell);
            }
        }
    }
    return image;
}

} // namespace graph
