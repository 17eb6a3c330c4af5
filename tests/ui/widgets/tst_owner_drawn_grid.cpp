#include "ui/widgets/owner_drawn_grid.h"
#include "graph/render/qpainter_canvas.h"

#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <stdexcept>
#include <utility>
#include <vector>

using namespace ui;

namespace {

// The graph grid as the window sets it up, at the window's minimum size.
void SetUpGraphGrid(OwnerDrawnGrid& grid)
{
    grid.SetColor(0x202020);
    grid.SetColCount(2);
    grid.SetDefaultRowHeight(31);
    grid.SetColWidth(0, 56);
    grid.SetRowCount(8);
    grid.SetRowHeight(0, 39);
    grid.resize(539, 470);
    grid.SetColWidth(1, grid.width() - grid.ColWidth(0) - 3);
    int rows = 0;
    for (int r = 0; r <= 6; ++r)
        rows += grid.RowHeight(r) + 1;
    grid.SetRowHeight(7, grid.height() - 4 - rows);
}

} // namespace

class TestOwnerDrawnGrid : public QObject {
    Q_OBJECT

private slots:
    void graphLayoutFitsWithoutScrollBars()
    {
        OwnerDrawnGrid grid;
        SetUpGraphGrid(grid);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.ColWidth(1), 480);
        QCOMPARE(grid.RowHeight(7), 234);
        QCOMPARE(grid.CellRect(0, 0), (graph::TRect{0, 0, 56, 39}));
        QCOMPARE(grid.CellRect(1, 0), (graph::TRect{57, 0, 537, 39}));
        QCOMPARE(grid.CellRect(0, 1), (graph::TRect{0, 40, 56, 71}));
        QCOMPARE(grid.CellRect(1, 7), (graph::TRect{57, 232, 537, 466}));
        QCOMPARE(grid.CellRect(2, 0), graph::TRect{});
        QVERIFY(grid.CellRect(1, 7).Bottom < grid.viewport()->height());
        QVERIFY(grid.CellRect(1, 7).Right <= grid.viewport()->width());
        QVERIFY(!grid.verticalScrollBar()->isVisible());
        QVERIFY(!grid.horizontalScrollBar()->isVisible());
    }

    void defaultSizesResetEveryRowAndColumn()
    {
        OwnerDrawnGrid grid;
        SetUpGraphGrid(grid);
        grid.SetDefaultRowHeight(20);
        for (int r = 0; r < grid.RowCount(); ++r)
            QCOMPARE(grid.RowHeight(r), 20);
        grid.SetDefaultColWidth(70);
        QCOMPARE(grid.ColWidth(0), 70);
        QCOMPARE(grid.ColWidth(1), 70);
        grid.SetRowCount(9);
        QCOMPARE(grid.RowHeight(8), 20);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.SetRowHeight(9, 10));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, grid.ColWidth(-1));
    }

    void repaintPaintsEveryCellFixedColumnFirst()
    {
        OwnerDrawnGrid grid;
        SetUpGraphGrid(grid);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        std::vector<std::pair<int, int>> order;
        grid.OnDrawCell = [&](graph::Canvas&, int col, int row, const graph::TRect& rect) {
            QCOMPARE(rect, grid.CellRect(col, row));
            order.emplace_back(col, row);
        };
        grid.Repaint();
        std::vector<std::pair<int, int>> expected;
        for (int r = 0; r < 8; ++r)
            for (int c = 0; c < 2; ++c)
                expected.emplace_back(c, r);
        QCOMPARE(order, expected);
    }

    // Column 1 writes its labels into column 0: nothing may clip or paint over them.
    void cellPaintingIsNotClippedToTheCell()
    {
        OwnerDrawnGrid grid;
        SetUpGraphGrid(grid);
        grid.OnDrawCell = [](graph::Canvas& canvas, int col, int row, const graph::TRect& rect) {
            canvas.SetBrushColor(0x202020);
            canvas.FillRect(rect);
            if (col == 1 && row == 3) {
                canvas.SetBrushColor(0x0000FF);
                canvas.FillRect({4, rect.Top + 8, 20, rect.Top + 12});
            }
            canvas.SetPenColor(0x808080);
            canvas.MoveTo(rect.Left, rect.Bottom);
            canvas.LineTo(rect.Right, rect.Bottom);
        };
        const QImage image = grid.viewport()->grab().toImage();
        const graph::TRect row3 = grid.CellRect(0, 3);
        QCOMPARE(image.pixelColor(10, row3.Top + 9), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(10, row3.Top + 2), graph::ToQColor(0x202020));
        // The lower edge lines lie on the grid's own lines; the line between the columns
        // stays the grid's.
        QCOMPARE(image.pixelColor(10, row3.Bottom), graph::ToQColor(0x808080));
        QCOMPARE(image.pixelColor(56, row3.Top + 5), graph::ToQColor(0x000000));
    }

    void rowsThatOverflowScrollVerticallyOnly()
    {
        OwnerDrawnGrid grid;
        SetUpGraphGrid(grid);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.SetRowHeight(7, 400);
        QTRY_VERIFY(grid.verticalScrollBar()->isVisible());
        QVERIFY(!grid.horizontalScrollBar()->isVisible());
        grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
        QVERIFY(grid.TopRow() > 1);
        QCOMPARE(grid.CellRect(1, 1), graph::TRect{});
        QCOMPARE(grid.CellRect(1, grid.TopRow()).Top, 40);
        QVERIFY(grid.CellRect(1, 7).Bottom <= grid.viewport()->height());
        grid.SetRowHeight(7, 234);
        QTRY_VERIFY(!grid.verticalScrollBar()->isVisible());
        QCOMPARE(grid.TopRow(), 1);
    }
};

QTEST_MAIN(TestOwnerDrawnGrid)
#include "tst_owner_drawn_grid.moc"
