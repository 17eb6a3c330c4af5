#pragma once

#include "graph/plot_mapping.h"
#include "graph/view_window.h"
#include "graph/zoom_around_pointer.h"

#include <QPoint>

#include <functional>
#include <optional>

class QKeySequence;
class QObject;

// Moving the view window with the pointer and the keys: the wheel zooms by 2 around the
// pointer, shift + wheel scrolls by a tenth of the view per notch, a drag pans, and the keys
// do what the zoom buttons do. Every move asks the session to move its window (the window
// follows it); the pointer moves nothing while the run has fewer than 10 samples.

namespace ui {

class GraphHost;
class PlotArea;

class GraphNavigation {
public:
    GraphNavigation(GraphHost& host, const PlotArea& area);

    void ZoomAt(int x, graph::ZoomDirection direction);
    void ScrollBy(int samples);
    // A window of the same length with `sample` in its middle, when it lies outside the view.
    void Reveal(int sample);

    // A wheel turn over the plot at x; whole notches count, the rest is kept for the next turn.
    void Wheel(int x, const QPoint& angleDelta, bool shift);

    // A drag from `pos` pans the window by the samples the pointer has moved over.
    void StartPan(const QPoint& pos);
    bool Panning() const { return panFrom_.has_value(); }
    void PanTo(int x);
    void EndPan() { panFrom_.reset(); }

private:
    void SetWindow(const engine::SampleWindow& window);

    GraphHost& host_;
    const PlotArea& area_;
    std::optional<QPoint> panFrom_;
    int panStart_ = 0;
    std::optional<graph::PlotMapping> panMapping_; // the view the drag began in
    int wheelRemainder_ = 0;
};

// What the graph's keys do besides zooming.
struct GraphKeyActions {
    std::function<void()> PreviousEdge;
    std::function<void()> NextEdge;
    std::function<void()> ClearCursors;
    std::function<void()> ToggleReadout;
    std::function<void()> ToggleCursorMode;
};

// The graph's keys, whenever the "Graph" page is shown and no text box has the focus (after
// "Emulate", a click on the page's tab or a run from a box alike; typing into a box is
// untouched): + and = zoom in, - zoom out, F or Shift+F whole run, [ ] the previous and next
// switch edge, Escape clears the cursors, R the readout, C cursor mode. Each runs guarded.
void BindGraphKeys(GraphHost& host, QObject* receiver, const GraphKeyActions& actions);
// One more key of the graph, bound like those.
void BindGraphKey(GraphHost& host, QObject* receiver, const QKeySequence& keys,
                  std::function<void()> handler);

} // namespace ui
