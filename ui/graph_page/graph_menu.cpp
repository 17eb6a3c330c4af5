#include "ui/graph_page/graph_menu.h"

#include "ui/graph_page/graph_exports.h"
#include "ui/graph_page/graph_host.h"

#include <QMenu>

namespace ui {

GraphMenu::GraphMenu(GraphHost& host, GraphMenuActions actions, bool cursorMode)
    : menu_(new QMenu(&host.MainWindow())), actions_(std::move(actions))
{
    menu_->setObjectName("GraphContextMenu");
    QAction* placeA = menu_->addAction("Place cursor A here");
    placeA->setObjectName("PlaceCursorA");
    QObject::connect(placeA, &QAction::triggered, menu_, [this] {
        if (sample_)
            actions_.PlaceCursor(graph::CursorId::A, *sample_);
    });
    QAction* placeB = menu_->addAction("Place cursor B here");
    placeB->setObjectName("PlaceCursorB");
    QObject::connect(placeB, &QAction::triggered, menu_, [this] {
        if (sample_)
            actions_.PlaceCursor(graph::CursorId::B, *sample_);
    });
    menu_->addAction("Clear cursors\tEsc", menu_, [this] { actions_.ClearCursors(); });
    menu_->addSeparator();
    GraphHost* target = &host;
    menu_->addAction("Zoom in\t+", menu_,
                     [target] { target->Guarded([target] { target->ZoomIn(); }); });
    menu_->addAction("Zoom out\t-", menu_,
                     [target] { target->Guarded([target] { target->ZoomOut(); }); });
    menu_->addAction("Whole run\tF", menu_,
                     [target] { target->Guarded([target] { target->WholeRun(); }); });
    menu_->addSeparator();
    cursorModeAction_ = menu_->addAction("Cursor mode\tC");
    cursorModeAction_->setCheckable(true);
    cursorModeAction_->setChecked(cursorMode);
    QObject::connect(cursorModeAction_, &QAction::triggered, menu_,
                     [this](bool on) { actions_.SetCursorMode(on); });
    readoutAction_ = menu_->addAction("Show readout\tR");
    readoutAction_->setObjectName("ShowReadout");
    readoutAction_->setCheckable(true);
    QObject::connect(readoutAction_, &QAction::triggered, menu_,
                     [this](bool on) { actions_.SetReadoutVisible(on); });
    // On by default: the pointer line is drawn as it always was.
    QAction* pointerLine = menu_->addAction("Show pointer line");
    pointerLine->setObjectName("ShowPointerLine");
    pointerLine->setCheckable(true);
    pointerLine->setChecked(true);
    QObject::connect(pointerLine, &QAction::triggered, menu_,
                     [this](bool on) { actions_.SetPointerLineShown(on); });
    menu_->addSeparator();
    AddGraphExportActions(host, *menu_, actions_.Cursors);
}

GraphMenu::~GraphMenu()
{
    // The actions call back into this object: they go with it.
    delete menu_;
}

void GraphMenu::Popup(std::optional<int> sample, const QPoint& globalPos)
{
    sample_ = sample;
    for (QAction* action : menu_->actions()) {
        if (action->objectName() == "PlaceCursorA" || action->objectName() == "PlaceCursorB")
            action->setEnabled(sample_.has_value());
    }
    menu_->popup(globalPos);
}

void GraphMenu::ShowCursorMode(bool on)
{
    cursorModeAction_->setChecked(on);
}

void GraphMenu::ShowReadoutVisible(bool visible)
{
    readoutAction_->setChecked(visible);
}

} // namespace ui
