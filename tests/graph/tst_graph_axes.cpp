// The geometry of the two axes, computed without a canvas: the step tables, the angle grid
// with the header's labels and ticks, and the value grid with its labels.
#include "engine/decimal_separator.h"
#include "graph/graph_axes.h"

#include <QTest>

#include <climits>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// The cells of the graph at the window's minimum size.
constexpr int kL = 57;
constexpr int kR = 537;
constexpr graph::TRect kPlot{kL, 232, kR, 466};

int FixedWidth(const std::string& s)
{
    return 6 * static_cast<int>(s.size());
}

} // namespace

class TestGraphAxes : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void stepTablesAtTheirBorders()
    {
        const std::vector<std::pair<int, float>> angle{
            {0, 0.01f}, {4, 0.01f}, {5, 0.05f},  {99, 0.5f},   {100, 1},
            {1499, 5},  {1500, 15}, {35999, 90}, {36000, 360}, {-3, 360}};
        for (const auto& [k, step] : angle)
            QCOMPARE(graph::AngleStep(k), step);
        const std::vector<std::pair<int, float>> value{{1, 0.01f}, {2, 0.05f}, {10, 0.1f},
                                                       {11, 0.5f}, {50, 0.5f}, {51, 1},
                                                       {2000, 20}, {2001, 50}};
        for (const auto& [k2, step] : value)
            QCOMPARE(graph::ValueStep(k2), step);
        QCOMPARE(graph::AngleLabelFormat(1), (graph::LabelFormat{3, 0}));
        QCOMPARE(graph::AngleLabelFormat(0.5f), (graph::LabelFormat{4, 1}));
        QCOMPARE(graph::AngleLabelFormat(0.1f), (graph::LabelFormat{4, 1}));
        QCOMPARE(graph::AngleLabelFormat(0.05f), (graph::LabelFormat{5, 2}));
        QCOMPARE(graph::ValueLabelFormat(1), (graph::LabelFormat{2, 0}));
        QCOMPARE(graph::ValueLabelFormat(0.5f), (graph::LabelFormat{3, 1}));
        QCOMPARE(graph::ValueLabelFormat(0.05f), (graph::LabelFormat{4, 2}));
    }

    void firstGridAngleIsTheFirstMultipleInView()
    {
        QCOMPARE(graph::FirstGridAngle(-0.5f, 15), 0.0f);
        QCOMPARE(graph::FirstGridAngle(12.34f, 0.5f), 12.5f);
        QCOMPARE(graph::FirstGridAngle(30, 15), 30.0f);
        const float g = graph::FirstGridAngle(-0.5f, 0.01f);
        QVERIFY(g >= -0.5f && g - 0.01f < -0.5f);
    }

    void fullTurnInA480PixelColumn()
    {
        const graph::AngleGrid grid = graph::ComputeAngleGrid(0, 360, kL, kR);
        QCOMPARE(grid.K, std::int64_t{2400});
        QCOMPARE(grid.Step, 15.0f);
        QCOMPARE(grid.Lines.size(), std::size_t{25});
        for (std::size_t i = 0; i < grid.Lines.size(); ++i) {
            const graph::AngleLine& line = grid.Lines[i];
            QCOMPARE(line.Angle, 15.0f * i);
            QCOMPARE(line.X, kL + static_cast<int>(std::nearbyint(line.Angle * 480.0 / 360.0)));
            const bool solidExpected = static_cast<int>(line.Angle + 30) % 60 == 0;
            QCOMPARE(line.Solid, solidExpected);
        }
        QCOMPARE(grid.Lines.back().X, kR);

        const std::vector<graph::HeaderMark> marks = graph::PlaceAngleLabels(grid, kL, FixedWidth);
        QCOMPARE(marks.size(), grid.Lines.size());
        QVERIFY(marks[0].Label.empty()); // the line at the very left edge
        QVERIFY(marks[0].Tick == graph::HeaderTick::Short);
        for (std::size_t i = 1; i < marks.size(); ++i) {
            const bool even = i % 2 == 0;
            QCOMPARE(!marks[i].Label.empty(), even);
            QVERIFY(marks[i].Tick ==
                    (even ? graph::HeaderTick::UnderLabel : graph::HeaderTick::Short));
        }
        QCOMPARE(marks[2].Label, std::string("30"));
        QCOMPARE(marks[2].LabelX, marks[2].Line.X - 6);
    }

    void headerLabelTooCloseToThePreviousGetsAShortTick()
    {
        const graph::AngleGrid grid = graph::ComputeAngleGrid(0, 360, kL, kR);
        const auto wide = [](const std::string&) { return 40; };
        const std::vector<graph::HeaderMark> marks = graph::PlaceAngleLabels(grid, kL, wide);
        // 30 at x 97 ends its room at 97 + 20 + 8; 60 at 137 would start at 117.
        QCOMPARE(marks[2].Label, std::string("30"));
        QVERIFY(marks[4].Label.empty());
        QVERIFY(marks[4].Tick == graph::HeaderTick::Short);
        QCOMPARE(marks[6].Label, std::string("90"));
    }

    void narrowColumnOrNoSpanHasNoAngleGrid()
    {
        QVERIFY(graph::ComputeAngleGrid(0, 360, 0, 31).Lines.empty());
        QVERIFY(graph::ComputeAngleGrid(5, 5, kL, kR).Lines.empty());
        QVERIFY(graph::ComputeAngleGrid(360, 0, kL, kR).Lines.empty());
        const graph::AngleGrid tiny = graph::ComputeAngleGrid(10, 10.001f, kL, kR);
        QCOMPARE(tiny.Step, 0.01f);
        QVERIFY(!tiny.Lines.empty() && tiny.Lines.back().X >= kR);
    }

    void plotRangeOfThirteenVoltsInRowSeven()
    {
        const graph::PlotScale scale = graph::ComputePlotScale(0, 13.3f, kPlot.Top, kPlot.Bottom);
        QCOMPARE(scale.Baseline, kPlot.Bottom - 12);
        QCOMPARE(scale.Y(13.3f), kPlot.Top + 20);
        const int th = 13;
        const graph::ValueGrid grid =
            graph::ComputeValueGrid(scale, kL, kPlot.Top, kPlot.Bottom, FixedWidth, th);
        QCOMPARE(grid.K2, std::int64_t{53});
        QCOMPARE(grid.Step, 1.0f);
        QCOMPARE(grid.Lines.size(), std::size_t{14});
        int previousLabel = kPlot.Bottom + th + 4;
        for (std::size_t j = 0; j < grid.Lines.size(); ++j) {
            const graph::ValueLine& line = grid.Lines[j];
            QCOMPARE(line.Value, static_cast<float>(j));
            QCOMPARE(line.Solid, j == 0);
            QCOMPARE(line.Y, scale.Y(line.Value));
            QCOMPARE(!line.Label.empty(), j % 2 == 0);
            if (line.Label.empty())
                continue;
            QCOMPARE(line.Label, std::to_string(j));
            QCOMPARE(line.LabelX + FixedWidth(line.Label), kL - 4);
            QCOMPARE(line.LabelY, line.Y - 6);
            QVERIFY(previousLabel - line.Y >= th + 4);
            previousLabel = line.Y;
        }
        QCOMPARE(grid.Lines[0].Y, kPlot.Bottom - 12);

        // Taller labels leave out those that would come too close.
        const graph::ValueGrid sparse =
            graph::ComputeValueGrid(scale, kL, kPlot.Top, kPlot.Bottom, FixedWidth, 40);
        QCOMPARE(sparse.Lines[0].Label, std::string("0"));
        QVERIFY(sparse.Lines[2].Label.empty());
        QCOMPARE(sparse.Lines[4].Label, std::string("4"));
    }

    void onlyTheZeroLineIsSolid()
    {
        const graph::PlotScale scale =
            graph::ComputePlotScale(-0.05f, 0.05f, kPlot.Top, kPlot.Bottom);
        const graph::ValueGrid grid =
            graph::ComputeValueGrid(scale, kL, kPlot.Top, kPlot.Bottom, FixedWidth, 13);
        QCOMPARE(grid.Step, 0.01f);
        QCOMPARE(grid.Lines.size(), std::size_t{11});
        for (const graph::ValueLine& line : grid.Lines)
            QCOMPARE(line.Solid, line.Value == 0.0f);
        QVERIFY(grid.Lines[0].Label.empty()); // j = -5 is odd
        QCOMPARE(grid.Lines[1].Label, std::string("-0.04"));
    }

    void emptyRangeHasNoValueGrid()
    {
        const graph::PlotScale scale = graph::ComputePlotScale(0, 0, kPlot.Top, kPlot.Bottom);
        QCOMPARE(scale.YScale, 0.0f);
        QCOMPARE(scale.Y(0), kPlot.Bottom - 12);
        QVERIFY(graph::ComputeValueGrid(scale, kL, kPlot.Top, kPlot.Bottom, FixedWidth, 13)
                    .Lines.empty());
        const graph::PlotScale flat = graph::ComputePlotScale(0, 13.3f, 0, 39); // q = 0
        QVERIFY(graph::ComputeValueGrid(flat, kL, 0, 39, FixedWidth, 13).Lines.empty());
    }

    void roundingIsHalfToEvenAndSaturates()
    {
        QCOMPARE(graph::RoundPx(2.5L), 2);
        QCOMPARE(graph::RoundPx(3.5L), 4);
        QCOMPARE(graph::RoundPx(-2.5L), -2);
        QCOMPARE(graph::RoundPx(1e30L), 1000000000);
        QCOMPARE(graph::RoundPx(-std::numeric_limits<long double>::infinity()), -1000000000);
        QCOMPARE(graph::RoundPx(std::numeric_limits<long double>::quiet_NaN()), 0);
        QCOMPARE(graph::TruncInt(-2.7L), std::int64_t{-2});
        QCOMPARE(graph::TruncInt(1e30L), std::int64_t{INT64_MAX});
        QCOMPARE(graph::TruncInt(-1e30L), std::int64_t{INT64_MIN});
        QCOMPARE(graph::TruncInt(std::numeric_limits<long double>::quiet_NaN()), std::int64_t{0});
    }

    // With a scale of exactly one pixel per volt and the minimum half a volt below a grid line,
    // every line lies on a half pixel: all of them go to the even row, none half away from 0.
    void valueLinesOnHalfPixelsRoundToEven()
    {
        const graph::PlotScale scale = graph::ComputePlotScale(-0.5f, 99.5f, 0, 132);
        QCOMPARE(scale.YScale, 1.0f);
        const graph::ValueGrid grid = graph::ComputeValueGrid(scale, kL, 0, 132, FixedWidth, 13);
        QCOMPARE(grid.Step, 10.0f);
        QCOMPARE(grid.Lines.size(), std::size_t{10});
        for (const graph::ValueLine& line : grid.Lines)
            QCOMPARE(line.Y, 120 - static_cast<int>(line.Value));
    }

    // An odd multiple of the step with room for its label stays unlabelled: the labels keep to
    // even multiples however far apart the lines are.
    void headerLabelsOnlyAtEvenMultiples()
    {
        const graph::AngleGrid grid = graph::ComputeAngleGrid(10, 13, kL, kR); // 0.1 degrees
        QCOMPARE(grid.Step, 0.1f);
        const std::vector<graph::HeaderMark> marks = graph::PlaceAngleLabels(grid, kL, FixedWidth);
        for (const graph::HeaderMark& mark : marks) {
            const long long tenths = std::llround(mark.Line.Angle * 10.0);
            if (tenths % 2 != 0)
                QVERIFY(mark.Label.empty() && mark.Tick == graph::HeaderTick::Short);
        }
        QCOMPARE(marks[2].Label, std::string("10.2"));
    }
};

QTEST_MAIN(TestGraphAxes)
#include "tst_graph_axes.moc"
