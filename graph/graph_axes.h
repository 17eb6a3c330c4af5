#pragma once

#include "graph/plot_mapping.h" // AngleAxis, PlotScale, RoundPx

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The geometry of the graph's two axes, computed without a canvas: the angle grid of every
// row of column 1 with the header's labels and ticks, and the value grid of the analog plot
// with its labels. The arithmetic is the platform's: values marked single are rounded to
// float where they are stored, everything else is computed in long double; Round goes half
// to even and Trunc toward zero.

namespace graph {

// Trunc toward zero, clamped into the int64 range (a NaN gives 0).
std::int64_t TruncInt(long double value);

struct LabelFormat {
    int Precision = 0;
    int Decimals = 0;
    friend bool operator==(const LabelFormat&, const LabelFormat&) = default;
};

// The angle step in degrees for k = Trunc(single(span / n * 100)).
float AngleStep(std::int64_t k);
// The value step in volts for k2 = |Trunc(single(range / q * 100))|.
float ValueStep(std::int64_t k2);
LabelFormat AngleLabelFormat(float step);
LabelFormat ValueLabelFormat(float step);
// The first multiple of `step` at or above a0, found as the platform does: Trunc(a0 / step)
// steps, then single steps while below a0.
float FirstGridAngle(float a0, float step);

using TextWidthFn = std::function<int(const std::string&)>;

struct AngleLine {
    float Angle = 0;
    int X = 0;
    bool Solid = false; // the lines at 30 + 60 * k degrees
};

struct AngleGrid {
    float PxPerDeg = 0;
    std::int64_t K = 0;
    float Step = 0;
    // In drawing order; the last one is the first at or beyond the cell's right edge.
    // Empty when the column is narrower than 32 pixels or the span is not positive.
    std::vector<AngleLine> Lines;
};

// The angle grid of a cell from `left` to `right` (excluded) for a view from angle a0 to a1,
// its lines at the axis's GridX.
AngleGrid ComputeAngleGrid(const AngleAxis& axis);
AngleGrid ComputeAngleGrid(float a0, float a1, int left, int right);

enum class HeaderTick { Short, UnderLabel }; // 2 and 5 pixels above the lower edge

struct HeaderMark {
    AngleLine Line;
    HeaderTick Tick = HeaderTick::Short;
    std::string Label; // empty where no label is written
    int LabelX = 0;    // left edge of the label (x - half its width)
};

inline constexpr int HeaderTickHeight(HeaderTick tick)
{
    return tick == HeaderTick::Short ? 2 : 5;
}

// The labels of the header row: a label at an even multiple of the step when it starts more
// than 8 pixels right of the previous one (of L + 8 for the first). An odd multiple that
// would fit gets no label and, like every other unlabelled angle, a 2-pixel tick.
// Uses FormatFixed with the process-wide decimal separator.
std::vector<HeaderMark> PlaceAngleLabels(const AngleGrid& grid, int left,
                                         const TextWidthFn& textWidth);

struct ValueLine {
    float Value = 0;
    int Y = 0;
    bool Solid = false; // the zero line
    std::string Label;  // empty where no label is written
    int LabelX = 0;
    int LabelY = 0;
};

struct ValueGrid {
    std::int64_t K2 = 0;
    float Step = 0;
    // Empty for an empty range or a row less than 40 pixels high.
    std::vector<ValueLine> Lines;
};

// The value grid and its labels, right-aligned 4 pixels left of `left`, each at least
// textHeight + 4 pixels above the previous one. Uses FormatFixed with the process-wide
// decimal separator.
ValueGrid ComputeValueGrid(const PlotScale& scale, int left, int top, int bottom,
                           const TextWidthFn& textWidth, int textHeight);

} // namespace graph
