// The graph grid's one layout and paint order, which the window's grid and every picture of it
// share.
#include "graph/graph_grid.h"
#include "graph/paint_summaries.h"
#include "tests/support/recording_canvas.h"

#include <QTest>

#include <utility>
#include <vector>

class TestGraphGrid : public QObject {
    Q_OBJECT

private slots:
    void theGraphGridFillsItsOuterSize()
    {
        const graph::GridLayout layout = graph::LayoutGraphGrid(graph::kDefaultGridSize);
        QCOMPARE(layout.ColWidths, (std::vector<int>{56, 480}));
        QCOMPARE(layout.RowHeights, (std::vector<int>{39, 31, 31, 31, 31, 31, 31, 234}));
        QCOMPARE(layout.CellRect(1, 7), (graph::TRect{57, 232, 537, 466}));
        QCOMPARE(layout.Width, 537);
        // Too small for the fixed rows: row 7 and column 1 shrink to nothing, never below.
        const graph::GridLayout tiny = graph::LayoutGraphGrid({40, 100});
        QCOMPARE(tiny.ColWidths[1], 0);
        QCOMPARE(tiny.RowHeights[7], 0);
    }

    // Lines before cells, cells row by row with column 0 first, rows scrolled away skipped and
    // nothing below the inside's height.
    void paintsLinesThenCellsRowByRow()
    {
        graph::GridLayout layout{.ColWidths = {10, 20},
                                 .RowHeights = {5, 5, 5, 5},
                                 .FixedRows = 1,
                                 .TopRow = 2,
                                 .Width = 32,
                                 .Height = 12};
        QCOMPARE(layout.CellRect(1, 1), graph::TRect{});
        QCOMPARE(layout.CellRect(1, 2), (graph::TRect{11, 6, 31, 11}));
        graph::RecordingCanvas canvas;
        std::vector<std::pair<int, int>> cells;
        graph::PaintGrid(canvas, layout, 0x123456,
                         [&](graph::Canvas& target, int col, int row, const graph::TRect&) {
                             QCOMPARE(&target, static_cast<graph::Canvas*>(&canvas));
                             cells.emplace_back(col, row);
                         });
        QCOMPARE(cells, (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {0, 2}, {1, 2}}));
        const auto& commands = canvas.Commands();
        QVERIFY(commands.front().What == graph::CanvasCommand::Kind::FillRect);
        QCOMPARE(commands.front().Brush, engine::TColor{0x123456});
        // Two column lines and one line under each of the three rows in view.
        QCOMPARE(canvas.Only(graph::CanvasCommand::Kind::LineTo).size(), std::size_t{5});
    }

    // A picture's paint builds only the summaries its caller lacks or holds for other data.
    void summariesAreBuiltOnlyWhereMissingOrStale()
    {
        engine::SampleBuffer run;
        run.Samples.resize(4);
        run.SampleCount = 4;
        run.Samples[2].Switch[0] = 1;
        engine::ChannelSet result;
        result.ChannelCount = 1;
        result.ChannelRows.resize(4);
        const graph::GraphPaintParams bare = graph::MakeGraphPaintParams(run, result, {0, 4}, "");
        graph::PaintSummaries summaries;
        const graph::GraphPaintParams built = summaries.Complete(bare);
        QVERIFY(built.Edges->Describe(run) && built.Envelope->Describe(result));
        QCOMPARE(built.Edges->Of(0), (std::vector<std::int32_t>{2, 3}));
        graph::PaintSummaries other;
        const graph::GraphPaintParams kept = other.Complete(built);
        QCOMPARE(kept.Edges, built.Edges);
        QCOMPARE(kept.Envelope, built.Envelope);
        result.ChannelRows.resize(8); // other rows: the envelope no longer describes them
        QVERIFY(other.Complete(built).Envelope != built.Envelope);
    }
};

QTEST_MAIN(TestGraphGrid)
#include "tst_graph_grid.moc"
