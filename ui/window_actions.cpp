#include "ui/window_actions.h"

#include "engine/decimal_separator.h"
#include "engine/sample_log.h"
#include "graph/render/png_file.h"
#include "ui/graph_page/about_box.h"
#include "ui/graph_page/graph_exports.h"
#include "ui/graph_page/window_bindings.h"
#include "ui/session/run_session.h"
#include "ui/widgets/file_dialogs.h"

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

namespace ui {

namespace {

constexpr const char* kPngFilter = "PNG pictures (*.png);;All files (*)";
constexpr const char* kLogFilter = "Text files (*.txt);;All files (*)";

void SaveLogAction(const WindowActionTargets& t)
{
    SaveWhereAsked(t.Window, QStringLiteral("Save log as"), QStringLiteral("log.txt"), kLogFilter,
                   QStringLiteral("txt"),
                   [&t](const QString& path) { SaveLog(*t.Session, path); });
}

void SaveCircuitPngAction(const WindowActionTargets& t)
{
    SaveWhereAsked(t.Window, QStringLiteral("Save circuit as PNG"), QStringLiteral("circuit.png"),
                   kPngFilter, QStringLiteral("png"),
                   [&t](const QString& path) {
                       SaveCircuitPng(*t.CircuitPicture, *t.CircuitPage, path);
                   });
}

void SavePagePngAction(const WindowActionTargets& t, QWidget& page)
{
    SaveWhereAsked(t.Window, QStringLiteral("Save page as PNG"), QStringLiteral("page.png"),
                   kPngFilter, QStringLiteral("png"),
                   [&page](const QString& path) { SavePagePng(page, path); });
}

// The action runs with targets that live as long as the window: the form keeps them.
template <typename Action> auto Run(const WindowActionTargets& t, Action action)
{
    const WindowActionTargets* target = &t;
    return [target, action] { target->Guarded([&] { action(*target); }); };
}

} // namespace

void SaveLog(const RunSession& session, const QString& path)
{
    engine::SaveSampleLog(QFile::encodeName(path).toStdString(), session.Samples(),
                          engine::DecimalSeparator());
}

void SaveCircuitPng(const std::optional<QImage>& picture, QWidget& page, const QString& path)
{
    if (!picture || picture->isNull())
        throw graph::ExportError(
            "There is no circuit picture: its picture files could not be read");
    SavePagePng(page, path);
}

void SavePagePng(QWidget& page, const QString& path)
{
    graph::SavePng(page.grab().toImage(), path);
}

void AddSaveLogAction(const WindowActionTargets& targets, QMenu& menu)
{
    QAction* saveLog = menu.addAction(QStringLiteral("Save log as...\tCtrl+L"), &menu,
                                      Run(targets, SaveLogAction));
    saveLog->setObjectName(QStringLiteral("SaveLogAs"));
}

void AddCircuitExportActions(const WindowActionTargets& targets, QMenu& menu)
{
    if (!menu.isEmpty())
        menu.addSeparator();
    menu.addAction(QStringLiteral("Save circuit as PNG..."), &menu,
                   Run(targets, SaveCircuitPngAction));
}

void AddHelpActions(const WindowActionTargets& targets, QMenu& menu)
{
    QWidget* window = targets.Window;
    menu.addSeparator();
    menu.addAction(QStringLiteral("Help\tF1"), window, [window] { ShowBindingsHelp(*window); })
        ->setObjectName(QStringLiteral("Help"));
    menu.addAction(QStringLiteral("About..."), window, [window] { ShowAbout(*window); })
        ->setObjectName(QStringLiteral("About"));
}

void AddWindowShortcuts(const WindowActionTargets& targets)
{
    QWidget& window = *targets.Window;
    auto* savePicture = new QAction(QStringLiteral("Save picture as PNG..."), &window);
    savePicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QObject::connect(savePicture, &QAction::triggered, &window,
                     Run(targets, [](const WindowActionTargets& t) {
                         QWidget* page = t.PageShown();
                         if (page == t.GraphPage)
                             SaveGraphPngAction(*t.Graph);
                         else if (page == t.CircuitPage)
                             SaveCircuitPngAction(t);
                         else if (page != nullptr)
                             SavePagePngAction(t, *page);
                     }));
    auto* exportView = new QAction(QStringLiteral("Export view..."), &window);
    exportView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QObject::connect(exportView, &QAction::triggered, &window,
                     Run(targets, [](const WindowActionTargets& t) { ExportViewAction(*t.Graph); }));
    auto* saveLog = new QAction(QStringLiteral("Save log as..."), &window);
    saveLog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QObject::connect(saveLog, &QAction::triggered, &window, Run(targets, SaveLogAction));
    window.addAction(savePicture);
    window.addAction(exportView);
    window.addAction(saveLog);
}

} // namespace ui
