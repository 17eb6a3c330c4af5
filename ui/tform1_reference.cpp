// The reference run: "Hold as reference" keeps a copy of the current run, which every later
// run of the graph draws, dimmed, under its own traces; "Clear reference" drops it.
#include "ui/tform1.h"

#include "engine/decimal_separator.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/owner_drawn_grid.h"

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
        hold->setEnabled(state_.Run.SampleCount > 0 && lastSummary_.has_value());
        clear->setEnabled(reference_.has_value());
    });
    // The keys act while the focus is on the graph page, as its other keys do.
    for (QAction* action : {hold, clear}) {
        action->setShortcutContext(Qt::WidgetShortcut); // shown in the menu, taken below
        auto* key = new QShortcut(action->shortcut(), TabSheet2);
        key->setContext(Qt::WidgetWithChildrenShortcut);
        connect(key, &QShortcut::activated, action, &QAction::trigger);
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
    // Only a whole run is worth comparing with: a failed run has no summary to hold.
    if (state_.Run.SampleCount <= 0 || !lastSummary_)
        return;
    const BusyCursor busy;
    reference_ = graph::HoldReference(state_.Run, state_.Result, ComboBox1->currentIndex(),
                                      *lastSummary_, LiveZc());
    RefreshReferenceNote();
    TellGraphTools(&GraphTools::ReferenceChanged);
    StringGrid1->Repaint();
}

void TForm1::ClearReference()
{
    reference_.reset();
    RefreshReferenceNote();
    TellGraphTools(&GraphTools::ReferenceChanged);
    StringGrid1->Repaint();
}

void TForm1::RefreshReferenceNote()
{
    if (ReferenceNote == nullptr)
        return;
    if (!reference_ || !lastSummary_) {
        ReferenceNote->hide();
        return;
    }
    ReferenceNote->setText(QString::fromStdString(graph::ReferenceComparisonText(
        *lastSummary_, reference_->Summary, engine::DecimalSeparator())));
    ReferenceNote->adjustSize();
    // Under the legend of the analog plot, where the traces rarely run.
    const graph::TRect plot = StringGrid1->CellRect(1, 7);
    ReferenceNote->move(plot.Left + 4, plot.Top + 18);
    ReferenceNote->show();
    ReferenceNote->raise();
}

std::optional<engine::ZcSummary> TForm1::LiveZc() const
{
    const int view = ComboBox1->currentIndex();
    if (!liveZc_ || liveZc_->Run != runCount_ || liveZc_->View != view) {
        liveZc_ = LiveZcCache{runCount_, view, std::nullopt};
        // A single-angle run or a failed one has no crossings to compare.
        if (lastOperatingPoint_ && lastSummary_ && !lastSingleAnglePwm_)
            liveZc_->Zc =
                engine::WholeRunZcSummary(state_.Run, *lastOperatingPoint_, state_.Result, view);
    }
    return liveZc_->Zc;
}

} // namespace ui
