#pragma once

#include "graph/graph_cursors.h"
#include "ui/graph_page/graph_exports.h"

#include <QPoint>

#include <functional>
#include <optional>

class QAction;
class QMenu;

// The graph's right-click menu: the cursor actions for the sample the menu was opened over,
// zoom, cursor mode, the readout and the pointer line, and the graph's exports. The window adds
// its own entries after them.

namespace ui {

class GraphHost;

// What the menu's own actions do.
struct GraphMenuActions {
    std::function<void(graph::CursorId id, int sample)> PlaceCursor;
    std::function<void()> ClearCursors;
    std::function<void(bool on)> SetCursorMode;
    std::function<void(bool visible)> SetReadoutVisible;
    std::function<void(bool shown)> SetPointerLineShown;
    // The cursor lines now, for "Save graph with cursors as PNG...".
    std::function<CursorMarks()> Cursors;
};

class GraphMenu {
public:
    GraphMenu(GraphHost& host, GraphMenuActions actions, bool cursorMode);

    ~GraphMenu();
    GraphMenu(const GraphMenu&) = delete;
    GraphMenu& operator=(const GraphMenu&) = delete;

    QMenu* Menu() const { return menu_; }
    // The grid sample the menu was last opened over, if it was over the plot.
    std::optional<int> Sample() const { return sample_; }

    // Opens the menu at `globalPos`; the cursor actions need a sample.
    void Popup(std::optional<int> sample, const QPoint& globalPos);

    // The check marks of the toggles.
    void ShowCursorMode(bool on);
    void ShowReadoutVisible(bool visible);

private:
    QMenu* menu_;
    GraphMenuActions actions_;
    QAction* cursorModeAction_ = nullptr;
    QAction* readoutAction_ = nullptr;
    std::optional<int> sample_;
};

} // namespace ui
