// What the window tells a user about itself: a tooltip on every control, the help box with
// every binding the window really has, the About box; and the "Circuit" page's panel border.
#include "ui/circuit_page/commutation_chart.h"
#include "ui/graph_page/about_box.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/graph_page/window_bindings.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/paint_box.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "tests/support/form_controls.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTest>

#include <memory>
#include <set>

namespace {

struct FormFixture {
    QTemporaryDir folder;
    std::unique_ptr<ui::TForm1> form;
    FormControls controls;

    FormFixture()
    {
        for (const char* name : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"})
            QFile::copy(QCoreApplication::applicationDirPath() + "/" + name, folder.filePath(name));
        ui::TForm1Options options;
        options.ProgramFolder = folder.path();
        options.ShowError = [](QWidget*, const QString& text) { QFAIL(qPrintable(text)); };
        form = std::make_unique<ui::TForm1>(options);
        controls = FormControls(*form);
    }

    QMessageBox* Box(const char* name) const { return form->findChild<QMessageBox*>(name); }
};

// The keys the help box lists, each as Qt names it.
std::set<QString> ListedKeys()
{
    std::set<QString> keys;
    for (const ui::BindingGroup& group : ui::WindowBindings())
        for (const ui::Binding& binding : group.Bindings)
            for (const QString& key : QString::fromUtf8(binding.Input).split(", "))
                keys.insert(key);
    return keys;
}

} // namespace

class WindowGuideTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlSaysWhatItDoes()
    {
        FormFixture f;
        int controls = 0;
        for (QWidget* widget : f.form->findChildren<QWidget*>()) {
            const bool control =
                qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget) ||
                qobject_cast<QAbstractSlider*>(widget) || qobject_cast<QComboBox*>(widget) ||
                qobject_cast<ui::OwnerDrawnGrid*>(widget) || qobject_cast<ui::PaintBox*>(widget);
            // Parts of another control (a grid's scroll bars and corner, the tab bar's arrows)
            // show that control's tooltip.
            QWidget* parent = widget->parentWidget();
            const bool part = parent != nullptr && parent != f.form.get() &&
                              (qobject_cast<QAbstractScrollArea*>(parent) ||
                               qobject_cast<QAbstractScrollArea*>(parent->parentWidget()) ||
                               qobject_cast<QTabBar*>(parent) || qobject_cast<QComboBox*>(parent));
            if (!control || part)
                continue;
            ++controls;
            QVERIFY2(!widget->toolTip().isEmpty(),
                     qPrintable(widget->objectName() + " " + widget->metaObject()->className()));
        }
        QVERIFY(controls >= 45);
        QTabBar* tabs = f.controls.PageControl1->TabBar();
        for (int i = 0; i < tabs->count(); ++i)
            QVERIFY(!tabs->tabToolTip(i).isEmpty());
        // The terse buttons name their keys; their captions stay.
        QVERIFY(f.controls.SpeedButton1->toolTip().contains("+ on the graph"));
        QVERIFY(f.controls.SpeedButton3->toolTip().contains("Shift+F"));
        QVERIFY(f.controls.SpeedButton4->toolTip().contains("Ctrl+L"));
        QCOMPARE(f.controls.SpeedButton1->text(), QString("+"));
    }

    void helpListsEveryKeyTheWindowBinds()
    {
        FormFixture f;
        const std::set<QString> listed = ListedKeys();
        QStringList bound;
        for (const QShortcut* shortcut : f.form->findChildren<QShortcut*>())
            bound << shortcut->key().toString(QKeySequence::PortableText);
        for (const QAction* action : f.form->findChildren<QAction*>())
            if (!action->shortcut().isEmpty())
                bound << action->shortcut().toString(QKeySequence::PortableText);
        QVERIFY(bound.size() >= 15);
        for (const QString& key : bound)
            QVERIFY2(listed.count(key) == 1, qPrintable(key + " is bound but not in the help"));
        for (const char* gesture : {"Shift+click", "Shift+wheel", "Middle drag", "Right click"})
            QVERIFY(listed.count(gesture) == 1);

        // F1 anywhere in the window, and "Help" in the graph's menu, show that list.
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.controls.ParamEdits[3]->setFocus();
        QTest::keyClick(f.controls.ParamEdits[3], Qt::Key_F1);
        QMessageBox* help = f.Box("BindingsHelp");
        QVERIFY(help && help->isVisible() && !help->isModal());
        QCOMPARE(help->text(), ui::BindingsHelpText());
        QVERIFY(help->text().contains("Shift+F") && help->text().contains("Ctrl+L"));
        help->hide();
        f.form->Tools().GraphContextMenu()->findChild<QAction*>("Help")->trigger();
        QVERIFY(help->isVisible());
        QCOMPARE(f.form->findChildren<QMessageBox*>("BindingsHelp").size(), 1);
    }

    void aboutNamesTheVersionAndTheLicence()
    {
        QCOMPARE(ui::ProgramVersion(), QString(BLDC_TEST_PROJECT_VERSION));
        const QString text = ui::AboutText();
        QVERIFY(text.contains("Brushless sensorless motor demo"));
        QVERIFY(text.contains("Version " BLDC_TEST_PROJECT_VERSION));
        QVERIFY(text.contains("MIT License"));

        FormFixture f;
        f.form->Tools().GraphContextMenu()->findChild<QAction*>("About")->trigger();
        QMessageBox* about = f.Box("AboutBox");
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->text(), text);
    }

    void theCommutationPanelShowsItsTopBorder()
    {
        FormFixture f;
        f.controls.PageControl1->SetActivePageIndex(0);
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        auto* panel = f.form->findChild<QFrame*>("Panel1");
        QVERIFY(panel);
        const QImage shown = panel->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(221, 113));
        const QImage patterns = ui::DrawCommutationPatterns().convertToFormat(QImage::Format_RGB32);
        // The border runs unbroken along the top, as along the bottom.
        for (int x = 0; x < shown.width(); ++x) {
            QCOMPARE(shown.pixel(x, 0), shown.pixel(0, 0));
            QCOMPARE(shown.pixel(x, 0), shown.pixel(x, shown.height() - 1));
        }
        QVERIFY(shown.pixel(0, 0) != patterns.pixel(0, 0));
        // The picture's top row held only background; every other pixel is where it was.
        for (int x = 0; x < patterns.width(); ++x)
            QCOMPARE(patterns.pixel(x, 0), patterns.pixel(0, 0));
        for (int y = 1; y < patterns.height(); ++y)
            for (int x = 0; x < patterns.width(); ++x)
                QCOMPARE(shown.pixel(22 + x, y), patterns.pixel(x, y));
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    WindowGuideTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_guide.moc"
