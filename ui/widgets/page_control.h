#pragma once

#include <QWidget>

#include <vector>

class QTabBar;

// A page control with the platform geometry the window was laid out for: the tabs on top and
// every page inset by a fixed border, so that a 575 x 519 control has 567 x 491 pages.
// QTabWidget sizes its pages by style metrics instead, which would move every control on them.

namespace ui {

class PageControl : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTabHeight = 24;
    static constexpr int kBorder = 4;

    explicit PageControl(QWidget* parent = nullptr);

    // Adds a page (owned by the control) and returns it.
    QWidget* AddPage(const QString& caption, const QString& objectName);
    int PageCount() const;
    QWidget* Page(int index) const;
    int ActivePageIndex() const;
    void SetActivePageIndex(int index);
    QTabBar* TabBar() const;

    // The size every page has for the control's current size.
    QSize PageSize() const;
    // Places the pages for the control's current size; called by resizeEvent and by the owner
    // when it lays out synchronously.
    void LayoutPages();

signals:
    void PageChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QTabBar* tabBar_;
    std::vector<QWidget*> pages_;
};

} // namespace ui
