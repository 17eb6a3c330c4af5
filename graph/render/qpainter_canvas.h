#pragma once

#include "graph/canvas.h"

#include <QColor>
#include <QFontMetrics>
#include <QRect>

#include <vector>

class QPainter;

// The graph's canvas on a QPainter (the grid's viewport, or a QImage in tests and benches).
//
// Lines are rasterised here rather than by QPainter, whose aliased lines pick other diagonal
// pixels: see line_raster.h for the pixels of a line (end point excluded). A dotted pen paints
// the line's pixels alternately in the pen colour and in the brush colour, starting with the
// pen colour on the first pixel of every LineTo. Text is drawn in the painter's font on an
// opaque box of the brush colour, TextExtent wide and TextHeight high. Pixels are gathered
// into batches of one colour and handed to QPainter in bulk; the order of painting is kept.

namespace graph {

// $00BBGGRR as a Qt colour.
QColor ToQColor(TColor color);

class QPainterCanvas final : public Canvas {
public:
    // Paints with `painter`'s current font; the painter must outlive the canvas.
    explicit QPainterCanvas(QPainter& painter);
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas&) = delete;
    QPainterCanvas& operator=(const QPainterCanvas&) = delete;

    void SetBrushColor(TColor color) override;
    void SetPenColor(TColor color) override;
    void SetPenStyle(TPenStyle style) override;
    void SetFontColor(TColor color) override;

    void FillRect(const TRect& rect) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void PolylineTo(const std::vector<TPoint>& points) override;
    void TextOut(int x, int y, const std::string& text) override;
    TSize TextExtent(const std::string& text) override;
    // The font's ascent and descent plus one pixel of leading above the ascent, as the
    // platform's text height counts it: 13 pixels for the 11-pixel sans of the grid.
    int TextHeight(const std::string& text) override;

    // Hands the pending pixels to the painter (also done by every text, fill and the destructor).
    void Flush();

private:
    void AddRect(const QRect& rect, TColor color);
    void Line(TPoint from, TPoint to);

    QPainter& painter_;
    QFontMetrics metrics_;
    TColor brush_ = 0xFFFFFF;
    TColor pen_ = 0;
    TColor font_ = 0;
    TPenStyle style_ = TPenStyle::psSolid;
    TPoint penPos_{};

    TColor batchColor_ = 0;
    std::vector<QRect> batch_;
};

} // namespace graph
