#pragma once

#include "engine/sample.h"
#include "graph/plot_mapping.h"

#include <optional>

// The graph's two measuring cursors, placed and found through the painter's plot mapping so
// that a cursor line lies on its sample's edge or vertex, and the switch edges they jump to.

namespace graph {

enum class CursorId { A, B };

// Two optional cursors, each a sample index of the run.
class GraphCursors {
public:
    const std::optional<int>& A() const { return a_; }
    const std::optional<int>& B() const { return b_; }
    const std::optional<int>& Get(CursorId id) const { return id == CursorId::A ? a_ : b_; }
    bool Any() const { return a_ || b_; }

    void Place(CursorId id, int sample);
    void Clear();
    // Drops the cursors that do not lie in a run of `sampleCount` samples.
    void Restrict(int sampleCount);

    // The cursor whose line is within `tolerance` pixels of `x` and nearest to it (A on a
    // tie); only cursors inside the mapping's window count.
    std::optional<CursorId> Near(const PlotMapping& mapping, int x, int tolerance) const;

private:
    std::optional<int> a_;
    std::optional<int> b_;
};

// Switch edges: a sample at which any of the six switches has another level than at the
// sample before, the sample the trace draws the edge at. Searched in the whole run.
std::optional<int> NextSwitchEdge(const engine::SampleBuffer& run, int after);
std::optional<int> PreviousSwitchEdge(const engine::SampleBuffer& run, int before);

} // namespace graph
