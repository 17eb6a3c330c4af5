#pragma once

#include "graph/readout_table.h"

#include <QWidget>

class QScrollArea;

// The "Readout" tool window: the cursor values and the view's measurements as tables in the
// channels' colours on the graph's dark background. Non-modal, owned by the main window, kept
// beside it rather than over the traces; resizable, scrolling when made smaller than its text.

namespace ui {

class ReadoutView;

class ReadoutWindow : public QWidget {
    Q_OBJECT

public:
    explicit ReadoutWindow(QWidget* owner);

    void SetTable(graph::ReadoutTable table);
    const graph::ReadoutTable& Table() const;

    // Shows the window; the first time, beside the owner's right edge, its top level with the
    // owner's, sized to its text.
    void ShowBesideOwner();

signals:
    void VisibilityChanged(bool visible);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* owner_;
    ReadoutView* view_;
    QScrollArea* scroll_;
    bool placed_ = false;
};

} // namespace ui
