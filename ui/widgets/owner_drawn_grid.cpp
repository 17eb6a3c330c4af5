#include "ui/widgets/owner_drawn_grid.h"

#include "graph/render/graph_image.h"
#include "graph/render/qpainter_canvas.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace ui {

namespace {

void CheckIndex(int index, std::size_t count, const char* what)
{
    if (index < 0 || static_cast<std::size_t>(index) >= count)
        throw std::out_of_range(std::string("OwnerDrawnGrid: ") + what + " " +
                                std::to_string(index) + " out of range");
}

} // namespace

QFont OwnerDrawnGrid::DefaultFont()
{
    return graph::GraphFont();
}

OwnerDrawnGrid::OwnerDrawnGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(1);
    setFont(DefaultFont());
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    layout_.ColWidths.assign(static_cast<std::size_t>(colCount_), defaultColWidth_);
    layout_.RowHeights.assign(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
    UpdateScrollRange();
}

int OwnerDrawnGrid::ColCount() const
{
    return colCount_;
}
int OwnerDrawnGrid::RowCount() const
{
    return rowCount_;
}
int OwnerDrawnGrid::DefaultColWidth() const
{
    return defaultColWidth_;
}
int OwnerDrawnGrid::DefaultRowHeight() const
{
    return defaultRowHeight_;
}
int OwnerDrawnGrid::FixedCols() const
{
    return 1;
}
int OwnerDrawnGrid::FixedRows() const
{
    return 1;
}

void OwnerDrawnGrid::SetColCount(int count)
{
    // Column 0 is fixed, so a grid has at least one column.
    colCount_ = std::max(count, FixedCols());
    layout_.ColWidths.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
    Changed();
}

void OwnerDrawnGrid::SetRowCount(int count)
{
    rowCount_ = std::max(count, FixedRows());
    layout_.RowHeights.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
    Changed();
}

void OwnerDrawnGrid::SetDefaultColWidth(int width)
{
    defaultColWidth_ = std::max(width, 0);
    std::fill(layout_.ColWidths.begin(), layout_.ColWidths.end(), defaultColWidth_);
    Changed();
}

void OwnerDrawnGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = std::max(height, 0);
    std::fill(layout_.RowHeights.begin(), layout_.RowHeights.end(), defaultRowHeight_);
    Changed();
}

int OwnerDrawnGrid::ColWidth(int col) const
{
    CheckIndex(col, layout_.ColWidths.size(), "column");
    return layout_.ColWidths[static_cast<std::size_t>(col)];
}

void OwnerDrawnGrid::SetColWidth(int col, int width)
{
    CheckIndex(col, layout_.ColWidths.size(), "column");
    layout_.ColWidths[static_cast<std::size_t>(col)] = std::max(width, 0);
    Changed();
}

int OwnerDrawnGrid::RowHeight(int row) const
{
    CheckIndex(row, layout_.RowHeights.size(), "row");
    return layout_.RowHeights[static_cast<std::size_t>(row)];
}

void OwnerDrawnGrid::SetRowHeight(int row, int height)
{
    CheckIndex(row, layout_.RowHeights.size(), "row");
    layout_.RowHeights[static_cast<std::size_t>(row)] = std::max(height, 0);
    Changed();
}

QString OwnerDrawnGrid::Cell(int col, int row) const
{
    const auto it = cells_.find({col, row});
    return it == cells_.end() ? QString() : it->second;
}

void OwnerDrawnGrid::SetCell(int col, int row, const QString& text)
{
    CheckIndex(col, layout_.ColWidths.size(), "column");
    CheckIndex(row, layout_.RowHeights.size(), "row");
    cells_[{col, row}] = text;
    Invalidate();
}

engine::TColor OwnerDrawnGrid::Color() const
{
    return color_;
}

void OwnerDrawnGrid::SetColor(engine::TColor color)
{
    color_ = color;
    Invalidate();
}

int OwnerDrawnGrid::TopRow() const
{
    return FixedRows() + verticalScrollBar()->value();
}

graph::GridLayout OwnerDrawnGrid::Layout() const
{
    graph::GridLayout layout = layout_;
    layout.FixedRows = FixedRows();
    layout.TopRow = TopRow();
    layout.Width = viewport()->width();
    layout.Height = viewport()->height();
    return layout;
}

graph::TRect OwnerDrawnGrid::CellRect(int col, int row) const
{
    return Layout().CellRect(col, row);
}

void OwnerDrawnGrid::Repaint()
{
    emit PictureOutdated();
    viewport()->repaint();
}

void OwnerDrawnGrid::Invalidate()
{
    emit PictureOutdated();
    viewport()->update();
}

void OwnerDrawnGrid::Changed()
{
    UpdateScrollRange();
    Invalidate();
}

void OwnerDrawnGrid::UpdateScrollRange()
{
    // The rows below the fixed one scroll by whole rows, as far as needed to show the last
    // row completely.
    int fixed = 0;
    for (int r = 0; r < FixedRows() && r < rowCount_; ++r)
        fixed += layout_.RowHeights[static_cast<std::size_t>(r)] + 1;
    const int room = viewport()->height() - fixed;
    int hidden = 0;
    int below = 0;
    for (int r = FixedRows(); r < rowCount_; ++r)
        below += layout_.RowHeights[static_cast<std::size_t>(r)] + 1;
    while (below > room && FixedRows() + hidden < rowCount_ - 1) {
        below -= layout_.RowHeights[static_cast<std::size_t>(FixedRows() + hidden)] + 1;
        ++hidden;
    }
    verticalScrollBar()->setRange(0, hidden);
    // Qt shows or hides an as-needed bar only once queued events run; deciding here keeps
    // the bar right for a paint or a grab that comes before the event loop.
    setVerticalScrollBarPolicy(hidden > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void OwnerDrawnGrid::paintEvent(QPaintEvent*)
{
    // The whole grid into a picture of the viewport's pixels, then onto the viewport.
    const qreal ratio = viewport()->devicePixelRatioF();
    QImage picture(viewport()->size() * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    {
        QPainter painter(&picture);
        PaintCells(painter);
    }
    {
        QPainter painter(viewport());
        painter.drawImage(QPoint(0, 0), picture);
    }
    emit Painted(picture);
}

void OwnerDrawnGrid::PaintCells(QPainter& painter)
{
    painter.setFont(font());
    graph::QPainterCanvas canvas(painter);
    graph::PaintGrid(canvas, Layout(), color_,
                     [this](graph::Canvas& target, int col, int row, const graph::TRect& cell) {
                         if (OnDrawCell) {
                             OnDrawCell(target, col, row, cell);
                             return;
                         }
                         target.SetBrushColor(color_);
                         target.FillRect(cell);
                         target.SetFontColor(0xFFFFFF);
                         target.TextOut(cell.Left + 2, cell.Top + 2, Cell(col, row).toStdString());
                     });
}

void OwnerDrawnGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
    Invalidate();
}

void OwnerDrawnGrid::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    Invalidate();
}

void OwnerDrawnGrid::scrollContentsBy(int, int)
{
    Invalidate();
}

} // namespace ui
