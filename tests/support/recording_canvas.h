#pragma once

#include "graph/canvas.h"

#include <QFontMetrics>

#include <optional>
#include <string>
#include <vector>

// A canvas that paints nothing and records every call together with the state it was made
// in, so that painter tests can assert on positions, colours and texts.
//
// Text is measured with a QFontMetrics when one is given; otherwise with a fixed metric:
// every byte of the text is 6 pixels wide and every text 13 pixels high.

namespace graph {

struct CanvasCommand {
    enum class Kind { FillRect, MoveTo, LineTo, TextOut };

    Kind What = Kind::FillRect;
    TRect Rect{};     // FillRect
    TPoint From{};    // LineTo: the pen position before the line
    TPoint To{};      // MoveTo, LineTo: the target; TextOut: the top-left corner
    std::string Text; // TextOut
    TColor Brush = 0;
    TColor Pen = 0;
    TPenStyle Style = TPenStyle::psSolid;
    TColor Font = 0;
};

class RecordingCanvas final : public Canvas {
public:
    static constexpr int kCharWidth = 6;
    static constexpr int kTextHeight = 13;

    RecordingCanvas() = default;
    explicit RecordingCanvas(const QFontMetrics& metrics);

    void SetBrushColor(TColor color) override { brush_ = color; }
    void SetPenColor(TColor color) override { pen_ = color; }
    void SetPenStyle(TPenStyle style) override { style_ = style; }
    void SetFontColor(TColor color) override { font_ = color; }

    void FillRect(const TRect& rect) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void TextOut(int x, int y, const std::string& text) override;
    TSize TextExtent(const std::string& text) override;
    int TextHeight(const std::string& text) override;

    const std::vector<CanvasCommand>& Commands() const { return commands_; }
    // The commands of one kind, in order.
    std::vector<CanvasCommand> Only(CanvasCommand::Kind kind) const;
    void Clear() { commands_.clear(); }

private:
    CanvasCommand Stamp(CanvasCommand::Kind kind) const;

    std::optional<QFontMetrics> metrics_;
    std::vector<CanvasCommand> commands_;
    TColor brush_ = 0xFFFFFF;
    TColor pen_ = 0;
    TPenStyle style_ = TPenStyle::psSolid;
    TColor font_ = 0;
    TPoint penPos_{};
};

} // namespace graph
