#include "engine/params.h"
#include "graph/graph_paint_params.h"
#include "graph/graph_painter.h"
#include "graph/reference_run.h"
#include "tests/support/recording_canvas.h"

#include <QTest>

#include <set>

using graph::CanvasCommand;

namespace {

constexpr graph::TRect kSwitchCell{57, 72, 537, 103}; // row 2 at the minimum window size
constexpr graph::TRect kPlotCell{57, 264, 537, 498};

struct Run {
    engine::SampleBuffer Buffer;
    engine::ChannelSet Result;
    engine::RunSummary Summary;
};

// The default motor at `duty` percent with one timing for all duties, so that the two runs
// commutate at the same angles and only their lengths and speeds differ.
Run RunAt(float duty)
{
    engine::TParams params = engine::DefaultParams();
    params[engine::PwmDuty] = duty;
    params[engine::Timing10] = params[engine::Timing100];
    Run run;
    run.Summary = engine::CalcPhases(params, {}, -1, -0.5f, run.Buffer);
    engine::PrepareRes(1, {}, '.', run.Buffer, run.Result);
    return run;
}

// The x of every vertical edge drawn in a switch row.
std::set<int> Edges(const graph::RecordingCanvas& canvas, engine::TColor pen)
{
    std::set<int> xs;
    for (const CanvasCommand& c : canvas.Only(CanvasCommand::Kind::LineTo)) {
        if (c.Pen == pen && c.From.x == c.To.x && c.From.y != c.To.y)
            xs.insert(c.To.x);
    }
    return xs;
}

} // namespace

class TestReferenceRun : public QObject {
    Q_OBJECT

private slots:
    void holdsOnlyTheRunsOwnRecords()
    {
        Run run = RunAt(100);
        const auto valid = static_cast<std::size_t>(run.Buffer.SampleCount);
        QVERIFY(run.Buffer.Samples.size() > valid); // stale room the buffer keeps
        const graph::ReferenceRun ref =
            graph::HoldReference(run.Buffer, run.Result, 1, run.Summary);
        QCOMPARE(ref.Samples.size(), valid);
        QCOMPARE(ref.Result.ChannelRows.size(), valid);
        QCOMPARE(ref.Result.ChannelCount, run.Result.ChannelCount);
        QCOMPARE(ref.View, 1);
    }

    // A run at half duty is twice as long: by sample index its edges would land at twice the
    // x; by angle they coincide with the live run's.
    void alignsRunsOfDifferentDutyByAngle()
    {
        const Run full = RunAt(100);
        const Run half = RunAt(50);
        QVERIFY(half.Buffer.SampleCount > full.Buffer.SampleCount * 3 / 2);
        const graph::ReferenceRun ref =
            graph::HoldReference(full.Buffer, full.Result, 1, full.Summary);

        const graph::ReferencePaintParams p{.Reference = ref,
                                            .Run = half.Buffer,
                                            .Result = half.Result,
                                            .Window = {0, half.Buffer.SampleCount},
                                            .View = 1};
        graph::RecordingCanvas under;
        graph::DrawReferenceCell(under, p, 1, 2, kSwitchCell);
        const std::set<int> refEdges = Edges(under, graph::DimColor(0x0000FF));
        QCOMPARE(refEdges.size(), std::size_t{2}); // LA conducts once per revolution

        graph::RecordingCanvas live;
        const graph::GraphPaintParams lp =
            graph::MakeGraphPaintParams(half.Buffer, half.Result, {0, half.Buffer.SampleCount}, "",
                                        graph::DefaultSwitchLabels());
        graph::DrawGraphCell(live, lp, 1, 2, kSwitchCell);
        const std::set<int> liveEdges = Edges(live, 0x0000FF);
        QCOMPARE(liveEdges.size(), refEdges.size());
        for (auto r = refEdges.begin(), l = liveEdges.begin(); r != refEdges.end(); ++r, ++l)
            QVERIFY2(std::abs(*r - *l) <= 1, qPrintable(QString("%1 vs %2").arg(*r).arg(*l)));

        // The plot row follows the same angles, on the live range.
        under.Clear();
        graph::DrawReferenceCell(under, p, 1, 7, kPlotCell);
        const auto lines = under.Only(CanvasCommand::Kind::LineTo);
        QVERIFY(!lines.empty());
        for (const CanvasCommand& c : lines) {
            QVERIFY(c.To.x >= kPlotCell.Left && c.To.x <= kPlotCell.Right);
            QVERIFY(c.To.y >= kPlotCell.Top && c.To.y < kPlotCell.Bottom);
        }
    }

    void drawsOnlyWhereItCanBeCompared()
    {
        const Run run = RunAt(100);
        const graph::ReferenceRun ref =
            graph::HoldReference(run.Buffer, run.Result, 1, run.Summary);
        graph::ReferencePaintParams p{.Reference = ref,
                                      .Run = run.Buffer,
                                      .Result = run.Result,
                                      .Window = {0, run.Buffer.SampleCount},
                                      .View = 1};
        QVERIFY(graph::ReferenceDrawsIn(p, 1, 1) && graph::ReferenceDrawsIn(p, 1, 7));
        QVERIFY(!graph::ReferenceDrawsIn(p, 0, 1) && !graph::ReferenceDrawsIn(p, 1, 0));
        p.View = 2; // another view's channels are not comparable
        QVERIFY(graph::ReferenceDrawsIn(p, 1, 6) && !graph::ReferenceDrawsIn(p, 1, 7));
        p.Window.Len = 1; // a single-angle run spans no angle
        QVERIFY(!graph::ReferenceDrawsIn(p, 1, 1));
        p.Window.Len = run.Buffer.SampleCount + 1; // beyond the run
        QVERIFY(!graph::ReferenceDrawsIn(p, 1, 1));
    }

    void comparesTheSummaries()
    {
        QCOMPARE(graph::ReferenceComparisonText({13891.9f, 25.0f}, {6945.9f, 12.5f}, ','),
                 std::string("Reference: RPM = 6946;   Timing = 12,5 deg\n"
                             "live - reference: RPM +6946, timing +12,5 deg"));
        QCOMPARE(graph::ReferenceComparisonText({100.2f, 2.5f}, {99.9f, 2.5f}, '.'),
                 std::string("Reference: RPM = 100;   Timing = 2.5 deg\n"
                             "live - reference: RPM 0, timing 0.0 deg"));
    }

    void underlayDropsOnlyTheCellsFill()
    {
        graph::RecordingCanvas target;
        graph::CellUnderlay under(target, kSwitchCell);
        under.FillRect(kSwitchCell);
        under.FillRect({1, 2, 3, 4});
        QCOMPARE(target.Only(CanvasCommand::Kind::FillRect).size(), std::size_t{1});
    }
};

QTEST_MAIN(TestReferenceRun)
#include "tst_reference_run.moc"
