#include "graph/render/qpainter_canvas.h"

#include "graph/line_raster.h"

#include <QPainter>
#include <QString>

namespace graph {

QColor ToQColor(TColor color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

namespace {

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

} // namespace

QPainterCanvas::QPainterCanvas(QPainter& painter) : painter_(painter), metrics_(painter.font())
{
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setBrushOrigin(0, 0);
}

QPainterCanvas::~QPainterCanvas()
{
    Flush();
    painter_.restore();
}

void QPainterCanvas::SetBrushColor(TColor color)
{
    brush_ = color;
}
void QPainterCanvas::SetPenColor(TColor color)
{
    pen_ = color;
}
void QPainterCanvas::SetPenStyle(TPenStyle style)
{
    style_ = style;
}
void QPainterCanvas::SetFontColor(TColor color)
{
    font_ = color;
}

void QPainterCanvas::Flush()
{
    if (batch_.empty())
        return;
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(batchColor_));
    painter_.drawRects(batch_.data(), static_cast<int>(batch_.size()));
    batch_.clear();
}

void QPainterCanvas::AddRect(const QRect& rect, TColor color)
{
    if (!batch_.empty() && color != batchColor_)
        Flush();
    batchColor_ = color;
    batch_.push_back(rect);
}

void QPainterCanvas::FillRect(const TRect& rect)
{
    if (rect.Right <= rect.Left || rect.Bottom <= rect.Top)
        return;
    AddRect(ToQRect(rect), brush_);
}

void QPainterCanvas::MoveTo(int x, int y)
{
    penPos_ = {x, y};
}

void QPainterCanvas::Line(TPoint from, TPoint to)
{
    if (style_ == TPenStyle::psSolid) {
        WalkLine(from, to, [&](const LineRun& run) { AddRect(ToQRect(run.Rect()), pen_); });
        return;
    }
    // Dotted: the whole line in the gap colour first, then every other pixel over it; the
    // line's own pixels never overlap, so the result equals painting pixel by pixel.
    WalkLine(from, to, [&](const LineRun& run) { AddRect(ToQRect(run.Rect()), brush_); });
    WalkLine(from, to, [&](const LineRun& run) {
        for (int k = (run.Index % 2 == 0) ? 0 : 1; k < run.Length; k += 2) {
            const int x = run.AlongX ? run.X + run.Dir * k : run.X;
            const int y = run.AlongX ? run.Y : run.Y + run.Dir * k;
            AddRect(QRect(x, y, 1, 1), pen_);
        }
    });
}

void QPainterCanvas::LineTo(int x, int y)
{
    const TPoint to{x, y};
    Line(penPos_, to);
    penPos_ = to;
}

void QPainterCanvas::PolylineTo(const std::vector<TPoint>& points)
{
    for (const TPoint& p : points) {
        Line(penPos_, p);
        penPos_ = p;
    }
}

void QPainterCanvas::TextOut(int x, int y, const std::string& text)
{
    const QString s = QString::fromStdString(text);
    const TSize size = TextExtent(text);
    FillRect({x, y, x + size.cx, y + TextHeight(text)});
    Flush();
    painter_.setPen(ToQColor(font_));
    painter_.drawText(x, y + 1 + metrics_.ascent(), s);
}

TSize QPainterCanvas::TextExtent(const std::string& text)
{
    return {metrics_.horizontalAdvance(QString::fromStdString(text)), TextHeight(text)};
}

int QPainterCanvas::TextHeight(const std::string&)
{
    return metrics_.ascent() + metrics_.descent() + 1;
}

} // namespace graph
