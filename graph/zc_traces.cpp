#include "graph/zc_traces.h"

#include "engine/comparators.h"

#include <algorithm>
#include <cmath>

namespace graph {

namespace {

constexpr int kRowMargin = 6;

bool InColumn(int x, const TRect& column)
{
    return x >= column.Left && x < column.Right;
}

// The span of samples first ... last (inclusive) clipped to the column, as a band of the row.
std::optional<TRect> Band(const PlotMapping& map, double first, double last, const TRect& column,
                          const ZcTraceRow& row)
{
    const int left = std::max(map.XOfPosition(first), column.Left);
    const int right = std::min(map.XOfPosition(last), column.Right);
    if (left >= right)
        return std::nullopt;
    return TRect{left, row.Top, right, row.Bottom};
}

// The comparator's levels over the window as steps. Where several edges fall into one pixel
// column, the column keeps a full-height stroke and the level it ends at; more points there
// could not change a pixel.
std::vector<TPoint> TracePoints(const ZcTraceParams& params, const PlotMapping& map, int phase,
                                const ZcTraceRow& row)
{
    std::vector<TPoint> points;
    const auto yOf = [&row](int level) { return level != 0 ? row.HighY : row.LowY; };
    const auto levelAt = [&](int i) {
        return engine::ComparatorOutput(params.View, phase,
                                        params.Result.ChannelRows[static_cast<std::size_t>(i)]);
    };
    int level = levelAt(map.First());
    points.push_back({map.X(map.First()), yOf(level)});
    for (int i = map.First() + 1; i < map.Window().End(); ++i) {
        const int next = levelAt(i);
        if (next == level)
            continue;
        level = next;
        const int x = map.X(i);
        const std::size_t n = points.size();
        if (n >= 3 && points[n - 1].x == x && points[n - 2].x == x && points[n - 3].x == x) {
            points[n - 1].y = yOf(level);
            continue;
        }
        points.push_back({x, points.back().y});
        points.push_back({x, yOf(level)});
    }
    points.push_back({map.Right(), points.back().y});
    return points;
}

} // namespace

double PositionOfAngle(const engine::SampleBuffer& run, double angle)
{
    const int count = run.SampleCount;
    if (count <= 1)
        return 0;
    const auto begin = run.Samples.begin();
    const auto end = begin + count;
    const auto above =
        std::upper_bound(begin, end, angle, [](double a, const engine::TSampleRec& s) {
            return a < static_cast<double>(s.Angle);
        });
    const int after = static_cast<int>(above - begin);
    if (after <= 0)
        return 0;
    if (after >= count)
        return count - 1;
    const double a0 = run.Samples[static_cast<std::size_t>(after - 1)].Angle;
    const double a1 = run.Samples[static_cast<std::size_t>(after)].Angle;
    return (after - 1) + (a1 > a0 ? (angle - a0) / (a1 - a0) : 0.0);
}

std::optional<ZcTraceLayout> LayoutZcTraces(const ZcTraceParams& params)
{
    const engine::SampleBuffer& run = params.Run;
    if (!engine::HasComparators(params.View) || run.SampleCount <= 0 ||
        params.Result.ChannelCount != engine::ComparatorChannelCount(params.View) ||
        params.Result.ChannelRows.size() != static_cast<std::size_t>(run.SampleCount))
        return std::nullopt;

    const TRect& column = params.Column;
    const PlotMapping map = PlotMapping::OfView(run, params.Window, column);
    ZcTraceLayout layout;
    const int height = (column.Bottom - column.Top) / 3;
    for (int phase = 0; phase < 3; ++phase) {
        ZcTraceRow& row = layout.Rows[static_cast<std::size_t>(phase)];
        row.Top = column.Top + phase * height;
        row.Bottom = row.Top + height;
        row.HighY = row.Top + kRowMargin;
        row.LowY = row.Bottom - kRowMargin;
        const int plus = engine::ComparatorInputsOf(params.View, phase).Plus;
        row.Color = params.Result.Channels[static_cast<std::size_t>(plus)].Color;
        row.Trace = TracePoints(params, map, phase, row);
    }

    for (const engine::ZeroCrossing& crossing : params.Table.Rows) {
        ZcTraceRow& row = layout.Rows[static_cast<std::size_t>(crossing.Interval.Phase)];
        const engine::FloatingInterval& interval = crossing.Interval;
        if (const auto band = Band(map, interval.First, interval.Last + 1, column, row))
            row.Floating.push_back(*band);
        const double firstAngle = run.Samples[static_cast<std::size_t>(interval.First)].Angle;
        const double looking = std::min<double>(
            PositionOfAngle(run, firstAngle + params.BlankingDeg), interval.Last + 1);
        if (params.BlankingDeg > 0) {
            if (const auto band = Band(map, interval.First, looking, column, row))
                row.Blanked.push_back(*band);
        }
        const int trueX = map.XOfPosition(PositionOfAngle(run, crossing.TrueAngle));
        if (InColumn(trueX, column))
            row.TrueX.push_back(trueX);
        if (crossing.Found.Status == engine::ZcStatus::Detected) {
            const int x = map.X(crossing.Found.Index);
            if (InColumn(x, column))
                row.DetectedX.push_back(x);
        } else {
            const int x = map.XOfPosition(looking);
            if (InColumn(x, column))
                row.UndetectedX.push_back(x);
        }
    }
    return layout;
}

void DrawZcTraces(Canvas& canvas, const ZcTraceLayout& layout, const TRect& column)
{
    canvas.SetBrushColor(kZcBackground);
    canvas.FillRect(column);
    canvas.SetPenStyle(TPenStyle::psSolid);
    for (const ZcTraceRow& row : layout.Rows) {
        canvas.SetBrushColor(kZcFloatingBand);
        for (const TRect& band : row.Floating)
            canvas.FillRect(band);
        canvas.SetBrushColor(kZcBlankedBand);
        for (const TRect& band : row.Blanked)
            canvas.FillRect(band);

        canvas.SetPenColor(row.Color);
        if (!row.Trace.empty()) {
            canvas.MoveTo(row.Trace.front().x, row.Trace.front().y);
            canvas.PolylineTo({row.Trace.begin() + 1, row.Trace.end()});
        }

        // The true crossing as a dotted line over the whole row, the detection as a solid one
        // with a head above the high level, so the two stay apart when they share a column.
        canvas.SetPenColor(kZcTrueMarker);
        canvas.SetPenStyle(TPenStyle::psDot);
        for (int x : row.TrueX) {
            canvas.MoveTo(x, row.Top + 1);
            canvas.LineTo(x, row.Bottom - 1);
        }
        canvas.SetPenStyle(TPenStyle::psSolid);
        const auto solidMarker = [&](int x, TColor color) {
            canvas.SetPenColor(color);
            canvas.SetBrushColor(color);
            canvas.MoveTo(x, row.Top + 1);
            canvas.LineTo(x, row.Bottom - 1);
            canvas.FillRect({x - 2, row.Top + 1, x + 3, row.Top + 5});
        };
        for (int x : row.DetectedX)
            solidMarker(x, kZcDetectedMarker);
        for (int x : row.UndetectedX)
            solidMarker(x, kZcUndetectedMarker);

        canvas.SetPenColor(0x606060);
        canvas.MoveTo(column.Left, row.Bottom - 1);
        canvas.LineTo(column.Right, row.Bottom - 1);
    }
}

} // namespace graph
