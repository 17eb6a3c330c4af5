#pragma once

#include "engine/channels.h"

#include <cstdint>
#include <vector>

// The lowest and highest value of every channel over blocks of consecutive rows, found once
// per set of channels, so that the extremes of a pixel column of thousands of rows cost a few
// dozen blocks. A NaN is kept apart: the plot draws it where it draws its own lowest value,
// which only the paint knows.

namespace graph {

struct ColumnExtremes {
    engine::TChannelRow Lo{};
    engine::TChannelRow Hi{};
};

class ChannelEnvelope {
public:
    static constexpr int kBlock = 64;

    void Build(const engine::ChannelSet& result);
    void Clear();

    // Whether this is the envelope of `result` as it stands, as far as its identity tells.
    bool Describe(const engine::ChannelSet& result) const
    {
        return rows_ == result.ChannelRows.data() && rowCount_ == result.ChannelRows.size() &&
               channels_ == result.ChannelCount;
    }

    // The extremes of the first `channels` channels over rows [first, end) of `rows` (the rows
    // it was built from), a NaN counting as `nanAs`. first < end.
    ColumnExtremes Extremes(engine::ChannelRowPointer rows, int channels, int first, int end,
                            float nanAs) const;

private:
    struct Block {
        engine::TChannelRow Lo;
        engine::TChannelRow Hi;
        std::uint8_t NaNs = 0; // bit k: channel k holds a NaN in the block
    };

    std::vector<Block> blocks_;
    engine::ChannelRowPointer rows_;
    std::size_t rowCount_ = 0;
    std::int32_t channels_ = -1;
};

} // namespace graph
