#include "ui/widgets/page_control.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace ui {

PageControl::PageControl(QWidget* parent) : QWidget(parent), tabBar_(new QTabBar(this))
{
    tabBar_->setDrawBase(false);
    tabBar_->setExpanding(false);
    connect(tabBar_, &QTabBar::currentChanged, this, [this](int index) {
        for (int i = 0; i < PageCount(); ++i)
            pages_[static_cast<std::size_t>(i)]->setVisible(i == index);
        emit PageChanged(index);
    });
}

QWidget* PageControl::AddPage(const QString& caption, const QString& objectName)
{
    auto* page = new QWidget(this);
    page->setObjectName(objectName);
    pages_.push_back(page);
    tabBar_->addTab(caption);
    page->setVisible(tabBar_->currentIndex() == PageCount() - 1);
    LayoutPages();
    return page;
}

int PageControl::PageCount() const
{
    return static_cast<int>(pages_.size());
}

QWidget* PageControl::Page(int index) const
{
    if (index < 0 || index >= PageCount())
        return nullptr;
    return pages_[static_cast<std::size_t>(index)];
}

int PageControl::ActivePageIndex() const
{
    return tabBar_->currentIndex();
}

void PageControl::SetActivePageIndex(int index)
{
    tabBar_->setCurrentIndex(index);
}

QTabBar* PageControl::TabBar() const
{
    return tabBar_;
}

QSize PageControl::PageSize() const
{
    return {std::max(0, width() - 2 * kBorder), std::max(0, height() - kTabHeight - kBorder)};
}

void PageControl::LayoutPages()
{
    tabBar_->setGeometry(2, 0, std::max(0, width() - 4), kTabHeight);
    const QSize size = PageSize();
    for (QWidget* page : pages_)
        page->setGeometry(kBorder, kTabHeight, size.width(), size.height());
}

void PageControl::resizeEvent(QResizeEvent*)
{
    LayoutPages();
}

void PageControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = QRect(0, kTabHeight - 2, width(), height() - kTabHeight + 2);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = tabBar_->sizeHint();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

} // namespace ui
