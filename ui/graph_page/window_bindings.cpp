#include "ui/graph_page/window_bindings.h"

#include <QAction>
#include <QKeySequence>
#include <QMessageBox>

namespace ui {

namespace {

constexpr Binding kGraphMouse[] = {
    {"Click", "place cursor A on the nearest sample (in cursor mode)"},
    {"Shift+click", "place cursor B"},
    {"Drag a cursor line", "move that cursor (grab it within 4 pixels)"},
    {"Wheel, Ctrl+wheel", "zoom by 2 around the pointer: the sample under it stays put"},
    {"Shift+wheel", "scroll by a tenth of the view per notch"},
    {"Middle drag", "pan (a left drag pans too while cursor mode is off)"},
    {"Right click", "the graph menu: cursors, zoom, readout, pointer line, exports, help"},
};

constexpr Binding kGraphKeys[] = {
    {"+, =", "zoom in (the \"+\" button)"},
    {"-", "zoom out (the \"-\" button)"},
    {"F, Shift+F", "fit the whole run (the \"<->\" button)"},
    {"[, ]", "cursor A to the previous, next switch edge"},
    {"Esc", "clear the cursors"},
    {"R", "show or hide the readout"},
    {"C", "cursor mode on or off"},
    {"H", "hold the run as reference"},
    {"Shift+H", "clear the reference"},
};

constexpr Binding kWindowKeys[] = {
    {"Ctrl+S", "save the page shown (graph, circuit or zero crossings) as PNG"},
    {"Ctrl+E", "export the view window's samples as a table"},
    {"Ctrl+L", "save the log (what \"txt\" writes to log.txt) where you choose"},
    {"Ctrl+Shift+S, Ctrl+O", "save the parameters and options as a scenario, load one"},
    {"Right click", "elsewhere in the window: save or load a scenario; on the schematic: save "
                    "it as PNG"},
    {"Ctrl+C", "in the readout: copy all its figures; in the zero-crossing table: copy the "
               "table (a click on a row takes the graph and cursor A to its crossing)"},
    {"F1", "this list of mouse and key bindings"},
    {"Tab", "the next box of the parameter column; Enter applies a box"},
};

constexpr BindingGroup kGroups[] = {
    {"Mouse on the graph", kGraphMouse},
    {"Keys on the \"Graph\" page", kGraphKeys},
    {"Keys anywhere in the window", kWindowKeys},
};

} // namespace

std::span<const BindingGroup> WindowBindings()
{
    return kGroups;
}

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
