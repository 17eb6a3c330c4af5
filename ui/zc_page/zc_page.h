#pragma once

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/sample.h"
#include "engine/sample_window.h"
#include "engine/zero_crossing.h"

#include <QWidget>

#include <optional>

class QLabel;
class QTableWidget;

// The "Zero crossings" page: the comparator traces of the selected view over the graph's view
// window, the table of the crossings there with its summary, and the detector's settings. The
// window tells the page of every run, view and view-window change (Show); the page never looks
// for them itself. The table's cells are the command line's --zc cells.

namespace ui {

class ZcDetectorControls;
class ZcTraceView;

// What the page analyses, as the window holds it now.
struct ZcSource {
    const engine::SampleBuffer* Run = nullptr;
    const engine::ChannelSet* Result = nullptr; // the channels of View, built from Run
    std::optional<engine::OperatingPoint> Op;   // of the run; none before the first one
    int View = 0;
    engine::SampleWindow Window; // the graph's view window
    // The graph's plot columns (Left ... Right - 1) in the page's coordinates.
    int PlotLeft = 0;
    int PlotRight = 0;
    char Separator = '.';
};

class ZcPage : public QWidget {
    Q_OBJECT

public:
    explicit ZcPage(QWidget* parent = nullptr);

    // While the page is hidden the source is only kept: it is analysed when the page is shown,
    // so that navigating a long run on the "Graph" page does not pay for a page nobody sees.
    void Show(const ZcSource& source);
    // The crossings of the source as last shown on the page.
    const engine::ZcTable& Table() const { return table_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Analyse();
    void FillTable();
    void LayOutTraces();

    ZcSource source_;
    bool stale_ = true;           // the source changed while the page was hidden
    engine::SampleWindow window_; // the source's window shifted and cut into the run
    engine::ZcTable table_;
    ZcTraceView* traces_ = nullptr;
    QLabel* message_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QLabel* summary_ = nullptr;
    ZcDetectorControls* detector_ = nullptr;
};

} // namespace ui
