// The graph's geometry at the ends of the float range: huge channel ranges and angle spans,
// whatever a run can leave, give a bounded grid (or none) and never overflow an integer.
#include "engine/decimal_separator.h"
#include "graph/graph_axes.h"

#include <QTest>

#include <limits>
#include <string>

using namespace graph;

namespace {

int FixedWidth(const std::string& text)
{
    return 6 * static_cast<int>(text.size());
}

constexpr float kMax = std::numeric_limits<float>::max();

} // namespace

class HardeningGraphTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    // Voltages of 1e30 V and more (the boxes admit them) put the grid's first and last line
    // numbers at the ends of 64 bits: their difference must not wrap round into a small count.
    void hugeValueRangesGiveABoundedGrid()
    {
        for (const auto& [lo, hi] :
             {std::pair{-kMax, kMax}, std::pair{-1e30f, 1e30f}, std::pair{-kMax, 0.0f},
              std::pair{0.0f, kMax}, std::pair{-1e21f, 1e21f}, std::pair{-5e6f, 5e6f}}) {
            const graph::PlotScale scale = graph::ComputePlotScale(lo, hi, 100, 500);
            const graph::ValueGrid grid =
                graph::ComputeValueGrid(scale, 57, 100, 500, FixedWidth, 13);
            QVERIFY2(grid.Lines.size() <= 100000, qPrintable(QString("%1 ... %2").arg(lo).arg(hi)));
            for (const graph::ValueLine& line : grid.Lines)
                QVERIFY(line.Y >= 100 - 1 && line.Y <= 500);
        }
    }

    void hugeAngleSpansGiveABoundedGrid()
    {
        for (const auto& [a0, a1] :
             {std::pair{-kMax, kMax}, std::pair{-0.5f, 1e30f}, std::pair{359.9999f, 360.0f},
              std::pair{1e20f, 1e20f + 1e13f}}) {
            const graph::AngleGrid grid = graph::ComputeAngleGrid(a0, a1, 57, 1500);
            QVERIFY(grid.Lines.size() <= 100001);
            const std::vector<graph::HeaderMark> marks =
                graph::PlaceAngleLabels(grid, 57, FixedWidth);
            QCOMPARE(marks.size(), grid.Lines.size());
        }
    }
};

QTEST_MAIN(HardeningGraphTest)
#include "tst_hardening_graph.moc"
