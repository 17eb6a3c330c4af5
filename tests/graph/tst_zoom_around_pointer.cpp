#include "graph/graph_axes.h"
#include "graph/view_window.h"
#include "graph/zoom_around_pointer.h"

#include <QTest>

#include <cstdlib>

using namespace graph;

namespace {

constexpr int kWidth = 480;

bool AlwaysDiffer(int, int)
{
    return true;
}

int OffsetOf(int j, int len)
{
    const auto px = static_cast<float>(static_cast<long double>(kWidth) / len);
    return graph::RoundPx(static_cast<long double>(j) * px);
}

// The zoom by 2 around `sample` with the pointer at `offset` pixels into column 1.
engine::SampleWindow Zoom(engine::SampleWindow window, int count, int sample, int offset,
                          graph::ZoomDirection direction)
{
    return graph::ZoomAroundPointer(window, count, {sample, offset, kWidth}, direction,
                                    AlwaysDiffer);
}

} // namespace

class ZoomAroundPointerTest : public QObject {
    Q_OBJECT

private slots:
    void theSampleUnderThePointerStaysPut_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("sample");
        QTest::addColumn<bool>("in");
        QTest::newRow("in, whole run") << 0 << 4326 << 2100 << true;
        QTest::newRow("in, a sample per 10 pixels") << 1000 << 96 << 1030 << true;
        QTest::newRow("in, odd length") << 1000 << 4001 << 3777 << true;
        QTest::newRow("out") << 1500 << 1000 << 1700 << false;
        QTest::newRow("out, few samples") << 2000 << 12 << 2003 << false;
    }

    void theSampleUnderThePointerStaysPut()
    {
        QFETCH(int, start);
        QFETCH(int, len);
        QFETCH(int, sample);
        QFETCH(bool, in);
        const int count = 10000;
        const int offset = OffsetOf(sample - start, len);
        const engine::SampleWindow zoomed =
            Zoom({start, len}, count, sample, offset,
                 in ? graph::ZoomDirection::In : graph::ZoomDirection::Out);
        QCOMPARE(zoomed.Len, in ? len / 2 : 2 * len);
        // No other start puts the sample nearer to the pointer.
        const int moved = std::abs(OffsetOf(sample - zoomed.Start, zoomed.Len) - offset);
        for (int j = 0; j < zoomed.Len; ++j)
            QVERIFY2(std::abs(OffsetOf(j, zoomed.Len) - offset) >= moved,
                     qPrintable(QString::number(j)));
        QVERIFY(moved <= kWidth / zoomed.Len / 2 + 1);
    }

    void lengthsAndLimitsAreTheButtons()
    {
        const int count = 4000;
        const engine::SampleWindow whole{0, count};
        // Zooming out of the whole run changes nothing; out of a half, to the whole run.
        QCOMPARE(Zoom(whole, count, 1234, 148, graph::ZoomDirection::Out), whole);
        QCOMPARE(Zoom({1000, 2000}, count, 1500, 120, graph::ZoomDirection::Out), whole);
        // Down to the buttons' last step, not below two samples.
        engine::SampleWindow window = whole;
        engine::SampleWindow buttons = whole;
        for (int i = 0; i < 20; ++i) {
            window = Zoom(window, count, window.Start + window.Len / 3,
                          OffsetOf(window.Len / 3, window.Len), graph::ZoomDirection::In);
            buttons = graph::ZoomIn(buttons, count, AlwaysDiffer);
        }
        QCOMPARE(window.Len, buttons.Len);
        QVERIFY(window.Len >= 2);
        // Where the buttons refuse for want of two different angles, so does the wheel.
        const auto sameAngles = [](int, int) { return false; };
        QCOMPARE(graph::ZoomAroundPointer({100, 64}, count, {120, 150, kWidth},
                                          graph::ZoomDirection::In, sameAngles),
                 (engine::SampleWindow{100, 64}));
    }

    void theWindowStaysInsideTheRun()
    {
        const int count = 4000;
        // Out at the run's start and end: the window is cut to the run, not centred.
        QCOMPARE(Zoom({0, 1000}, count, 900, 432, graph::ZoomDirection::Out),
                 (engine::SampleWindow{0, 2000}));
        QCOMPARE(Zoom({3000, 1000}, count, 3100, 48, graph::ZoomDirection::Out),
                 (engine::SampleWindow{2000, 2000}));
        // In at the very first and last sample.
        QCOMPARE(Zoom({0, 1000}, count, 0, 0, graph::ZoomDirection::In),
                 (engine::SampleWindow{0, 500}));
        QCOMPARE(Zoom({3000, 1000}, count, 3999, 480, graph::ZoomDirection::In),
                 (engine::SampleWindow{3500, 500}));
        // An anchor outside the window or a column without width: nothing to zoom around.
        QCOMPARE(Zoom({1000, 1000}, count, 2500, 100, graph::ZoomDirection::In),
                 (engine::SampleWindow{1000, 1000}));
        QCOMPARE(graph::ZoomAroundPointer({1000, 1000}, count, {1500, 0, 0},
                                          graph::ZoomDirection::In, AlwaysDiffer),
                 (engine::SampleWindow{1000, 1000}));
    }

    void scrollingIsClampedToTheRun()
    {
        QCOMPARE(graph::ScrollWindow({100, 500}, 4000, -250), (engine::SampleWindow{0, 500}));
        QCOMPARE(graph::ScrollWindow({100, 500}, 4000, 50), (engine::SampleWindow{150, 500}));
        QCOMPARE(graph::ScrollWindow({3000, 500}, 4000, 2000), (engine::SampleWindow{3500, 500}));
        QCOMPARE(graph::ScrollWindow({0, 4000}, 4000, 10), (engine::SampleWindow{0, 4000}));
    }
};

QTEST_GUILESS_MAIN(ZoomAroundPointerTest)
#include "tst_zoom_around_pointer.moc"
