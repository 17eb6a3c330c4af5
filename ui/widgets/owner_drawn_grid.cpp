#include "ui/widgets/owner_drawn_grid.h"

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

constexpr engine::TColor kLineColor = 0x000000;

void CheckIndex(int index, std::size_t count, const char* what)
{
    if (index < 0 || static_cast<std::size_t>(index) >= count)
        throw std::out_of_range(std::string("OwnerDrawnGrid: ") + what + " " +
                                std::to_string(index) + " out of range");
}

} // namespace

QFont OwnerDrawnGrid::DefaultFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    return font;
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
    colWidths_.assign(static_cast<std::size_t>(colCount_), defaultColWidth_);
    rowHeights_.assign(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
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
    colWidths_.resize(static_cast<std::size_t>(colCount_), defaultColWidth_);
    Changed();
}

void OwnerDrawnGrid::SetRowCount(int count)
{
    rowCount_ = std::max(count, FixedRows());
    rowHeights_.resize(static_cast<std::size_t>(rowCount_), defaultRowHeight_);
    Changed();
}

void OwnerDrawnGrid::SetDefaultColWidth(int width)
{
    defaultColWidth_ = std::max(width, 0);
    std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
    Changed();
}

void OwnerDrawnGrid::SetDefaultRowHeight(int height)
{
    defaultRowHeight_ = std::max(height, 0);
    std::fill(rowHeights_.begin(), rowHeights_.end(), defaultRowHeight_);
    Changed();
}

int OwnerDrawnGrid::ColWidth(int col) const
{
    CheckIndex(col, colWidths_.size(), "column");
    return colWidths_[static_cast<std::size_t>(col)];
}

void OwnerDrawnGrid::SetColWidth(int col, int width)
{
    CheckIndex(col, colWidths_.size(), "column");
    colWidths_[static_cast<std::size_t>(col)] = std::max(width, 0);
    Changed();
}

int OwnerDrawnGrid::RowHeight(int row) const
{
    CheckIndex(row, rowHeights_.size(), "row");
    return rowHeights_[static_cast<std::size_t>(row)];
}

void OwnerDrawnGrid::SetRowHeight(int row, int height)
{
    CheckIndex(row, rowHeights_.size(), "row");
    rowHeights_[static_cast<std::size_t>(row)] = std::max(height, 0);
    Changed();
}

QString OwnerDrawnGrid::Cell(int col, int row) const
{
    const auto it = cells_.find({col, row});
    return it == cells_.end() ? QString() : it->second;
}

void OwnerDrawnGrid::SetCell(int col, int row, const QString& text)
{
    CheckIndex(col, colWidths_.size(), "column");
    CheckIndex(row, rowHeights_.size(), "row");
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

graph::TRect OwnerDrawnGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_)
        return {};
    const int top = TopRow();
    if (row >= FixedRows() && row < top)
        return {}; // scrolled out of view
    int x = 0;
    for (int c = 0; c < col; ++c)
        x += colWidths_[static_cast<std::size_t>(c)] + 1;
    int y = 0;
    for (int r = 0; r < row; ++r)
        if (r < FixedRows() || r >= top)
            y += rowHeights_[static_cast<std::size_t>(r)] + 1;
    return {x, y, x + colWidths_[static_cast<std::size_t>(col)],
            y + rowHeights_[static_cast<std::size_t>(row)]};
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
        fixed += rowHeights_[static_cast<std::size_t>(r)] + 1;
    const int room = viewport()->height() - fixed;
    int hidden = 0;
    int below = 0;
    for (int r = FixedRows(); r < rowCount_; ++r)
        below += rowHeights_[static_cast<std::size_t>(r)] + 1;
    while (below > room && FixedRows() + hidden < rowCount_ - 1) {
        below -= rowHeights_[static_cast<std::size_t>(FixedRows() + hidden)] + 1;
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
    const int width = viewport()->width();
    const int height = viewport()->height();
    graph::QPainterCanvas canvas(painter);
    canvas.SetBrushColor(color_);
    canvas.FillRect({0, 0, width, height});

    std::vector<int> rows;
    for (int r = 0; r < rowCount_; ++r)
        if (r < FixedRows() || r >= TopRow())
            rows.push_back(r);

    // The lines between cells first: the cells paint over them where they reach beyond
    // their rectangles (the graph's lower edge lines lie on them).
    const graph::TRect last = CellRect(colCount_ - 1, rows.back());
    canvas.SetPenColor(kLineColor);
    canvas.SetPenStyle(graph::TPenStyle::psSolid);
    for (int c = 0; c < colCount_; ++c) {
        const graph::TRect cell = CellRect(c, rows.front());
        canvas.MoveTo(cell.Right, 0);
        canvas.LineTo(cell.Right, last.Bottom + 1);
    }
    for (int r : rows) {
        const graph::TRect cell = CellRect(0, r);
        canvas.MoveTo(0, cell.Bottom);
        canvas.LineTo(last.Right + 1, cell.Bottom);
    }

    // Row by row, each row's fixed column 0 before column 1: column 1's painter writes the
    // row labels into column 0, so they must not be painted over. No clipping to the cell.
    for (int r : rows) {
        for (int c = 0; c < colCount_; ++c) {
            const graph::TRect cell = CellRect(c, r);
            if (cell.Top >= height)
                break;
            if (OnDrawCell) {
                OnDrawCell(canvas, c, r, cell);
            } else {
                canvas.SetBrushColor(color_);
                canvas.FillRect(cell);
                canvas.SetFontColor(0xFFFFFF);
                canvas.TextOut(cell.Left + 2, cell.Top + 2, Cell(c, r).toStdString());
            }
        }
    }
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
