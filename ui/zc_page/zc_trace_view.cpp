#include "ui/zc_page/zc_trace_view.h"

#include "graph/render/qpainter_canvas.h"

#include <QPainter>

namespace ui {

namespace {

constexpr int kLegendHeight = 16;

} // namespace

ZcTraceView::ZcTraceView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ZcTraceView::SetPlotColumns(int left, int right)
{
    if (left == left_ && right == right_)
        return;
    left_ = left;
    right_ = right;
    update();
}

graph::TRect ZcTraceView::Column() const
{
    return {left_, kLegendHeight, std::max(left_, right_), height()};
}

void ZcTraceView::ShowTraces(graph::ZcTraceLayout layout, std::array<std::string, 3> labels)
{
    layout_ = std::move(layout);
    labels_ = std::move(labels);
    message_.clear();
    update();
}

void ZcTraceView::ShowMessage(const QString& message)
{
    layout_.reset();
    message_ = message;
    update();
}

void ZcTraceView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit Resized();
}

void ZcTraceView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), graph::ToQColor(graph::kZcBackground));
    if (!layout_) {
        painter.setPen(Qt::white);
        painter.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignCenter | Qt::TextWordWrap,
                         message_);
        return;
    }
    graph::QPainterCanvas canvas(painter);
    const graph::TRect column = Column();
    graph::DrawZcTraces(canvas, *layout_, column);

    canvas.SetBrushColor(graph::kZcBackground);
    for (std::size_t phase = 0; phase < labels_.size(); ++phase) {
        const graph::ZcTraceRow& row = layout_->Rows[phase];
        // White: the dark blue of phase C would hardly show on the dark ground.
        canvas.SetFontColor(0xFFFFFF);
        canvas.TextOut(4, (row.Top + row.Bottom - canvas.TextHeight(labels_[phase])) / 2,
                       labels_[phase]);
    }
    // The legend, in the markers' own colours.
    int x = column.Left;
    const auto legend = [&](graph::TColor color, const std::string& text) {
        canvas.SetFontColor(color);
        canvas.TextOut(x, 2, text);
        x += canvas.TextExtent(text).cx + 16;
    };
    legend(graph::kZcTrueMarker, "\xE2\x94\x8A true crossing");
    legend(graph::kZcDetectedMarker, "\xE2\x94\x82 detected");
    legend(graph::kZcUndetectedMarker, "\xE2\x94\x82 looking starts (already switched or missed)");
    legend(graph::kZcFloatingBand | 0x808080, "grey: floating, darker: blanked");
}

} // namespace ui
