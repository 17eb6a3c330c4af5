#pragma once

#include "engine/sample.h"

#include <array>
#include <cstdint>
#include <vector>

// Where each switch trace changes level, found once per run so that a paint walks the edges
// instead of every sample: a million-sample run has a few thousand edges per switch.

namespace graph {

class SwitchEdges {
public:
    // The edges of `run`'s readable records; the window rebuilds them after every run.
    void Build(const engine::SampleBuffer& run);
    void Clear();

    // Whether these are the edges of `run` as it stands: the same records, as far as the
    // buffer's identity tells. The painter falls back to the samples otherwise.
    bool Describe(const engine::SampleBuffer& run) const
    {
        return records_ == run.Samples.data() && count_ == run.RecordCount();
    }

    // The samples k (0 < k < RecordCount) at which Switch[index] goes from zero to non-zero
    // or back: where the trace draws a vertical edge.
    const std::vector<std::int32_t>& Of(int index) const
    {
        return edges_[static_cast<std::size_t>(index)];
    }

private:
    std::array<std::vector<std::int32_t>, 6> edges_;
    const engine::TSampleRec* records_ = nullptr;
    std::int32_t count_ = -1;
};

} // namespace graph
