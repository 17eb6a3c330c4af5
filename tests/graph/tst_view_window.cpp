#include "ui/widgets/anchor_layout.h"
#include "ui/widgets/error_report.h"
#include "graph/view_window.h"

#include <QTest>

using engine::SampleWindow;

class ViewWindowTest : public QObject {
    Q_OBJECT

    static bool Always(int, int) { return true; }

private slots:
    void zoomInTakesTheMiddleHalf()
    {
        QCOMPARE(graph::ZoomIn({0, 4000}, 4000, Always), (engine::SampleWindow{1000, 2000}));
        QCOMPARE(graph::ZoomIn({1000, 2000}, 4000, Always), (engine::SampleWindow{1500, 1000}));
        QCOMPARE(graph::ZoomIn({0, 4001}, 4001, Always), (engine::SampleWindow{1000, 2000}));
    }

    void zoomInStopsBeforeTheWindowCannotBeDrawn()
    {
        QCOMPARE(graph::ZoomIn({10, 3}, 4000, Always), (engine::SampleWindow{10, 3}));
        QCOMPARE(graph::ZoomIn({0, 1}, 1, Always), (engine::SampleWindow{0, 1}));
        QCOMPARE(graph::ZoomIn({0, 4}, 4, Always), (engine::SampleWindow{1, 2}));
        // Two samples of one angle cannot be scaled.
        const auto sameAngle = [](int, int) { return false; };
        QCOMPARE(graph::ZoomIn({0, 4000}, 4000, sameAngle), (engine::SampleWindow{0, 4000}));
    }

    void zoomOutDoublesAroundTheCentreUpToTheWholeRun()
    {
        QCOMPARE(graph::ZoomOut({1500, 1000}, 4000), (engine::SampleWindow{1000, 2000}));
        QCOMPARE(graph::ZoomOut({1000, 2000}, 4000), (engine::SampleWindow{0, 4000}));
        QCOMPARE(graph::ZoomOut({3000, 1000}, 4000), (engine::SampleWindow{2000, 2000}));
        QCOMPARE(graph::ZoomOut({200, 1000}, 4000), (engine::SampleWindow{0, 2000}));
        QCOMPARE(graph::ZoomOut({0, 4000}, 4000), (engine::SampleWindow{0, 4000}));
        // Below 10 samples nothing else clamps the window.
        QCOMPARE(graph::ZoomOut({2, 3}, 5), (engine::SampleWindow{0, 5}));
        QCOMPARE(graph::ZoomOut({0, 1}, 1), (engine::SampleWindow{0, 1}));
        QCOMPARE(graph::ZoomOut({0, 0}, 0), (engine::SampleWindow{0, 0}));
    }

    void anchoredControlsKeepTheirDistances()
    {
        const QSize design(782, 529);
        const QSize grown(1000, 700);
        // Parameter column: anchored top and right, it moves with the right edge.
        QCOMPARE(ui::AnchoredRect({732, 22, 41, 21}, design, ui::kAnchorTopRight, grown),
                 QRect(950, 22, 41, 21));
        // Page control: anchored on all sides, it grows.
        QCOMPARE(ui::AnchoredRect({4, 4, 575, 519}, design, ui::kAnchorAll, grown),
                 QRect(4, 4, 793, 690));
        QCOMPARE(
            ui::AnchoredRect({543, 396, 23, 22}, {567, 491}, ui::kAnchorBottomRight, {600, 500}),
            QRect(576, 405, 23, 22));
        QCOMPARE(ui::AnchoredRect({6, 26, 41, 19}, design, ui::kAnchorTopLeft, grown),
                 QRect(6, 26, 41, 19));
    }

    void errorBoxEndsLettersAndDigitsWithAPeriod()
    {
        QCOMPARE(ui::ErrorBoxText("Stream write error"), QString("Stream write error."));
        QCOMPARE(ui::ErrorBoxText("Value 12"), QString("Value 12."));
        QCOMPARE(ui::ErrorBoxText("Done."), QString("Done."));
        QCOMPARE(ui::ErrorBoxText("Really?"), QString("Really?."));
        QCOMPARE(ui::ErrorBoxText("Cannot create file \"/x/log.txt\""),
                 QString("Cannot create file \"/x/log.txt\""));
        QCOMPARE(ui::ErrorBoxText("(a)"), QString("(a)"));
        QCOMPARE(ui::ErrorBoxText(""), QString(""));
    }

    void guardedHandlersReportWhatEscapes()
    {
        QStringList shown;
        const ui::ErrorSink sink = [&](QWidget*, const QString& text) { shown << text; };
        ui::RunGuarded(nullptr, sink, [] { throw std::runtime_error("Stream write error"); });
        ui::RunGuarded(nullptr, sink, [] {});
        QCOMPARE(shown, QStringList{"Stream write error."});
    }
};

QTEST_MAIN(ViewWindowTest)
#include "tst_view_window.moc"
