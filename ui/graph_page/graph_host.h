#pragma once

#include "engine/engine_state.h"
#include "graph/readout_reference.h"
#include "graph/reference_run.h"
#include "graph/view_window.h"

#include <QImage>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QWidget;

// What the graph tools need of the window they work in: what they read (the engine's state,
// the view window, the grid and the pages) and the operations they ask for. The window
// implements it; the tools never see the window's own type. The window also tells the tools
// of every change (GraphTools::RunEnded and the calls beside it): nothing here is polled.

namespace ui {

class OwnerDrawnGrid;

class GraphHost {
public:
    virtual ~GraphHost() = default;

    virtual const engine::EngineState& Engine() const = 0;
    // The samples the graph shows: ViewStart, ViewLen.
    virtual engine::SampleWindow View() const = 0;
    // The grid the graph is painted in (StringGrid1); its header cell holds the summary line.
    virtual OwnerDrawnGrid& Grid() const = 0;
    // The texts of Edit101 ... Edit106, the labels of the switch rows.
    virtual std::array<std::string, 6> SwitchLabels() const = 0;
    // The composed circuit picture; empty once released or while its files could not be read.
    virtual const std::optional<QImage>& CircuitPicture() const = 0;
    // The run held as reference, drawn under the live traces; no run while none is held.
    virtual graph::HeldReference Reference() const = 0;
    // The live run's figures beside the reference's, for the readout; nothing while no
    // reference is held or the live run did not finish.
    virtual std::optional<graph::ReferenceComparison> ReferenceComparison() const = 0;

    // The main window: owner of the menus, the readout and the dialogs.
    virtual QWidget& MainWindow() const = 0;
    // The "Graph" page: the graph's keys work while the focus is on it.
    virtual QWidget& GraphPage() const = 0;
    virtual bool GraphPageShown() const = 0;

    // The view window becomes `window`, then UpdateGraph keeps it inside the run, brings the
    // scroll bar in line and repaints the grid.
    virtual void ShowWindow(const engine::SampleWindow& window) = 0;
    // The "+", "-" and "<->" buttons' handlers.
    virtual void ZoomIn() = 0;
    virtual void ZoomOut() = 0;
    virtual void WholeRun() = 0;

    // Runs a handler as the window runs its own: an error escaping it goes to the error box.
    virtual void Guarded(const std::function<void()>& handler) const = 0;
};

} // namespace ui
