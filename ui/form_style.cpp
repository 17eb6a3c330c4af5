#include "ui/form_style.h"

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
    return font;
}

} // namespace

QFont FormFont() { return SansFont(11); }

QFont HeadingFont()
{
    QFont font = SansFont(13);
    font.setBold(true);
    font.setItalic(true);
    return font;
}

QFont RadioGroupFont() { return SansFont(11); }

} // namespace ui
