#include "ui/widgets/error_report.h"

#include <QMessageBox>

#include <exception>
#include <new>

namespace ui {

QString ErrorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QChar('.'))
        return message + '.';
    return message;
}

void ShowStandardErrorBox(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, QStringLiteral("Error"), text);
}

void RunGuarded(QWidget* parent, const ErrorSink& sink, const std::function<void()>& handler)
{
    QString message;
    try {
        handler();
        return;
    } catch (const std::bad_alloc&) {
        message = QStringLiteral("Out of memory");
    } catch (const std::exception& error) {
        message = QString::fromUtf8(error.what());
    }
    const QString text = ErrorBoxText(message);
    if (sink)
        sink(parent, text);
    else
        ShowStandardErrorBox(parent, text);
}

} // namespace ui
