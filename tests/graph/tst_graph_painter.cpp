#include "engine/decimal_separator.h"
#include "graph/plot_mapping.h"
#include "graph/graph_painter.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "graph/render/qpainter_canvas.h"
#include "tests/support/recording_canvas.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <cmath>
#include <random>

#include <algorithm>
#include <string>
#include <vector>

using namespace ui;
using Kind = graph::CanvasCommand::Kind;

namespace {

// The cells of the graph at the window's minimum size.
constexpr int kL = 57;
constexpr int kR = 537;
constexpr graph::TRect kHeader{kL, 0, kR, 39};
constexpr graph::TRect kRow3{kL, 104, kR, 135};
constexpr graph::TRect kPlot{kL, 232, kR, 466};

// A run of `count` samples spread evenly from angle a0 to a1, switch HA high from sample
// `edge` on, the others low; four channels over 0 ... 13.3 with channel k at k.
struct Fixture {
    engine::SampleBuffer run;
    engine::ChannelSet result;
    graph::GraphPaintParams params{run, result, {0, 0}, {}, {}};

    explicit Fixture(int count, float a0 = 0, float a1 = 360, int edge = -1)
    {
        run.Samples.resize(static_cast<std::size_t>(count));
        run.SampleCount = count;
        for (int i = 0; i < count; ++i) {
            engine::TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
            s = {};
            s.Angle = count > 1 ? static_cast<float>(a0 + (a1 - a0) * i / (count - 1.0)) : a0;
            s.Switch[0] = edge >= 0 && i >= edge ? 1 : 0;
            s.Switch[3] = 1;
        }
        const std::array<std::string, 4> names{"A", "B", "C", "Zero-wire"};
        const std::array<engine::TColor, 4> colors{0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF};
        result.ChannelCount = 4;
        for (std::size_t k = 0; k < 4; ++k)
            result.Channels[k] = {names[k], 0.0f, 13.3f, colors[k]};
        result.ChannelRows.assign(static_cast<std::size_t>(count), engine::TChannelRow{});
        for (auto& row : result.ChannelRows)
            for (std::size_t k = 0; k < 4; ++k)
                row[k] = static_cast<float>(k);
        params.View = {0, count};
        params.HeaderText = "RPM = 13892;   Timing = 25.0 deg";
        params.SwitchLabels = {"HighA", "LowA", "HighB", "LowB", "HighC", "LowC"};
    }

    graph::RecordingCanvas Paint(int col, int row, const graph::TRect& rect) const
    {
        graph::RecordingCanvas canvas;
        graph::DrawGraphCell(canvas, params, col, row, rect);
        return canvas;
    }
};

bool HasLine(const graph::RecordingCanvas& c, graph::TPoint from, graph::TPoint to,
             engine::TColor pen)
{
    const auto lines = c.Only(Kind::LineTo);
    return std::any_of(lines.begin(), lines.end(), [&](const graph::CanvasCommand& l) {
        return l.From == from && l.To == to && l.Pen == pen;
    });
}

// Only the fill and the grey lower edge line.
void VerifyFillAndLowerEdge(const graph::RecordingCanvas& c, const graph::TRect& rect)
{
    const auto& cmds = c.Commands();
    QCOMPARE(cmds.size(), std::size_t{3});
    QVERIFY(cmds[0].What == Kind::FillRect);
    QCOMPARE(cmds[0].Rect, rect);
    QCOMPARE(cmds[0].Brush, graph::kGridColor);
    QVERIFY(HasLine(c, {rect.Left, rect.Bottom}, {rect.Right, rect.Bottom}, 0x808080));
    QVERIFY(cmds[2].Style == graph::TPenStyle::psSolid);
}

// Paints into an image of the grid's viewport size.
template <class Paint> QImage PaintImage(Paint&& paint)
{
    QImage image(537, 468, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setFont(OwnerDrawnGrid::DefaultFont());
    {
        graph::QPainterCanvas canvas(painter);
        paint(canvas);
    }
    return image;
}

QImage OnlyColor(const QImage& image, engine::TColor color, int fromY)
{
    QImage out(image.size(), QImage::Format_RGB32);
    out.fill(Qt::black);
    for (int y = fromY; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == graph::ToQColor(color))
                out.setPixelColor(x, y, Qt::white);
    return out;
}

} // namespace

class TestGraphPainter : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void beforeAnyRunEveryCellIsOnlyFilled()
    {
        Fixture f(0);
        for (int row = 0; row < 8; ++row) {
            for (int col = 0; col < 2; ++col) {
                const graph::RecordingCanvas c = f.Paint(col, row, kRow3);
                QCOMPARE(c.Commands().size(), std::size_t{1});
                QVERIFY(c.Commands()[0].What == Kind::FillRect);
                QCOMPARE(c.Commands()[0].Brush, graph::kGridColor);
            }
        }
    }

