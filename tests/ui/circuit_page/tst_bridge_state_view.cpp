#include "engine/decimal_separator.h"
#include "ui/circuit_page/bridge_state_layer.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/radio_group.h"
#include "tests/support/form_controls.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "ui/widgets/owner_drawn_grid.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

engine::BridgeState HighAToLowB()
{
    engine::BridgeState s;
    s.TransistorOn = {true, false, false, true, false, false};
    s.Current = {engine::TerminalCurrent::In, engine::TerminalCurrent::Out,
                 engine::TerminalCurrent::None};
    s.PhaseV = {10.5f, 0.0f, 7.25f};
    s.VZero = 5.25f;
    s.VBatt = 10.5f;
    return s;
}

// The page's label boxes and option groups in picture coordinates (the page's minus 4): the
// layer must leave them readable.
QList<QRect> PageControlsInPicture(const ui::TForm1& form)
{
    QList<QRect> rects;
    for (QWidget* w : FormControls(form).SwitchLabels)
        rects << w->geometry().translated(-4, -4);
    for (QWidget* w : FormControls(form).PhaseLabels)
        rects << w->geometry().translated(-4, -4);
    for (QWidget* w : FormControls(form).CompLabels)
        rects << w->geometry().translated(-4, -4);
    rects << static_cast<QWidget*>(FormControls(form).RadioGroup1)->geometry().translated(-4, -4);
    return rects;
}

} // namespace

class TestBridgeStateView : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;
    std::unique_ptr<ui::TForm1> form_;
    FormControls controls_;
    QStringList errors_;

