#include "graph/graph_painter.h"

#include "engine/decimal_separator.h"
#include "graph/channel_envelope.h"
#include "graph/graph_axes.h"
#include "graph/plot_mapping.h"
#include "graph/polyline_reducer.h"
#include "graph/switch_edges.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace graph {

namespace {

constexpr TColor kGrey = 0x808080;
constexpr int kPrefetchAhead = 128;
constexpr TColor kWhite = 0xFFFFFF;
// Below this many samples a pixel column is cheaper to walk than to look up.
constexpr int kMinEnvelopeColumn = 2 * ChannelEnvelope::kBlock;

struct CellContext {
    Canvas& canvas;
    const GraphPaintParams& params;
    const PlotMapping& map; // the view window over the cell's columns
    TRect rect;
};

// The first index in [from, to) whose column lies right of x; both mappings are monotonic.
template <class ColumnOf> int FirstRightOf(int from, int to, int x, ColumnOf&& columnOf)
{
    while (from < to) {
        const int mid = from + (to - from) / 2;
        if (columnOf(mid) <= x)
            from = mid + 1;
        else
            to = mid;
    }
    return from;
}

void DrawAngleGrid(const CellContext& c, int row)
{
    const TRect& r = c.rect;
    const AngleGrid grid = ComputeAngleGrid(c.map.Angles());
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

// The switch trace from its edges: per pixel column, the levels before and after its edges.
// The samples between edges add only points on the trace's horizontal lines, which change no
// pixel. Within one column the levels alternate, and of them the reducer keeps only the level
// before, whether the trace went back and forth, and the level after: so an even number of
// changes is kept as two and an odd number above one as three.
void AddSwitchEdges(const CellContext& c, const std::vector<std::int32_t>& edges, bool high,
                    PolylineReducer& trace)
{
    const TRect& r = c.rect;
    const auto level = [&](bool h) { return h ? r.Top + 4 : r.Bottom - 4; };
    const int end = c.map.Window().End();
    const int last = end - 1;
    auto it = std::upper_bound(edges.begin(), edges.end(), c.map.First());
    const auto stop = std::lower_bound(it, edges.end(), end);
    while (it != stop) {
        const int x = c.map.X(*it);
        const int columnEnd = FirstRightOf(*it + 1, end, x, [&](int i) { return c.map.X(i); });
        const auto next = std::lower_bound(it, stop, columnEnd);
        const auto changes = next - it;
        const int kept = changes == 1 ? 1 : changes % 2 == 0 ? 2 : 3;
        trace.Add({x, level(high)});
        for (int k = 0; k < kept; ++k) {
            high = !high;
            trace.Add({x, level(high)});
        }
        it = next;
    }
    // The last sample (a repeat of the last point when it is an edge itself).
    trace.Add({c.map.X(last), level(high)});
}

void DrawSwitchTrace(const CellContext& c, int row)
{
    const TRect& r = c.rect;
    const int index = row - 1;
    c.canvas.TextOut(4, r.Top + 8, c.params.SwitchLabels[static_cast<std::size_t>(index)]);
    c.canvas.SetPenColor(kSwitchTraceColors[static_cast<std::size_t>(index)]);
    c.canvas.SetPenStyle(TPenStyle::psSolid);
    const int yHigh = r.Top + 4;
    const int yLow = r.Bottom - 4;
    const auto level = [&](std::int32_t state) { return state != 0 ? yHigh : yLow; };

    const engine::TSampleRec* samples = c.params.Run.Samples.data() + c.map.First();
    std::int32_t p = samples[0].Switch[index];
    if (c.map.Flat()) {
        c.canvas.MoveTo(r.Left, level(p));
        c.canvas.LineTo(r.Right, level(p));
        return;
    }
    const auto xAt = [&](int i) { return c.map.X(c.map.First() + i); };
    PolylineReducer trace({r.Left, level(p)});
    const int last = c.map.Len() - 1;
    if (c.params.Edges != nullptr && c.params.Edges->Describe(c.params.Run)) {
        AddSwitchEdges(c, c.params.Edges->Of(index), p != 0, trace);
        c.canvas.MoveTo(trace.StartPoint().x, trace.StartPoint().y);
        c.canvas.PolylineTo(trace.Finish());
        return;
    }
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

// The traces column by column from the envelope. Lines between columns are drawn as before;
// within a column the samples paint every pixel between their lowest and highest y, and the
// line out of the column paints the pixel of its last sample. So a column is the same as its
// first sample, its two extremes and its last sample. The plot's y falls (or, in a cell too low
// for the scale, rises) with the value, so the extremes of the values give those of the
// pixels. The last column keeps its samples: there no line paints the last sample's pixel.
void AddEnvelopeColumns(const CellContext& c, const ChannelEnvelope& envelope,
                        const PlotScale& scale, int count,
                        std::array<PolylineReducer, engine::kMaxChannels>& traces)
{
    const engine::ChannelSet& result = c.params.Result;
    const int first = c.map.First();
    const engine::ChannelRowPointer rows = result.ChannelRows.data() + first;
    const int len = c.map.Len();
    const auto n = static_cast<std::size_t>(count);
    for (int j = 1; j < len;) {
        const int x = c.map.PlotX(j);
        const int end = FirstRightOf(j + 1, len, x, [&](int i) { return c.map.PlotX(i); });
        if (end - j >= kMinEnvelopeColumn && end < len) {
            // A NaN lies where the plot's lowest value does (Y gives both the baseline).
            const ColumnExtremes e = envelope.Extremes(result.ChannelRows.data(), count,
                                                       first + j, first + end, scale.MinValue);
            for (std::size_t slot = 0; slot < n; ++slot) {
                PolylineReducer& trace = traces[slot];
                trace.Add({x, scale.Y(rows[j][slot])});
                trace.Add({x, scale.Y(e.Hi[slot])});
                trace.Add({x, scale.Y(e.Lo[slot])});
                trace.Add({x, scale.Y(rows[end - 1][slot])});
            }
        } else {
            for (std::size_t slot = 0; slot < n; ++slot)
                for (int k = j; k < end; ++k)
                    traces[slot].Add({x, scale.Y(rows[k][slot])});
        }
        j = end;
    }
}

void AddSampleColumns(const CellContext& c, const PlotScale& scale, int count,
                      std::array<PolylineReducer, engine::kMaxChannels>& traces)
{
    const engine::ChannelRowPointer rows = c.params.Result.ChannelRows.data() + c.map.First();
    const int len = c.map.Len();
    // Column by column, and within a column channel by channel: the samples of one
    // pixel column stay in the cache while each trace takes its share of them.
    int j = 1;
    int x = j < len ? c.map.PlotX(j) : 0;
    while (j < len) {
        int end = j + 1;
        int nextX = 0;
        while (end < len && (nextX = c.map.PlotX(end)) == x)
            ++end;
        for (std::size_t slot = 0; slot < static_cast<std::size_t>(count); ++slot) {
            PolylineReducer& trace = traces[slot];
            for (int k = j; k < end; ++k)
                trace.Add({x, scale.Y(rows[k][slot])});
        }
        j = end;
        x = nextX;
    }
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
    const bool rowsCover =
        static_cast<std::int64_t>(result.ChannelRows.size()) >= c.map.Window().End();
    std::array<PolylineReducer, engine::kMaxChannels> traces;
    if (rowsCover && !c.map.Flat()) {
        const engine::ChannelRowPointer rows = result.ChannelRows.data() + c.map.First();
        for (int i = 0; i < count; ++i)
            traces[static_cast<std::size_t>(i)].Start(
                {r.Left, scale.Y(rows[0][static_cast<std::size_t>(i)])});
        const ChannelEnvelope* envelope = c.params.Envelope;
        if (envelope != nullptr && envelope->Describe(result))
            AddEnvelopeColumns(c, *envelope, scale, count, traces);
        else
            AddSampleColumns(c, scale, count, traces);
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
        if (c.map.Flat()) {
            const int y =
                scale.Y(result.ChannelRows[static_cast<std::size_t>(c.map.First())][slot]);
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

    const PlotMapping map = PlotMapping::OfView(params.Run, params.View, rect);
    const CellContext c{canvas, params, map, rect};

    canvas.SetPenColor(kGrey);
    canvas.SetPenStyle(TPenStyle::psSolid);
    canvas.MoveTo(rect.Left, rect.Bottom);
    canvas.LineTo(rect.Right, rect.Bottom);
    if (col != 1)
        return;

    canvas.SetFontColor(kWhite);
    if (row == 0)
        canvas.TextOut(rect.Left + 2, rect.Top + 2, params.HeaderText);
    if (!map.Flat())
        DrawAngleGrid(c, row);
    if (row >= 1 && row <= 6)
        DrawSwitchTrace(c, row);
    else if (row == 7)
        DrawAnalogPlot(c);
}

} // namespace graph
