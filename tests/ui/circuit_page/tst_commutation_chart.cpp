#include "ui/circuit_page/commutation_chart.h"

#include "engine/emulation.h"
#include "engine/params.h"

#include <QtTest>

using ui::BarRect;
using ui::ChartKind;
using ui::CommutationPattern;
using ui::PhaseDrive;

Q_DECLARE_METATYPE(ui::ChartKind)
Q_DECLARE_METATYPE(ui::PhaseDrive)

namespace {

PhaseDrive DriveAt(const CommutationPattern& pattern, int phase, int degrees)
{
    for (const ui::PatternSegment& segment : pattern[static_cast<std::size_t>(phase)].segments) {
        if (segment.fromDegrees <= degrees && degrees < segment.toDegrees) {
            return segment.drive;
        }
    }
    qFatal("no segment at %d degrees", degrees);
}

bool IsDark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

} // namespace

class TestCommutationChart : public QObject {
    Q_OBJECT

    QImage chart_;

private slots:
    void initTestCase() { chart_ = ui::DrawCommutationPatterns(); }

    void rowsRunUnbrokenFromTheLeftEdgeTo360()
    {
        for (const CommutationPattern* pattern : {&ui::Pattern120(), &ui::Pattern180()}) {
            for (const ui::PatternRow& row : *pattern) {
                int reached = ui::kChartStartDegrees;
                PhaseDrive previous{};
                for (std::size_t i = 0; i < row.segments.size(); ++i) {
                    const ui::PatternSegment& segment = row.segments[i];
                    QCOMPARE(segment.fromDegrees, reached);
                    QVERIFY(segment.toDegrees > segment.fromDegrees);
                    QVERIFY2(i == 0 || segment.drive != previous, qPrintable(row.phase));
                    reached = segment.toDegrees;
                    previous = segment.drive;
                }
                QCOMPARE(reached, ui::kChartEndDegrees);
            }
        }
    }

    // Six-step commutation: one phase driven high, one low and one floating at every angle.
    void the120DegreePatternDrivesOneHighOneLowOneFloating()
    {
        for (int degrees = ui::kChartStartDegrees; degrees < ui::kChartEndDegrees; degrees += 5) {
            QList<PhaseDrive> drives;
            for (int phase = 0; phase < 3; ++phase) {
                drives << DriveAt(ui::Pattern120(), phase, degrees);
            }
            QCOMPARE(drives.count(PhaseDrive::High), 1);
            QCOMPARE(drives.count(PhaseDrive::Low), 1);
        }
    }

    // Read where an instant lies on it (the rotor angle plus the timing advance, the chart's
    // way round), each chart drives every phase as the run does (at full duty no PWM chops
    // the high side; no inversion).
    void theChartAtTheCommutationAngleIsTheRunsBridge()
    {
        engine::TParams params;
        engine::ParamTexts texts = engine::DefaultParamTexts();
        engine::ReadStartupParams(params, texts, '.');
        for (const bool pattern120 : {true, false}) {
            const engine::RunSettings settings{.HighSidePwm = true,
                                               .LowSidePwm = false,
                                               .DriverKind = 0,
                                               .MosfetKind = 0,
                                               .Pattern120 = pattern120};
            const engine::OperatingPoint op =
                engine::ComputeOperatingPoint(params, settings, -1, -0.5f);
            QVERIFY(op.Timing > 10); // an advance the rotor angle alone would get wrong
            engine::SampleBuffer run;
            engine::CalcPhases(params, settings, -1, -0.5f, run);
            const ChartKind chart = pattern120 ? ChartKind::Pattern120 : ChartKind::Pattern180;
            int compared = 0;
            for (int i = 0; i < run.SampleCount; i += 97) {
                const engine::TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
                const double at = ui::ChartAngle(s.Angle, op.Timing);
                if (std::fmod(at + 0.5, 30.0) < 1.0)
                    continue; // a hair from a boundary
                for (int phase = 0; phase < 3; ++phase) {
                    const bool high = s.Switch[2 * phase] == 1;
                    const bool low = s.Switch[2 * phase + 1] == 1;
                    const PhaseDrive drive = high  ? PhaseDrive::High
                                             : low ? PhaseDrive::Low
                                                   : PhaseDrive::Floating;
                    QCOMPARE(ui::DriveAt(chart, phase, at), drive);
                }
                ++compared;
            }
            QVERIFY(compared > 20);
        }
    }

