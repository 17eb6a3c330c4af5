#include "graph/reference_run.h"

#include "engine/format_fixed.h"
#include "graph/graph_axes.h"
#include "graph/graph_painter.h"

#include <algorithm>
#include <cmath>

namespace graph {

namespace {

// The live view's angles over the cell, as the live grid maps them: its window lies inside
// the run wherever the reference draws.
AngleAxis LiveAngles(const ReferencePaintParams& p, const TRect& cell)
{
    return PlotMapping::OfView(p.Run, p.Window, cell).Angles();
}

// The reference samples whose angle lies in the live view, as [first, last).
std::pair<std::size_t, std::size_t> InSpan(const std::vector<engine::TSampleRec>& samples,
                                           const AngleAxis& span)
{
    const auto byAngle = [](const engine::TSampleRec& r, float a) { return r.Angle < a; };
    const auto first = std::lower_bound(samples.begin(), samples.end(), span.A0(), byAngle);
    const auto last =
        std::upper_bound(first, samples.end(), span.A1(),
                         [](float a, const engine::TSampleRec& r) { return a < r.Angle; });
    return {static_cast<std::size_t>(first - samples.begin()),
            static_cast<std::size_t>(last - samples.begin())};
}

// A difference with its sign; one that rounds to zero has none.
std::string Signed(double value, int decimals, char separator)
{
    std::string text;
    engine::AppendFormatFixed(text, value, 8, decimals, separator);
    const bool zero = text.find_first_not_of("-0.,") == std::string::npos;
    return (text.front() != '-' && !zero ? "+" : "") + text;
}

void DrawSwitchRow(Canvas& canvas, const ReferencePaintParams& p, const AngleAxis& span, int row,
                   const TRect& r)
{
    const auto& samples = p.Reference.Samples;
    const auto [first, last] = InSpan(samples, span);
    if (first == last)
        return;
    const std::size_t slot = static_cast<std::size_t>(row - 1);
    const auto level = [&](std::int32_t state) { return state != 0 ? r.Top + 4 : r.Bottom - 4; };
    canvas.SetPenColor(DimColor(kSwitchTraceColors[slot]));
    canvas.SetPenStyle(TPenStyle::psSolid);
    std::int32_t state = samples[first].Switch[slot];
    canvas.MoveTo(span.ReferenceX(samples[first].Angle), level(state));
    for (std::size_t i = first + 1; i < last; ++i) {
        const std::int32_t next = samples[i].Switch[slot];
        if (next != state) {
            const int x = span.ReferenceX(samples[i].Angle);
            canvas.LineTo(x, level(state));
            canvas.LineTo(x, level(next));
            state = next;
        }
    }
    canvas.LineTo(span.ReferenceX(samples[last - 1].Angle) + 1, level(state));
}

void DrawPlotRow(Canvas& canvas, const ReferencePaintParams& p, const AngleAxis& span,
                 const TRect& r)
{
    const ReferenceRun& ref = p.Reference;
    const auto& samples = ref.Samples;
    const auto [first, last] = InSpan(samples, span);
    const int count = std::min(ref.Result.ChannelCount, p.Result.ChannelCount);
    if (first == last || count <= 0 || ref.Result.ChannelRows.size() < last)
        return;
    const engine::TChannelDesc& range = p.Result.Channels[0];
    const PlotScale scale = ComputePlotScale(range.MinValue, range.MaxValue, r.Top, r.Bottom);
    // The scale is the live run's; a reference that leaves its range (a faster motor's larger
    // back-EMF) runs along the cell's edge rather than over the neighbouring rows.
    canvas.SetPenStyle(TPenStyle::psSolid);
    for (std::size_t ch = 0; ch < static_cast<std::size_t>(count); ++ch) {
        canvas.SetPenColor(DimColor(ref.Result.Channels[ch].Color));
        const auto point = [&](std::size_t i) {
            return TPoint{span.ReferenceX(samples[i].Angle),
                          std::clamp(scale.Y(ref.Result.ChannelRows[i][ch]), r.Top, r.Bottom - 1)};
        };
        const TPoint start = point(first);
        canvas.MoveTo(start.x, start.y);
        std::vector<TPoint> points;
        points.reserve(last - first);
        for (std::size_t i = first + 1; i < last; ++i)
            points.push_back(point(i));
        canvas.PolylineTo(points);
    }
}

} // namespace

ReferenceRun HoldReference(const engine::SampleBuffer& run, const engine::ChannelSet& result,
                           int view, const engine::RunSummary& summary,
                           std::optional<engine::ZcSummary> zc)
{
    const auto count = static_cast<std::size_t>(std::clamp<std::int64_t>(
        run.SampleCount, 0, static_cast<std::int64_t>(run.Samples.size())));
    ReferenceRun ref;
    ref.Samples.assign(run.Samples.begin(),
                       run.Samples.begin() + static_cast<std::ptrdiff_t>(count));
    ref.Result.Channels = result.Channels;
    ref.Result.ChannelCount = result.ChannelCount;
    const std::size_t rows = std::min(count, result.ChannelRows.size());
    ref.Result.ChannelRows.assign(result.ChannelRows.begin(),
                                  result.ChannelRows.begin() + static_cast<std::ptrdiff_t>(rows));
    ref.View = view;
    ref.Summary = summary;
    ref.Zc = zc;
    return ref;
}

bool ReferenceDrawsIn(const ReferencePaintParams& p, int col, int row)
{
    if (col != 1 || row < 1 || row > 7 || (row == 7 && p.View != p.Reference.View))
        return false;
    if (p.Window.Start < 0 || p.Window.Len < 2 || p.Window.End() > p.Run.SampleCount ||
        static_cast<std::uint64_t>(p.Window.End()) > p.Run.Samples.size())
        return false;
    const AngleAxis span = LiveAngles(p, {});
    return span.A1() > span.A0() && std::isfinite(span.A1() - span.A0()) &&
           !p.Reference.Samples.empty();
}

void DrawReferenceCell(Canvas& canvas, const ReferencePaintParams& params, int col, int row,
                       const TRect& rect)
{
    if (!ReferenceDrawsIn(params, col, row))
        return;
    const AngleAxis span = LiveAngles(params, rect);
    if (row <= 6)
        DrawSwitchRow(canvas, params, span, row, rect);
    else
        DrawPlotRow(canvas, params, span, rect);
}

engine::TColor DimColor(engine::TColor color)
{
    engine::TColor out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const engine::TColor channel = (color >> shift) & 0xFF;
        const engine::TColor grid = (kGridColor >> shift) & 0xFF;
        out |= ((channel + grid) / 2) << shift;
    }
    return out;
}

