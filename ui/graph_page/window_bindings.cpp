#include "ui/graph_page/window_bindings.h"

#include <QAction>
#include <QKeySequence>
#include <QMessageBox>

namespace ui {

QString BindingsHelpText()
{
    QString html;
    for (const BindingGroup& group : WindowBindings()) {
        html += QStringLiteral("<p><b>%1</b></p><table cellspacing=\"2\">")
                    .arg(QString::fromUtf8(group.Title).toHtmlEscaped());
        for (const Binding& binding : group.Bindings)
            html += QStringLiteral("<tr><td><code>%1</code>&nbsp;&nbsp;</td><td>%2</td></tr>")
                        .arg(QString::fromUtf8(binding.Input).toHtmlEscaped(),
                             QString::fromUtf8(binding.Action).toHtmlEscaped());
        html += QStringLiteral("</table>");
    }
    return html;
}

void ShowBindingsHelp(QWidget& parent)
{
    auto* box =
        parent.findChild<QMessageBox*>(QStringLiteral("BindingsHelp"), Qt::FindDirectChildrenOnly);
    if (box == nullptr) {
        box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Mouse and keys"),
                              BindingsHelpText(), QMessageBox::Close, &parent);
        box->setObjectName(QStringLiteral("BindingsHelp"));
        box->setTextFormat(Qt::RichText);
        box->setModal(false);
    }
    box->show();
    box->raise();
    box->activateWindow();
}

void AddHelpShortcut(QWidget& window)
{
    auto* help = new QAction(QStringLiteral("Help"), &window);
    help->setObjectName(QStringLiteral("HelpShortcut"));
    help->setShortcut(QKeySequence(Qt::Key_F1));
    QWidget* target = &window;
    QObject::connect(help, &QAction::triggered, &window, [target] { ShowBindingsHelp(*target); });
    window.addAction(help);
}

} // namespace ui
