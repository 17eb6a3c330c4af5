#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QObject;
class QWidget;

// Small helpers that create the form's controls with their names, tags and texts.

namespace ui {

// The integer tag a control carries (0 when none was set).
int TagOf(const QObject* control);
void SetTag(QObject* control, int tag);

// A label whose width follows its text (auto-size) unless a width is given.
QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int x, int y,
                  int width = -1, int height = 13);

// A flat, read-only label box of the circuit page.
QLineEdit* MakeFlatLabelBox(QWidget* parent, const QString& name, const QString& text,
                            const QRect& rect);

} // namespace ui