std::string ReferenceComparisonText(const engine::RunSummary& live,
                                    const engine::RunSummary& reference, char separator)
{
    const double rpmDiff = std::nearbyint(live.Rpm) - std::nearbyint(reference.Rpm);
    return "Reference: " + engine::RunSummaryText(reference, separator) +
           "\nlive - reference: RPM " + Signed(rpmDiff, 0, separator) + ", timing " +
           Signed(static_cast<double>(live.Timing) - reference.Timing, 1, separator) + " deg";
}

void DrawGraphCellWithReference(Canvas& canvas, const GraphPaintParams& live,
                                const HeldReference& reference, int col, int row,
                                const TRect& rect)
{
    if (reference.Run != nullptr) {
        const ReferencePaintParams under{.Reference = *reference.Run,
                                         .Run = live.Run,
                                         .Result = live.Result,
                                         .Window = live.View,
                                         .View = reference.LiveView};
        if (ReferenceDrawsIn(under, col, row)) {
            // The reference goes on the bare cell, and the live painter over it without its
            // own fill of the cell.
            canvas.SetBrushColor(kGridColor);
            canvas.FillRect(rect);
            DrawReferenceCell(canvas, under, col, row, rect);
            CellUnderlay over(canvas, rect);
            DrawGraphCell(over, live, col, row, rect);
            return;
        }
    }
    DrawGraphCell(canvas, live, col, row, rect);
}

void CellUnderlay::FillRect(const TRect& rect)
{
    if (rect != cell_)
        target_.FillRect(rect);
}

} // namespace graph
