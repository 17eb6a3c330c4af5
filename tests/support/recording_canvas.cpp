#include "tests/support/recording_canvas.h"

#include <QString>

namespace graph {

RecordingCanvas::RecordingCanvas(const QFontMetrics& metrics) : metrics_(metrics) {}

CanvasCommand RecordingCanvas::Stamp(CanvasCommand::Kind kind) const
{
    CanvasCommand c;
    c.What = kind;
    c.Brush = brush_;
    c.Pen = pen_;
    c.Style = style_;
    c.Font = font_;
    return c;
}

void RecordingCanvas::FillRect(const TRect& rect)
{
    CanvasCommand c = Stamp(CanvasCommand::Kind::FillRect);
    c.Rect = rect;
    commands_.push_back(std::move(c));
}

void RecordingCanvas::MoveTo(int x, int y)
{
    CanvasCommand c = Stamp(CanvasCommand::Kind::MoveTo);
    c.To = {x, y};
    commands_.push_back(std::move(c));
    penPos_ = {x, y};
}

void RecordingCanvas::LineTo(int x, int y)
{
    CanvasCommand c = Stamp(CanvasCommand::Kind::LineTo);
    c.From = penPos_;
    c.To = {x, y};
    commands_.push_back(std::move(c));
    penPos_ = {x, y};
}

void RecordingCanvas::TextOut(int x, int y, const std::string& text)
{
    CanvasCommand c = Stamp(CanvasCommand::Kind::TextOut);
    c.To = {x, y};
    c.Text = text;
    commands_.push_back(std::move(c));
}

TSize RecordingCanvas::TextExtent(const std::string& text)
{
    if (metrics_)
        return {metrics_->horizontalAdvance(QString::fromStdString(text)), TextHeight(text)};
    return {kCharWidth * static_cast<int>(text.size()), kTextHeight};
}

int RecordingCanvas::TextHeight(const std::string&)
{
    if (metrics_)
        return metrics_->ascent() + metrics_->descent() + 1;
    return kTextHeight;
}

std::vector<CanvasCommand> RecordingCanvas::Only(CanvasCommand::Kind kind) const
{
    std::vector<CanvasCommand> out;
    for (const CanvasCommand& c : commands_)
        if (c.What == kind)
            out.push_back(c);
    return out;
}

} // namespace graph
