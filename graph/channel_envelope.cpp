#include "graph/channel_envelope.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace graph {

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

void Take(ColumnExtremes& e, std::size_t k, float v)
{
    if (v < e.Lo[k])
        e.Lo[k] = v;
    if (v > e.Hi[k])
        e.Hi[k] = v;
}

} // namespace

void ChannelEnvelope::Build(const engine::ChannelSet& result)
{
    Clear();
    const std::size_t count = result.ChannelRows.size();
    const auto channels = static_cast<std::size_t>(std::clamp(result.ChannelCount, 0,
                                                              engine::kMaxChannels));
    blocks_.resize((count + kBlock - 1) / kBlock);
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        Block& block = blocks_[b];
        block.Lo.fill(kInf);
        block.Hi.fill(-kInf);
        const std::size_t end = std::min(count, (b + 1) * kBlock);
        for (std::size_t r = b * kBlock; r < end; ++r) {
            const engine::TChannelRow& row = result.ChannelRows[r];
            for (std::size_t k = 0; k < channels; ++k) {
                const float v = row[k];
                if (std::isnan(v))
                    block.NaNs = static_cast<std::uint8_t>(block.NaNs | (1u << k));
                block.Lo[k] = std::fmin(block.Lo[k], v);
                block.Hi[k] = std::fmax(block.Hi[k], v);
            }
        }
    }
    rows_ = result.ChannelRows.data();
    rowCount_ = count;
    channels_ = result.ChannelCount;
}

void ChannelEnvelope::Clear()
{
    blocks_.clear();
    rows_ = nullptr;
    rowCount_ = 0;
    channels_ = -1;
}

ColumnExtremes ChannelEnvelope::Extremes(const engine::TChannelRow* rows, int channels,
                                         int first, int end, float nanAs) const
{
    const auto n = static_cast<std::size_t>(std::clamp(channels, 0, engine::kMaxChannels));
    ColumnExtremes e;
    e.Lo.fill(kInf);
    e.Hi.fill(-kInf);
    const auto rowsOf = [&](int from, int to) {
        for (int r = from; r < to; ++r)
            for (std::size_t k = 0; k < n; ++k) {
                const float v = rows[r][k];
                Take(e, k, std::isnan(v) ? nanAs : v);
            }
    };
    const int firstBlock = (first + kBlock - 1) / kBlock;
    const int endBlock = end / kBlock;
    if (firstBlock >= endBlock) {
        rowsOf(first, end);
        return e;
    }
    rowsOf(first, firstBlock * kBlock);
    for (int b = firstBlock; b < endBlock; ++b) {
        const Block& block = blocks_[static_cast<std::size_t>(b)];
        for (std::size_t k = 0; k < n; ++k) {
            // An all-NaN block holds +inf and -inf here, which neither side takes.
            e.Lo[k] = std::min(e.Lo[k], block.Lo[k]);
            e.Hi[k] = std::max(e.Hi[k], block.Hi[k]);
            if (block.NaNs & (1u << k))
                Take(e, k, nanAs);
        }
    }
    rowsOf(endBlock * kBlock, end);
    return e;
}

} // namespace graph
