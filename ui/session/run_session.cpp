#include "ui/session/run_session.h"

#include "engine/decimal_separator.h"
#include "engine/sample_window.h"

#include <utility>

namespace ui {

namespace {
// Below this many samples the window is left as it is (the graph shows no spread of them).
constexpr int kMinWindowedSamples = 10;
} // namespace

RunSession::RunSession(QObject* parent) : QObject(parent)
{
    setObjectName("RunSession");
    state_.Run.SampleCount = 0;
}

void RunSession::Run(const engine::RunSettings& settings, int pwmState, float startAngle,
                     int view, const engine::ChannelTexts& texts)
{
    // A run refused before its loop leaves everything of the previous run as it was, and is
    // still announced: the pages may have shown a failure of their own.
    engine::OperatingPoint op;
    try {
        op = engine::ComputeOperatingPoint(state_.Params, settings, pwmState, startAngle);
    } catch (...) {
        emit RunEnded();
        throw;
    }
    ++runCount_;
    op_ = op;
    runSettings_ = settings;
    singleAnglePwm_ = pwmState >= 0 ? std::optional<int>(pwmState) : std::nullopt;
    summary_.reset();
    // The edges go with the samples they were found in, before anything paints the new run.
    switchEdges_.Clear();
    try {
        const engine::RunSummary summary =
            engine::CalcPhases(state_.Params, settings, pwmState, startAngle, state_.Run);
        switchEdges_.Build(state_.Run);
        summary_ = summary;
        Complete(view, texts);
    } catch (const engine::EmulationError&) {
        // A fault inside the loop has already replaced the samples with the steps done so
        // far: the graph shows those, with channels to match and no summary of a whole run.
        switchEdges_.Build(state_.Run);
        Complete(view, texts);
        emit RunEnded();
        throw;
    } catch (...) {
        emit RunEnded();
        throw;
    }
    emit RunEnded();
}

void RunSession::Complete(int view, const engine::ChannelTexts& texts)
{
    // The run's completion: the window reset, the channels, the summary line.
    window_ = {0, state_.Run.SampleCount};
    BuildChannels(view, texts);
    summaryText_ =
        summary_ ? engine::RunSummaryText(*summary_, engine::DecimalSeparator()) : std::string();
}

void RunSession::BuildChannels(int view, const engine::ChannelTexts& texts)
{
    view_ = view;
    channelEnvelope_.Clear();
    engine::PrepareRes(view, texts, engine::DecimalSeparator(), state_.Run, state_.Result);
    channelEnvelope_.Build(state_.Result);
}

void RunSession::PrepareView(int view, const engine::ChannelTexts& texts)
{
    BuildChannels(view, texts);
    emit ChannelsChanged();
}

void RunSession::SetWindow(const engine::SampleWindow& window)
{
    engine::SampleWindow kept = window;
    const int count = state_.Run.SampleCount;
    if (count >= kMinWindowedSamples)
        kept.Start = engine::ShiftIntoRun(window, count).Start;
    if (kept == window_)
        return;
    window_ = kept;
    emit WindowMoved();
}

bool RunSession::CanHoldReference() const
{
    return state_.Run.SampleCount > 0 && summary_.has_value() && !singleAnglePwm_;
}

void RunSession::HoldReference()
{
    // Only a whole run is worth comparing with: a failed run has no summary to hold, and a
    // single instant would be an invisible reference.
    if (!CanHoldReference())
        return;
    reference_ = graph::HoldReference(state_.Run, state_.Result, view_, *summary_, LiveZc());
    emit ReferenceChanged();
}

void RunSession::ClearReference()
{
    reference_.reset();
    emit ReferenceChanged();
}

graph::HeldReference RunSession::HeldReference() const
{
    if (!reference_)
        return {};
    return {&*reference_, view_};
}

std::optional<graph::ReferenceComparison> RunSession::ReferenceComparison() const
{
    if (!reference_ || !summary_)
        return std::nullopt;
    return graph::ReferenceComparison{{*summary_, LiveZc()},
                                      {reference_->Summary, reference_->Zc}};
}

std::optional<engine::ZcSummary> RunSession::LiveZc() const
{
    if (!liveZc_ || liveZc_->Run != runCount_ || liveZc_->View != view_) {
        liveZc_ = LiveZcCache{runCount_, view_, std::nullopt};
        if (op_ && summary_ && !singleAnglePwm_)
            liveZc_->Zc = engine::WholeRunZcSummary(state_.Run, *op_, state_.Result, view_);
    }
    return liveZc_->Zc;
}

graph::GraphPaintParams RunSession::PaintParams(graph::SwitchLabelTexts labels) const
{
    graph::GraphPaintParams params = graph::MakeGraphPaintParams(
        state_.Run, state_.Result, window_, summaryText_, std::move(labels));
    params.Edges = &switchEdges_;
    params.Envelope = &channelEnvelope_;
    return params;
}

void RunSession::ShowRun(engine::SampleBuffer run, int view, const engine::ChannelTexts& texts)
{
    ++runCount_;
    op_.reset();
    singleAnglePwm_.reset();
    summary_.reset();
    state_.Run = std::move(run);
    switchEdges_.Clear();
    switchEdges_.Build(state_.Run);
    Complete(view, texts);
    emit RunEnded();
}

} // namespace ui
