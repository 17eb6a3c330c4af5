#pragma once

#include "graph/readout_table.h"

#include <QWidget>

class QScrollArea;

// The "Readout" tool window: the cursor values and the view's measurements as tables in the
// channels' colours on the graph's dark background. Non-modal, owned by the main window, kept
// beside or below it rather than over the traces; resizable, scrolling when made smaller than its
// text.

namespace ui {

class ReadoutView;

class ReadoutWindow : public QWidget {
    Q_OBJECT

public:
    explicit ReadoutWindow(QWidget* owner);

    void SetTable(graph::ReadoutTable table);
    const graph::ReadoutTable& Table() const;
    // The client size that shows the whole table without scrolling.
    QSize ContentSize() const;

    // Shows the window beside or below the owner, over none of it (PlaceReadout), sized to its
    // text; once the user has moved or resized it, where the user left it.
    void ShowBesideOwner();

signals:
    void VisibilityChanged(bool visible);
    // The table was built anew (a run, a view, a window, a cursor, the pointer).
    void TableChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* owner_;
    ReadoutView* view_;
    QScrollArea* scroll_;
    // The client geometry the window was last placed at, and whether the user has moved or
    // resized it since (found when it hides): then it keeps the user's place for this run.
    QRect placedAt_; // the frame's position and the client's size where the window was placed
    bool userArranged_ = false;
};

} // namespace ui
