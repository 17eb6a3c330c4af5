#pragma once

#include "engine/measurements.h"
#include "graph/graph_cursors.h"

#include <optional>

// What the "Readout" window shows: the values under the cursors and the pointer, and the
// measurements over the view window, which are kept while only the cursors or the pointer
// move and taken again for another window, another run or other channels.

namespace ui {

class GraphHost;
class ReadoutWindow;

class GraphReadout {
public:
    explicit GraphReadout(const GraphHost& host);

    GraphReadout(const GraphReadout&) = delete;
    GraphReadout& operator=(const GraphReadout&) = delete;

    ReadoutWindow* Window() const { return window_; }
    bool Visible() const;

    // Shows the table for the cursors and the pointer now (the table first: the window takes
    // its first size from it), or hides the window.
    void SetVisible(bool visible, const graph::GraphCursors& cursors, std::optional<int> pointer);
    // The table for the cursors and the pointer now; nothing while the window is hidden.
    void Refresh(const graph::GraphCursors& cursors, std::optional<int> pointer);
    // The run or its channels changed: the measurements are taken again at the next refresh.
    void ForgetMeasurements() { measured_.reset(); }

private:
    void Fill(const graph::GraphCursors& cursors, std::optional<int> pointer);

    // The window the measurements shown were taken over.
    struct MeasuredWindow {
        int SampleCount = 0;
        engine::SampleWindow View;
        int ChannelCount = 0;
        friend bool operator==(const MeasuredWindow&, const MeasuredWindow&) = default;
    };

    const GraphHost& host_;
    ReadoutWindow* window_;
    std::optional<engine::ViewMeasurements> measured_;
    MeasuredWindow measuredWindow_;
};

} // namespace ui