    void columnZeroShowsFillAndLowerEdge()
    {
        Fixture f(481);
        VerifyFillAndLowerEdge(f.Paint(0, 0, {0, 0, 56, 39}), {0, 0, 56, 39});
        VerifyFillAndLowerEdge(f.Paint(0, 7, {0, 232, 56, 466}), {0, 232, 56, 466});
    }

    void headerHasTheSummaryAndTheAngleLabels()
    {
        Fixture f(481);
        const graph::RecordingCanvas c = f.Paint(1, 0, kHeader);
        const auto texts = c.Only(Kind::TextOut);
        QVERIFY(!texts.empty());
        QCOMPARE(texts[0].Text, f.params.HeaderText);
        QCOMPARE(texts[0].To, (graph::TPoint{kL + 2, 2}));
        QCOMPARE(texts[0].Font, engine::TColor{0xFFFFFF});
        QCOMPARE(texts[0].Brush, graph::kGridColor);
        QCOMPARE(texts[1].Text, std::string("30"));
        QCOMPARE(texts[1].To, (graph::TPoint{97 - 6, 39 - 22}));
        // A 5-pixel tick under the label, a 2-pixel one at the unlabelled 15.
        QVERIFY(HasLine(c, {97, 34}, {97, 39}, 0x808080));
        QVERIFY(HasLine(c, {77, 37}, {77, 39}, 0x808080)); // 15: a 2-pixel tick
    }

    void switchEdgeLiesAtTheFirstSampleOfTheNewState()
    {
        // 960 samples in 480 pixels: x = Round(i * 0.5 + 57), halves to even.
        Fixture f(960, 0, 360, 3);
        const graph::RecordingCanvas c = f.Paint(1, 1, {kL, 40, kR, 71});
        const int yHigh = 44;
        const int yLow = 67;
        const engine::TColor red = 0x0000B0;
        QVERIFY(HasLine(c, {kL, yLow}, {58, yLow}, red));
        QVERIFY(HasLine(c, {58, yLow}, {58, yHigh}, red));
        // The last sample: Round(959 * 0.5 + 57) = Round(536.5) = 536.
        QVERIFY(HasLine(c, {58, yHigh}, {536, yHigh}, red));
        const auto texts = c.Only(Kind::TextOut);
        QCOMPARE(texts.back().Text, std::string("HighA"));
        QCOMPARE(texts.back().To, (graph::TPoint{4, 48}));
    }

    void constantSwitchIsOneLineToTheLastSample()
    {
        Fixture f(7);
        const int last = static_cast<int>(std::nearbyint(6 * (480.0f / 7) + kL));
        const graph::RecordingCanvas high = f.Paint(1, 4, kRow3);
        QVERIFY(HasLine(high, {kL, kRow3.Top + 4}, {last, kRow3.Top + 4}, 0x00FF00));
        const graph::RecordingCanvas low = f.Paint(1, 5, kRow3);
        QVERIFY(HasLine(low, {kL, kRow3.Bottom - 4}, {last, kRow3.Bottom - 4}, 0xB00000));
    }

    void legendWithFourChannels()
    {
        Fixture f(481);
        const graph::RecordingCanvas c = f.Paint(1, 7, kPlot);
        const auto texts = c.Only(Kind::TextOut);
        for (int i = 0; i < 4; ++i) {
            const engine::TColor color = f.result.Channels[static_cast<std::size_t>(i)].Color;
            QVERIFY(HasLine(c, {kL + 4 + 80 * i, kPlot.Top + 8}, {kL + 18 + 80 * i, kPlot.Top + 8},
                            color));
            const auto name =
                std::find_if(texts.begin(), texts.end(), [&](const graph::CanvasCommand& t) {
                    return t.Text == f.result.Channels[static_cast<std::size_t>(i)].Name;
                });
            QVERIFY(name != texts.end());
            QCOMPARE(name->To, (graph::TPoint{kL + 20 + 80 * i, kPlot.Top + 2}));
        }
        // Channel 0 lies on the zero line, channel 3 three steps above it, both up to the
        // last sample at L + Round(480 * 480 / 481).
        const graph::PlotScale scale = graph::ComputePlotScale(0, 13.3f, kPlot.Top, kPlot.Bottom);
        QVERIFY(HasLine(c, {kL, scale.Y(0)}, {kL + 479, scale.Y(0)}, 0x0000FF));
        QVERIFY(HasLine(c, {kL, scale.Y(3)}, {kL + 479, scale.Y(3)}, 0xFF00FF));
    }

