#include "graph/graph_cursors.h"
#include "graph/graph_painter.h"
#include "tests/support/recording_canvas.h"

#include <QTest>

#include <cstdlib>
#include <vector>

using namespace graph;
using Kind = graph::CanvasCommand::Kind;

namespace {

constexpr int kL = 57;
constexpr int kR = 537;
constexpr graph::TRect kRow1{kL, 40, kR, 71};

// `count` samples over 0 ... 360 degrees; HA changes level every `period` samples.
engine::SampleBuffer Run(int count, int period)
{
    engine::SampleBuffer run;
    run.Samples.resize(static_cast<std::size_t>(count));
    run.SampleCount = count;
    for (int i = 0; i < count; ++i) {
        engine::TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
        s = {};
        s.Time = static_cast<float>(i);
        s.Angle = static_cast<float>(360.0 * i / count);
        s.Switch[0] = (i / period) % 2;
    }
    return run;
}

// The x of every vertical edge the painter draws in HA's row.
std::vector<int> PaintedEdges(const engine::SampleBuffer& run, int viewStart, int viewLen)
{
    const engine::ChannelSet result;
    const graph::GraphPaintParams params{run, result, {viewStart, viewLen}, {}, {}};
    graph::RecordingCanvas canvas;
    graph::DrawGraphCell(canvas, params, 1, 1, kRow1);
    std::vector<int> xs;
    for (const graph::CanvasCommand& c : canvas.Only(Kind::LineTo)) {
        if (c.Pen == 0x0000B0 && c.From.x == c.To.x && c.From.y != c.To.y)
            xs.push_back(c.To.x);
    }
    return xs;
}

// The mapping the cursors work with: the view as the painter draws it, if it is spread out.
std::optional<graph::PlotMapping> Spread(const engine::SampleBuffer& run, int viewStart,
                                         int viewLen)
{
    const auto mapping = graph::PlotMapping::OfView(run, {viewStart, viewLen}, kRow1);
    return mapping.Flat() ? std::nullopt : std::optional(mapping);
}

} // namespace

