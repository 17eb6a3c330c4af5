#include "graph/switch_edges.h"

namespace graph {

void SwitchEdges::Build(const engine::SampleBuffer& run)
{
    Clear();
    const std::int32_t count = run.RecordCount();
    const engine::TSampleRec* samples = run.Samples.data();
    // The six levels as the bits of one mask: most steps change none of them.
    const auto levels = [&](std::int32_t k) {
        unsigned mask = 0;
        for (unsigned s = 0; s < 6; ++s)
            mask |= static_cast<unsigned>(samples[k].Switch[s] != 0) << s;
        return mask;
    };
    unsigned previous = count > 0 ? levels(0) : 0;
    for (std::int32_t k = 1; k < count; ++k) {
        const unsigned now = levels(k);
        if (now == previous)
            continue;
        for (unsigned s = 0; s < 6; ++s)
            if (((now ^ previous) >> s) & 1u)
                edges_[s].push_back(k);
        previous = now;
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
