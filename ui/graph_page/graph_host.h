#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

class QWidget;

// What the graph tools need of the window they work in: the session they follow and the
// widgets they work in. The session says when the run, its channels, its window or its
// reference change; the window implements the rest, and the tools never see its own type.

namespace ui {

class OwnerDrawnGrid;
class RunSession;

class GraphHost {
public:
    virtual ~GraphHost() = default;

    // The run, its window and its reference; the tools move the window through it.
    virtual RunSession& Session() const = 0;
    // The grid the graph is painted in (StringGrid1).
    virtual OwnerDrawnGrid& Grid() const = 0;
    // The texts of Edit101 ... Edit106, the labels of the switch rows.
    virtual std::array<std::string, 6> SwitchLabels() const = 0;

    // The main window: owner of the menus, the readout and the dialogs.
    virtual QWidget& MainWindow() const = 0;
    // The "Graph" page: the graph's keys work while the focus is on it.
    virtual QWidget& GraphPage() const = 0;
    virtual bool GraphPageShown() const = 0;

    // The "+", "-" and "<->" buttons' handlers.
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void WholeRun() = 0;

    // Runs a handler as the window runs its own: an error escaping it goes to the error box.
    virtual void Guarded(const std::function<void()>& handler) const = 0;
};

} // namespace ui
