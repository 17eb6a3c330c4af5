#include "engine/comparators.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "graph/zc_traces.h"
#include "tests/support/recording_canvas.h"

#include <QTest>

#include <set>

namespace {

struct Run {
    engine::SampleBuffer Samples;
    engine::ChannelSet Result;
    engine::OperatingPoint Op;
    int View = 2;
};

Run Emulate(int view, float duty)
{
    engine::TParams params = engine::DefaultParams();
    params[engine::PwmDuty] = duty;
    Run run;
    run.View = view;
    run.Op = engine::ComputeOperatingPoint(params, {}, -1, -0.5f);
    engine::CalcPhases(params, {}, -1, -0.5f, run.Samples);
    engine::PrepareRes(view, engine::ChannelTexts{}, '.', run.Samples, run.Result);
    return run;
}

// The x of every vertical step of a trace.
std::set<int> StepColumns(const std::vector<graph::TPoint>& trace)
{
    std::set<int> columns;
    for (std::size_t i = 1; i < trace.size(); ++i) {
        if (trace[i].x == trace[i - 1].x && trace[i].y != trace[i - 1].y)
            columns.insert(trace[i].x);
    }
    return columns;
}

} // namespace

class TestZcTraces : public QObject {
    Q_OBJECT

private slots:
    // Zoomed in to more than a pixel per sample, every comparator edge lies in the column
    // where the graph's PlotMapping puts its sample, and the markers in the columns of the
    // detection and of the true crossing; panning moves them with the window.
    void tracesFollowTheViewWindowInTheGraphsColumns()
    {
        const Run run = Emulate(2, 50);
        const graph::TRect column{57, 16, 537, 136};
        for (const engine::SampleWindow window :
             {engine::SampleWindow{1500, 300}, engine::SampleWindow{1700, 300}}) {
            const engine::ZcTable table =
                engine::AnalyseZeroCrossings(run.Samples, run.Op, run.Result, run.View, {}, window);
            const graph::ZcTraceParams params{run.Samples, run.Result, run.View, table,
                                              window,      0,          column};
            const std::optional<graph::ZcTraceLayout> layout = graph::LayoutZcTraces(params);
            QVERIFY(layout);
            const graph::PlotMapping map = graph::PlotMapping::OfView(run.Samples, window, column);
            for (int phase = 0; phase < 3; ++phase) {
                std::set<int> expected;
                for (int i = window.Start + 1; i < window.End(); ++i) {
                    const auto& rows = run.Result.ChannelRows;
                    if (engine::ComparatorOutput(run.View, phase, rows[i]) !=
                        engine::ComparatorOutput(run.View, phase, rows[i - 1]))
                        expected.insert(map.X(i));
                }
                QCOMPARE(StepColumns(layout->Rows[phase].Trace), expected);
            }
            int markers = 0;
            for (const engine::ZeroCrossing& row : table.Rows) {
                const graph::ZcTraceRow& trace = layout->Rows[row.Interval.Phase];
                if (row.Found.Status == engine::ZcStatus::Detected &&
                    map.Contains(row.Found.Index)) {
                    QVERIFY(std::count(trace.DetectedX.begin(), trace.DetectedX.end(),
                                       map.X(row.Found.Index)) == 1);
                    ++markers;
                }
                const double at = graph::PositionOfAngle(run.Samples, row.TrueAngle);
                if (at >= window.Start && at < window.End() - 1) {
                    QCOMPARE(trace.TrueX.size(), std::size_t{1});
                    QVERIFY(std::abs(trace.TrueX[0] - map.X(static_cast<int>(at))) <= 2);
                    ++markers;
                }
            }
            QVERIFY(markers > 0);
        }
    }

    // Views without comparators, and channels of another view, lay nothing out.
    void nothingWithoutComparators()
    {
        Run run = Emulate(0, 100);
        const engine::ZcTable table;
        const graph::TRect column{57, 0, 537, 120};
        QVERIFY(!graph::LayoutZcTraces({run.Samples, run.Result, 0, table, {0, 100}, 0, column}));
        QVERIFY(!graph::LayoutZcTraces({run.Samples, run.Result, 2, table, {0, 100}, 0, column}));
    }

    // The drawing stays inside the column's rows.
    void drawsInsideTheColumn()
    {
        const Run run = Emulate(1, 100);
        const engine::ZcTable table =
            engine::AnalyseZeroCrossings(run.Samples, run.Op, run.Result, 1, {});
        const graph::TRect column{57, 16, 537, 136};
        const auto layout = graph::LayoutZcTraces(
            {run.Samples, run.Result, 1, table, {0, run.Samples.SampleCount}, 5, column});
        QVERIFY(layout);
        graph::RecordingCanvas canvas;
        graph::DrawZcTraces(canvas, *layout, column);
        QVERIFY(!canvas.Commands().empty());
        const auto inside = [&column](graph::TPoint p) {
            return p.x >= column.Left - 2 && p.x <= column.Right && p.y >= column.Top &&
                   p.y <= column.Bottom;
        };
        for (const graph::CanvasCommand& command : canvas.Commands()) {
            if (command.What == graph::CanvasCommand::Kind::FillRect) {
                QVERIFY(inside({command.Rect.Left, command.Rect.Top}));
                QVERIFY(inside({command.Rect.Right, command.Rect.Bottom}));
            } else {
                QVERIFY(inside(command.To));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestZcTraces)
#include "tst_zc_traces.moc"
