#include "tools/app_icon/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <cmath>
#include <numbers>

namespace app::icon {

namespace {

// The graph's phase colours, lightened to stand out on the dark plate.
const QColor kPlate(0x1f, 0x2d, 0x3d);
const QColor kSwitch(0xf2, 0xf2, 0xf2);
const QColor kPhaseColours[] = {QColor(0xff, 0x4d, 0x4d), QColor(0x4c, 0xd9, 0x4c),
                                QColor(0x5c, 0x9d, 0xff)};

constexpr qreal kLeft = 44;
constexpr qreal kRight = 212;

// One period of the voltage of phase A, B or C (0, 1, 2), each a third of a period behind the
// one before.
Trace PhaseTrace(int phase)
{
    constexpr int kSteps = 48;
    constexpr qreal kMiddle = 162;
    constexpr qreal kAmplitude = 40;
    Trace trace{{}, kPhaseColours[phase], 12};
    for (int i = 0; i <= kSteps; ++i) {
        const qreal turn = static_cast<qreal>(i) / kSteps;
        const qreal angle = 2 * std::numbers::pi * (turn - phase / 3.0);
        trace.points.emplace_back(kLeft + turn * (kRight - kLeft),
                                  kMiddle - kAmplitude * std::sin(angle));
    }
    return trace;
}

// Phase A's high-side switch in six-step commutation: on from 30 to 150 degrees, around the
// crest of the phase's voltage.
Trace SwitchTrace()
{
    constexpr qreal kHigh = 52;
    constexpr qreal kLow = 88;
    constexpr qreal kOn = kLeft + (kRight - kLeft) * 30 / 360;
    constexpr qreal kOff = kLeft + (kRight - kLeft) * 150 / 360;
    return Trace{
        {{kLeft, kLow}, {kOn, kLow}, {kOn, kHigh}, {kOff, kHigh}, {kOff, kLow}, {kRight, kLow}},
        kSwitch,
        10};
}

// Plain decimal text, whatever the locale.
QString Number(qreal value)
{
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith('0')) {
        text.chop(1);
    }
    if (text.endsWith('.')) {
        text.chop(1);
    }
    return text == "-0" ? QStringLiteral("0") : text;
}

QString SvgElement(const Plate& plate)
{
    return QString("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
        .arg(Number(plate.rect.x()), Number(plate.rect.y()), Number(plate.rect.width()),
             Number(plate.rect.height()), Number(plate.radius), plate.fill.name());
}

QString SvgElement(const Trace& trace)
{
    QStringList points;
    for (const QPointF& point : trace.points) {
        points << Number(point.x()) + ',' + Number(point.y());
    }
    return QString("  <polyline points=\"%1\" fill=\"none\" stroke=\"%2\" stroke-width=\"%3\" "
                   "stroke-linecap=\"round\" stroke-linejoin=\"round\"/>\n")
        .arg(points.join(' '), trace.colour.name(), Number(trace.width));
}

void Paint(QPainter& painter, const Plate& plate)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(plate.fill);
    painter.drawRoundedRect(plate.rect, plate.radius, plate.radius);
}

void Paint(QPainter& painter, const Trace& trace)
{
    painter.setPen(QPen(trace.colour, trace.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(trace.points.data(), static_cast<int>(trace.points.size()));
}

} // namespace

std::vector<Shape> IconShapes()
{
    return {Plate{QRectF(16, 16, 224, 224), 44, kPlate}, SwitchTrace(), PhaseTrace(0),
            PhaseTrace(1), PhaseTrace(2)};
}

QString IconSvg(const std::vector<Shape>& shapes)
{
    QString svg = QString("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                          "viewBox=\"0 0 %1 %1\">\n")
                      .arg(kDesignSize);
    for (const Shape& shape : shapes) {
        svg += std::visit([](const auto& item) { return SvgElement(item); }, shape);
    }
    return svg + "</svg>\n";
}

QImage IconImage(const std::vector<Shape>& shapes, int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(static_cast<qreal>(size) / kDesignSize, static_cast<qreal>(size) / kDesignSize);
    for (const Shape& shape : shapes) {
        std::visit([&painter](const auto& item) { Paint(painter, item); }, shape);
    }
    return image;
}

} // namespace app::icon
