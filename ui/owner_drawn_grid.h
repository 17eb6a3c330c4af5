#pragma once

#include "ui/canvas.h"

#include <QAbstractScrollArea>
#include <QString>

#include <functional>
#include <map>
#include <vector>

// An owner-drawn grid: per-column widths and per-row heights, one-pixel lines between cells,
// the fixed column 0 and row 0 painted before the others, no clipping of a cell's painting to
// its rectangle, cell texts, a vertical scroll bar only, and an OnDrawCell event that paints
// every cell through a Canvas.

namespace ui {

class OwnerDrawnGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    using DrawCellHandler = std::function<void(Canvas& canvas, int col, int row, const TRect& rect)>;

    explicit OwnerDrawnGrid(QWidget* parent = nullptr);

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

    TColor Color() const;
    void SetColor(TColor color);

    // The cell's rectangle in the grid's client coordinates.
    TRect CellRect(int col, int row) const;

    // Paints the whole grid before returning.
    void Repaint();

    DrawCellHandler OnDrawCell;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
};

} // namespace ui
