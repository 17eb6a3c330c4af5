#pragma once

#include "graph/canvas.h"
#include "graph/graph_grid.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>

#include <functional>
#include <map>
#include <utility>
#include <vector>

// An owner-drawn grid: per-column widths and per-row heights, one-pixel lines between cells,
// the fixed column 0 and row 0 painted before the others, no clipping of a cell's painting to
// its rectangle, cell texts, a vertical scroll bar only, and an OnDrawCell event that paints
// every cell through a Canvas.

namespace ui {

class OwnerDrawnGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    using DrawCellHandler =
        std::function<void(graph::Canvas& canvas, int col, int row, const graph::TRect& rect)>;

    explicit OwnerDrawnGrid(QWidget* parent = nullptr);

    // The grid's font unless the window sets another: the graph's font (graph::GraphFont),
    // whose text height on the canvas is 13 pixels.
    static QFont DefaultFont();

    int ColCount() const;
    void SetColCount(int count);
    int RowCount() const;
    void SetRowCount(int count);
    int DefaultColWidth() const;
    void SetDefaultColWidth(int width);
    int DefaultRowHeight() const;
    // Resets every row's height, as the platform grid does.
    void SetDefaultRowHeight(int height);
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    int RowHeight(int row) const;
    void SetRowHeight(int row, int height);
    int FixedCols() const;
    int FixedRows() const;

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);

    engine::TColor Color() const;
    void SetColor(engine::TColor color);

    // The first scrollable row in view (1 unless the vertical scroll bar has moved).
    int TopRow() const;

    // The cells as they lie now: sizes, scroll position and the viewport's size.
    graph::GridLayout Layout() const;

    // The cell's rectangle in the grid's client coordinates (the viewport's): column 0 at
    // x 0, each further column one pixel right of the previous one's Right. Empty for a
    // cell outside the grid or scrolled out of view.
    graph::TRect CellRect(int col, int row) const;

    // Paints the whole grid before returning.
    void Repaint();

    // Called for every cell painted, row by row, column 0 first; without a handler a cell
    // shows its text on the grid colour. The canvas is not clipped to the cell.
    DrawCellHandler OnDrawCell;

signals:
    // Every paint of the grid paints all of it, into this picture first; a layer over the
    // grid may show it instead of having the grid paint again beneath it.
    void Painted(const QImage& picture);
    // The grid is about to paint anew (a change, a resize, a scroll, being shown): the last
    // picture no longer shows it, and whatever covers the viewport must let the paint through.
    void PictureOutdated();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void Changed();
    // Every paint of the viewport goes through here.
    void Invalidate();
    void PaintCells(QPainter& painter);
    void UpdateScrollRange();

    int colCount_ = 5;
    int rowCount_ = 5;
    int defaultColWidth_ = 64;
    int defaultRowHeight_ = 24;
    graph::GridLayout layout_; // the widths and heights; the rest is filled by Layout()
    std::map<std::pair<int, int>, QString> cells_;
    engine::TColor color_ = 0xFFFFFF;
};

} // namespace ui
