#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <vector>

// The picture Image1 on the circuit page: which bridge side drives each phase over the angle,
// for the 120 degree pattern (upper chart) and the 180 degree pattern (lower chart).

namespace ui {

enum class PhaseDrive { High, Low, Floating };

struct PatternSegment {
    int fromDegrees = 0;
    int toDegrees = 0;
    PhaseDrive drive = PhaseDrive::Floating;
    bool marked = true; // the pieces cut by the left edge are too narrow for their letter
};

struct PatternRow {
    QString phase;
    std::vector<PatternSegment> segments; // from the left edge to 360 degrees
};

using CommutationPattern = std::array<PatternRow, 3>;

const CommutationPattern& Pattern120();
const CommutationPattern& Pattern180();

inline constexpr QSize kCommutationChartSize{196, 111};
inline constexpr int kChartStartDegrees = -90;
inline constexpr int kChartEndDegrees = 360;

enum class ChartKind { Pattern120, Pattern180 };

// The picture column where an angle's segment starts.
int AngleToX(int degrees);
// The bar of a phase (0 = A) in a chart, bottom and right edge excluded as QRect has them.
QRect BarRect(ChartKind chart, int phase);
QColor DriveColor(PhaseDrive drive);
QString DriveMark(PhaseDrive drive);

QImage DrawCommutationPatterns();

// How the pattern drives a phase at a commutation angle (any angle; taken modulo 360).
PhaseDrive DriveAt(ChartKind chart, int phase, double degrees);
// Where an instant of the emulation lies on the charts. The bridge switches by the rotor angle
// plus the timing advance; the charts list the phases A, B, C in the order they take over as
// the chart's angle grows, while the emulation's commutation takes them in the order A, C, B.
// The instant is therefore at minus that commutation angle, modulo 360: there every row of the
// chart drives its phase as the emulation does, and the mark runs leftwards as the rotor turns.
double ChartAngle(double rotorDegrees, double timingDegrees);
// A line across `chart`'s bars at a commutation angle (and at its copy left of 0 degrees).
void MarkCommutationAngle(QImage& patterns, ChartKind chart, double degrees);
// The colour of that line.
QColor InstantColor();

} // namespace ui
