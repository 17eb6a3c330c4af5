#include "ui/circuit_page/bridge_state_layer.h"

#include <QPainter>
#include <QPaintEvent>

namespace ui {

namespace {

// Colours that stand out on the light green picture and its dark ink.
const QColor kOnColor{0, 150, 0};
const QColor kOffColor{200, 0, 0};
const QColor kCurrentColor{255, 120, 0, 170};
const QColor kTextBackground{255, 255, 255, 210};
const QColor kTextColor{0, 0, 96};

void DrawText(QPainter& painter, const QPoint& anchor, const QString& text, bool rightAligned,
              const QColor& color)
{
    const QFontMetrics metrics = painter.fontMetrics();
    QRect box(0, anchor.y(), metrics.horizontalAdvance(text) + 4, metrics.height());
    box.moveLeft(rightAligned ? anchor.x() - box.width() : anchor.x());
    painter.fillRect(box, kTextBackground);
    painter.setPen(color);
    painter.drawText(box, Qt::AlignCenter, text);
}

} // namespace

BridgeStateLayer::BridgeStateLayer(QWidget* pictureBox) : QWidget(pictureBox)
{
    setObjectName("BridgeStateLayer");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(pictureBox->rect());
    hide();
}

void BridgeStateLayer::SetLayout(std::optional<BridgeLayout> layout)
{
    layout_ = std::move(layout);
    setVisible(layout_.has_value());
    update();
}

void BridgeStateLayer::paintEvent(QPaintEvent*)
{
    if (!layout_) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The current first, so that the marks and texts stay readable on top of it.
    painter.setPen(QPen(kCurrentColor, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const QPolygon& path : layout_->CurrentPath) {
        painter.drawPolyline(path);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCurrentColor.darker(130));
    for (const CurrentArrow& arrow : layout_->Arrows) {
        const int back = arrow.PointsRight ? -8 : 8;
        painter.drawPolygon(
            QPolygon{arrow.Tip, arrow.Tip + QPoint(back, -5), arrow.Tip + QPoint(back, 5)});
    }
    painter.setBrush(Qt::NoBrush);
    for (const TransistorMark& mark : layout_->Transistors) {
        const QColor color = mark.On ? kOnColor : kOffColor;
        if (mark.On) {
            QColor fill = color;
            fill.setAlpha(60);
            painter.fillRect(mark.Box, fill);
        }
        painter.setPen(QPen(color, mark.On ? 2 : 1, mark.On ? Qt::SolidLine : Qt::DashLine));
        painter.drawRect(mark.Box);
        DrawText(painter, mark.TextAnchor, mark.Text, false, color);
    }
    for (const LayerText& text : layout_->Texts) {
        DrawText(painter, text.Anchor, text.Text, text.RightAligned, kTextColor);
    }
}

} // namespace ui
