#pragma once

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/run_summary.h"
#include "engine/sample.h"
#include "engine/sample_window.h"
#include "graph/canvas.h"
#include "graph/graph_paint_params.h"
#include "engine/zero_crossing.h"

#include <optional>
#include <string>
#include <vector>

// A run held for comparison: its samples, the channels of the view they were shown in and
// its summary. Later runs draw it under their own traces, matched by angle so that runs of
// different length (another duty, another speed) line up.

namespace graph {

struct ReferenceRun {
    std::vector<engine::TSampleRec> Samples; // only the run's valid records
    engine::ChannelSet Result;
    int View = 0; // the view Result was built for
    engine::RunSummary Summary;
    // The comparators' crossings over the whole run with the default detector; nothing for a
    // view without comparators or a single-angle run.
    std::optional<engine::ZcSummary> Zc;
};

// A copy of the first SampleCount records and their channel rows: one run is bounded by the
// longest run the emulation admits, so one reference is too.
ReferenceRun HoldReference(const engine::SampleBuffer& run, const engine::ChannelSet& result,
                           int view, const engine::RunSummary& summary,
                           std::optional<engine::ZcSummary> zc = std::nullopt);

// What one paint of the reference reads besides the reference itself.
struct ReferencePaintParams {
    const ReferenceRun& Reference;
    const engine::SampleBuffer& Run;  // the live run, whose view window sets the angle scale
    const engine::ChannelSet& Result; // the live channels, whose range sets the value scale
    engine::SampleWindow Window;      // the live view window
    int View = 0; // the live view: row 7 shows the reference only for the same view
};

// True when the reference has something to draw in cell (col, row): column 1, the switch rows
// and row 7, and a live view window of at least two samples spanning some angle.
bool ReferenceDrawsIn(const ReferencePaintParams& params, int col, int row);

// Draws the reference's part of cell (col, row), dimmed, on a cell already filled with the
// grid colour. Switch levels and channel values share the live traces' levels and scale.
void DrawReferenceCell(Canvas& canvas, const ReferencePaintParams& params, int col, int row,
                       const TRect& rect);

// A dimmed colour: halfway to the grid colour, so it reads as a shadow of the live one.
engine::TColor DimColor(engine::TColor color);

// Two lines: "Reference: RPM = 6946;   Timing = 12.5 deg" and
// "live - reference: RPM +6946, timing +12.5 deg".
std::string ReferenceComparisonText(const engine::RunSummary& live,
                                    const engine::RunSummary& reference, char separator);

// A held reference and the live view it is drawn in; no reference: the live graph alone.
struct HeldReference {
    const ReferenceRun* Run = nullptr;
    int LiveView = 0;
};

// One cell of the graph: the live painter's, with the reference underneath where it has
// something to draw. The window's grid, its PNG and bldc-emu's --png all paint this way.
void DrawGraphCellWithReference(Canvas& canvas, const GraphPaintParams& live,
                                const HeldReference& reference, int col, int row,
                                const TRect& rect);

// Passes every operation on except the fill of one rectangle: the live painter's fill of a
// cell on which the reference has already been drawn.
class CellUnderlay : public Canvas {
public:
    CellUnderlay(Canvas& target, const TRect& cell) : target_(target), cell_(cell) {}

    void SetBrushColor(TColor color) override { target_.SetBrushColor(color); }
    void SetPenColor(TColor color) override { target_.SetPenColor(color); }
    void SetPenStyle(TPenStyle style) override { target_.SetPenStyle(style); }
    void SetFontColor(TColor color) override { target_.SetFontColor(color); }
    void FillRect(const TRect& rect) override;
    void MoveTo(int x, int y) override { target_.MoveTo(x, y); }
    void LineTo(int x, int y) override { target_.LineTo(x, y); }
    void PolylineTo(const std::vector<TPoint>& points) override { target_.PolylineTo(points); }
    void TextOut(int x, int y, const std::string& text) override { target_.TextOut(x, y, text); }
    TSize TextExtent(const std::string& text) override { return target_.TextExtent(text); }
    int TextHeight(const std::string& text) override { return target_.TextHeight(text); }

private:
    Canvas& target_;
    TRect cell_;
};

} // namespace graph
