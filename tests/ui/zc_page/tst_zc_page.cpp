#include "cli/cli_runner.h"
#include "engine/decimal_separator.h"
#include "engine/zero_crossing.h"
#include "tests/support/form_controls.h"
#include "ui/graph_page/graph_host.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/zc_page/zc_page.h"
#include "ui/zc_page/zc_trace_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QTest>

#include <memory>
#include <sstream>

namespace {

constexpr int kZcPageIndex = 2;

// The rows of the command line's --zc table, header left out, split into cells.
QList<QStringList> CliRows(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    std::vector<std::string> all{"--zc", "--decimal-separator", "."};
    all.insert(all.end(), args.begin(), args.end());
    if (cli::RunCommandLine(all, out, err) != 0)
        qWarning("bldc-emu: %s", err.str().c_str());
    QStringList lines = QString::fromStdString(out.str()).split('\n', Qt::SkipEmptyParts);
    QList<QStringList> rows;
    for (qsizetype i = 1; i < lines.size(); ++i)
        rows << lines[i].split('\t');
    return rows;
}

QList<QStringList> PageRows(const QTableWidget& table)
{
    QList<QStringList> rows;
    for (int r = 0; r < table.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table.columnCount(); ++c)
            cells << table.item(r, c)->text();
        rows << cells;
    }
    return rows;
}

} // namespace

