#include "ui/graph_page/graph_readout.h"

#include "graph/readout_table.h"
#include "ui/graph_page/graph_host.h"
#include "ui/session/run_session.h"
#include "ui/graph_page/readout_window.h"

namespace ui {

GraphReadout::GraphReadout(const GraphHost& host)
    : host_(host), window_(new ReadoutWindow(&host.MainWindow()))
{
}

bool GraphReadout::Visible() const
{
    return window_->isVisible();
}

void GraphReadout::SetVisible(bool visible, const graph::GraphCursors& cursors,
                              std::optional<int> pointer)
{
    if (visible) {
        Fill(cursors, pointer);
        window_->ShowBesideOwner();
    } else
        window_->hide();
}

void GraphReadout::Refresh(const graph::GraphCursors& cursors, std::optional<int> pointer)
{
    if (Visible())
        Fill(cursors, pointer);
}

void GraphReadout::Fill(const graph::GraphCursors& cursors, std::optional<int> pointer)
{
    const engine::EngineState& state = host_.Session().Engine();
    const engine::SampleWindow view = host_.Session().Window();
    graph::ReadoutSource source{.Run = state.Run,
                                .Result = state.Result,
                                .A = cursors.A(),
                                .B = cursors.B(),
                                .Pointer = pointer,
                                .SwitchLabels = host_.SwitchLabels(),
                                .Measurements = std::nullopt,
                                .Reference = std::nullopt};
    const MeasuredWindow key{state.Run.SampleCount, view, state.Result.ChannelCount};
    if (!measured_ || measuredWindow_ != key) {
        measured_ = engine::MeasureView(state.Run, state.Result, view);
        measuredWindow_ = key;
    }
    if (state.Run.SampleCount > 0)
        source.Measurements = measured_;
    source.Reference = host_.Session().ReferenceComparison();
    window_->SetTable(graph::BuildReadout(source));
}

} // namespace ui
