// Where the readout opens: never over the main window while any side of it has room.
#include "ui/graph_page/readout_placement.h"
#include "ui/graph_page/readout_window.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

using ui::PlaceReadout;

namespace {

// The main window as it opens (client 782 x 529 at 187, 110) under a typical decoration.
const QMargins kDecoration(1, 22, 1, 1);
const QRect kOwnerFrame = QRect(187, 110, 782, 529).marginsAdded(kDecoration);
// The readout with both cursors and the pointer in the view of the default run.
const QSize kReadout(400, 610);
const QSize kReadoutFrame = kReadout.grownBy(kDecoration);

QRect FrameOf(const QRect& client)
{
    return client.marginsAdded(kDecoration);
}

} // namespace

class ReadoutPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void aSideWithRoomTakesTheWholeReadout_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QPoint>("frameTopLeft");
        const QRect owner = kOwnerFrame;
        QTest::newRow("right") << QRect(0, 0, 1920, 1080) << owner
                               << QPoint(owner.right() + 1, owner.top());
        QTest::newRow("left") << QRect(0, 0, 1920, 1080) << owner.translated(600, 0)
                              << QPoint(owner.left() + 600 - kReadoutFrame.width(), owner.top());
        QTest::newRow("below") << QRect(0, 0, 1280, 1400) << owner
                               << QPoint(owner.left(), owner.bottom() + 1);
        QTest::newRow("above") << QRect(0, 0, 1280, 1400) << owner.translated(0, 700)
                               << QPoint(owner.left(), owner.top() + 700 - kReadoutFrame.height());
    }

    void aSideWithRoomTakesTheWholeReadout()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, owner);
        QFETCH(QPoint, frameTopLeft);
        const QRect client = PlaceReadout({owner, kReadout, kDecoration, screen, 15});
        QCOMPARE(client.size(), kReadout);
        QCOMPARE(FrameOf(client).topLeft(), frameTopLeft);
        QVERIFY(!FrameOf(client).intersects(owner));
        QVERIFY(screen.contains(FrameOf(client)));
    }

    void onA1280By1024ScreenItHidesNothingOfTheWindow()
    {
        // Neither side nor below holds it whole: below, full width, the rest scrolls.
        const QRect screen(0, 0, 1280, 1024);
        const QRect client = PlaceReadout({kOwnerFrame, kReadout, kDecoration, screen, 15});
        const QRect frame = FrameOf(client);
        QVERIFY(!frame.intersects(kOwnerFrame));
        QVERIFY(screen.contains(frame));
        QCOMPARE(frame.top(), kOwnerFrame.bottom() + 1);
        QCOMPARE(client.width(), kReadout.width() + 15); // room for the vertical scroll bar
        QCOMPARE(frame.bottom(), screen.bottom());
        // Anywhere the window is moved to with room for a small readout on some side.
        for (int x = 0; x + kOwnerFrame.width() <= screen.width(); x += 37)
            for (int y = 0; y + kOwnerFrame.height() <= screen.height(); y += 41) {
                const QRect owner(QPoint(x, y), kOwnerFrame.size());
                const QRect placed =
                    FrameOf(PlaceReadout({owner, kReadout, kDecoration, screen, 15}));
                QVERIFY2(!placed.intersects(owner), qPrintable(QString("%1, %2").arg(x).arg(y)));
                QVERIFY(screen.contains(placed));
            }
    }

    void withNoRoomAnywhereItStaysOnTheScreen()
    {
        const QRect screen(0, 0, 1280, 1024);
        const QRect client =
            PlaceReadout({screen.adjusted(10, 10, -10, -10), kReadout, kDecoration, screen, 15});
        QVERIFY(screen.contains(FrameOf(client)));
        QCOMPARE(client.size(), kReadout);
    }

    void theUsersPlaceIsKeptForTheRun()
    {
        QWidget owner;
        owner.setGeometry(20, 20, 200, 150);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        ui::ReadoutWindow readout(&owner);
        readout.SetTable({});
        readout.ShowBesideOwner();
        const QRect first = readout.geometry();
        QVERIFY(!first.intersects(owner.frameGeometry()));

        // Not moved by the user: it follows the main window.
        readout.hide();
        const QPoint from = owner.frameGeometry().topLeft();
        owner.move(40, 30);
        readout.ShowBesideOwner();
        QCOMPARE(readout.geometry().topLeft(),
                 first.topLeft() + owner.frameGeometry().topLeft() - from);

        // Moved by the user: it opens there again, wherever the main window went.
        readout.move(500, 400);
        const QPoint moved = readout.geometry().topLeft();
        readout.hide();
        owner.move(60, 60);
        readout.ShowBesideOwner();
        QCOMPARE(readout.geometry().topLeft(), moved);
    }
};

QTEST_MAIN(ReadoutPlacementTest)
#include "tst_readout_placement.moc"
