#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

// Where the readout window opens: beside the main window or below it, never over it, so that
// the parameter column and the graph stay in sight. A pure function of the geometries, so
// that any screen can be tried without one.

namespace ui {

struct ReadoutPlacementInput {
    QRect OwnerFrame;        // the main window, decoration included
    QSize Content;           // the readout's client size for its whole text
    QMargins Frame;          // the decoration the window manager adds around a client area
    QRect Available;         // the screen less its panels
    int ScrollBarExtent = 0; // what a scroll bar takes when only part of the text fits
};

// The readout's client geometry. In this order, the first side of the main window where the
// whole readout fits: right, left, below, above. Else the side where it shows most of its
// text, keeping its full width when it can (the values are read across, cursor by cursor),
// the rest scrolling, with room for the scroll bar where the side has it. Only when no side has
// room for kMinimumReadout does it go over the main window, at the screen's right edge.
QRect PlaceReadout(const ReadoutPlacementInput& input);

inline constexpr QSize kMinimumReadout{200, 120};

} // namespace ui
