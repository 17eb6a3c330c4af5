#include "ui/widgets/scroll_bar_adapter.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <stdexcept>
#include <vector>

using namespace ui;

// The graph scroll bar as the form leaves it: range 1 ... 1, position 1, page 1.
struct FormBar {
    QScrollBar bar{Qt::Horizontal};
    ScrollBarAdapter adapter{&bar};
    FormBar()
    {
        adapter.SetPageSize(1);
        adapter.SetParams(1, 1, 1);
        adapter.SetTag(12345);
    }
    // As the navigation leaves it for a run of 4000 samples and a window of 1000 at 1500.
    void Navigate()
    {
        adapter.SetParams(1, 1, 4000);
        adapter.SetPageSize(999);
        adapter.SetPosition(1501);
        adapter.SetLargeChange(500);
    }
};

class TestScrollBarAdapter : public QObject {
    Q_OBJECT

private slots:
    void settersKeepThePlatformsLimits()
    {
        FormBar f;
        f.adapter.SetParams(1, 1, 100);
        f.adapter.SetPageSize(100);
        f.adapter.SetPageSize(101); // larger than Max: refused
        QCOMPARE(f.adapter.PageSize(), 100);
        f.adapter.SetLargeChange(500000); // a 16-bit quantity
        QCOMPARE(f.adapter.LargeChange(), 32767);
        f.adapter.SetLargeChange(0);
        QCOMPARE(f.adapter.LargeChange(), 1);
    }

    void rangeBelowMinOrPageThrowsAndChangesNothing()
    {
        FormBar f;
        f.Navigate();
        QSignalSpy spy(&f.adapter, &ScrollBarAdapter::Change);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f.adapter.SetParams(1, 10, 9));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f.adapter.SetParams(1, 1, 998));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, f.adapter.SetMax(500));
        QCOMPARE(f.adapter.Min(), 1);
        QCOMPARE(f.adapter.Max(), 4000);
        QCOMPARE(f.adapter.Position(), 1501);
        QCOMPARE(spy.count(), 0);
    }

    void changeFiresOncePerPositionChange()
    {
        FormBar f;
        f.adapter.SetParams(1, 1, 4000);
        QSignalSpy spy(&f.adapter, &ScrollBarAdapter::Change);
        f.adapter.SetPosition(200);
        QCOMPARE(spy.count(), 1);
        f.adapter.SetPosition(200);
        QCOMPARE(spy.count(), 1);
        f.adapter.SetPosition(9999); // clamped to Max
        QCOMPARE(f.adapter.Position(), 4000);
        QCOMPARE(spy.count(), 2);
        f.adapter.SetMax(300); // the range pulls the position in
        QCOMPARE(f.adapter.Position(), 300);
        QCOMPARE(spy.count(), 3);
        f.adapter.SetParams(1, 1, 1);
        QCOMPARE(f.adapter.Position(), 1);
        QCOMPARE(spy.count(), 4);
        f.adapter.SetPageSize(1);
        f.adapter.SetParams(1, 1, 1);
        QCOMPARE(spy.count(), 4);
    }

    void qtBarShowsTheThumbOfThePage()
    {
        FormBar f;
        f.Navigate();
        QCOMPARE(f.bar.minimum(), 1);
        QCOMPARE(f.bar.maximum(), 4000 - 999 + 1);
        QCOMPARE(f.bar.pageStep(), 999);
        QCOMPARE(f.bar.value(), 1501);
        // Past the last thumb position the thumb stays at the end.
        f.adapter.SetPosition(3900);
        QCOMPARE(f.adapter.Position(), 3900);
        QCOMPARE(f.bar.value(), f.bar.maximum());
        // A page as large as the range: a single thumb position.
        f.adapter.SetPageSize(4000);
        QCOMPARE(f.bar.maximum(), 1);
    }

    void userActionsMoveByTheModelsSteps_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("expected");
        QTest::newRow("arrow right") << int(QAbstractSlider::SliderSingleStepAdd) << 1501 << 1502;
        QTest::newRow("arrow left") << int(QAbstractSlider::SliderSingleStepSub) << 1501 << 1500;
        QTest::newRow("track right") << int(QAbstractSlider::SliderPageStepAdd) << 1501 << 2001;
        QTest::newRow("track left") << int(QAbstractSlider::SliderPageStepSub) << 1501 << 1001;
        QTest::newRow("track left at the start")
            << int(QAbstractSlider::SliderPageStepSub) << 100 << 1;
        QTest::newRow("arrow beyond the thumb's end")
            << int(QAbstractSlider::SliderSingleStepAdd) << 3002 << 3003;
        QTest::newRow("track at the end")
            << int(QAbstractSlider::SliderPageStepAdd) << 3800 << 4000;
        QTest::newRow("home") << int(QAbstractSlider::SliderToMinimum) << 3800 << 1;
        QTest::newRow("end") << int(QAbstractSlider::SliderToMaximum) << 10 << 4000;
    }

    void userActionsMoveByTheModelsSteps()
    {
        QFETCH(int, action);
        QFETCH(int, start);
        QFETCH(int, expected);
        FormBar f;
        f.Navigate();
        f.adapter.SetPosition(start);
        QSignalSpy spy(&f.adapter, &ScrollBarAdapter::Change);
        f.bar.triggerAction(static_cast<QAbstractSlider::SliderAction>(action));
        QCOMPARE(f.adapter.Position(), expected);
        QCOMPARE(spy.count(), start == expected ? 0 : 1);
        QCOMPARE(f.bar.value(), std::min(expected, f.bar.maximum()));
    }

    void draggingStopsAtTheLastThumbPosition()
    {
        FormBar f;
        f.Navigate();
        QSignalSpy spy(&f.adapter, &ScrollBarAdapter::Change);
        f.bar.setSliderDown(true);
        f.bar.setSliderPosition(2500);
        QCOMPARE(f.adapter.Position(), 2500);
        f.bar.setSliderPosition(3999);
        QCOMPARE(f.adapter.Position(), 3002);
        f.bar.setSliderDown(false);
        QCOMPARE(spy.count(), 2);
    }

    void clickIntoTheTrackStepsByLargeChange()
    {
        FormBar f;
        f.bar.resize(567, 17);
        f.bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.bar));
        f.Navigate();
        f.adapter.SetPosition(1);
        QTest::mouseClick(&f.bar, Qt::LeftButton, {}, QPoint(500, 8));
        QCOMPARE(f.adapter.Position(), 501);
    }

    // A Change handler that moves the bar again (the navigation pulls a window back inside
    // the run this way): the nested change is reported, and its state is the final one.
    void handlerMayMoveThePositionAgain()
    {
        FormBar f;
        f.Navigate();
        std::vector<int> seen;
        connect(&f.adapter, &ScrollBarAdapter::Change, &f.adapter, [&] {
            seen.push_back(f.adapter.Position());
            if (f.adapter.Position() > 3002)
                f.adapter.SetPosition(3002);
        });
        f.bar.triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(f.adapter.Position(), 3002);
        QCOMPARE(f.bar.value(), 3002);
        QCOMPARE(seen, (std::vector<int>{4000, 3002}));
    }
};

QTEST_MAIN(TestScrollBarAdapter)
#include "tst_scroll_bar_adapter.moc"
