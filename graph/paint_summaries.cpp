#include "graph/paint_summaries.h"

namespace graph {

GraphPaintParams PaintSummaries::Complete(const GraphPaintParams& params)
{
    GraphPaintParams completed = params;
    if (completed.Edges == nullptr || !completed.Edges->Describe(params.Run)) {
        edges_.Build(params.Run);
        completed.Edges = &edges_;
    }
    if (completed.Envelope == nullptr || !completed.Envelope->Describe(params.Result)) {
        envelope_.Build(params.Result);
        completed.Envelope = &envelope_;
    }
    return completed;
}

} // namespace graph
