// The readout's texts built without a window: the values at the cursors and the pointer with
// their differences, what is shown where data is missing, and the measurement sections.
#include "engine/decimal_separator.h"
#include "graph/readout_table.h"

#include <QTest>

namespace {

using graph::ReadoutSource;

// 100 samples 2 us and 0.5 degrees apart; HA high from sample 40; one channel, v = i / 4.
struct Fixture {
    engine::SampleBuffer run;
    engine::ChannelSet result;

    Fixture()
    {
        run.Samples.resize(100);
        run.SampleCount = 100;
        result.ChannelCount = 1;
        result.Channels[0] = {"A", -1, 30, 0x0000FF};
        result.ChannelRows.resize(100);
        for (int i = 0; i < 100; ++i) {
            engine::TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
            s = {};
            s.Time = 2.0f * i;
            s.Angle = 0.5f * i;
            s.Switch[0] = i >= 40 ? 1 : 0;
            result.ChannelRows[static_cast<std::size_t>(i)][0] = i / 4.0f;
        }
    }

    ReadoutSource Source(std::optional<int> a, std::optional<int> b,
                         std::optional<int> pointer = {}) const
    {
        return {run, result, a, b, pointer, {"HighA", "LowA", "HighB", "LowB", "HighC", "LowC"},
                {}, {}};
    }
};

QString Text(const graph::ReadoutTable& table, const char* section, const std::string& row,
             int column)
{
    const graph::ReadoutCell* cell = table.Find(section, row, column);
    return cell != nullptr ? QString::fromStdString(cell->Text) : QStringLiteral("<none>");
}

} // namespace

class TestReadoutTable : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void cursorsPointerAndTheirDifference()
    {
        const Fixture f;
        const graph::ReadoutTable t = graph::BuildReadout(f.Source(30, 50, 45));
        QCOMPARE(t.Sections.size(), std::size_t{1}); // no measurements given
        QCOMPARE(Text(t, graph::kCursorSection, "Sample", graph::kColumnA), QString("30"));
        QCOMPARE(Text(t, graph::kCursorSection, "Sample", graph::kColumnPointer), QString("45"));
        QCOMPARE(Text(t, graph::kCursorSection, "Sample", graph::kColumnDelta), QString("20"));
        QCOMPARE(Text(t, graph::kCursorSection, "Time \xC2\xB5s", graph::kColumnDelta),
                 QString("40.0"));
        QCOMPARE(Text(t, graph::kCursorSection, "1/\xCE\x94t", graph::kColumnDelta),
                 QString("25000.0 Hz"));
        QCOMPARE(Text(t, graph::kCursorSection, "A", graph::kColumnB), QString("12.500"));
        QCOMPARE(Text(t, graph::kCursorSection, "A", graph::kColumnDelta), QString("5.000"));
        // The switch rows carry the trace colours and no difference.
        const graph::ReadoutCell* high = t.Find(graph::kCursorSection, "HighA", graph::kColumnB);
        QVERIFY(high != nullptr);
        QCOMPARE(high->Text, std::string("1"));
        QCOMPARE(high->Color, graph::kSwitchTraceColors[0]);
        QCOMPARE(Text(t, graph::kCursorSection, "HighA", graph::kColumnA), QString("0"));
        QCOMPARE(Text(t, graph::kCursorSection, "HighA", graph::kColumnDelta), QString());
    }

    void missingDataIsBlankOrADash()
    {
        Fixture f;
        // A cursor outside the run is no cursor: its column is blank and there is no difference.
        graph::ReadoutTable t = graph::BuildReadout(f.Source(30, 100));
        QCOMPARE(Text(t, graph::kCursorSection, "Sample", graph::kColumnB), QString());
        QCOMPARE(Text(t, graph::kCursorSection, "Sample", graph::kColumnDelta), QString());
        // Channel rows that do not reach B (an earlier view's), and no time between A and B.
        f.result.ChannelRows.resize(40);
        t = graph::BuildReadout(f.Source(30, 30));
        QCOMPARE(Text(t, graph::kCursorSection, "A", graph::kColumnA), QString("7.500"));
        f.result.ChannelRows.resize(20);
        t = graph::BuildReadout(f.Source(30, 30));
        QCOMPARE(Text(t, graph::kCursorSection, "A", graph::kColumnA), QString("-"));
        QCOMPARE(Text(t, graph::kCursorSection, "A", graph::kColumnDelta), QString("-"));
        QCOMPARE(Text(t, graph::kCursorSection, "1/\xCE\x94t", graph::kColumnDelta), QString("-"));
        QCOMPARE(Text(t, "Nothing", "Sample", 1), QString("<none>"));
    }

    void measurementSectionsNameTheirSamples()
    {
        const Fixture f;
        ReadoutSource source = f.Source({}, {});
        source.Measurements = engine::MeasureView(f.run, f.result, {20, 40});
        graph::ReadoutTable t = graph::BuildReadout(source);
        QCOMPARE(t.Sections.size(), std::size_t{4});
        QCOMPARE(t.Sections[1].Title,
                 std::string(graph::kChannelSection) + ", samples 20 \xE2\x80\xA6 59");
        QCOMPARE(Text(t, graph::kChannelSection, "A", 1), QString("5.000"));
        QCOMPARE(Text(t, graph::kSwitchSection, "HighA", 1), QString("50.0"));
        QCOMPARE(Text(t, graph::kSwitchSection, "HighA", 2), QString("1"));
        const graph::ReadoutCell* pwm = t.Find(graph::kPeriodSection, "PWM", 1);
        QVERIFY(pwm != nullptr);
        QCOMPARE(pwm->Text, std::string("none"));
        QCOMPARE(pwm->Color, graph::kReadoutDim);

        source.Measurements = engine::MeasureView(f.run, f.result, {300, 40});
        t = graph::BuildReadout(source);
        QCOMPARE(t.Sections[1].Title, std::string(graph::kChannelSection) + ", no samples");
    }
};

QTEST_MAIN(TestReadoutTable)
#include "tst_readout_table.moc"
