#include "graph/switch_edges.h"

namespace graph {

void SwitchEdges::Build(const engine::SampleBuffer& run)
{
    Clear();
    const std::int32_t count = run.RecordCount();
    const engine::TSampleRec* samples = run.Samples.data();
    std::array<bool, 6> high{};
    for (std::size_t s = 0; s < high.size() && count > 0; ++s)
        high[s] = samples[0].Switch[s] != 0;
    for (std::int32_t k = 1; k < count; ++k) {
        for (std::size_t s = 0; s < high.size(); ++s) {
            const bool h = samples[k].Switch[s] != 0;
            if (h != high[s]) {
                edges_[s].push_back(k);
                high[s] = h;
            }
        }
    }
    records_ = samples;
    count_ = count;
}

void SwitchEdges::Clear()
{
    for (auto& edges : edges_)
        edges.clear();
    records_ = nullptr;
    count_ = -1;
}

} // namespace graph
