#include "ui/widgets/form_style.h"

namespace ui {

QColor ColorFromTColor(std::uint32_t color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

namespace {

QFont SansFont(int pixelSize)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    // The form was laid out for a narrow 8-point face; a slightly condensed sans keeps every
    // caption inside its designed width.
    font.setStretch(92);
    return font;
}

} // namespace

QFont FormFont()
{
    return SansFont(11);
}

QFont HeadingFont()
{
    QFont font = SansFont(13);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

QFont RadioGroupFont()
{
    return SansFont(11);
}

} // namespace ui

#include <QApplication>
#include <QStyleFactory>

namespace ui {

void ApplyApplicationStyle(QApplication& app)
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(FormFont());
    app.setStyleSheet(QStringLiteral(
        "QCheckBox, QRadioButton { spacing: 3px; }"
        "QCheckBox::indicator, QRadioButton::indicator { width: 11px; height: 11px; }"));
}

} // namespace ui
