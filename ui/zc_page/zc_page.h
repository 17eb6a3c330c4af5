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

// The "Zero crossings" page: the comparator traces of the session's view over its view
// window, the table of the crossings there with its summary, and the detector's settings. The
// page follows the session's runs, channels and window. The table's cells are the command
// line's --zc cells.

namespace ui {

class RunSession;
class ZcDetectorControls;
class ZcTraceView;

class ZcPage : public QWidget {
    Q_OBJECT

public:
    explicit ZcPage(const RunSession& session, QWidget* parent = nullptr);

    // The graph's plot columns (left ... right - 1) in the page's coordinates: the traces are
    // drawn in the very same columns.
    void SetPlotColumns(int left, int right);
    // How many times the page has analysed the session (once per change it was shown).
    int Analyses() const { return analyses_; }
    // The table as tab-separated text with its header, as "Copy table" puts it on the
    // clipboard.
    QString TableText() const;

    // The crossings of the source as last shown on the page.
    const engine::ZcTable& Table() const { return table_; }

signals:
    // A row was clicked: the sample of its detection, or of its true crossing when none.
    void CrossingChosen(int sample);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // While the page is hidden a change is only noted: it is analysed when the page is shown,
    // so that navigating a long run on the "Graph" page does not pay for a page nobody sees.
    void SessionChanged();
    void Analyse();
    void FillTable();
    void LayOutTraces();

    const RunSession& session_;
    int plotLeft_ = 0;
    int plotRight_ = 0;
    int analyses_ = 0;
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
