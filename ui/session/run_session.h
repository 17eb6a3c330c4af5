#pragma once

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/engine_state.h"
#include "engine/run_summary.h"
#include "engine/sample_window.h"
#include "engine/zero_crossing.h"
#include "graph/channel_envelope.h"
#include "graph/graph_paint_params.h"
#include "graph/readout_reference.h"
#include "graph/reference_run.h"
#include "graph/switch_edges.h"

#include <QObject>

#include <cstdint>
#include <optional>
#include <string>

// One emulation session: the parameter set, the last run with the facts it was made with, its
// channels and paint summaries, the view window into it and the reference run. Every page
// follows it through its signals; it knows no widget. Each change is announced by exactly one
// signal, after the session is consistent again:
//   RunEnded         a run ended: whole, single-angle, refused before its loop or stopped
//                    part-way; the window, channels and summary belong to it
//   ChannelsChanged  the channels were built again for the same run (another view)
//   WindowMoved      the view window changed
//   ReferenceChanged a reference was held or cleared

namespace ui {

class RunSession : public QObject {
    Q_OBJECT

public:
    explicit RunSession(QObject* parent = nullptr);

    const engine::EngineState& Engine() const { return state_; }
    // The parameter set the form's entry rules read and write.
    engine::TParams& Params() { return state_.Params; }
    const engine::SampleBuffer& Samples() const { return state_.Run; }
    const engine::ChannelSet& Channels() const { return state_.Result; }

    // What the last run was made with: the bridge layer reads the transistors through the
    // inversion of that run, not of a driver option changed since.
    const engine::RunSettings& RunSettings() const { return runSettings_; }
    // The held PWM state of a single-angle run; none after a full run.
    std::optional<int> SingleAnglePwm() const { return singleAnglePwm_; }
    // None after a run that failed.
    const std::optional<engine::RunSummary>& Summary() const { return summary_; }
    // The graph's header line: the summary in the user's separator; empty without a summary.
    const std::string& SummaryText() const { return summaryText_; }
    // The operating point of the last run begun: the zero-crossing analysis reads its timing
    // and commutation rule, not those of boxes changed since.
    const std::optional<engine::OperatingPoint>& OperatingPoint() const { return op_; }
    // Counts the runs begun: one more for each run that got past its refusal checks.
    std::uint64_t RunCount() const { return runCount_; }
    // The view whose channels are built.
    int View() const { return view_; }

    // The samples the graph shows (ViewStart, ViewLen).
    engine::SampleWindow Window() const { return window_; }

    // Runs the engine (pwmState -1: the whole revolution; else one instant) and completes the
    // run: the window reset to the whole run, the channels of `view` rebuilt, the summary
    // line written. RunEnded follows however the run ends; a refusal or a fault is rethrown
    // after it. A run refused before its loop leaves everything of the previous run.
    void Run(const engine::RunSettings& settings, int pwmState, float startAngle, int view,
             const engine::ChannelTexts& texts);
    // Builds the channels of `view` for the run there is; ChannelsChanged.
    void PrepareView(int view, const engine::ChannelTexts& texts);

    // The window becomes `window`, kept inside a run of 10 samples or more by moving only its
    // start (a window longer than the run keeps its length); WindowMoved when that changed it.
    void SetWindow(const engine::SampleWindow& window);

    // The reference run: a copy of the current run, drawn under every later run's traces.
    // Held only from a whole run. ReferenceChanged.
    bool CanHoldReference() const;
    void HoldReference();
    void ClearReference();
    const std::optional<graph::ReferenceRun>& Reference() const { return reference_; }
    graph::HeldReference HeldReference() const;
    // The live run's figures beside the reference's; none without a reference or a summary.
    std::optional<graph::ReferenceComparison> ReferenceComparison() const;
    // The whole run's crossings in the current view with the default detector, taken once per
    // run and view; none for a single-angle or failed run.
    std::optional<engine::ZcSummary> LiveZc() const;

    // What one paint of the graph reads, with the run's paint summaries.
    graph::GraphPaintParams PaintParams(graph::SwitchLabelTexts labels) const;

    // A run made elsewhere (a test's, a file's), shown as if this session had run it, with the
    // channels of `view`: the window covers it, no summary. RunEnded.
    void ShowRun(engine::SampleBuffer run, int view, const engine::ChannelTexts& texts);

signals:
    void RunEnded();
    void ChannelsChanged();
    void WindowMoved();
    void ReferenceChanged();

private:
    void Complete(int view, const engine::ChannelTexts& texts);
    void BuildChannels(int view, const engine::ChannelTexts& texts);

    engine::EngineState state_;
    engine::RunSettings runSettings_;
    std::optional<int> singleAnglePwm_;
    std::optional<engine::RunSummary> summary_;
    std::string summaryText_;
    std::optional<engine::OperatingPoint> op_;
    int view_ = 0;
    engine::SampleWindow window_{0, 1};
    std::uint64_t runCount_ = 0;

    // What the grid paints per pixel column from, built with the run and the channels.
    graph::SwitchEdges switchEdges_;
    graph::ChannelEnvelope channelEnvelope_;

    std::optional<graph::ReferenceRun> reference_;
    struct LiveZcCache {
        std::uint64_t Run = 0;
        int View = 0;
        std::optional<engine::ZcSummary> Zc;
    };
    mutable std::optional<LiveZcCache> liveZc_;
};

} // namespace ui
