#pragma once

namespace graph {

// The outer size of the graph's grid (StringGrid1), its one-pixel frame included.
struct GridSize {
    int Width = 0;
    int Height = 0;
    friend bool operator==(const GridSize&, const GridSize&) = default;
};

// StringGrid1 at the window's minimum size: column 1 is then 480 pixels wide and row 7 is
// 234 high. The window is laid out from it, and bldc-emu paints at it unless told otherwise.
inline constexpr GridSize kDefaultGridSize{539, 470};

} // namespace graph
