#pragma once

#include "graph/channel_envelope.h"
#include "graph/graph_paint_params.h"
#include "graph/switch_edges.h"

// The summaries a paint of a run reads per pixel column (the switch edges and the channel
// envelope), for a paint whose caller keeps none: a picture of a run made once, as bldc-emu's
// --png makes it. A session that paints its run again and again builds them with the run.

namespace graph {

class PaintSummaries {
public:
    // `params` with each summary it lacks, or holds for other samples or channels, built here
    // from its run and channels; the result reads this object, which must outlive it.
    GraphPaintParams Complete(const GraphPaintParams& params);

private:
    SwitchEdges edges_;
    ChannelEnvelope envelope_;
};

} // namespace graph
