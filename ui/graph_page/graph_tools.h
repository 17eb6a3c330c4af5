#pragma once

#include "engine/measurements.h"
#include "ui/widgets/error_report.h"
#include "graph/graph_cursors.h"
#include "graph/zoom_around_pointer.h"

#include <QObject>
#include <QPoint>

#include <optional>
#include <vector>

class QAction;
class QMenu;
class QMouseEvent;
class QShortcut;
class QWheelEvent;

// The graph's interactive tools, beside the graph's painter, never in it: two cursors with a
// readout of the values under them and under the pointer, measurements over the view window, and
// mouse and keyboard navigation that moves the form's own view window through UpdateGraph.
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
//   + - F                zoom in, zoom out, whole run (the "+", "-" and "<->" buttons)
//   [ ]                  cursor A to the previous, next switch edge
//   Escape               clear the cursors
//   R                    show or hide the readout;  C  cursor mode on or off

namespace ui {

class GraphOverlay;
class ReadoutWindow;
class TForm1;

class GraphTools : public QObject {
    Q_OBJECT

public:
    GraphTools(TForm1& form, ErrorSink showError);
    ~GraphTools() override;

    GraphTools(const GraphTools&) = delete;
    GraphTools& operator=(const GraphTools&) = delete;

    // The graph's right-click menu. Other tools add their actions to it (after a separator of
    // their own); the cursor actions use the position the menu was opened at.
    QMenu* GraphContextMenu() const { return menu_; }
    // The grid sample the menu was last opened over, if it was over the plot.
    std::optional<int> MenuSample() const { return menuSample_; }

    ReadoutWindow* Readout() const { return readout_; }
    GraphOverlay* Overlay() const { return overlay_; }
    const graph::GraphCursors& Cursors() const { return cursors_; }
    std::optional<int> PointerSample() const { return pointerSample_; }
    bool CursorMode() const { return cursorMode_; }

    // The horizontal geometry of the graph now; empty while it shows no spread of samples.
    std::optional<graph::PlotMapping> Geometry() const;

    // Cursor operations; placing a cursor opens the readout. Samples are clamped to the run.
    void PlaceCursor(graph::CursorId id, int sample);
    void ClearCursors();
    // Cursor A to the neighbouring switch edge (direction < 0: previous); the view follows
    // when the edge lies outside it. Without cursor A the search starts at the view's edge.
    void JumpToEdge(int direction);

    // Navigation: each ends in the form's UpdateGraph; nothing happens while the run has
    // fewer than 10 samples (the view window is then not kept inside the run).
    void ZoomAt(int x, graph::ZoomDirection direction);
    void ScrollBy(int samples);

    void SetCursorMode(bool on);
    void SetReadoutVisible(bool visible);
    bool ReadoutVisible() const;

    // Brings cursors, pointer, overlay and readout in line with the run and the view window.
    // Runs before every paint of the grid; a new run with another sample count clears the
    // cursors, and nothing is ever read past SampleCount.
    void Refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void CreateShortcuts();
    void ForgetOldRun();
    void Sync(bool repaintOverlay);
    void RefreshReadout(bool evenIfHidden = false);
    bool InPlot(const QPoint& pos) const;
    int PlotBottom() const;
    bool Navigable() const;
    void SetWindow(const engine::SampleWindow& window);
    template <class Handler> void Guarded(Handler&& handler);

    bool MousePress(QMouseEvent* event);
    bool MouseMove(QMouseEvent* event);
    bool Wheel(QWheelEvent* event);
    void ContextMenu(const QPoint& pos, const QPoint& globalPos);

    TForm1& form_;
    ErrorSink showError_;
    QWidget* viewport_;
    GraphOverlay* overlay_;
    ReadoutWindow* readout_;
    QMenu* menu_ = nullptr;
    QAction* cursorModeAction_ = nullptr;
    QAction* readoutAction_ = nullptr;
    std::vector<QShortcut*> shortcuts_;

    graph::GraphCursors cursors_;
    int lastSampleCount_ = 0;
    bool cursorMode_ = true;
    std::optional<QPoint> pointerPos_;
    std::optional<int> pointerSample_;
    std::optional<int> menuSample_;
    std::optional<graph::CursorId> dragging_;
    std::optional<QPoint> panFrom_;
    int panStart_ = 0;
    float panPxPerSample_ = 0;
    int wheelRemainder_ = 0;

    // The measurements shown, kept while only the cursors or the pointer move.
    struct MeasuredWindow {
        int SampleCount = 0;
        engine::SampleWindow View;
        int ChannelCount = 0;
        friend bool operator==(const MeasuredWindow&, const MeasuredWindow&) = default;
    };
    std::optional<engine::ViewMeasurements> measured_;
    MeasuredWindow measuredWindow_;
};

} // namespace ui
