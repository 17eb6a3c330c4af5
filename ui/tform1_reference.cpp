// The reference run's actions and note: "Hold as reference" has the session keep a copy of the
// current run, which every later run of the graph draws, dimmed, under its own traces; "Clear
// reference" drops it.
#include "ui/tform1.h"

#include "engine/decimal_separator.h"
#include "ui/form_graph_host.h"
#include "ui/graph_page/graph_navigation.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/session/run_session.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QShortcut>

namespace ui {

void TForm1::CreateReferenceActions()
{
    QMenu* menu = graphTools_->GraphContextMenu();
    menu->addSeparator();
    QAction* hold = menu->addAction("Hold as reference");
    hold->setShortcut(QKeySequence(Qt::Key_H));
    QAction* clear = menu->addAction("Clear reference");
    clear->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_H));
    connect(hold, &QAction::triggered, this, [this] { Guarded([this] { HoldReference(); }); });
    connect(clear, &QAction::triggered, this, [this] { Guarded([this] { ClearReference(); }); });
    connect(menu, &QMenu::aboutToShow, this, [this, hold, clear] {
        hold->setEnabled(session_->CanHoldReference());
        clear->setEnabled(session_->Reference().has_value());
    });
    // The keys act while the graph page is shown, as its other keys do.
    for (QAction* action : {hold, clear}) {
        action->setShortcutContext(Qt::WidgetShortcut); // shown in the menu, taken below
        BindGraphKey(*graphHost_, action, action->shortcut(), [action] { action->trigger(); });
    }

    ReferenceNote = new QLabel(StringGrid1->viewport());
    ReferenceNote->setObjectName("ReferenceNote");
    ReferenceNote->setAttribute(Qt::WA_TransparentForMouseEvents);
    ReferenceNote->setStyleSheet(
        "QLabel { color: white; background: #303030; border: 1px dotted #808080; padding: 1px; }");
    ReferenceNote->hide();
}

void TForm1::HoldReference()
{
    const BusyCursor busy;
    session_->HoldReference();
}

void TForm1::ClearReference()
{
    session_->ClearReference();
}

void TForm1::RefreshReferenceNote()
{
    if (ReferenceNote == nullptr)
        return;
    const std::optional<graph::ReferenceRun>& reference = session_->Reference();
    const std::optional<engine::RunSummary>& live = session_->Summary();
    if (!reference || !live) {
        ReferenceNote->hide();
        return;
    }
    ReferenceNote->setText(QString::fromStdString(graph::ReferenceComparisonText(
        *live, reference->Summary, engine::DecimalSeparator())));
    ReferenceNote->adjustSize();
    // Under the legend of the analog plot, where the traces rarely run.
    const graph::TRect plot = StringGrid1->CellRect(1, 7);
    ReferenceNote->move(plot.Left + 4, plot.Top + 18);
    ReferenceNote->show();
    ReferenceNote->raise();
}

} // namespace ui
