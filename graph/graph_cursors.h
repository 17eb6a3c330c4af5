#pragma once

#include "engine/sample.h"
#include "graph/canvas.h"

#include <optional>

// The graph's two measuring cursors and the horizontal geometry they share with the painter:
// the x of a sample and the sample under an x, computed exactly as the switch traces and the
// analog plot place their points, so a cursor line lies on the sample's edge or vertex.

namespace graph {

class PlotGeometry {
public:
    // The geometry of column 1 (only its Left and Right matter) for the view window as the
    // painter reads it: cut to the run and to the records the buffer holds. Empty when the
    // painter does not spread the samples out: fewer than two samples or no angle span.
    static std::optional<PlotGeometry> Make(const TRect& column, const engine::SampleBuffer& run,
                                            int viewStart, int viewLen);

    int First() const { return first_; }
    int Len() const { return len_; }
    int Left() const { return left_; }
    int Right() const { return right_; }
    float PxPerSample() const { return pxPerSample_; }
    bool Contains(int sample) const { return sample >= first_ && sample < first_ + len_; }

    // Round(j * pxPerSample + L) for sample j of the window (halves to even).
    int X(int sample) const;
    // The sample whose x lies nearest to `x`, within the window; of samples sharing one
    // pixel column the one whose unrounded position is nearest.
    int SampleAt(int x) const;

private:
    PlotGeometry(int first, int len, int left, int right, float pxPerSample);

    int first_;
    int len_;
    int left_;
    int right_;
    float pxPerSample_;
};

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
    // tie); only cursors inside the geometry's window count.
    std::optional<CursorId> Near(const PlotGeometry& geometry, int x, int tolerance) const;

private:
    std::optional<int> a_;
    std::optional<int> b_;
};

// Switch edges: a sample at which any of the six switches has another level than at the
// sample before, the sample the trace draws the edge at. Searched in the whole run.
std::optional<int> NextSwitchEdge(const engine::SampleBuffer& run, int after);
std::optional<int> PreviousSwitchEdge(const engine::SampleBuffer& run, int before);

} // namespace graph
