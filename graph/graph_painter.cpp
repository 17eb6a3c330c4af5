#include "graph/graph_painter.h"

#include "engine/decimal_separator.h"
#include "graph/graph_axes.h"
#include "graph/polyline_reducer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace graph {

namespace {

constexpr TColor kGrey = 0x808080;
constexpr int kPrefetchAhead = 128;
constexpr TColor kWhite = 0xFFFFFF;
constexpr std::array<TColor, 6> kSwitchColors = {0x0000B0, 0x0000FF, 0x00B000,
                                                 0x00FF00, 0xB00000, 0xFF0000};

// The samples the painter may read: the requested window cut to the run (and to the records
// the buffer really holds). A window outside the run shrinks to the nearest single sample.
struct Window {
    int First = 0;
    int Len = 0;
};

Window ClampWindow(const GraphPaintParams& params)
{
    const std::int64_t count = std::min<std::int64_t>(
        params.Run.SampleCount, static_cast<std::int64_t>(params.Run.Samples.size()));
    const std::int64_t begin = std::max<std::int64_t>(params.ViewStart, 0);
    const std::int64_t end =
        std::min<std::int64_t>(std::int64_t{params.ViewStart} + params.ViewLen, count);
    if (end > begin)
        return {static_cast<int>(begin), static_cast<int>(end - begin)};
    return {static_cast<int>(std::clamp<std::int64_t>(params.ViewStart, 0, count - 1)), 1};
}

// Round(value) for a value computed in double whose exact (long double) form is `exact`:
// the double result decides unless it lies so close to a tie that its rounding error
// could matter, when the long double form is evaluated as the platform does.
template <class Exact> int RoundNearTie(double approx, Exact&& exact)
{
    if (std::fabs(approx) < 1048576.0) {
        // Adding and removing 1.5 * 2^52 rounds to the nearest integer, halves to even.
        const double rounded = (approx + 6755399441055744.0) - 6755399441055744.0;
        if (std::fabs(std::fabs(approx - rounded) - 0.5) > 1e-7)
            return static_cast<int>(rounded);
    }
    return RoundPx(exact());
}

// The x of sample j of the window in the analog plot: L + Round(j * pxPerSample).
class PlotColumns {
public:
    PlotColumns(int left, float pxPerSample) : left_(left), pxPerSample_(pxPerSample) {}