class TestZcPage : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::TForm1> form_;
    FormControls controls_;
    QStringList errors_;

    ui::ZcPage& Page() const { return *form_->findChild<ui::ZcPage*>("ZcPage"); }
    QTableWidget& Table() const { return *form_->findChild<QTableWidget*>("ZcTable"); }
    QString Message() const { return form_->findChild<QLabel*>("ZcMessage")->text(); }
    ui::ZcTraceView& Traces() const { return *form_->findChild<ui::ZcTraceView*>("ZcTraces"); }
    QLineEdit& Box(const char* name) const { return *form_->findChild<QLineEdit*>(name); }

    // Types into a detector box and leaves it with Enter.
    void Type(QLineEdit& box, const QString& text)
    {
        box.setFocus();
        box.selectAll();
        QTest::keyClicks(&box, text);
        QTest::keyClick(&box, Qt::Key_Return);
    }

    void ShowZcPage() { controls_.PageControl1->SetActivePageIndex(kZcPageIndex); }

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void init()
    {
        ui::TForm1Options options;
        options.ShowError = [this](QWidget*, const QString& text) { errors_ << text; };
        form_ = std::make_unique<ui::TForm1>(options);
        controls_ = FormControls(*form_);
        form_->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        controls_.Button1->click();
    }

    void cleanup()
    {
        form_.reset();
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    }

    // The page's table has the command line's cells for the same run, view, window and
    // detector, and follows the window's navigation while it is hidden.
    void tableEqualsTheCommandLines()
    {
        QCOMPARE(controls_.PageControl1->Page(kZcPageIndex)->objectName(), "TabSheet3");
        controls_.TrackBar2->setValue(5);
        controls_.ComboBox1->setCurrentIndex(2);
        ShowZcPage();
        const QList<QStringList> whole = CliRows({"--duty-scale", "5", "--view", "2"});
        QVERIFY(whole.size() >= 5);
        QCOMPARE(PageRows(Table()), whole);

        controls_.PageControl1->SetActivePageIndex(1);
        const int count = form_->Session().Engine().Run.SampleCount;
        form_->Tools().Host().Session().SetWindow({count / 3, count / 3});
        controls_.ComboBox1->setCurrentIndex(3);
        ShowZcPage();
        Type(Box("ZcBlanking"), "7.5");
        Type(Box("ZcFilter"), "3");
        form_->findChild<QComboBox*>("ZcSampling")->setCurrentText("all");
        const QList<QStringList> zoomed =
            CliRows({"--duty-scale", "5", "--view", "3", "--view-window", std::to_string(count / 3),
                     std::to_string(count / 3), "--zc-sampling", "all", "--zc-blanking", "7.5",
                     "--zc-filter", "3"});
        QVERIFY(!zoomed.isEmpty() && zoomed.size() < whole.size());
        QCOMPARE(PageRows(Table()), zoomed);
    }

    // The table as a tool: a row takes the graph's window and cursor A to its crossing, and
    // the table copies as text with its header.
    void aRowGoesToItsCrossingAndTheTableCopies()
    {
        controls_.ComboBox1->setCurrentIndex(1);
        ShowZcPage();
        const int count = form_->Session().Engine().Run.SampleCount;
        form_->Session().SetWindow({0, count / 2});
        const engine::ZcTable& table = Page().Table();
        QVERIFY(table.Rows.size() >= 2);
        const engine::ZeroCrossing& last = table.Rows.back();
        QCOMPARE(last.Found.Status, engine::ZcStatus::Detected);
        const int sample = last.Found.Index;
        emit Table().cellClicked(int(table.Rows.size()) - 1, 0);
        QCOMPARE(form_->Tools().Cursors().A(), std::optional<int>(sample));
        const engine::SampleWindow window = form_->Session().Window();
        QVERIFY(sample >= window.Start && sample < window.Start + window.Len);
        QCOMPARE(window.Len, count / 2);

        const QStringList lines = Page().TableText().split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), int(Page().Table().Rows.size()) + 1);
        QVERIFY(lines[0].startsWith("Phase\tDirection\tTrue angle"));
    }

    // A detection's marker lies in the very screen column where the graph draws its sample.
    void markersLineUpWithTheGraph()
    {
        controls_.ComboBox1->setCurrentIndex(1);
        ShowZcPage();
        const engine::ZcTable& table = Page().Table();
        QVERIFY(!table.Rows.empty());
        const engine::ZeroCrossing& row = table.Rows.front();
        QCOMPARE(row.Found.Status, engine::ZcStatus::Detected);
        const std::optional<graph::PlotMapping> graph = form_->Tools().Geometry();
        QVERIFY(graph);
        const int graphX = controls_.StringGrid1->viewport()
                               ->mapTo(form_.get(), QPoint(graph->X(row.Found.Index), 0))
                               .x();
        const auto& traces = Traces().Traces();
        QVERIFY(traces);
        const auto& detected = traces->Rows[row.Interval.Phase].DetectedX;
        QVERIFY(!detected.empty());
        QCOMPARE(Traces().mapTo(form_.get(), QPoint(detected.front(), 0)).x(), graphX);
    }

    // Out-of-range settings are named with what is expected, and nothing changes.
    void settingsAreValidatedLikeTheCommandLine()
    {
        controls_.ComboBox1->setCurrentIndex(2);
        ShowZcPage();
        const QList<QStringList> before = PageRows(Table());
        auto* error = form_->findChild<QLabel*>("ZcSettingsError");
        Type(Box("ZcBlanking"), "75");
        QVERIFY2(error->text().contains("degrees from 0 to 60"), qPrintable(error->text()));
        QCOMPARE(Box("ZcBlanking").text(), "0");
        Type(Box("ZcFilter"), "0");
        QVERIFY2(error->text().contains("a sample count from 1 to 1000"),
                 qPrintable(error->text()));
        QCOMPARE(Box("ZcFilter").text(), "1");
        QCOMPARE(PageRows(Table()), before);
        Type(Box("ZcFilter"), "2");
        QVERIFY(error->text().isEmpty());
    }

    // Without floating intervals or a comparator, the page says why its table is empty.
    void emptyTablesSayWhy()
    {
        ShowZcPage();
        controls_.ComboBox1->setCurrentIndex(0);
        QCOMPARE(Table().rowCount(), 0);
        QVERIFY(Message().contains("no comparators"));
        QVERIFY(!Traces().Traces());

        controls_.ComboBox1->setCurrentIndex(1);
        controls_.RadioButton2->click();
        controls_.Button1->click();
        QCOMPARE(Table().rowCount(), 0);
        QCOMPARE(Message().toStdString(),
                 engine::ZcEmptyReasonText(engine::ZcEmptyReason::NoFloatingPhase));
        QVERIFY(Traces().Traces()); // the comparators still have outputs to show

        controls_.ScrollBar1->setValue(20);
        QCOMPARE(Table().rowCount(), 0);
        QVERIFY(Message().startsWith("A single-angle run"));
        QCOMPARE(Traces().Message(), Message());
    }
};

QTEST_MAIN(TestZcPage)
#include "tst_zc_page.moc"
