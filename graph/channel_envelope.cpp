#include "graph/channel_envelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace graph {

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();

// The slots of a row that the loops below take: all `width` a row holds, used or not, as a
// constant for the window's eight so that the loops run on whole rows in vector registers.
template <std::size_t kFixedWidth>
constexpr std::size_t Slots(std::size_t width)
{
    return kFixedWidth != 0 ? kFixedWidth : width;
}

// Rows [first, end) into `lo` and `hi`; a NaN compares false both ways and is only flagged.
template <std::size_t kFixedWidth>
void FoldRows(const engine::ChannelRowBuffer& rows, std::size_t first, std::size_t end,
              engine::TChannelRow& lo, engine::TChannelRow& hi,
              std::array<bool, engine::kMaxChannels>& nan)
{
    const std::size_t slots = Slots<kFixedWidth>(static_cast<std::size_t>(rows.Width()));
    for (std::size_t r = first; r < end; ++r) {
        const engine::ConstChannelRowRef row = rows[r];
        for (std::size_t k = 0; k < slots; ++k) {
            const float v = row[k];
            lo[k] = v < lo[k] ? v : lo[k];
            hi[k] = v > hi[k] ? v : hi[k];
            nan[k] = nan[k] || v != v;
        }
    }
}

// Rows [from, to) into `e`, a NaN counting as `nanAs`.
template <std::size_t kFixedWidth>
void TakeRows(engine::ChannelRowPointer rows, int from, int to, float nanAs, ColumnExtremes& e)
{
    const std::size_t slots = Slots<kFixedWidth>(static_cast<std::size_t>(rows.Width()));
    for (int r = from; r < to; ++r)
        for (std::size_t k = 0; k < slots; ++k) {
            const float raw = rows[r][k];
            const float v = raw != raw ? nanAs : raw;
            e.Lo[k] = v < e.Lo[k] ? v : e.Lo[k];
            e.Hi[k] = v > e.Hi[k] ? v : e.Hi[k];
        }
}

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
    const bool wholeRows = result.ChannelRows.Width() == engine::kMaxChannels;
    blocks_.resize((count + kBlock - 1) / kBlock);
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        engine::TChannelRow lo;
        engine::TChannelRow hi;
        lo.fill(kInf);
        hi.fill(-kInf);
        std::array<bool, engine::kMaxChannels> nan{};
        const std::size_t end = std::min(count, (b + 1) * kBlock);
        if (wholeRows)
            FoldRows<engine::kMaxChannels>(result.ChannelRows, b * kBlock, end, lo, hi, nan);
        else
            FoldRows<0>(result.ChannelRows, b * kBlock, end, lo, hi, nan);
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
    const auto rowsOf = [&](int from, int to) {
        if (rows.Width() == engine::kMaxChannels)
            TakeRows<engine::kMaxChannels>(rows, from, to, nanAs, e);
        else
            TakeRows<0>(rows, from, to, nanAs, e);
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
