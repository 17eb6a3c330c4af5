#pragma once

#include "graph/graph_cursors.h"
#include "graph/zoom_around_pointer.h"
#include "ui/graph_page/cursor_tool.h"
#include "ui/graph_page/graph_menu.h"
#include "ui/graph_page/graph_navigation.h"
#include "ui/graph_page/graph_readout.h"
#include "ui/graph_page/plot_area.h"

#include <QObject>
#include <QPoint>

#include <optional>

class QMenu;
class QMouseEvent;
class QWheelEvent;

// The graph's interactive tools, beside the graph's painter, never in it: two cursors with a
// readout of the values under them and under the pointer, measurements over the view window, and
// mouse and keyboard navigation that asks the session to move its view window. They work in a
// GraphHost and follow its session's signals (RunEnded and the calls beside it), so that the
// readout is right whether the "Graph" page is shown or not.
//
// Mouse, over column 1 of the graph:
//   left click           place cursor A (in cursor mode; drag to move it, or grab a cursor
//                        line within 4 pixels and drag it)
//   shift + left click   place cursor B
//   right click          the graph menu ("Place cursor A here", "Place cursor B here", ...)
//   wheel, ctrl + wheel  zoom by 2 around the pointer
//   shift + wheel        scroll by a tenth of the view per notch
//   middle drag          pan; left drag pans too while cursor mode is off
// Keys, while the focus is on the "Graph" page:
//   + - F (Shift+F)      zoom in, zoom out, whole run (the "+", "-" and "<->" buttons)
//   [ ]                  cursor A to the previous, next switch edge
//   Escape               clear the cursors
//   R                    show or hide the readout;  C  cursor mode on or off
// The whole list, with the window's other keys, is in window_bindings.cpp (F1 shows it).

namespace ui {

class GraphHost;
class GraphOverlay;
class ReadoutWindow;

class GraphTools : public QObject {
    Q_OBJECT

public:
    explicit GraphTools(GraphHost& host);
    ~GraphTools() override;

    GraphTools(const GraphTools&) = delete;
    GraphTools& operator=(const GraphTools&) = delete;

    // What the session tells the tools (the layout comes from the host). Each brings cursors,
    // pointer, overlay and readout in line at once; none repaints the grid, whose repaints stay
    // the host's.
    // After every run: whole, single-angle, refused before its loop or stopped part-way. A
    // run of another sample count clears the cursors; nothing is ever read past SampleCount.
    void RunEnded();
    // The channels were built again for the same run (another view was chosen).
    void ChannelsChanged();
    // The view window moved.
    void WindowMoved();
    // The grid's cells changed size (FormResize).
    void LayoutChanged();
    // A reference run was held or cleared.
    void ReferenceChanged();

    GraphHost& Host() const { return host_; }

    // The graph's right-click menu; the cursor actions use the position it was opened at.
    QMenu* GraphContextMenu() const { return menu_.Menu(); }
    // The grid sample the menu was last opened over, if it was over the plot.
    std::optional<int> MenuSample() const { return menu_.Sample(); }

    ReadoutWindow* Readout() const { return readout_.Window(); }
    GraphOverlay* Overlay() const { return overlay_; }
    const graph::GraphCursors& Cursors() const { return cursors_.Cursors(); }
    std::optional<int> PointerSample() const { return pointerSample_; }
    bool CursorMode() const { return cursorMode_; }

    // The horizontal geometry of the graph now; empty while it shows no spread of samples.
    std::optional<graph::PlotMapping> Geometry() const { return area_.Geometry(); }

    // Cursor operations; placing a cursor opens the readout. Samples are clamped to the run.
    void PlaceCursor(graph::CursorId id, int sample);
    void ClearCursors();
    // Cursor A to the neighbouring switch edge (direction < 0: previous); the view follows
    // when the edge lies outside it. Without cursor A the search starts at the view's edge.
    void JumpToEdge(int direction);

    // Navigation: each ends in the host's UpdateGraph; nothing happens while the run has
    // fewer than 10 samples (the view window is then not kept inside the run).
    void ZoomAt(int x, graph::ZoomDirection direction) { navigation_.ZoomAt(x, direction); }
    void ScrollBy(int samples) { navigation_.ScrollBy(samples); }

    void SetCursorMode(bool on);
    void SetReadoutVisible(bool visible);
    bool ReadoutVisible() const { return readout_.Visible(); }
    // The dotted line under the pointer; the readout keeps the pointer's values either way.
    void SetPointerLineShown(bool shown);
    bool PointerLineShown() const { return pointerLineShown_; }

    // The cursor lines as the overlay draws them now, without the pointer line.
    CursorMarks CursorMarksNow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Pointer sample, overlay lines and readout for the state now; `repaintOverlay` repaints
    // the columns of the old and the new lines.
    void Sync(bool repaintOverlay);
    // The lines of cursors B and A that lie in the view, B first so that A is drawn over it.
    std::vector<OverlayLine> CursorLines(const graph::PlotMapping& geometry) const;

    bool MousePress(QMouseEvent* event);
    bool MouseMove(QMouseEvent* event);
    bool Wheel(QWheelEvent* event);
    void ContextMenu(const QPoint& pos, const QPoint& globalPos);

    GraphHost& host_;
    QWidget* viewport_;
    bool cursorMode_ = true;
    bool pointerLineShown_ = true;
    PlotArea area_;
    CursorTool cursors_;
    GraphNavigation navigation_;
    GraphOverlay* overlay_;
    GraphReadout readout_;
    GraphMenu menu_;

    std::optional<QPoint> pointerPos_;
    std::optional<int> pointerSample_;
};

} // namespace ui