    void separatorIsAPointDuringThePaintOnly()
    {
        engine::SetDecimalSeparator(',');
        Fixture f(481, 10, 20); // 10 degrees in 480 pixels: a 0.5-degree step
        const graph::RecordingCanvas c = f.Paint(1, 0, kHeader);
        const auto texts = c.Only(Kind::TextOut);
        QVERIFY(texts.size() > 2);
        QCOMPARE(texts[1].Text, std::string("11.0"));
        QCOMPARE(engine::DecimalSeparator(), ',');
        engine::SetDecimalSeparator('.');
    }

    void windowWithoutSpanIsDrawnFlat()
    {
        Fixture f(5, 30, 30);
        const graph::RecordingCanvas header = f.Paint(1, 0, kHeader);
        QCOMPARE(header.Only(Kind::TextOut).size(), std::size_t{1}); // the summary only
        const graph::RecordingCanvas row = f.Paint(1, 4, kRow3);
        QVERIFY(HasLine(row, {kL, kRow3.Top + 4}, {kR, kRow3.Top + 4}, 0x00FF00));
        const graph::RecordingCanvas plot = f.Paint(1, 7, kPlot);
        const graph::PlotScale scale = graph::ComputePlotScale(0, 13.3f, kPlot.Top, kPlot.Bottom);
        QVERIFY(HasLine(plot, {kL, scale.Y(2)}, {kR, scale.Y(2)}, 0xFF0000));

        f.params.View.Len = 1; // a single sample, as a single-angle run leaves it
        const graph::RecordingCanvas single = f.Paint(1, 4, kRow3);
        QVERIFY(HasLine(single, {kL, kRow3.Top + 4}, {kR, kRow3.Top + 4}, 0x00FF00));
    }

    // The plot's fast arithmetic and the point reduction must paint exactly the pixels of
    // one LineTo per sample at the coordinates computed in long double. 960 samples in 480
    // pixels put every odd sample on a half pixel; values in quarter volts with a scale of 2
    // pixels per volt put half of them on a half pixel too.
    void plotPaintsThePixelsOfOneLinePerSample_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("quarters");
        QTest::newRow("exact halves") << 960 << true;
        QTest::newRow("random values") << 5003 << false;
        QTest::newRow("more samples than pixels") << 100000 << false;
    }

    void plotPaintsThePixelsOfOneLinePerSample()
    {
        QFETCH(int, count);
        QFETCH(bool, quarters);
        Fixture f(count);
        f.result.ChannelCount = 1;
        f.result.Channels[0] = {"A", 0.0f, 101.0f, 0x00FFFF};
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> value(0.0f, 101.0f);
        for (int j = 0; j < count; ++j) {
            const float v = quarters ? static_cast<float>((j * 7919) % 404) * 0.25f : value(rng);
            f.result.ChannelRows[static_cast<std::size_t>(j)][0] = v;
        }
        const QImage painted =
            PaintImage([&](graph::Canvas& c) { graph::DrawGraphCell(c, f.params, 1, 7, kPlot); });

        const float pxPerSample = static_cast<float>(480.0L / count);
        const float yScale = static_cast<float>(202.0L / 101.0L);
        QCOMPARE(yScale, 2.0f);
        const auto y = [&](int j) {
            return (kPlot.Bottom - 12) +
                   graph::RoundPx((0.0L - f.result.ChannelRows[static_cast<std::size_t>(j)][0]) *
                                  yScale);
        };
        const QImage reference = PaintImage([&](graph::Canvas& c) {
            c.SetPenColor(0x00FFFF);
            c.MoveTo(kL, y(0));
            for (int j = 1; j < count; ++j)
                c.LineTo(kL + graph::RoundPx(static_cast<long double>(j) * pxPerSample), y(j));
        });
        // Below the legend, which shares the trace's colour.
        QCOMPARE(OnlyColor(painted, 0x00FFFF, kPlot.Top + 12),
                 OnlyColor(reference, 0x00FFFF, kPlot.Top + 12));
    }

    void windowBeyondTheBuffersIsCut()
    {
        Fixture f(100);
        f.params.View = {50, 4000}; // zoomed out past the run
        const graph::RecordingCanvas c = f.Paint(1, 7, kPlot);
        for (const graph::CanvasCommand& l : c.Only(Kind::LineTo))
            QVERIFY(l.To.x <= kR);

        // Channel rows of an earlier, shorter run: the legend only, no traces.
        f.params.View = {0, 100};
        f.result.ChannelRows.resize(40);
        const graph::RecordingCanvas stale = f.Paint(1, 7, kPlot);
        for (const graph::CanvasCommand& l : stale.Only(Kind::LineTo))
            QVERIFY(l.Pen == 0x808080 || l.From.y == kPlot.Top + 8);

        f.params.View = {-20, 0};
        f.Paint(1, 3, kRow3); // must neither crash nor read outside
    }
};

QTEST_MAIN(TestGraphPainter)
#include "tst_graph_painter.moc"
