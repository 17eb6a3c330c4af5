// What each handler of the window sets off, in order: the session's signals, the scroll bar's
// changes and the grid's paints. The order is the handlers' own (run, window reset, channels,
// header, update); every page follows the session, so one edit is one run, one readout
// rebuild and one zero-crossing analysis.
#include "tests/support/form_fixture.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/graph_page/readout_window.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/scroll_bar_adapter.h"
#include "ui/zc_page/zc_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

namespace {

class Recorder {
public:
    explicit Recorder(FormFixture& f)
    {
        ui::RunSession& session = f.form->Session();
        const auto note = [this](const char* what) { return [this, what] { events_ << what; }; };
        QObject::connect(&session, &ui::RunSession::RunEnded, note("run"));
        QObject::connect(&session, &ui::RunSession::ChannelsChanged, note("channels"));
        QObject::connect(&session, &ui::RunSession::WindowMoved, note("window"));
        QObject::connect(&session, &ui::RunSession::ReferenceChanged, note("reference"));
        QObject::connect(f.controls.ScrollBar2, &ui::ScrollBarAdapter::Change, note("bar"));
        QObject::connect(f.controls.StringGrid1, &ui::OwnerDrawnGrid::Painted,
                         [this](const QImage&) { events_ << "paint"; });
    }

    QStringList Take() { return std::exchange(events_, {}); }

private:
    QStringList events_;
};

void Leave(QWidget* box)
{
    QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &focusOut);
}

} // namespace

class TestHandlerOrder : public QObject {
    Q_OBJECT

private slots:
    void eachHandlerSetsOffItsStepsInOrder()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.controls.PageControl1->SetActivePageIndex(1);
        QApplication::processEvents();
        Recorder record(f);

        // "Emulate": the run with its completion (the window reset moves the bar back to 1
        // only when it was elsewhere), the reset again, the update and its paint.
        f.controls.Button1->click();
        QCOMPARE(record.Take(), QStringList({"run", "paint"}));

        // "+": the window moves, the update sets the bar, whose change runs the nested update
        // with its paint (noted here after it), then the outer update's own paint.
        f.controls.SpeedButton1->click();
        QCOMPARE(record.Take(), QStringList({"window", "paint", "bar", "paint"}));

        // A box left: one run; the completion's reset brings the bar back, with the nested
        // update's paint, and the recalculation's update paints again.
        ui::ParamEdit* duty = f.controls.ParamEdits[10];
        duty->setText("50");
        Leave(duty);
        QCOMPARE(record.Take(), QStringList({"run", "paint", "bar", "paint"}));

        // Another view: the channels, then one paint; the window stays.
        f.controls.ComboBox1->setCurrentIndex((f.controls.ComboBox1->currentIndex() + 1) % 4);
        QCOMPARE(record.Take(), QStringList({"channels", "paint"}));

        // A PWM side: a run and a paint, no update.
        f.controls.CheckBox2->click();
        QCOMPARE(record.Take(), QStringList({"run", "paint"}));

        // "<->" after the run: the window already covers it, the update paints.
        f.controls.SpeedButton3->click();
        QCOMPARE(record.Take(), QStringList({"paint"}));
    }

    void oneEditIsOneRebuildOfEachPage()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        // The zero-crossing page shown, the readout open beside it.
        f.controls.PageControl1->SetActivePageIndex(2);
        f.form->Tools().SetReadoutVisible(true);
        QApplication::processEvents();
        ui::ZcPage& zc = *f.form->findChild<ui::ZcPage*>("ZcPage");
        QSignalSpy rebuilds(f.form->Tools().Readout(), &ui::ReadoutWindow::TableChanged);
        const int analysesBefore = zc.Analyses();

        ui::ParamEdit* duty = f.controls.ParamEdits[10];
        duty->setText("70");
        Leave(duty);
        QCOMPARE(rebuilds.count(), 1);
        QCOMPARE(zc.Analyses() - analysesBefore, 1);

        f.controls.TrackBar2->setValue(f.controls.TrackBar2->value() - 1);
        QCOMPARE(rebuilds.count(), 2);
        QCOMPARE(zc.Analyses() - analysesBefore, 2);
    }
};

QTEST_MAIN(TestHandlerOrder)
#include "tst_handler_order.moc"