class GraphCursorsTest : public QObject {
    Q_OBJECT

private slots:
    void cursorLinesLieOnThePaintersEdges_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("viewStart");
        QTest::addColumn<int>("viewLen");
        QTest::newRow("whole run") << 4326 << 37 << 0 << 4326;
        // 0.5 pixels per sample: every odd sample lies on a half pixel, rounded to even.
        QTest::newRow("ties") << 2000 << 3 << 40 << 960;
        QTest::newRow("zoomed in") << 4326 << 5 << 1500 << 67;
        QTest::newRow("window cut to the run") << 500 << 7 << 300 << 400;
    }

    void cursorLinesLieOnThePaintersEdges()
    {
        QFETCH(int, count);
        QFETCH(int, period);
        QFETCH(int, viewStart);
        QFETCH(int, viewLen);
        const engine::SampleBuffer run = Run(count, period);
        const auto geometry = Spread(run, viewStart, viewLen);
        QVERIFY(geometry);
        std::vector<int> expected;
        for (int i = geometry->First() + 1; i < geometry->First() + geometry->Len(); ++i) {
            if (run.Samples[static_cast<std::size_t>(i)].Switch[0] !=
                run.Samples[static_cast<std::size_t>(i - 1)].Switch[0])
                expected.push_back(geometry->X(i));
        }
        QCOMPARE(PaintedEdges(run, viewStart, viewLen), expected);
    }

    void sampleAtSnapsToTheNearestSample()
    {
        const engine::SampleBuffer run = Run(4326, 10);
        // Ten pixels per sample: each x belongs to the sample within five pixels of it.
        const auto wide = Spread(run, 1000, 48);
        QVERIFY(wide);
        for (int i = 1000; i < 1048; ++i) {
            QCOMPARE(wide->SampleAt(wide->X(i)), i);
            QCOMPARE(wide->SampleAt(wide->X(i) + 4), i);
            if (i + 1 < 1048)
                QCOMPARE(wide->SampleAt(wide->X(i) + 6), i + 1);
        }
        QCOMPARE(wide->SampleAt(kL - 100), 1000);
        QCOMPARE(wide->SampleAt(kR + 100), 1047);

        // Nine samples per pixel: the sample lies on the pointer's column, and of those the
        // one nearest the unrounded position.
        const auto narrow = Spread(run, 0, 4326);
        QVERIFY(narrow);
        for (int x = kL; x < kR; ++x) {
            const int s = narrow->SampleAt(x);
            QCOMPARE(narrow->X(s), x);
            const double exact = (x - kL) / static_cast<double>(narrow->PxPerSample());
            QVERIFY2(std::abs(s - exact) <= 0.5 / narrow->PxPerSample() + 1,
                     qPrintable(QString::number(x)));
        }
    }

    void flatWindowsHaveNoGeometry()
    {
        engine::SampleBuffer run = Run(100, 10);
        QVERIFY(!Spread(run, 0, 1));
        QVERIFY(!Spread(run, 200, 50));
        for (auto& s : run.Samples)
            s.Angle = 5;
        QVERIFY(!Spread(run, 0, 100));

        // A buffer longer than the run: the stale records are not part of the window.
        engine::SampleBuffer stale = Run(100, 10);
        stale.SampleCount = 60;
        const auto cut = Spread(stale, 20, 80);
        QVERIFY(cut);
        QCOMPARE(cut->Len(), 40);
        QVERIFY(!cut->Contains(60));
    }

    void cursorsAreGrabbedNearTheirLines()
    {
        const engine::SampleBuffer run = Run(4326, 10);
        const auto geometry = Spread(run, 1000, 48);
        QVERIFY(geometry);
        graph::GraphCursors cursors;
        QVERIFY(!cursors.Any());
        cursors.Place(graph::CursorId::A, 1010);
        cursors.Place(graph::CursorId::B, 1011);
        const int xa = geometry->X(1010);
        QCOMPARE(cursors.Near(*geometry, xa - 4, 4), graph::CursorId::A);
        QCOMPARE(cursors.Near(*geometry, xa - 5, 4), std::nullopt);
        QCOMPARE(cursors.Near(*geometry, geometry->X(1011) + 1, 4), graph::CursorId::B);
        cursors.Place(graph::CursorId::B, 1010);
        QCOMPARE(cursors.Near(*geometry, xa, 4), graph::CursorId::A);
        // A cursor outside the window has no line to grab, whatever its x would be.
        cursors.Place(graph::CursorId::A, 900);
        cursors.Place(graph::CursorId::B, 2000);
        QCOMPARE(cursors.Near(*geometry, geometry->X(900), 1000), std::nullopt);

        cursors.Restrict(1500);
        QCOMPARE(cursors.A(), std::optional<int>(900));
        QCOMPARE(cursors.B(), std::nullopt);
    }

    void edgesAreFoundAcrossAllSwitchesWithinTheRun()
    {
        engine::SampleBuffer run = Run(50, 1000); // HA never changes
        run.Samples.resize(60);
        for (std::size_t i = 10; i < 60; ++i)
            run.Samples[i].Switch[5] = 1;
        for (std::size_t i = 25; i < 60; ++i)
            run.Samples[i].Switch[2] = 1;
        run.Samples[55].Switch[1] = 1; // stale record beyond SampleCount

        QCOMPARE(graph::NextSwitchEdge(run, -5), std::optional<int>(10));
        QCOMPARE(graph::NextSwitchEdge(run, 9), std::optional<int>(10));
        QCOMPARE(graph::NextSwitchEdge(run, 10), std::optional<int>(25));
        QCOMPARE(graph::NextSwitchEdge(run, 25), std::nullopt);
        QCOMPARE(graph::PreviousSwitchEdge(run, 1000), std::optional<int>(25));
        QCOMPARE(graph::PreviousSwitchEdge(run, 25), std::optional<int>(10));
        QCOMPARE(graph::PreviousSwitchEdge(run, 10), std::nullopt);
        run.SampleCount = 0;
        QCOMPARE(graph::NextSwitchEdge(run, -1), std::nullopt);
        QCOMPARE(graph::PreviousSwitchEdge(run, 100), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(GraphCursorsTest)
#include "tst_graph_cursors.moc"
