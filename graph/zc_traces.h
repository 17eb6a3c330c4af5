#pragma once

#include "engine/channels.h"
#include "engine/crossing_detector.h"
#include "engine/sample.h"
#include "engine/sample_window.h"
#include "engine/zero_crossing.h"
#include "graph/canvas.h"
#include "graph/plot_mapping.h"

#include <array>
#include <optional>
#include <vector>

// The comparator outputs of the three phases as digital traces under one another, with the
// floating intervals shaded (the part the detector's blanking hides darker) and markers at the
// true and at the detected crossings. The samples are spread over x by the graph's own
// PlotMapping, so a trace's edge lies in the pixel column of the graph's edge for that sample.

namespace graph {

inline constexpr TColor kZcBackground = 0x202020;
inline constexpr TColor kZcFloatingBand = 0x404040;
inline constexpr TColor kZcBlankedBand = 0x2C2C2C;
inline constexpr TColor kZcTrueMarker = 0xFFFFFF;
inline constexpr TColor kZcDetectedMarker = 0x00FFFF;   // yellow
inline constexpr TColor kZcUndetectedMarker = 0x4040FF; // red: already switched or missed

struct ZcTraceParams {
    const engine::SampleBuffer& Run;
    const engine::ChannelSet& Result; // built for View from Run
    int View = 0;                     // 1 ... 3
    const engine::ZcTable& Table;     // the crossings of the window
    engine::SampleWindow Window;      // the graph's view window
    double BlankingDeg = 0;
    TRect Column; // the graph's plot columns (Left ... Right - 1) and the traces' rows
};

// One phase's row.
struct ZcTraceRow {
    int Top = 0;
    int Bottom = 0;
    int HighY = 0; // y of comparator output 1
    int LowY = 0;  // y of comparator output 0
    TColor Color = 0;
    std::vector<TPoint> Trace;    // a polyline of horizontal and vertical steps
    std::vector<TRect> Floating;  // the floating intervals, clipped to the column
    std::vector<TRect> Blanked;   // their blanked starts
    std::vector<int> TrueX;       // true crossings inside the column
    std::vector<int> DetectedX;   // detections inside the column
    std::vector<int> UndetectedX; // the start of looking, for crossings already switched or missed
};

struct ZcTraceLayout {
    std::array<ZcTraceRow, 3> Rows;
};

// Nothing is laid out (an empty optional) when the view has no comparators or the channels do
// not belong to the run.
std::optional<ZcTraceLayout> LayoutZcTraces(const ZcTraceParams& params);

// Where `angle` lies among the run's samples as a fractional index, by their angles, which
// rise through a full run; clamped to the run's ends.
double PositionOfAngle(const engine::SampleBuffer& run, double angle);

// Fills the column's rows and draws the layout.
void DrawZcTraces(Canvas& canvas, const ZcTraceLayout& layout, const TRect& column);

} // namespace graph
