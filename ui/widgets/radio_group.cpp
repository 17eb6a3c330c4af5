#include "ui/widgets/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace ui {

RadioGroup::RadioGroup(const QString& caption, const QStringList& items, int columns,
                       QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)), columns_(std::max(1, columns))
{
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        items_.push_back(button);
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int) { emit Click(); });
    LayoutItems();
}

int RadioGroup::ItemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* button = group_->button(index))
        button->setChecked(true);
}

QRadioButton* RadioGroup::Item(int index) const
{
    if (index < 0 || index >= static_cast<int>(items_.size()))
        return nullptr;
    return items_[static_cast<std::size_t>(index)];
}

void RadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    LayoutItems();
}

void RadioGroup::LayoutItems()
{
    // Below the caption line, the items share the width column by column.
    const int top = 14;
    const int rows = (static_cast<int>(items_.size()) + columns_ - 1) / columns_;
    const int columnWidth = std::max(1, (width() - 8) / columns_);
    const int rowHeight = std::max(1, (height() - top - 2) / std::max(1, rows));
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const int column = i % columns_;
        const int row = i / columns_;
        items_[static_cast<std::size_t>(i)]->setGeometry(
            4 + column * columnWidth, top + row * rowHeight, columnWidth, rowHeight);
    }
}

} // namespace ui
