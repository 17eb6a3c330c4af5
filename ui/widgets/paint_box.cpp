#include "ui/widgets/paint_box.h"

#include <QPainter>

namespace ui {

PaintBox::PaintBox(QWidget* parent) : QWidget(parent) {}

void PaintBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (OnPaint)
        OnPaint(painter);
}

} // namespace ui
