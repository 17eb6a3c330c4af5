#pragma once

#include "graph/canvas.h"
#include "graph/zc_traces.h"

#include <QString>
#include <QWidget>

#include <array>
#include <optional>
#include <string>

// The comparator traces of the "Zero crossings" page, painted through the graph's canvas from
// a layout its page computes; without a layout it shows a sentence that says why.

namespace ui {

class ZcTraceView : public QWidget {
    Q_OBJECT

public:
    explicit ZcTraceView(QWidget* parent = nullptr);

    // The graph's plot columns, in this widget's coordinates.
    void SetPlotColumns(int left, int right);
    // The rectangle the traces are laid out in: the plot columns over the widget's height.
    graph::TRect Column() const;

    void ShowTraces(graph::ZcTraceLayout layout, std::array<std::string, 3> labels);
    void ShowMessage(const QString& message);

    const std::optional<graph::ZcTraceLayout>& Traces() const { return layout_; }
    const QString& Message() const { return message_; }

signals:
    // The column's height changed: the layout must be made again.
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int left_ = 0;
    int right_ = 0;
    std::optional<graph::ZcTraceLayout> layout_;
    std::array<std::string, 3> labels_;
    QString message_;
};

} // namespace ui
