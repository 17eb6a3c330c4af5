#include "graph/render/graph_image.h"

#include "graph/render/qpainter_canvas.h"

#include <QPainter>

namespace graph {

QFont GraphFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setStretch(92);
    return font;
}

QImage RenderGraphImage(const GraphPaintParams& params, QSize gridSize, const QFont& font,
                        const HeldReference& reference)
{
    if (gridSize.isEmpty())
        return {};
    QImage image(gridSize, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(ToQColor(kGridLineColor)); // the frame

    const GridLayout layout = LayoutGraphGrid({gridSize.width(), gridSize.height()});
    QPainter painter(&image);
    painter.setFont(font);
    painter.translate(1, 1);
    // Cells are not clipped to their rectangles, only to the grid's inside, as on screen.
    painter.setClipRect(QRect(0, 0, layout.Width, layout.Height));
    {
        QPainterCanvas canvas(painter);
        PaintGrid(canvas, layout, kGridColor,
                  [&](Canvas& target, int col, int row, const TRect& cell) {
                      DrawGraphCellWithReference(target, params, reference, col, row, cell);
                  });
    }
    return image;
}

} // namespace graph