    int X(int j) const
    {
        // j * pxPerSample is exact in a double as long as j stays below 2^29.
        if (j < (1 << 29)) {
            const double px = j * static_cast<double>(pxPerSample_);
            if (px < 1048576.0)
                return left_ + static_cast<int>((px + 6755399441055744.0) - 6755399441055744.0);
        }
        return left_ + RoundPx(static_cast<long double>(j) * pxPerSample_);
    }

private:
    int left_;
    float pxPerSample_;
};

struct CellContext {
    Canvas& canvas;
    const GraphPaintParams& params;
    Window window;
    TRect rect;
    float pxPerSample = 0;
    bool flat = false; // fewer than two samples, or no angle span: nothing to spread out
};

void DrawAngleGrid(const CellContext& c, int row, float a0, float a1)
{
    const TRect& r = c.rect;
    const AngleGrid grid = ComputeAngleGrid(a0, a1, r.Left, r.Right);
    if (row != 0) {
        for (const AngleLine& line : grid.Lines) {
            c.canvas.MoveTo(line.X, r.Top);
            c.canvas.SetPenStyle(line.Solid ? TPenStyle::psSolid : TPenStyle::psDot);
            c.canvas.LineTo(line.X, r.Bottom);
        }
        return;
    }
    const std::vector<HeaderMark> marks = PlaceAngleLabels(
        grid, r.Left, [&](const std::string& s) { return c.canvas.TextExtent(s).cx; });
    for (const HeaderMark& mark : marks) {
        if (!mark.Label.empty())
            c.canvas.TextOut(mark.LabelX, r.Bottom - 22, mark.Label);
        c.canvas.MoveTo(mark.Line.X, r.Bottom - HeaderTickHeight(mark.Tick));
        c.canvas.SetPenStyle(mark.Line.Solid ? TPenStyle::psSolid : TPenStyle::psDot);
        c.canvas.LineTo(mark.Line.X, r.Bottom);
    }
}

void DrawSwitchTrace(const CellContext& c, int row)
{
    const TRect& r = c.rect;
    const int index = row - 1;
    c.canvas.TextOut(4, r.Top + 8, c.params.SwitchLabels[static_cast<std::size_t>(index)]);
    c.canvas.SetPenColor(kSwitchColors[static_cast<std::size_t>(index)]);
    c.canvas.SetPenStyle(TPenStyle::psSolid);
    const int yHigh = r.Top + 4;
    const int yLow = r.Bottom - 4;
    const auto level = [&](std::int32_t state) { return state != 0 ? yHigh : yLow; };

    const engine::TSampleRec* samples = c.params.Run.Samples.data() + c.window.First;
    std::int32_t p = samples[0].Switch[index];
    if (c.flat) {
        c.canvas.MoveTo(r.Left, level(p));
        c.canvas.LineTo(r.Right, level(p));
        return;
    }
    const auto xAt = [&](int i) {
        return RoundPx(static_cast<long double>(i) * c.pxPerSample + r.Left);
    };
    PolylineReducer trace({r.Left, level(p)});
    const int last = c.window.Len - 1;
    for (int i = 1; i <= last; ++i) {
        // One record per cache line: reach ahead so that page boundaries do not stall the
        // hardware's own prefetching.
        __builtin_prefetch(&samples[std::min(i + kPrefetchAhead, last)].Switch[index]);
        const std::int32_t s = samples[i].Switch[index];
        if (s != p) {
            const int x = xAt(i);
            trace.Add({x, level(p)});
            trace.Add({x, level(s)});
            p = s;
        } else if (i == last) {
            trace.Add({xAt(i), level(s)});
        }
    }
    c.canvas.MoveTo(trace.StartPoint().x, trace.StartPoint().y);
    c.canvas.PolylineTo(trace.Finish());
}

void DrawAnalogPlot(const CellContext& c)
{
    const TRect& r = c.rect;
    const engine::ChannelSet& result = c.params.Result;
    const PlotScale scale =
        ComputePlotScale(result.Channels[0].MinValue, result.Channels[0].MaxValue, r.Top, r.Bottom);

    c.canvas.SetPenColor(kGrey);
    const int th = c.canvas.TextHeight("0.0");
    const ValueGrid grid = ComputeValueGrid(
        scale, r.Left, r.Top, r.Bottom,
        [&](const std::string& s) { return c.canvas.TextExtent(s).cx; }, th);
    for (const ValueLine& line : grid.Lines) {
        c.canvas.MoveTo(r.Left, line.Y);
        c.canvas.SetPenStyle(line.Solid ? TPenStyle::psSolid : TPenStyle::psDot);
        c.canvas.LineTo(r.Right, line.Y);
        if (!line.Label.empty())
            c.canvas.TextOut(line.LabelX, line.LabelY, line.Label);
    }
    c.canvas.SetPenStyle(TPenStyle::psSolid);
    c.canvas.SetFontColor(kWhite);

    const int count = std::clamp(result.ChannelCount, 0, engine::kMaxChannels);
    // The rows can still belong to an earlier run while a new run's window is painted (the
    // view reset repaints before the channels are rebuilt): such rows are not read.
    const bool rowsCover = static_cast<std::int64_t>(result.ChannelRows.size()) >=
                           std::int64_t{c.window.First} + c.window.Len;

    const double minValue = scale.MinValue;
    const double yScale = scale.YScale;
    const auto yOf = [&](float v) {
        return scale.Baseline + RoundNearTie((minValue - v) * yScale, [&] {
                   return (static_cast<long double>(scale.MinValue) - v) * scale.YScale;
               });
    };

    std::array<PolylineReducer, engine::kMaxChannels> traces;
    if (rowsCover && !c.flat) {
        const engine::TChannelRow* rows = result.ChannelRows.data() + c.window.First;
        for (int i = 0; i < count; ++i)
            traces[static_cast<std::size_t>(i)].Start(
                {r.Left, yOf(rows[0][static_cast<std::size_t>(i)])});
        // Column by column, and within a column channel by channel: the samples of one
        // pixel column stay in the cache while each trace takes its share of them.
        const PlotColumns columns(r.Left, c.pxPerSample);
        int j = 1;
        int x = j < c.window.Len ? columns.X(j) : 0;
        while (j < c.window.Len) {
            int end = j + 1;
            int nextX = 0;
            while (end < c.window.Len && (nextX = columns.X(end)) == x)
                ++end;
            for (std::size_t slot = 0; slot < static_cast<std::size_t>(count); ++slot) {
                PolylineReducer& trace = traces[slot];
                for (int k = j; k < end; ++k)
                    trace.Add({x, yOf(rows[k][slot])});
            }
            j = end;
            x = nextX;
        }
    }

    for (int i = 0; i < count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const engine::TChannelDesc& channel = result.Channels[slot];
        c.canvas.SetPenColor(channel.Color);
        c.canvas.MoveTo(r.Left + 4 + 80 * i, r.Top + 8);
        c.canvas.LineTo(r.Left + 18 + 80 * i, r.Top + 8);
        c.canvas.TextOut(r.Left + 20 + 80 * i, r.Top + 2, channel.Name);
        if (!rowsCover)
            continue;
        if (c.flat) {
            const int y = yOf(result.ChannelRows[static_cast<std::size_t>(c.window.First)][slot]);
            c.canvas.MoveTo(r.Left, y);
            c.canvas.LineTo(r.Right, y);
            continue;
        }
        c.canvas.MoveTo(traces[slot].StartPoint().x, traces[slot].StartPoint().y);
        c.canvas.PolylineTo(traces[slot].Finish());
    }
}

} // namespace

void DrawGraphCell(Canvas& canvas, const GraphPaintParams& params, int col, int row,
                   const TRect& rect)
{
    const engine::ScopedDecimalSeparator separator('.');
    canvas.SetBrushColor(kGridColor);
    canvas.FillRect(rect);
    if (params.Run.SampleCount <= 0 || params.Run.Samples.empty())
        return;

    const Window window = ClampWindow(params);
    const int width = rect.Right - rect.Left;
    const float a0 = params.Run.Samples[static_cast<std::size_t>(window.First)].Angle;
    const float a1 =
        params.Run.Samples[static_cast<std::size_t>(window.First + window.Len - 1)].Angle;
    CellContext c{canvas, params, window, rect};
    c.pxPerSample = static_cast<float>(static_cast<long double>(width) / window.Len);
    c.flat = window.Len < 2 || !(static_cast<long double>(a1) - a0 > 0);

    canvas.SetPenColor(kGrey);
    canvas.SetPenStyle(TPenStyle::psSolid);
    canvas.MoveTo(rect.Left, rect.Bottom);
    canvas.LineTo(rect.Right, rect.Bottom);
    if (col != 1)
        return;

    canvas.SetFontColor(kWhite);
    if (row == 0)
        canvas.TextOut(rect.Left + 2, rect.Top + 2, params.HeaderText);
    if (!c.flat)
        DrawAngleGrid(c, row, a0, a1);
    if (row >= 1 && row <= 6)
        DrawSwitchTrace(c, row);
    else if (row == 7)
        DrawAnalogPlot(c);
}

} // namespace graph
