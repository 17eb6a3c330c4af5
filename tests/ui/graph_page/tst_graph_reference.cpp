#include "engine/decimal_separator.h"
#include "graph/readout_reference.h"
#include "ui/graph_page/graph_exports.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/graph_page/readout_window.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "tests/support/form_controls.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <memory>

namespace {

QImage GridImage(ui::TForm1& form)
{
    FormControls(form).StringGrid1->Repaint();
    return FormControls(form).StringGrid1->viewport()->grab().toImage();
}

QAction* MenuAction(ui::TForm1& form, const QString& text)
{
    for (QAction* action : form.Tools().GraphContextMenu()->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

} // namespace

class TestGraphReference : public QObject {
    Q_OBJECT

    std::unique_ptr<ui::TForm1> form_;
    FormControls controls_;
    QStringList errors_;

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void init()
    {
        ui::TForm1Options options;
        options.ShowError = [this](QWidget*, const QString& text) { errors_ << text; };
        form_ = std::make_unique<ui::TForm1>(options);
        controls_ = FormControls(*form_);
        form_->show();
        controls_.Button1->click();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup()
    {
        form_.reset();
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    }

    // Without a reference the graph is the live painter's alone, pixel for pixel, also after
    // one was held and cleared.
    void withoutAReferenceNothingChanges()
    {
        const QImage before = GridImage(*form_);
        controls_.TrackBar2->setValue(5);
        const QImage halfDuty = GridImage(*form_);

        MenuAction(*form_, "Hold as reference")->trigger();
        QVERIFY(form_->Session().Reference().has_value());
        controls_.TrackBar2->setValue(10);
        const QImage compared = GridImage(*form_);
        QVERIFY(compared != before);
        QVERIFY(form_->ReferenceNote->isVisible());
        QVERIFY(form_->ReferenceNote->text().contains("live - reference: RPM +6946, timing +12.5 deg"));

        MenuAction(*form_, "Clear reference")->trigger();
        QVERIFY(!form_->Session().Reference().has_value());
        QVERIFY(!form_->ReferenceNote->isVisible());
        QCOMPARE(GridImage(*form_), before);
        controls_.TrackBar2->setValue(5);
        QCOMPARE(GridImage(*form_), halfDuty);
    }

    // The readout sets the live run beside the reference, and a saved picture shows the
    // reference as the grid does.
    void readoutAndPictureShowTheReference()
    {
        MenuAction(*form_, "Hold as reference")->trigger();
        controls_.TrackBar2->setValue(5);
        form_->Tools().SetReadoutVisible(true);
        const graph::ReadoutTable& table = form_->Tools().Readout()->Table();
        const auto cell = [&](const char* row, int column) {
            const graph::ReadoutCell* found = table.Find(graph::kReferenceSection, row, column);
            return found ? QString::fromStdString(found->Text) : QString("(none)");
        };
        QCOMPARE(cell("RPM", 3), QString("-6946"));
        QCOMPARE(cell("Timing \xC2\xB0", 3), QString("-12.5"));
        // The default view compares each phase with the star point: both runs find all their
        // crossings, and the difference of the counts is zero.
        QCOMPARE(cell("ZC missed or already", 3), QString("0"));
        QVERIFY(cell("ZC mean error \xC2\xB0", 1) != "-");

        form_->ReferenceNote->hide(); // a note on the screen, not part of the graph
        controls_.StringGrid1->Repaint();
        QCOMPARE(ui::GraphImage(form_->Tools().Host()),
                 controls_.StringGrid1->grab().toImage().convertToFormat(QImage::Format_RGB32));
        MenuAction(*form_, "Clear reference")->trigger();
        QVERIFY(table.Find(graph::kReferenceSection, "RPM", 1) == nullptr);
    }

    void keysHoldAndClearOnTheGraphPage()
    {
        controls_.PageControl1->SetActivePageIndex(1);
        controls_.StringGrid1->setFocus();
        QTest::keyClick(controls_.StringGrid1, Qt::Key_H);
        QVERIFY(form_->Session().Reference().has_value());
        QCOMPARE(form_->Session().Reference()->Samples.size(),
                 static_cast<std::size_t>(form_->Session().Engine().Run.SampleCount));
        QTest::keyClick(controls_.StringGrid1, Qt::Key_H, Qt::ShiftModifier);
        QVERIFY(!form_->Session().Reference().has_value());
    }
};

QTEST_MAIN(TestGraphReference)
#include "tst_graph_reference.moc"
