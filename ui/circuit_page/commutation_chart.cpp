#include "ui/circuit_page/commutation_chart.h"

#include <QFont>
#include <QPainter>

#include <cmath>

namespace ui {

namespace {

// 60 degrees take 24 pixels, so every boundary (all at multiples of 30 degrees) is a whole
// pixel, and -90 ... 360 degrees fit beside the phase letters with "360" still inside.
constexpr int kLeftX = 8;
constexpr int kPixelsPer30Degrees = 12;
constexpr int kBarHeight = 10;
constexpr std::array<int, 2> kChartTop{19, 69}; // beside RadioButton1 and RadioButton2
constexpr int kScaleY = 59;

QColor ChartBackground()
{
    return {0xCC, 0xFF, 0xCC};
}
QColor Ink()
{
    return {0x20, 0x20, 0x20};
}
QColor Grid()
{
    return {0x70, 0x70, 0x70};
}

QFont ChartFont()
{
    QFont font("DejaVu Sans");
    font.setPixelSize(9);
    return font;
}

const CommutationPattern& PatternOf(ChartKind chart)
{
    return chart == ChartKind::Pattern120 ? Pattern120() : Pattern180();
}

void DrawChart(QPainter& painter, ChartKind chart)
{
    const CommutationPattern& pattern = PatternOf(chart);
    for (int phase = 0; phase < static_cast<int>(pattern.size()); ++phase) {
        const PatternRow& row = pattern[static_cast<std::size_t>(phase)];
        const QRect bar = BarRect(chart, phase);
        painter.setPen(Ink());
        painter.drawText(QRect(0, bar.top(), kLeftX - 1, bar.height()), Qt::AlignCenter, row.phase);
        for (const PatternSegment& segment : row.segments) {
            const QRect piece(AngleToX(segment.fromDegrees), bar.top(),
                              AngleToX(segment.toDegrees) - AngleToX(segment.fromDegrees),
                              bar.height());
            painter.fillRect(piece, DriveColor(segment.drive));
            if (segment.marked) {
                painter.drawText(piece, Qt::AlignCenter, DriveMark(segment.drive));
            }
            painter.setPen(Grid());
            painter.drawLine(piece.topLeft(), piece.bottomLeft());
            painter.setPen(Ink());
        }
    }
    const QRect whole = BarRect(chart, 0).united(BarRect(chart, 2));
    painter.setPen(Grid());
    for (int phase = 1; phase < 3; ++phase) {
        const int y = BarRect(chart, phase).top();
        painter.drawLine(whole.left(), y, whole.right(), y);
    }
    painter.drawRect(whole.adjusted(0, 0, -1, -1));
}

void DrawScale(QPainter& painter)
{
    painter.setPen(Ink());
    const int top = BarRect(ChartKind::Pattern120, 2).bottom() + 1;
    const int bottom = BarRect(ChartKind::Pattern180, 0).top() - 1;
    for (int degrees = -60; degrees <= kChartEndDegrees; degrees += 60) {
        const int x = AngleToX(degrees);
        painter.drawLine(x, top, x, top + 2);
        painter.drawLine(x, bottom - 2, x, bottom);
        painter.drawText(QRect(x - 12, kScaleY - 6, 24, 12), Qt::AlignCenter,
                         QString::number(degrees));
    }
}

} // namespace

const CommutationPattern& Pattern120()
{
    using enum PhaseDrive;
    static const CommutationPattern pattern{{
        {"A",
         {{-90, -60, Floating, false},
          {-60, 60, High},
          {60, 120, Floating},
          {120, 240, Low},
          {240, 300, Floating},
          {300, 360, High}}},
        {"B",
         {{-90, 0, Low},
          {0, 60, Floating},
          {60, 180, High},
          {180, 240, Floating},
          {240, 360, Low}}},
        {"C",
         {{-90, -60, High, false},
          {-60, 0, Floating},
          {0, 120, Low},
          {120, 180, Floating},
          {180, 300, High},
          {300, 360, Floating}}},
    }};
    return pattern;
}

const CommutationPattern& Pattern180()
{
    using enum PhaseDrive;
    static const CommutationPattern pattern{{
        {"A", {{-90, 90, High}, {90, 270, Low}, {270, 360, High}}},
        {"B", {{-90, 30, Low}, {30, 210, High}, {210, 360, Low}}},
        {"C", {{-90, -30, High}, {-30, 150, Low}, {150, 330, High}, {330, 360, Low}}},
    }};
    return pattern;
}

PhaseDrive DriveAt(ChartKind chart, int phase, double degrees)
{
    const double turn = std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0);
    for (const PatternSegment& segment : PatternOf(chart)[static_cast<std::size_t>(phase)].segments)
        if (segment.fromDegrees <= turn && turn < segment.toDegrees)
            return segment.drive;
    return PhaseDrive::Floating;
}

double ChartAngle(double rotorDegrees, double timingDegrees)
{
    return std::fmod(std::fmod(-(rotorDegrees + timingDegrees), 360.0) + 360.0, 360.0);
}

QColor InstantColor()
{
    return {0xD0, 0x00, 0x00};
}

void MarkCommutationAngle(QImage& patterns, ChartKind chart, double degrees)
{
    QPainter painter(&patterns);
    painter.setPen(InstantColor());
    const int top = BarRect(chart, 0).top() - 2;
    const int bottom = BarRect(chart, 2).bottom() + 2;
    for (const double at : {degrees, degrees - 360.0}) {
        if (at < kChartStartDegrees || at > kChartEndDegrees)
            continue;
        const int x = kLeftX + static_cast<int>(std::lround((at - kChartStartDegrees) *
                                                            kPixelsPer30Degrees / 30.0));
        painter.drawLine(x, top, x, bottom);
    }
}

int AngleToX(int degrees)
{
    return kLeftX + (degrees - kChartStartDegrees) * kPixelsPer30Degrees / 30;
}

QRect BarRect(ChartKind chart, int phase)
{
    const int top = kChartTop[chart == ChartKind::Pattern120 ? 0 : 1] + phase * kBarHeight;
    return {AngleToX(kChartStartDegrees), top,
            AngleToX(kChartEndDegrees) - AngleToX(kChartStartDegrees) + 1, kBarHeight};
}

QColor DriveColor(PhaseDrive drive)
{
    switch (drive) {
    case PhaseDrive::High:
        return {0xFF, 0xAA, 0xAA};
    case PhaseDrive::Low:
        return {0xAA, 0xCC, 0xFF};
    case PhaseDrive::Floating:
        break;
    }
    return Qt::white;
}

QString DriveMark(PhaseDrive drive)
{
    switch (drive) {
    case PhaseDrive::High:
        return "H";
    case PhaseDrive::Low:
        return "L";
    case PhaseDrive::Floating:
        break;
    }
    return "-";
}

QImage DrawCommutationPatterns()
{
    QImage picture(kCommutationChartSize, QImage::Format_RGB32);
    picture.fill(ChartBackground());
    QPainter painter(&picture);
    painter.setFont(ChartFont());
    DrawChart(painter, ChartKind::Pattern120);
    DrawChart(painter, ChartKind::Pattern180);
    DrawScale(painter);
    painter.setPen(Ink());
    painter.drawText(QRect(0, 2, kCommutationChartSize.width(), 14), Qt::AlignCenter,
                     QString("120%1").arg(QChar(0xB0)));
    painter.drawText(QRect(0, 98, kCommutationChartSize.width(), 13), Qt::AlignCenter,
                     QString("180%1").arg(QChar(0xB0)));
    painter.end();
    return picture;
}

} // namespace ui
