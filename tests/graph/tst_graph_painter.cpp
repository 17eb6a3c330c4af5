#include "engine/decimal_separator.h"
#include "graph/channel_envelope.h"
#include "graph/plot_mapping.h"
#include "graph/graph_painter.h"
#include "graph/switch_edges.h"
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
        result.ChannelRows.assign(static_cast<std::size_t>(count),
                                  engine::TChannelRow{0.0f, 1.0f, 2.0f, 3.0f});
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
template <class Paint> QImage PaintImage(Paint&& paint, int width = 537)
{
    QImage image(width, 468, QImage::Format_RGB32);
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

// A run made to catch a column summary that drops a pixel: single-sample pulses and spikes,
// bursts of edges inside one pixel column, switch states other than 0 and 1, flat stretches,
// NaN and infinite values, values beyond the scale.
struct AdversarialRun {
    engine::SampleBuffer run;
    engine::ChannelSet result;
    graph::SwitchEdges edges;
    graph::ChannelEnvelope envelope;

    explicit AdversarialRun(int count, unsigned seed)
    {
        std::mt19937 rng(seed);
        const auto chance = [&](int in) { return static_cast<int>(rng() % static_cast<unsigned>(in)) == 0; };
        std::normal_distribution<float> noise(0.0f, 1.0f);
        run.Samples.resize(static_cast<std::size_t>(count) + 50); // stale records beyond
        run.SampleCount = count;
        std::array<std::int32_t, 6> state{0, 1, 0, 0, 1, 0};
        float walk = 5;
        result.ChannelCount = 6;
        for (std::size_t k = 0; k < 6; ++k)
            result.Channels[k] = {"C" + std::to_string(k), -2.0f, 12.0f,
                                  static_cast<engine::TColor>(0x203040 * (k + 1))};
        result.ChannelRows.resize(static_cast<std::size_t>(count));
        int burst = 0;
        for (int i = 0; i < count; ++i) {
            engine::TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
            s = {};
            s.Angle = static_cast<float>(i) * 0.01f;
            state[0] = chance(3000) ? 1 : 0;                          // single-sample pulses
            if (i % 20000 < 300)
                state[1] ^= 1;                                        // toggles every sample
            state[2] = chance(500) ? static_cast<std::int32_t>(rng() % 3) : state[2]; // 0, 1, 2
            if (burst == 0 && chance(700))
                burst = 1 + static_cast<int>(rng() % 6);
            if (burst > 0) {
                state[3] ^= 1;                                        // 1 ... 6 edges in a row
                --burst;
            }
            if (i == count - 40 || i == count - 30 || i == count - 20)
                state[4] ^= 1; // three edges in the last column, the last sample after them
            state[5] = chance(40) ? state[5] ^ 1 : state[5];
            for (std::size_t k = 0; k < 6; ++k)
                s.Switch[k] = state[k];
            const engine::ChannelRowRef row = result.ChannelRows[static_cast<std::size_t>(i)];
            walk += noise(rng) * 0.05f;
            row[0] = 5 + noise(rng) + (chance(2000) ? 40.0f : 0.0f);  // noise, spikes off scale
            row[1] = chance(5000) ? -1.5f : 3.0f;                    // flat, one-sample dips
            row[2] = 5 + 4 * std::sin(static_cast<float>(i) * 1e-4f);
            row[3] = chance(4000) ? std::nanf("") : chance(9000) ? INFINITY : walk;
            row[4] = static_cast<float>(i % 997) * 0.01f;             // ramps: extremes at the ends
            row[5] = static_cast<float>(i % 13) * 0.25f;              // on quarter pixels
        }
        edges.Build(run);
        envelope.Build(result);
    }

    graph::GraphPaintParams Params(engine::SampleWindow view, bool perColumn) const
    {
        graph::GraphPaintParams params{run, result, view, "", graph::DefaultSwitchLabels()};
        if (perColumn) {
            params.Edges = &edges;
            params.Envelope = &envelope;
        }
        return params;
    }
};

// Column 1 of the graph: the header, the six switch rows and the plot in `plotRect`.
QImage PaintColumn(const graph::GraphPaintParams& params, const graph::TRect& plotRect = kPlot)
{
    return PaintImage([&](graph::Canvas& c) {
        for (int row = 1; row <= 6; ++row) {
            const int top = 40 + 32 * (row - 1);
            graph::DrawGraphCell(c, params, 1, row, {kL, top, kR, top + 31});
        }
        graph::DrawGraphCell(c, params, 1, 7, plotRect);
    }, kR + 3); // the last sample lies at x = Right, on the grid's line right of the cell
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

    // Per pixel column, from the run's edges and the channels' envelope, the graph must paint
    // exactly what it paints sample by sample.
    void perColumnPaintIsThePerSamplePaint_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("plotTop");
        QTest::newRow("whole run") << 200000 << 0 << 200000 << 232;
        QTest::newRow("odd window") << 200000 << 12345 << 123457 << 232;
        QTest::newRow("window at the end") << 200000 << 150001 << 49999 << 232;
        QTest::newRow("window past the end") << 200000 << 170000 << 90000 << 232;
        QTest::newRow("window before the start") << 200000 << -5000 << 60000 << 232;
        QTest::newRow("about a block per column") << 200000 << 777 << 480 * 64 + 31 << 232;
        QTest::newRow("two columns of a block") << 200000 << 64 << 480 * 128 << 232;
        QTest::newRow("zoomed in") << 200000 << 99990 << 300 << 232;
        QTest::newRow("a pixel per sample") << 200000 << 4001 << 480 << 232;
        QTest::newRow("low plot: the scale turns") << 200000 << 0 << 200000 << 446;
        QTest::newRow("short run") << 3001 << 0 << 3001 << 232;
    }

    void perColumnPaintIsThePerSamplePaint()
    {
        QFETCH(int, count);
        QFETCH(int, start);
        QFETCH(int, len);
        QFETCH(int, plotTop);
        for (const unsigned seed : {1u, 2u}) {
            const AdversarialRun r(count, seed);
            const graph::TRect plot{kL, plotTop, kR, 466};
            const QImage perSample = PaintColumn(r.Params({start, len}, false), plot);
            const QImage perColumn = PaintColumn(r.Params({start, len}, true), plot);
            QCOMPARE(perColumn, perSample);
        }
    }

    // Summaries of another run or other channels are not used.
    void staleSummariesAreIgnored()
    {
        AdversarialRun r(50000, 3);
        const AdversarialRun other(50000, 4);
        graph::GraphPaintParams params = r.Params({0, 50000}, false);
        const QImage perSample = PaintColumn(params);
        params.Edges = &other.edges;
        params.Envelope = &other.envelope;
        QCOMPARE(PaintColumn(params), perSample);
        params.Edges = &r.edges;
        params.Envelope = &r.envelope;
        r.result.ChannelCount = 5; // the view changed, the envelope did not follow
        r.run.SampleCount = 40000; // nor the edges the run
        params.View = {0, 40000};
        graph::GraphPaintParams fresh = r.Params({0, 40000}, false);
        QCOMPARE(PaintColumn(params), PaintColumn(fresh));
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
