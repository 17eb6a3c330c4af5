#include "ui/widgets/param_edit.h"

#include <QFocusEvent>

namespace ui {

ParamEdit::ParamEdit(QWidget* parent) : QLineEdit(parent) {}

void ParamEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // Switching to another application or opening a menu does not leave the box.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        emit FocusLost();
}

} // namespace ui
