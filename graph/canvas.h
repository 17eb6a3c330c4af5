#pragma once

#include "engine/channels.h"

#include <string>
#include <vector>

// The 2-D canvas the graph painter draws on: exactly the operations it needs, with the
// semantics it relies on (a line excludes its end point; text is written on an opaque
// background of the brush colour; colours are $00BBGGRR).

namespace graph {

using engine::TColor;

enum class TPenStyle { psSolid, psDot };

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Right and Bottom are the first pixel outside.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

class Canvas {
public:
    virtual ~Canvas() = default;

    virtual void SetBrushColor(TColor color) = 0;
    virtual void SetPenColor(TColor color) = 0;
    virtual void SetPenStyle(TPenStyle style) = 0;
    virtual void SetFontColor(TColor color) = 0;

    // Fills the rectangle (Right and Bottom excluded) with the brush colour.
    virtual void FillRect(const TRect& rect) = 0;
    virtual void MoveTo(int x, int y) = 0;
    // Draws from the pen position to (x, y) without painting (x, y); the pen then stands there.
    virtual void LineTo(int x, int y) = 0;
    // The same pixels as LineTo to each point in turn; implementations may batch.
    virtual void PolylineTo(const std::vector<TPoint>& points);
    // Writes `text` with its top-left corner at (x, y) in the font colour on the brush colour.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual TSize TextExtent(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
};

} // namespace graph