    void segmentsHaveTheirColours_data()
    {
        QTest::addColumn<ChartKind>("chart");
        QTest::addColumn<int>("phase");
        QTest::addColumn<int>("degrees");
        QTest::addColumn<PhaseDrive>("drive");
        QTest::newRow("120 A before -60")
            << ChartKind::Pattern120 << 0 << -80 << PhaseDrive::Floating;
        QTest::newRow("120 A at -50") << ChartKind::Pattern120 << 0 << -50 << PhaseDrive::High;
        QTest::newRow("120 A at 70") << ChartKind::Pattern120 << 0 << 70 << PhaseDrive::Floating;
        QTest::newRow("120 A at 130") << ChartKind::Pattern120 << 0 << 130 << PhaseDrive::Low;
        QTest::newRow("120 B at -80") << ChartKind::Pattern120 << 1 << -80 << PhaseDrive::Low;
        QTest::newRow("120 B at 190") << ChartKind::Pattern120 << 1 << 190 << PhaseDrive::Floating;
        QTest::newRow("120 C before -60") << ChartKind::Pattern120 << 2 << -80 << PhaseDrive::High;
        QTest::newRow("120 C at 350") << ChartKind::Pattern120 << 2 << 350 << PhaseDrive::Floating;
        QTest::newRow("180 A at 100") << ChartKind::Pattern180 << 0 << 100 << PhaseDrive::Low;
        QTest::newRow("180 B at 40") << ChartKind::Pattern180 << 1 << 40 << PhaseDrive::High;
        QTest::newRow("180 C at -20") << ChartKind::Pattern180 << 2 << -20 << PhaseDrive::Low;
        QTest::newRow("180 C at 335") << ChartKind::Pattern180 << 2 << 335 << PhaseDrive::Low;
    }

    // Sampled a few pixels into the segment, clear of its border and of its centred letter.
    void segmentsHaveTheirColours()
    {
        QFETCH(ChartKind, chart);
        QFETCH(int, phase);
        QFETCH(int, degrees);
        QFETCH(PhaseDrive, drive);
        const QRect bar = BarRect(chart, phase);
        const QPoint at(ui::AngleToX(degrees), bar.top() + 3);
        QVERIFY(bar.contains(at));
        QCOMPARE(QColor(chart_.pixel(at)), ui::DriveColor(drive));
    }

    void theLayoutFitsThePicture()
    {
        QCOMPARE(chart_.size(), QSize(196, 111));
        QCOMPARE(QColor(chart_.pixel(0, 0)), QColor(0xCC, 0xFF, 0xCC));
        QCOMPARE(QColor(chart_.pixel(195, 110)), QColor(0xCC, 0xFF, 0xCC));
        QVERIFY(BarRect(ChartKind::Pattern120, 2).bottom() <
                BarRect(ChartKind::Pattern180, 0).top());
    }

    // Marked segments carry a letter in their middle; the narrow pieces at the left edge none.
    void onlyMarkedSegmentsCarryALetter()
    {
        const auto hasInk = [&](int fromDegrees, int toDegrees, const QRect& bar) {
            for (int x = ui::AngleToX(fromDegrees) + 2; x < ui::AngleToX(toDegrees) - 1; ++x) {
                for (int y = bar.top() + 2; y < bar.bottom() - 1; ++y) {
                    if (IsDark(chart_.pixel(x, y))) {
                        return true;
                    }
                }
            }
            return false;
        };
        QVERIFY(!hasInk(-90, -60, BarRect(ChartKind::Pattern120, 0)));
        QVERIFY(!hasInk(-90, -60, BarRect(ChartKind::Pattern120, 2)));
        QVERIFY(hasInk(-60, 60, BarRect(ChartKind::Pattern120, 0)));
        QVERIFY(hasInk(60, 120, BarRect(ChartKind::Pattern120, 0)));
        QVERIFY(hasInk(330, 360, BarRect(ChartKind::Pattern180, 2)));
    }
};

QTEST_MAIN(TestCommutationChart)
#include "tst_commutation_chart.moc"
