#include "ui/widgets/scroll_bar_adapter.h"

#include <QScrollBar>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace ui {

ScrollBarAdapter::ScrollBarAdapter(QScrollBar* bar, QObject* parent) : QObject(parent), bar_(bar)
{
    if (bar_ == nullptr)
        throw std::invalid_argument("ScrollBarAdapter needs a scroll bar");
    connect(bar_, &QAbstractSlider::actionTriggered, this, &ScrollBarAdapter::OnAction);
    SyncView();
}

int ScrollBarAdapter::Min() const
{
    return min_;
}
int ScrollBarAdapter::Max() const
{
    return max_;
}
int ScrollBarAdapter::Position() const
{
    return position_;
}
int ScrollBarAdapter::PageSize() const
{
    return pageSize_;
}
int ScrollBarAdapter::SmallChange() const
{
    return smallChange_;
}
int ScrollBarAdapter::LargeChange() const
{
    return largeChange_;
}
int ScrollBarAdapter::Tag() const
{
    return tag_;
}
QScrollBar* ScrollBarAdapter::Bar() const
{
    return bar_;
}

void ScrollBarAdapter::SetMin(int value)
{
    SetParams(position_, value, max_);
}
void ScrollBarAdapter::SetMax(int value)
{
    SetParams(position_, min_, value);
}
void ScrollBarAdapter::SetPosition(int value)
{
    SetParams(value, min_, max_);
}

void ScrollBarAdapter::SetPageSize(int value)
{
    if (value < 0 || value > max_ || value == pageSize_)
        return;
    pageSize_ = value;
    SyncView();
}

void ScrollBarAdapter::SetSmallChange(int value)
{
    smallChange_ = std::clamp(value, 1, kMaxChange);
}

void ScrollBarAdapter::SetLargeChange(int value)
{
    largeChange_ = std::clamp(value, 1, kMaxChange);
}

void ScrollBarAdapter::SetTag(int tag)
{
    tag_ = tag;
}

void ScrollBarAdapter::SetParams(int position, int min, int max)
{
    if (max < min || max < pageSize_)
        throw std::invalid_argument("scroll bar range " + std::to_string(min) + " ... " +
                                    std::to_string(max) + " is empty or smaller than the page " +
                                    std::to_string(pageSize_));
    min_ = min;
    max_ = max;
    Move(position);
}

void ScrollBarAdapter::Move(int position)
{
    const int clamped = std::clamp(position, min_, max_);
    const bool changed = clamped != position_;
    position_ = clamped;
    SyncView();
    // Last: the handler may move the bar again, and the state it leaves is the one that holds.
    if (changed)
        emit Change();
}

int ScrollBarAdapter::ViewMax() const
{
    // The thumb covers PageSize positions, so it can be dragged only up to the last position
    // at which it still fits; later positions are reached by arrows and track clicks.
    const long long last = static_cast<long long>(max_) - std::max(pageSize_, 1) + 1;
    return static_cast<int>(std::max<long long>(min_, last));
}

void ScrollBarAdapter::SyncView()
{
    const int viewMax = ViewMax();
    bar_->setRange(min_, viewMax);
    bar_->setPageStep(std::max(pageSize_, 1));
    bar_->setSingleStep(1);
    bar_->setValue(std::clamp(position_, min_, viewMax));
}

void ScrollBarAdapter::OnAction(int action)
{
    long long target = position_;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        target += smallChange_;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        target -= smallChange_;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        target += largeChange_;
        break;
    case QAbstractSlider::SliderPageStepSub:
        target -= largeChange_;
        break;
    case QAbstractSlider::SliderToMinimum:
        target = min_;
        break;
    case QAbstractSlider::SliderToMaximum:
        target = max_;
        break;
    case QAbstractSlider::SliderMove:
        target = bar_->sliderPosition();
        break;
    default:
        return;
    }
    Move(static_cast<int>(std::clamp<long long>(target, min_, max_)));
    // Qt applies the slider position after this slot: make it the one of our position.
    bar_->setSliderPosition(std::clamp(position_, min_, ViewMax()));
}

} // namespace ui
