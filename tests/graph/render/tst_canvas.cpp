#include "graph/line_raster.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "graph/polyline_reducer.h"
#include "graph/render/qpainter_canvas.h"
#include "tests/support/recording_canvas.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cstdlib>
#include <random>
#include <set>
#include <utility>

using namespace ui;

namespace {

using PixelSet = std::set<std::pair<int, int>>;

constexpr engine::TColor kBackground = 0x202020;
constexpr engine::TColor kInk = 0x0000FF; // red

// Paints with a fresh canvas onto a 64 x 64 image shifted so that (0, 0) lies at its centre.
template <class Paint> QImage PaintImage(Paint&& paint, int size = 64)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(graph::ToQColor(kBackground));
    QPainter painter(&image);
    painter.setFont(OwnerDrawnGrid::DefaultFont());
    painter.translate(size / 2, size / 2);
    {
        graph::QPainterCanvas canvas(painter);
        canvas.SetBrushColor(kBackground);
        canvas.SetPenColor(kInk);
        paint(canvas);
    }
    painter.end();
    return image;
}

PixelSet PixelsOf(const QImage& image, engine::TColor color, int offset = 32)
{
    PixelSet out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == graph::ToQColor(color))
                out.insert({x - offset, y - offset});
    return out;
}

PixelSet LinePixels(graph::TPoint from, graph::TPoint to)
{
    return PixelsOf(PaintImage([&](graph::Canvas& c) {
                        c.MoveTo(from.x, from.y);
                        c.LineTo(to.x, to.y);
                    }),
                    kInk);
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void colourIsBgr()
    {
        QCOMPARE(graph::ToQColor(0x0000FF), QColor(255, 0, 0));
        QCOMPARE(graph::ToQColor(0x00B000), QColor(0, 176, 0));
        QCOMPARE(graph::ToQColor(0xFF8080), QColor(128, 128, 255));
    }

    void lineExcludesItsEndPoint_data()
    {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QList<QPoint>>("pixels");
        QTest::newRow("horizontal") << QPoint(0, 0) << QPoint(5, 0)
                                    << QList<QPoint>{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
        QTest::newRow("leftwards")
            << QPoint(2, 1) << QPoint(-1, 1) << QList<QPoint>{{2, 1}, {1, 1}, {0, 1}};
        QTest::newRow("upwards") << QPoint(0, 0) << QPoint(0, -3)
                                 << QList<QPoint>{{0, 0}, {0, -1}, {0, -2}};
        QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(3, 3)
                                  << QList<QPoint>{{0, 0}, {1, 1}, {2, 2}};
        QTest::newRow("shallow") << QPoint(0, 0) << QPoint(4, 2)
                                 << QList<QPoint>{{0, 0}, {1, 1}, {2, 1}, {3, 2}};
        QTest::newRow("shallow reversed")
            << QPoint(4, 2) << QPoint(0, 0) << QList<QPoint>{{4, 2}, {3, 1}, {2, 1}, {1, 0}};
        QTest::newRow("steep") << QPoint(0, 0) << QPoint(1, 4)
                               << QList<QPoint>{{0, 0}, {0, 1}, {1, 2}, {1, 3}};
        QTest::newRow("zero length") << QPoint(3, 3) << QPoint(3, 3) << QList<QPoint>{};
    }

    void lineExcludesItsEndPoint()
    {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QList<QPoint>, pixels);
        PixelSet expected;
        for (const QPoint& p : pixels)
            expected.insert({p.x(), p.y()});
        QCOMPARE(LinePixels({from.x(), from.y()}, {to.x(), to.y()}), expected);
    }

    // Any line: max(|dx|, |dy|) pixels, 8-connected from the start, none further than half
    // a pixel from the ideal line across its major axis, the end point never among them.
    void everyLineFollowsItsIdealWithinHalfAPixel()
    {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> coord(-25, 25);
        for (int n = 0; n < 300; ++n) {
            const graph::TPoint a{coord(rng), coord(rng)};
            const graph::TPoint b{coord(rng), coord(rng)};
            std::vector<graph::TPoint> walked;
            graph::WalkLine(a, b, [&](const graph::LineRun& r) {
                for (int k = 0; k < r.Length; ++k)
                    walked.push_back(r.AlongX ? graph::TPoint{r.X + r.Dir * k, r.Y}
                                              : graph::TPoint{r.X, r.Y + r.Dir * k});
            });
            const int dx = b.x - a.x;
            const int dy = b.y - a.y;
            const int major = std::max(std::abs(dx), std::abs(dy));
            QCOMPARE(static_cast<int>(walked.size()), major);
            if (major == 0)
                continue;
            QCOMPARE(walked.front(), a);
            for (std::size_t i = 0; i < walked.size(); ++i) {
                QVERIFY(!(walked[i] == b));
                if (i > 0) {
                    QVERIFY(std::abs(walked[i].x - walked[i - 1].x) <= 1);
                    QVERIFY(std::abs(walked[i].y - walked[i - 1].y) <= 1);
                }
                const bool alongX = std::abs(dx) >= std::abs(dy);
                const double t =
                    static_cast<double>(alongX ? walked[i].x - a.x : walked[i].y - a.y) /
                    (alongX ? dx : dy);
                const double ideal = alongX ? a.y + t * dy : a.x + t * dx;
                QVERIFY(std::abs((alongX ? walked[i].y : walked[i].x) - ideal) <= 0.5);
            }
            QCOMPARE(LinePixels(a, b).size(), walked.size());
        }
    }

    void dottedLinePaintsItsGapsInTheBrushColour()
    {
        constexpr engine::TColor kBrush = 0x00FF00;
        const QImage image = PaintImage([](graph::Canvas& c) {
            c.SetBrushColor(kBrush);
            c.SetPenStyle(graph::TPenStyle::psDot);
            c.MoveTo(-3, 0);
            c.LineTo(4, 0);
            c.MoveTo(5, -3);
            c.LineTo(5, 1);
        });
        QCOMPARE(PixelsOf(image, kInk),
                 (PixelSet{{-3, 0}, {-1, 0}, {1, 0}, {3, 0}, {5, -3}, {5, -1}}));
        QCOMPARE(PixelsOf(image, kBrush), (PixelSet{{-2, 0}, {0, 0}, {2, 0}, {5, -2}, {5, 0}}));
    }

    void laterLinesPaintOverEarlierOnes()
    {
        // A dotted line's gap over a solid line, and a solid line over a dotted one's gap.
        const QImage image = PaintImage([](graph::Canvas& c) {
            c.MoveTo(0, 0);
            c.LineTo(4, 0);
            c.SetPenColor(0xFFFFFF);
            c.SetPenStyle(graph::TPenStyle::psDot);
            c.MoveTo(0, 0);
            c.LineTo(4, 0);
            c.SetPenColor(kInk);
            c.SetPenStyle(graph::TPenStyle::psSolid);
            c.MoveTo(1, -1);
            c.LineTo(1, 1);
        });
        QCOMPARE(PixelsOf(image, 0xFFFFFF), (PixelSet{{0, 0}, {2, 0}}));
        QCOMPARE(PixelsOf(image, kInk), (PixelSet{{1, -1}, {1, 0}}));
        QCOMPARE(image.pixelColor(32 + 3, 32), graph::ToQColor(kBackground));
    }

    void fillRectExcludesRightAndBottom()
    {
        const QImage image = PaintImage([](graph::Canvas& c) {
            c.SetBrushColor(kInk);
            c.FillRect({-2, -1, 1, 2});
            c.FillRect({5, 5, 5, 9}); // empty
        });
        PixelSet expected;
        for (int y = -1; y < 2; ++y)
            for (int x = -2; x < 1; ++x)
                expected.insert({x, y});
        QCOMPARE(PixelsOf(image, kInk), expected);
    }

    void textIsWrittenOnAnOpaqueBox()
    {
        constexpr engine::TColor kBrush = 0x00FF00;
        QImage image(80, 40, QImage::Format_RGB32);
        image.fill(graph::ToQColor(kBackground));
        QPainter painter(&image);
        painter.setFont(OwnerDrawnGrid::DefaultFont());
        graph::TSize extent;
        int height = 0;
        {
            graph::QPainterCanvas canvas(painter);
            extent = canvas.TextExtent("360");
            height = canvas.TextHeight("360");
            canvas.SetBrushColor(kBrush);
            canvas.SetFontColor(0xFFFFFF);
            canvas.TextOut(10, 5, "360");
        }
        painter.end();
        QCOMPARE(height, 13);
        QVERIFY(extent.cx > 10 && extent.cx < 30);
        int ink = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const bool inBox = x >= 10 && x < 10 + extent.cx && y >= 5 && y < 5 + height;
                const QColor c = image.pixelColor(x, y);
                if (!inBox)
                    QCOMPARE(c, graph::ToQColor(kBackground));
                else if (c != graph::ToQColor(kBrush))
                    ++ink;
            }
        }
        QCOMPARE(image.pixelColor(10, 5),
                 graph::ToQColor(kBrush)); // the box's corner is background
        QVERIFY(ink > 10);
    }

    void polylineIsTheSameAsSuccessiveLines()
    {
        const std::vector<graph::TPoint> points{{5, 9},  {5, -4}, {-7, 2},
                                                {12, 3}, {12, 3}, {0, -20}};
        const auto byLines = PaintImage([&](graph::Canvas& c) {
            c.MoveTo(-10, -10);
            for (const graph::TPoint& p : points)
                c.LineTo(p.x, p.y);
            c.SetPenStyle(graph::TPenStyle::psDot);
            c.LineTo(20, 20);
        });
        const auto byPolyline = PaintImage([&](graph::Canvas& c) {
            c.MoveTo(-10, -10);
            c.PolylineTo(points);
            c.SetPenStyle(graph::TPenStyle::psDot);
            c.LineTo(20, 20);
        });
        QCOMPARE(byPolyline, byLines);
    }

    // The reduction must leave the painted pixels exactly as they are.
    void reducedPolylinePaintsTheSamePixels()
    {
        std::mt19937 rng(11);
        for (int trial = 0; trial < 200; ++trial) {
            // Some traces nearly flat (long horizontal runs), some running right to left.
            std::uniform_int_distribution<int> perColumn(1, trial % 3 == 0 ? 2 : 12);
            const int spread = trial % 4 == 1 ? 1 : 12;
            std::uniform_int_distribution<int> yDist(-spread - trial % 7, spread + trial % 5);
            const int dir = trial % 5 == 2 ? -1 : 1;
            std::vector<graph::TPoint> points;
            for (int x = -28 + trial % 3; x < 28; x += 1 + static_cast<int>(rng() % 3 == 0)) {
                const int count = perColumn(rng);
                for (int k = 0; k < count; ++k)
                    points.push_back({dir * x, yDist(rng)});
            }
            const graph::TPoint start = points.front();
            points.erase(points.begin());

            graph::PolylineReducer reducer(start);
            for (const graph::TPoint& p : points)
                reducer.Add(p);
            const std::vector<graph::TPoint> reduced = reducer.Finish();
            QVERIFY(reduced.size() <= points.size());

            const auto naive = PaintImage([&](graph::Canvas& c) {
                c.MoveTo(start.x, start.y);
                for (const graph::TPoint& p : points)
                    c.LineTo(p.x, p.y);
            });
            const auto fast = PaintImage([&](graph::Canvas& c) {
                c.MoveTo(reducer.StartPoint().x, reducer.StartPoint().y);
                c.PolylineTo(reduced);
            });
            if (fast != naive)
                QFAIL(qPrintable(QStringLiteral("trial %1 paints other pixels").arg(trial)));
        }
    }

    void reductionKeepsAtMostFourPointsPerColumn()
    {
        graph::PolylineReducer reducer({0, 0});
        for (int i = 0; i < 1000; ++i)
            reducer.Add({i / 100, (i * 37) % 23});
        const std::vector<graph::TPoint>& reduced = reducer.Finish();
        QVERIFY(reduced.size() <= 10 * 4);
        QCOMPARE(reduced.back().x, 9);
        QCOMPARE(reduced.back().y, (999 * 37) % 23);
    }

    void recordingCanvasRecordsCallsWithTheirState()
    {
        graph::RecordingCanvas canvas;
        canvas.SetPenColor(0x808080);
        canvas.SetPenStyle(graph::TPenStyle::psDot);
        canvas.MoveTo(1, 2);
        canvas.PolylineTo({{3, 4}, {5, 6}});
        const auto lines = canvas.Only(graph::CanvasCommand::Kind::LineTo);
        QCOMPARE(lines.size(), std::size_t{2});
        QCOMPARE(lines[1].From, (graph::TPoint{3, 4}));
        QCOMPARE(lines[1].Pen, engine::TColor{0x808080});
        QVERIFY(lines[1].Style == graph::TPenStyle::psDot);
        QCOMPARE(canvas.TextExtent("12.5"), (graph::TSize{24, 13}));
        const QFontMetrics metrics(OwnerDrawnGrid::DefaultFont());
        QCOMPARE(graph::RecordingCanvas(metrics).TextExtent("360").cx,
                 metrics.horizontalAdvance("360"));
    }
};

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
