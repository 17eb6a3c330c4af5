#pragma once

#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

// Keeps child controls at their designed distances from the edges they are anchored to while
// their parent changes size: anchored left and right, a control grows; anchored right only,
// it moves. Applied explicitly by the owner so that hidden pages are laid out too.

namespace ui {

enum Anchor : unsigned {
    akLeft = 1,
    akTop = 2,
    akRight = 4,
    akBottom = 8,
};

inline constexpr unsigned kAnchorTopLeft = akLeft | akTop;
inline constexpr unsigned kAnchorTopRight = akTop | akRight;
inline constexpr unsigned kAnchorAll = akLeft | akTop | akRight | akBottom;
inline constexpr unsigned kAnchorBottomRight = akRight | akBottom;

// Where a control goes in a parent of `parentSize`, given its designed rectangle inside a
// parent of `designParentSize`.
QRect AnchoredRect(const QRect& designRect, const QSize& designParentSize, unsigned anchors,
                   const QSize& parentSize);

class AnchorLayout {
public:
    explicit AnchorLayout(QSize designParentSize);

    // Places `widget` at `designRect` now and registers it.
    void Add(QWidget* widget, const QRect& designRect, unsigned anchors);
    // A control aligned to the parent's bottom edge: full width, its own height.
    void AddBottomAligned(QWidget* widget, int height);
    void Apply(const QSize& parentSize) const;

private:
    struct Item {
        QWidget* widget;
        QRect designRect;
        unsigned anchors;
        bool bottomAligned;
    };
    QSize designParentSize_;
    std::vector<Item> items_;
};

} // namespace ui
