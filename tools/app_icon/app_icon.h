#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <variant>
#include <vector>

// The program's icon, described as data: a dark plate with one bridge switch trace over the
// three phase voltages, as the graph page shows them. One list of shapes gives both the
// scalable SVG and the PNG sizes of the icon theme, so they cannot drift apart.

namespace app::icon {

// The shapes' coordinates: a square of kDesignSize units, drawn at any size.
inline constexpr int kDesignSize = 256;

// The sizes of the PNG icons installed beside the SVG.
inline constexpr int kPngSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// A filled rectangle with rounded corners.
struct Plate {
    QRectF rect;
    qreal radius = 0;
    QColor fill;
};

// A stroked open polyline with round caps and joins.
struct Trace {
    std::vector<QPointF> points;
    QColor colour;
    qreal width = 1;
};

using Shape = std::variant<Plate, Trace>;

// The icon, back to front.
std::vector<Shape> IconShapes();

// The shapes as an SVG document of kDesignSize units square.
QString IconSvg(const std::vector<Shape>& shapes);

// The shapes painted, antialiased, on a transparent square of `size` pixels.
QImage IconImage(const std::vector<Shape>& shapes, int size);

} // namespace app::icon
