#include "ui/graph_page/graph_overlay.h"

#include "ui/widgets/form_style.h"

#include <QPainter>
#include <QPaintEvent>
#include <QRegion>

namespace ui {

namespace {

constexpr int kTagWidth = 12;
constexpr int kTagHeight = 13;

} // namespace

GraphOverlay::GraphOverlay(QWidget* viewport) : QWidget(viewport)
{
    setObjectName("GraphOverlay");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(viewport->rect());
    show();
}

QRect GraphOverlay::Area(const OverlayLine& line) const
{
    QRect area(line.X, top_, 1, std::max(bottom_ - top_, 0));
    if (!line.Tag.empty())
        area |= QRect(line.X + 2, bottom_ - kTagHeight - 1, kTagWidth, kTagHeight);
    return area;
}

void GraphOverlay::SetLines(std::vector<OverlayLine> lines, int top, int bottom, bool repaint)
{
    if (lines == lines_ && top == top_ && bottom == bottom_)
        return;
    QRegion dirty;
    for (const OverlayLine& line : lines_)
        dirty += Area(line);
    lines_ = std::move(lines);
    top_ = top;
    bottom_ = bottom;
    for (const OverlayLine& line : lines_)
        dirty += Area(line);
    if (repaint && !dirty.isEmpty())
        update(dirty);
}

void GraphOverlay::ShowPicture(const QImage& picture)
{
    // A picture that does not cover the layer would leave pixels of nobody's painting.
    if (picture.deviceIndependentSize().toSize() != size()) {
        DropPicture();
        return;
    }
    picture_ = picture;
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void GraphOverlay::DropPicture()
{
    picture_ = QImage();
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void GraphOverlay::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (!picture_.isNull()) {
        const QRect area = event->rect();
        const qreal ratio = picture_.devicePixelRatio();
        const QRectF source(area.x() * ratio, area.y() * ratio, area.width() * ratio,
                            area.height() * ratio);
        painter.drawImage(QRectF(area), picture_, source);
    }
    painter.setFont(font());
    PaintOverlayLines(painter, lines_, top_, bottom_);
}

void PaintOverlayLines(QPainter& painter, const std::vector<OverlayLine>& lines, int top,
                       int bottom)
{
    for (const OverlayLine& line : lines) {
        const QColor color = ColorFromTColor(line.Color);
        QPen pen(color);
        pen.setWidth(0);
        if (line.Dotted)
            pen.setDashPattern({1.0, 2.0});
        painter.setPen(pen);
        // Pixel centres: the line covers exactly column X from top to bottom - 1.
        painter.drawLine(QPointF(line.X + 0.5, top + 0.5), QPointF(line.X + 0.5, bottom - 0.5));
        if (!line.Tag.empty()) {
            const QRect box(line.X + 2, bottom - kTagHeight - 1, kTagWidth, kTagHeight);
            painter.setPen(color);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromStdString(line.Tag));
        }
    }
}

} // namespace ui
