#include "tools/circuit_pictures/schematic.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QPolygon>

#include <array>
#include <cmath>

// How each primitive of the schematic looks: its terminals and its painting.

namespace ui::schematic {

namespace {

QFont LabelFont()
{
    QFont font("DejaVu Sans");
    font.setPixelSize(9);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// Draws each primitive with the painter's pen: 1 pixel ink, no antialiasing for the straight
// lines so that they stay crisp and a strip border never cuts a blurred pixel in two.
class PrimitivePainter {
public:
    explicit PrimitivePainter(QPainter& painter) : painter_(painter) {}

    void operator()(const Wire& wire) const
    {
        painter_.drawPolyline(wire.points.data(), static_cast<int>(wire.points.size()));
    }

    void operator()(const Junction& junction) const
    {
        painter_.save();
        painter_.setBrush(InkColor());
        painter_.drawRect(junction.at.x() - 1, junction.at.y() - 1, 2, 2);
        painter_.drawPoint(junction.at + QPoint(0, -2));
        painter_.drawPoint(junction.at + QPoint(0, 2));
        painter_.drawPoint(junction.at + QPoint(-2, 0));
        painter_.drawPoint(junction.at + QPoint(2, 0));
        painter_.restore();
    }

    void operator()(const Text& text) const
    {
        constexpr int kBox = 200;
        QRect box(0, 0, kBox, kBox);
        const QPoint a = text.anchor;
        if (text.align & Qt::AlignLeft) {
            box.moveLeft(a.x());
        } else if (text.align & Qt::AlignRight) {
            box.moveRight(a.x());
        } else {
            box.moveLeft(a.x() - kBox / 2);
        }
        if (text.align & Qt::AlignTop) {
            box.moveTop(a.y());
        } else if (text.align & Qt::AlignBottom) {
            box.moveBottom(a.y());
        } else {
            box.moveTop(a.y() - kBox / 2);
        }
        painter_.drawText(box, static_cast<int>(text.align), text.text);
    }

    void operator()(const Mosfet& mosfet) const
    {
        const int x = mosfet.gate.x();
        const int y = mosfet.gate.y();
        const int channel = x + 4;
        const int rail = x + 12;
        painter_.drawLine(x, y - 7, x, y + 7);
        painter_.drawLine(channel, y - 8, channel, y - 4);
        painter_.drawLine(channel, y - 2, channel, y + 2);
        painter_.drawLine(channel, y + 4, channel, y + 8);
        painter_.drawLine(channel, y - 6, rail, y - 6);
        painter_.drawLine(channel, y + 6, rail, y + 6);
        painter_.drawLine(channel, y, rail, y);
        // The body is tied to the source, which is the lower terminal for N and the upper for P.
        painter_.drawLine(rail, y, rail, mosfet.pChannel ? y - 6 : y + 6);
        // Drawn column by column: a polygon this small fills to a shapeless blob.
        constexpr std::array<int, 6> kArrowHalfHeight{0, 1, 1, 2, 2, 3};
        for (std::size_t i = 0; i < kArrowHalfHeight.size(); ++i) {
            const int column = mosfet.pChannel ? rail - 1 - static_cast<int>(i)
                                               : channel + 1 + static_cast<int>(i);
            painter_.drawLine(column, y - kArrowHalfHeight[i], column, y + kArrowHalfHeight[i]);
        }
    }

    void operator()(const Resistor& resistor) const
    {
        const QPoint c = resistor.centre;
        constexpr int half = kResistorLength / 2;
        constexpr int side = kResistorWidth / 2;
        if (resistor.orientation == Qt::Horizontal) {
            painter_.drawRect(c.x() - half, c.y() - side, kResistorLength, kResistorWidth);
            (*this)(
                Text{c + QPoint(0, -side - 2), resistor.name, Qt::AlignHCenter | Qt::AlignBottom});
        } else {
            painter_.drawRect(c.x() - side, c.y() - half, kResistorWidth, kResistorLength);
            (*this)(Text{c + QPoint(side + 3, 0), resistor.name, Qt::AlignLeft | Qt::AlignVCenter});
        }
    }

    void operator()(const Comparator& comparator) const
    {
        const QPoint tip = comparator.output;
        const int base = PlusInput(comparator).x();
        painter_.drawPolygon(QPolygon({tip, {base, tip.y() - 13}, {base, tip.y() + 13}}));
        const QPoint plus = PlusInput(comparator) - QPoint(5, 0);
        const QPoint minus = MinusInput(comparator) - QPoint(5, 0);
        painter_.drawLine(plus - QPoint(2, 0), plus + QPoint(2, 0));
        painter_.drawLine(plus - QPoint(0, 2), plus + QPoint(0, 2));
        painter_.drawLine(minus - QPoint(2, 0), minus + QPoint(2, 0));
    }

    void operator()(const GateDriver& driver) const
    {
        const QPoint in = driver.input;
        painter_.drawPolygon(
            QPolygon({{in.x(), in.y() - 8}, {in.x(), in.y() + 8}, {in.x() + 20, in.y()}}));
        if (driver.inverting) {
            painter_.drawEllipse(QRect(in.x() + 20, in.y() - 3, 6, 6));
        }
    }

    void operator()(const Winding& winding) const
    {
        const QLineF axis(winding.from, winding.to);
        constexpr double kTurns = 4;
        constexpr double kTurnLength = 8;
        const double lead = (axis.length() - kTurns * kTurnLength) / 2;
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing);
        // Antialiased lines land on pixel centres, where the aliased wires they join are drawn.
        painter_.translate(winding.from + QPointF(0.5, 0.5));
        painter_.rotate(-axis.angle());
        painter_.drawLine(QPointF(0, 0), QPointF(lead, 0));
        for (int turn = 0; turn < kTurns; ++turn) {
            const QRectF bounds(lead + turn * kTurnLength, -kTurnLength / 2, kTurnLength,
                                kTurnLength);
            painter_.drawArc(bounds, 0, 180 * 16);
        }
        painter_.drawLine(QPointF(axis.length() - lead, 0), QPointF(axis.length(), 0));
        painter_.restore();
    }

    void operator()(const Ground& ground) const
    {
        const QPoint g = ground.at;
        painter_.drawLine(g.x() - 6, g.y(), g.x() + 6, g.y());
        painter_.drawLine(g.x() - 4, g.y() + 3, g.x() + 4, g.y() + 3);
        painter_.drawLine(g.x() - 1, g.y() + 6, g.x() + 1, g.y() + 6);
    }

    void operator()(const Supply& supply) const
    {
        const QPoint s = supply.at;
        painter_.drawLine(s.x() - 5, s.y(), s.x() + 5, s.y());
        (*this)(Text{s + QPoint(8, 0), supply.name, Qt::AlignLeft | Qt::AlignVCenter});
    }

    void operator()(const Housing& housing) const
    {
        painter_.save();
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.drawEllipse(QPointF(housing.centre) + QPointF(0.5, 0.5), housing.radius,
                             housing.radius);
        painter_.restore();
    }

private:
    QPainter& painter_;
};

} // namespace

QPoint UpperTerminal(const Mosfet& mosfet)
{
    return mosfet.gate + QPoint(12, -6);
}
QPoint LowerTerminal(const Mosfet& mosfet)
{
    return mosfet.gate + QPoint(12, 6);
}

QPoint FirstTerminal(const Resistor& resistor)
{
    return resistor.orientation == Qt::Horizontal
               ? resistor.centre - QPoint(kResistorLength / 2, 0)
               : resistor.centre - QPoint(0, kResistorLength / 2);
}

QPoint SecondTerminal(const Resistor& resistor)
{
    return resistor.orientation == Qt::Horizontal
               ? resistor.centre + QPoint(kResistorLength / 2, 0)
               : resistor.centre + QPoint(0, kResistorLength / 2);
}

QPoint PlusInput(const Comparator& comparator)
{
    return comparator.output + QPoint(24, -7);
}
QPoint MinusInput(const Comparator& comparator)
{
    return comparator.output + QPoint(24, 7);
}

QPoint DriverOutput(const GateDriver& driver)
{
    return driver.input + QPoint(driver.inverting ? 26 : 20, 0);
}

QColor BackgroundColor()
{
    return {0xCC, 0xFF, 0xCC};
}
QColor InkColor()
{
    return {0x10, 0x28, 0x10};
}

void Paint(QPainter& painter, const std::vector<Component>& components)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(InkColor(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.setFont(LabelFont());
    const PrimitivePainter paintOne(painter);
    for (const Component& component : components) {
        for (const Primitive& primitive : component.primitives) {
            std::visit(paintOne, primitive);
        }
    }
    painter.restore();
}

} // namespace ui::schematic
