#pragma once

#include <QColor>
#include <QFont>

#include <cstdint>

// The window's fonts and colours.

namespace ui {

// A platform colour value $00BBGGRR as a QColor.
QColor ColorFromTColor(std::uint32_t color);

// The form's 8-point sans serif (11 pixels high at 96 dpi: text height 13).
QFont FormFont();
// The parameter column's headings: 10-point bold italic.
QFont HeadingFont();
// The radio groups' 8-point font.
QFont RadioGroupFont();

inline constexpr std::uint32_t kNavy = 0x800000;
inline constexpr std::uint32_t kCircuitPageColor = 0xCCFFCC;
inline constexpr std::uint32_t kButtonFace = 0xF0F0F0;

} // namespace ui

class QApplication;

namespace ui {

// The look the window was designed for: the Fusion style, the form's font and compact check
// and radio indicators that leave the captions their designed room.
void ApplyApplicationStyle(QApplication& app);

} // namespace ui
