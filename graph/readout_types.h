#pragma once

#include "engine/channels.h"
#include "graph/graph_painter.h" // kGridColor

#include <string>
#include <vector>

// The readout's text cells and sections, with their colours.

namespace graph {

inline constexpr engine::TColor kReadoutBackground = kGridColor;
inline constexpr engine::TColor kReadoutText = 0xFFFFFF;
inline constexpr engine::TColor kReadoutDim = 0x808080;

struct ReadoutCell {
    std::string Text;
    engine::TColor Color = kReadoutText;
    friend bool operator==(const ReadoutCell&, const ReadoutCell&) = default;
};

using ReadoutRow = std::vector<ReadoutCell>;

// A titled table; its first row names the columns. The first column is left-aligned, the
// others right-aligned.
struct ReadoutSection {
    std::string Title;
    std::vector<ReadoutRow> Rows;
};

} // namespace graph
