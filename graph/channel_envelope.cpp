#include "graph/channel_envelope.h"

#include <algorithm>
#include <array>
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
    // All slots a row holds, used or not, so that the loop runs on whole rows.
    const auto width = static_cast<std::size_t>(result.ChannelRows.Width());
    blocks_.resize((count + kBlock - 1) / kBlock);
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        // All eight slots, used or not, so that the loop runs on whole rows in vector
        // registers; a NaN compares false both ways and is only flagged.
        engine::TChannelRow lo;
        engine::TChannelRow hi;
        lo.fill(kInf);
        hi.fill(-kInf);
        std::array<bool, engine::kMaxChannels> nan{};
        const std::size_t end = std::min(count, (b + 1) * kBlock);
        for (std::size_t r = b * kBlock; r < end; ++r) {
            const engine::ConstChannelRowRef row = result.ChannelRows[r];
            for (std::size_t k = 0; k < width; ++k) {
                const float v = row[k];
                lo[k] = v < lo[k] ? v : lo[k];
                hi[k] = v > hi[k] ? v : hi[k];
                nan[k] = nan[k] || v != v;
            }
        }
        Block& block = blocks_[b];
        block.Lo = lo;
        block.Hi = hi;
        for (std::size_t k = 0; k < channels; ++k)
            if (nan[k])
                block.NaNs = static_cast<std::uint8_t>(block.NaNs | (1u << k));
    }
    rows_ = result.ChannelRows.data();
    rowCount_ = count;
    channels_ = result.ChannelCount;
}

void ChannelEnvelope::Clear()
{
    blocks_.clear();
    rows_ = {};
    rowCount_ = 0;
    channels_ = -1;
}

ColumnExtremes ChannelEnvelope::Extremes(engine::ChannelRowPointer rows, int channels,
                                         int first, int end, float nanAs) const
{
    const auto n = static_cast<std::size_t>(std::clamp(channels, 0, engine::kMaxChannels));
    ColumnExtremes e;
    e.Lo.fill(kInf);
    e.Hi.fill(-kInf);
    const auto width = static_cast<std::size_t>(rows.Width());
    const auto rowsOf = [&](int from, int to) {
        // Whole rows, used slots or not, so that the loop runs in vector registers.
        for (int r = from; r < to; ++r)
            for (std::size_t k = 0; k < width; ++k) {
                const float raw = rows[r][k];
                const float v = raw != raw ? nanAs : raw;
                e.Lo[k] = v < e.Lo[k] ? v : e.Lo[k];
                e.Hi[k] = v > e.Hi[k] ? v : e.Hi[k];
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
        for (std::size_t k = 0; k < engine::kMaxChannels; ++k) {
            // An all-NaN block holds +inf and -inf here, which neither side takes.
            e.Lo[k] = std::min(e.Lo[k], block.Lo[k]);
            e.Hi[k] = std::max(e.Hi[k], block.Hi[k]);
        }
        if (block.NaNs != 0)
            for (std::size_t k = 0; k < n; ++k)
                if (block.NaNs & (1u << k))
                    Take(e, k, nanAs);
    }
    rowsOf(endBlock * kBlock, end);
    return e;
}

} // namespace graph
