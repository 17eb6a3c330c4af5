#include "engine/decimal_separator.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
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
    form.StringGrid1->Repaint();
    return form.StringGrid1->viewport()->grab().toImage();
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
    QStringList errors_;

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void init()
    {
        ui::TForm1Options options;
        options.ShowError = [this](QWidget*, const QString& text) { errors_ << text; };
        form_ = std::make_unique<ui::TForm1>(options);
        form_->show();
        form_->Button1->click();
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
        form_->TrackBar2->setValue(5);
        const QImage halfDuty = GridImage(*form_);

        MenuAction(*form_, "Hold as reference")->trigger();
        QVERIFY(form_->Reference().has_value());
        form_->TrackBar2->setValue(10);
        const QImage compared = GridImage(*form_);
        QVERIFY(compared != before);
        QVERIFY(form_->ReferenceNote->isVisible());
        QVERIFY(form_->ReferenceNote->text().contains("live - reference: RPM +6946, timing +12.5 deg"));

        MenuAction(*form_, "Clear reference")->trigger();
        QVERIFY(!form_->Reference().has_value());
        QVERIFY(!form_->ReferenceNote->isVisible());
        QCOMPARE(GridImage(*form_), before);
        form_->TrackBar2->setValue(5);
        QCOMPARE(GridImage(*form_), halfDuty);
    }

    void keysHoldAndClearOnTheGraphPage()
    {
        form_->PageControl1->SetActivePageIndex(1);
        form_->StringGrid1->setFocus();
        QTest::keyClick(form_->StringGrid1, Qt::Key_H);
        QVERIFY(form_->Reference().has_value());
        QCOMPARE(form_->Reference()->Samples.size(),
                 static_cast<std::size_t>(form_->Engine().Run.SampleCount));
        QTest::keyClick(form_->StringGrid1, Qt::Key_H, Qt::ShiftModifier);
        QVERIFY(!form_->Reference().has_value());
    }
};

QTEST_MAIN(TestGraphReference)
#include "tst_graph_reference.moc"
