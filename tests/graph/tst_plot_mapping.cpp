// The plot mapping's fast rounding against the long double form the platform rounds, and the
// two x rules it keeps apart on purpose.
#include "graph/plot_mapping.h"

#include <QTest>

#include <random>

namespace {

engine::SampleBuffer Run(int count)
{
    engine::SampleBuffer run;
    run.Samples.resize(static_cast<std::size_t>(count));
    run.SampleCount = count;
    for (int i = 0; i < count; ++i)
        run.Samples[static_cast<std::size_t>(i)].Angle = static_cast<float>(i) / 10;
    return run;
}

} // namespace

class TestPlotMapping : public QObject {
    Q_OBJECT

private slots:
    void fastRoundingEqualsTheExactForm()
    {
        std::mt19937 random(7);
        std::uniform_int_distribution<int> length(2, 3'000'000);
        std::uniform_int_distribution<int> width(1, 4000);
        std::uniform_real_distribution<float> value(-500, 500);
        for (int run = 0; run < 2000; ++run) {
            const int len = run < 20 ? 2 * (run + 1) * 480 : length(random); // some exact halves
            const graph::PlotMapping mapping({0, len}, 57, 57 + (run < 20 ? 480 : width(random)));
            for (int j : {1, 2, 3, len / 3, len / 2, len - 1}) {
                const long double exact = static_cast<long double>(j) * mapping.PxPerSample();
                QCOMPARE(mapping.PlotX(j), 57 + graph::RoundPx(exact));
            }
            const graph::PlotScale scale = graph::ComputePlotScale(
                value(random) - 500, value(random) + 500, 232, 232 + width(random));
            for (int k = 0; k < 8; ++k) {
                const float v = k < 2 ? scale.MinValue - 0.5f / scale.YScale : value(random);
                const long double exact =
                    (static_cast<long double>(scale.MinValue) - v) * scale.YScale;
                QCOMPARE(scale.Y(v), scale.Baseline + graph::RoundPx(exact));
            }
        }
    }

    // The switch edges round j * pxPerSample + Left, the plot's vertices Left plus the rounded
    // j * pxPerSample: at an exact half with an odd Left they land one pixel apart.
    void edgesAndVerticesDifferOnlyAtOddLeftHalves()
    {
        const graph::PlotMapping odd({100, 960}, 57, 537); // 0.5 pixels per sample
        QCOMPARE(odd.X(101), 58);
        QCOMPARE(odd.PlotX(1), 57);
        QCOMPARE(odd.X(102), odd.PlotX(2));
        const graph::PlotMapping even({100, 960}, 56, 536);
        for (int j = 0; j < 960; ++j)
            QCOMPARE(even.X(100 + j), even.PlotX(j));
    }

    // Every x rule at an exact half pixel: the angle grid, the fractional positions and the
    // pan go half to even, the held reference away from zero.
    void eachRuleKeepsItsRoundingAtTies()
    {
        const graph::AngleAxis axis(10, 18, 57, 61); // 0.5 pixels per degree
        QCOMPARE(axis.PxPerDeg(), 0.5f);
        QCOMPARE(axis.GridX(11), 57);      // 0.5 to even
        QCOMPARE(axis.ReferenceX(11), 58); // 0.5 away from zero
        QCOMPARE(axis.GridX(13), 59);      // 1.5 to even
        QCOMPARE(axis.ReferenceX(13), 59);
        QCOMPARE(axis.GridX(15), 59); // 2.5
        QCOMPARE(axis.ReferenceX(15), 60);
        QCOMPARE(axis.ReferenceX(9), 56); // -0.5 away from zero

        const graph::PlotMapping half({100, 960}, 57, 537); // 0.5 pixels per sample
        QCOMPARE(half.XOfPosition(101), 58);   // 57.5 to even
        QCOMPARE(half.XOfPosition(102.5), 58); // 58.25
        QCOMPARE(half.XOfPosition(103), 58);   // 58.5 to even
        QCOMPARE(half.Angles().Left(), 57);

        const graph::PlotMapping twice({0, 240}, 57, 537); // 2 pixels per sample
        QCOMPARE(twice.PanSamples(1), 0);
        QCOMPARE(twice.PanSamples(3), 2);
        QCOMPARE(twice.PanSamples(5), 2);
        QCOMPARE(twice.PanSamples(-3), -2);
    }

    void aViewOfTheRunIsCutAndFlatWhereNothingSpreads()
    {
        const engine::SampleBuffer run = Run(100);
        const graph::TRect column{57, 0, 537, 39};
        const graph::PlotMapping cut = graph::PlotMapping::OfView(run, {90, 40}, column);
        QCOMPARE(cut.Window(), (engine::SampleWindow{90, 10}));
        QCOMPARE(cut.PxPerSample(), 48.0f);
        QVERIFY(!cut.Flat());
        QCOMPARE(cut.LastAngle(), 9.9f);
        // Outside the run: the nearest single sample, drawn flat.
        const graph::PlotMapping beyond = graph::PlotMapping::OfView(run, {500, 40}, column);
        QCOMPARE(beyond.Window(), (engine::SampleWindow{99, 1}));
        QVERIFY(beyond.Flat());
        QVERIFY(graph::PlotMapping::OfView(engine::SampleBuffer{}, {0, 1}, column).Flat());
        engine::SampleBuffer still = Run(100);
        for (engine::TSampleRec& s : still.Samples)
            s.Angle = 3;
        QVERIFY(graph::PlotMapping::OfView(still, {0, 100}, column).Flat());
    }
};

QTEST_MAIN(TestPlotMapping)
#include "tst_plot_mapping.moc"