private slots:
    void initTestCase()
    {
        engine::SetDecimalSeparator('.');
        for (const char* name : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"})
            QFile::copy(QCoreApplication::applicationDirPath() + "/" + name,
                        folder_.filePath(name));
    }

    void init()
    {
        ui::TForm1Options options;
        options.ProgramFolder = folder_.path();
        options.ShowError = [this](QWidget*, const QString& text) { errors_ << text; };
        form_ = std::make_unique<ui::TForm1>(options);
        controls_ = FormControls(*form_);
        controls_.PageControl1->SetActivePageIndex(0);
        form_->show();
    }

    void cleanup()
    {
        form_.reset();
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join("; ")));
    }

    void pathRunsFromTheRailsThroughTheMotor()
    {
        const ui::BridgeLayout layout = ui::LayoutBridgeState(HighAToLowB(), "t", '.');
        QCOMPARE(layout.CurrentPath.size(), std::size_t{2});
        // In through HA from the supply bar, out through LB to its ground.
        QCOMPARE(layout.CurrentPath[0].first(), QPoint(218, 19));
        QCOMPARE(layout.CurrentPath[0].last(), ui::bridge_nodes::kStarPoint);
        QCOMPARE(layout.CurrentPath[1].first(), ui::bridge_nodes::kStarPoint);
        QCOMPARE(layout.CurrentPath[1].last(), QPoint(218, 153));
        QVERIFY(layout.Arrows[0].PointsRight);
        QVERIFY(!layout.Arrows[1].PointsRight);
        QVERIFY(layout.Transistors[0].On && layout.Transistors[3].On);
        QVERIFY(!layout.Transistors[1].On && !layout.Transistors[5].On);
        QStringList texts;
        for (const ui::LayerText& t : layout.Texts)
            texts << t.Text;
        QCOMPARE(texts, (QStringList{"t", "batt 10.50 V", "10.50 V  drive 0", "0.00 V  drive 0",
                                     "7.25 V  drive 0", "Z 5.25 V"}));
        // No loop, no path.
        QVERIFY(ui::LayoutBridgeState({}, "t", '.').CurrentPath.empty());
    }

    void layerTextsAndTheSwitchLeaveThePageControlsFree()
    {
        const QFontMetrics metrics(form_->BridgeLayer->font());
        engine::BridgeState wide = HighAToLowB();
        wide.PhaseV = {-888.88f, -888.88f, -888.88f};
        wide.VBatt = wide.VZero = -888.88f;
        const ui::BridgeLayout layout = ui::LayoutBridgeState(wide, "Cursor A at 359.99 deg", '.');
        QList<QRect> boxes;
        for (const ui::LayerText& t : layout.Texts) {
            QRect box(t.Anchor, QSize(metrics.horizontalAdvance(t.Text) + 4, metrics.height()));
            if (t.RightAligned)
                box.moveRight(t.Anchor.x() - 1);
            boxes << box;
        }
        for (const ui::TransistorMark& m : layout.Transistors)
            boxes << QRect(m.TextAnchor,
                           QSize(metrics.horizontalAdvance(m.Text) + 4, metrics.height()));
        const QRect showSwitch = form_->ShowBridgeState->geometry().translated(-4, -4);
        for (const QRect& control : PageControlsInPicture(*form_)) {
            QVERIFY2(!showSwitch.intersects(control), "switch over a control");
            for (const QRect& box : boxes)
                QVERIFY2(!box.intersects(control),
                         qPrintable(QString("text at %1,%2").arg(box.x()).arg(box.y())));
        }
        QVERIFY(QRect(QPoint(0, 0), QSize(560, 464)).contains(showSwitch));
    }

    void offByDefaultThenFollowsEverySingleAngleRun()
    {
        QVERIFY(!form_->ShowBridgeState->isChecked());
        QVERIFY(form_->ShowBridgeState->isVisible());
        controls_.ScrollBar1->setValue(35);
        QVERIFY(!form_->BridgeLayer->isVisible());

        form_->ShowBridgeState->setChecked(true);
        QVERIFY(form_->BridgeLayer->isVisible());
        // Default "Inv+Non Inv" with "P + N": 35 deg lies on a commutation point, A and C
        // high and B low with the PWM output on.
        const auto& marks = form_->BridgeLayer->Layout()->Transistors;
        QCOMPARE(marks[0].On, true);
        QCOMPARE(marks[3].On, true);
        QCOMPARE(marks[4].On, true);
        QCOMPARE(form_->BridgeLayer->Layout()->Texts[0].Text, QString("Angle 35.00 deg, PWM on"));

        // "2 Non Inv" inverts the high-side level once; the next run reads right through it.
        controls_.RadioGroup1->SetItemIndex(0);
        controls_.CheckBox1->setChecked(false); // no side modulated
        controls_.ScrollBar1->setValue(40);
        // 65 deg of commutation: C high, B low, A floating.
        const auto& off = form_->BridgeLayer->Layout()->Transistors;
        QCOMPARE(off[0].On, false);
        QCOMPARE(off[3].On, true);
        QCOMPARE(off[4].On, true);
        QCOMPARE(form_->BridgeLayer->Layout()->Texts[0].Text, QString("Angle 40.00 deg, PWM off"));

        form_->ShowBridgeState->setChecked(false);
        QVERIFY(!form_->BridgeLayer->isVisible());
    }

    void fullRunShowsTheSampleUnderCursorA()
    {
        form_->ShowBridgeState->setChecked(true);
        controls_.Button1->click();
        QVERIFY(!form_->BridgeLayer->isVisible()); // no cursor yet
        form_->Tools().PlaceCursor(graph::CursorId::A, 100);
        controls_.PageControl1->SetActivePageIndex(1);
        controls_.PageControl1->SetActivePageIndex(0);
        QVERIFY(form_->BridgeLayer->isVisible());
        QVERIFY(form_->BridgeLayer->Layout()->Texts[0].Text.startsWith("Cursor A at "));
    }

    void graphSaysWhatASingleAngleRunShows()
    {
        controls_.PageControl1->SetActivePageIndex(1);
        controls_.ScrollBar1->setValue(90);
        QVERIFY(form_->SingleAngleNote->isVisible());
        QVERIFY(form_->SingleAngleNote->text().startsWith("Angle 90.00 deg, PWM on"));
        // At the window's smallest size the note wraps inside the plot and shows whole.
        form_->resize(form_->minimumSize());
        QLabel* note = form_->SingleAngleNote;
        QVERIFY(note->geometry().right() < controls_.StringGrid1->viewport()->width());
        QVERIFY(note->height() >= note->heightForWidth(note->width()));
        // One instant is no reference to compare runs with.
        QVERIFY(!form_->Session().CanHoldReference());
        controls_.Button1->click();
        QVERIFY(!form_->SingleAngleNote->isVisible());
        QVERIFY(form_->Session().CanHoldReference());
    }
};

QTEST_MAIN(TestBridgeStateView)
#include "tst_bridge_state_view.moc"
