#include "ui/widgets/anchor_layout.h"

#include <QWidget>

namespace ui {

namespace {

// One axis: the start edge and the size of a control along it.
std::pair<int, int> Place(int start, int size, int designParent, bool anchoredStart,
                          bool anchoredEnd, int parent)
{
    const int endDistance = designParent - (start + size);
    if (anchoredStart && anchoredEnd)
        return {start, std::max(0, parent - start - endDistance)};
    if (anchoredEnd)
        return {parent - endDistance - size, size};
    return {start, size};
}

} // namespace

QRect AnchoredRect(const QRect& designRect, const QSize& designParentSize, unsigned anchors,
                   const QSize& parentSize)
{
    const auto [x, w] =
        Place(designRect.x(), designRect.width(), designParentSize.width(), (anchors & akLeft) != 0,
              (anchors & akRight) != 0, parentSize.width());
    const auto [y, h] =
        Place(designRect.y(), designRect.height(), designParentSize.height(),
              (anchors & akTop) != 0, (anchors & akBottom) != 0, parentSize.height());
    return {x, y, w, h};
}

AnchorLayout::AnchorLayout(QSize designParentSize) : designParentSize_(designParentSize) {}

void AnchorLayout::Add(QWidget* widget, const QRect& designRect, unsigned anchors)
{
    items_.push_back({widget, designRect, anchors, false});
    widget->setGeometry(designRect);
}

void AnchorLayout::AddBottomAligned(QWidget* widget, int height)
{
    const QRect rect(0, designParentSize_.height() - height, designParentSize_.width(), height);
    items_.push_back({widget, rect, 0, true});
    widget->setGeometry(rect);
}

void AnchorLayout::Apply(const QSize& parentSize) const
{
    for (const Item& item : items_) {
        if (item.bottomAligned) {
            const int h = item.designRect.height();
            item.widget->setGeometry(0, parentSize.height() - h, parentSize.width(), h);
        } else {
            item.widget->setGeometry(
                AnchoredRect(item.designRect, designParentSize_, item.anchors, parentSize));
        }
    }
}

} // namespace ui
