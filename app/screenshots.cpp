// Renders the pages of the window after "Emulate", and the graph for each analog view, into
// PNG files for the documentation. Runs on any platform plugin, the offscreen one included.
#include "engine/decimal_separator.h"
#include "ui/widgets/form_style.h"
#include "graph/graph_cursors.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/page_control.h"
#include "ui/graph_page/readout_window.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>

#include <cstdio>

namespace {

bool Save(QWidget& window, const QString& path)
{
    const bool saved = window.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ui::ApplyApplicationStyle(app);
    engine::SetDecimalSeparator('.');

    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(folder);

    ui::TForm1 form;
    auto* emulate = form.findChild<QPushButton*>("Button1");
    auto* views = form.findChild<QComboBox*>("ComboBox1");
    auto* pages = form.findChild<ui::PageControl*>("PageControl1");
    auto* duty = form.findChild<QSlider*>("TrackBar2");
    form.show();
    emulate->click();

    bool ok = Save(form, folder + "/graph.png");
    for (int view = 0; view < views->count(); ++view) {
        views->setCurrentIndex(view);
        ok = Save(form, QStringLiteral("%1/graph-view%2.png").arg(folder).arg(view)) && ok;
    }
    views->setCurrentIndex(1);
    pages->SetActivePageIndex(0);
    // The page as its original layout draws it, without the switch added for the bridge layer.
    form.ShowBridgeState->hide();
    ok = Save(form, folder + "/circuit.png") && ok;
    form.ShowBridgeState->show();

    // Cursors and measurements at half duty, where the PWM shows: the window and its readout
    // side by side in one picture.
    pages->SetActivePageIndex(1);
    duty->setValue(5);
    form.Tools().PlaceCursor(graph::CursorId::A, 2577);
    form.Tools().PlaceCursor(graph::CursorId::B, 4020);
    form.Tools().SetReadoutVisible(true);
    // Whole, whatever room the screen left it beside the window.
    form.Tools().Readout()->resize(form.Tools().Readout()->ContentSize());
    QCoreApplication::processEvents();
    const QPixmap window = form.grab();
    const QPixmap readout = form.Tools().Readout()->grab();
    QPixmap both(window.width() + readout.width(), std::max(window.height(), readout.height()));
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, window);
    painter.drawPixmap(window.width(), 0, readout);
    painter.end();
    const QString cursorsPath = folder + "/cursors.png";
    const bool savedCursors = both.save(cursorsPath, "PNG");
    std::printf("%s %s\n", savedCursors ? "wrote" : "could not write", qPrintable(cursorsPath));
    ok = savedCursors && ok;

    // The bridge at one instant, at full duty with the PWM output on.
    form.Tools().SetReadoutVisible(false);
    duty->setValue(10);
    pages->SetActivePageIndex(0);
    form.ShowBridgeState->setChecked(true);
    form.findChild<QScrollBar*>("ScrollBar1")->setValue(20);
    ok = Save(form, folder + "/circuit-bridge.png") && ok;

    // A run at full duty over one at half duty held as the reference.
    pages->SetActivePageIndex(1);
    duty->setValue(5);
    form.HoldReference();
    duty->setValue(10);
    ok = Save(form, folder + "/graph-reference.png") && ok;

    // The zero-crossing page over the whole run at full duty on the view-2 circuit, whose
    // unequal dividers find the rising crossings early and the falling ones not at all.
    form.ClearReference();
    views->setCurrentIndex(2);
    pages->SetActivePageIndex(2);
    QCoreApplication::processEvents();
    ok = Save(form, folder + "/zero-crossings.png") && ok;
    return ok ? 0 : 1;
}
