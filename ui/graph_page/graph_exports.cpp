#include "ui/graph_page/graph_exports.h"

#include "engine/decimal_separator.h"
#include "engine/sample_log.h"
#include "engine/vcd_writer.h"
#include "engine/view_export.h"
#include "graph/render/graph_image.h"
#include "ui/graph_page/graph_host.h"
#include "ui/session/run_session.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/owner_drawn_grid.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>
#include <optional>

namespace ui {

namespace {

constexpr const char* kPngFilter = "PNG pictures (*.png);;All files (*)";
constexpr const char* kTsvFilter = "Tab-separated text (*.tsv *.txt)";
constexpr const char* kCsvFilter = "CSV (*.csv)";
constexpr const char* kAllFiles = "All files (*)";
constexpr const char* kVcdFilter = "Value Change Dump (*.vcd);;All files (*)";
constexpr const char* kLogFilter = "Text files (*.txt);;All files (*)";

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// Qt's own file dialog keeps its history, last folder and view state in the user's settings
// and reads them back at the next start. The program keeps no state between runs, so while
// a dialog lives its settings go to a folder that is removed afterwards.
class ThrowawayDialogSettings {
public:
    ThrowawayDialogSettings()
    {
        if (folder_.isValid())
            QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
    }
    ~ThrowawayDialogSettings()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
    }
    ThrowawayDialogSettings(const ThrowawayDialogSettings&) = delete;
    ThrowawayDialogSettings& operator=(const ThrowawayDialogSettings&) = delete;

private:
    QTemporaryDir folder_;
};

// The suffix of a filter's first pattern, "csv" for "CSV (*.csv)"; empty for "*".
QString SuffixOf(const QString& filter)
{
    const qsizetype star = filter.indexOf(QStringLiteral("*."));
    if (star < 0)
        return {};
    QString suffix = filter.mid(star + 2);
    const qsizetype end = suffix.indexOf(QRegularExpression(QStringLiteral("[ );]")));
    return end < 0 ? suffix : suffix.left(end);
}

void Configure(QFileDialog& dialog)
{
    // The platform's dialog would add the file to the desktop's list of recent files.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
}

} // namespace

graph::GraphPaintParams GraphParamsOf(const GraphHost& host)
{
    return host.Session().PaintParams(host.SwitchLabels());
}

QImage GraphImage(const GraphHost& host)
{
    return graph::RenderGraphImage(GraphParamsOf(host), host.Grid().size(), host.Grid().font(),
                                   host.Session().HeldReference());
}

QImage GraphImage(const GraphHost& host, const CursorMarks& cursors)
{
    QImage image = GraphImage(host);
    const QWidget& viewport = *host.Grid().viewport();
    QPainter painter(&image);
    // The overlay lies over the viewport, which clips it.
    painter.setClipRect(viewport.geometry());
    painter.translate(viewport.geometry().topLeft());
    painter.setFont(cursors.Font);
    PaintOverlayLines(painter, cursors.Lines, cursors.Top, cursors.Bottom);
    return image;
}

void SaveGraphPng(const GraphHost& host, const QString& path)
{
    graph::SavePng(GraphImage(host), path);
}

void SaveGraphPng(const GraphHost& host, const QString& path, const CursorMarks& cursors)
{
    graph::SavePng(GraphImage(host, cursors), path);
}

void SaveCircuitPng(const GraphHost& host, const QString& path)
{
    const std::optional<QImage>& picture = host.CircuitPicture();
    if (!picture || picture->isNull())
        throw graph::ExportError(
            "There is no circuit picture: its picture files could not be read");
    graph::SavePng(*picture, path);
}

void ExportView(const GraphHost& host, const QString& path, engine::TableFormat format)
{
    const engine::EngineState& state = host.Session().Engine();
    const engine::SampleWindow view = host.Session().Window();
    engine::SaveViewExport(LocalPath(path), state.Run, state.Result, view,
                           engine::DecimalSeparator(), format);
}

engine::TableFormat ViewTableFormat(const QString& path, const QString& filter)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return engine::TableFormat::Csv;
    if (suffix == QLatin1String("tsv") || suffix == QLatin1String("txt"))
        return engine::TableFormat::Tsv;
    return filter == QLatin1String(kCsvFilter) ? engine::TableFormat::Csv
                                               : engine::TableFormat::Tsv;
}

void ExportVcd(const GraphHost& host, const QString& path)
{
    const engine::EngineState& state = host.Session().Engine();
    const int count = state.Run.SampleCount;
    // The window as the command line takes --view-window: kept inside the run, then cut to it.
    const engine::SampleWindow window =
        engine::CutToRun(engine::ShiftIntoRun(host.Session().Window(), count), count);
    engine::SaveVcd(LocalPath(path), state.Run, &state.Result, window);
}

void SaveLog(const GraphHost& host, const QString& path)
{
    engine::SaveSampleLog(LocalPath(path), host.Session().Engine().Run, engine::DecimalSeparator());
}

QString AskSavePath(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix, QString* chosenFilter)
{
    const ThrowawayDialogSettings settings;
    QFileDialog dialog(parent, caption, QDir::home().filePath(fileName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    Configure(dialog);
    dialog.setDefaultSuffix(suffix);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString& picked) {
                         const QString own = SuffixOf(picked);
                         if (!own.isEmpty())
                             dialog.setDefaultSuffix(own);
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (chosenFilter)
        *chosenFilter = dialog.selectedNameFilter();
    return dialog.selectedFiles().constFirst();
}

QString AskOpenPath(QWidget* parent, const QString& caption, const QString& filter)
{
    const ThrowawayDialogSettings settings;
    QFileDialog dialog(parent, caption, QDir::homePath(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    Configure(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

namespace {

// Asks where to save, then saves there under the busy cursor (after the dialog, which keeps
// the normal pointer); nothing when the user cancels.
void SaveWhereAsked(const GraphHost& host, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix,
                    const std::function<void(const QString&)>& save)
{
    const QString path = AskSavePath(&host.MainWindow(), caption, fileName, filter, suffix);
    if (path.isEmpty())
        return;
    const BusyCursor busy;
    save(path);
}

} // namespace

void SaveGraphPngAction(const GraphHost& host)
{
    SaveWhereAsked(host, QStringLiteral("Save graph as PNG"), QStringLiteral("graph.png"),
                   kPngFilter, QStringLiteral("png"),
                   [&host](const QString& path) { SaveGraphPng(host, path); });
}

void SaveCircuitPngAction(const GraphHost& host)
{
    SaveWhereAsked(host, QStringLiteral("Save circuit as PNG"), QStringLiteral("circuit.png"),
                   kPngFilter, QStringLiteral("png"),
                   [&host](const QString& path) { SaveCircuitPng(host, path); });
}

void ExportViewAction(const GraphHost& host)
{
    // TSV first: the dialog opens as it always did.
    const QString filters = QStringLiteral("%1;;%2;;%3").arg(kTsvFilter, kCsvFilter, kAllFiles);
    QString filter;
    const QString path =
        AskSavePath(&host.MainWindow(), QStringLiteral("Export view"), QStringLiteral("view.tsv"),
                    filters, QStringLiteral("tsv"), &filter);
    if (!path.isEmpty()) {
        const BusyCursor busy; // after the dialog, which keeps the normal pointer
        ExportView(host, path, ViewTableFormat(path, filter));
    }
}

void ExportVcdAction(const GraphHost& host)
{
    SaveWhereAsked(host, QStringLiteral("Export VCD"), QStringLiteral("view.vcd"), kVcdFilter,
                   QStringLiteral("vcd"), [&host](const QString& path) { ExportVcd(host, path); });
}

void SaveGraphWithCursorsPngAction(const GraphHost& host, const CursorMarks& cursors)
{
    SaveWhereAsked(host, QStringLiteral("Save graph with cursors as PNG"),
                   QStringLiteral("graph.png"), kPngFilter, QStringLiteral("png"),
                   [&](const QString& path) { SaveGraphPng(host, path, cursors); });
}

void SaveLogAction(const GraphHost& host)
{
    SaveWhereAsked(host, QStringLiteral("Save log as"), QStringLiteral("log.txt"), kLogFilter,
                   QStringLiteral("txt"), [&host](const QString& path) { SaveLog(host, path); });
}

void AddGraphExportActions(const GraphHost& host, QMenu& menu, std::function<CursorMarks()> cursors)
{
    const GraphHost* target = &host;
    if (!menu.isEmpty())
        menu.addSeparator();
    menu.addAction(QStringLiteral("Save graph as PNG..."), &menu,
                   [target] { target->Guarded([target] { SaveGraphPngAction(*target); }); });
    if (cursors) {
        QAction* withCursors = menu.addAction(
            QStringLiteral("Save graph with cursors as PNG..."), &menu, [target, cursors] {
                target->Guarded([&] { SaveGraphWithCursorsPngAction(*target, cursors()); });
            });
        withCursors->setObjectName(QStringLiteral("SaveGraphWithCursors"));
    }
    menu.addAction(QStringLiteral("Export view..."), &menu,
                   [target] { target->Guarded([target] { ExportViewAction(*target); }); });
    menu.addAction(QStringLiteral("Export VCD..."), &menu,
                   [target] { target->Guarded([target] { ExportVcdAction(*target); }); });
}

void AddSaveLogAction(const GraphHost& host, QMenu& menu)
{
    const GraphHost* target = &host;
    QAction* saveLog = menu.addAction(QStringLiteral("Save log as...\tCtrl+L"), &menu, [target] {
        target->Guarded([target] { SaveLogAction(*target); });
    });
    saveLog->setObjectName(QStringLiteral("SaveLogAs"));
}

void AddCircuitExportActions(const GraphHost& host, QMenu& menu)
{
    const GraphHost* target = &host;
    if (!menu.isEmpty())
        menu.addSeparator();
    menu.addAction(QStringLiteral("Save circuit as PNG..."), &menu,
                   [target] { target->Guarded([target] { SaveCircuitPngAction(*target); }); });
}

void AddExportShortcuts(const GraphHost& host)
{
    const GraphHost* target = &host;
    QWidget& window = host.MainWindow();
    auto* savePicture = new QAction(QStringLiteral("Save picture as PNG..."), &window);
    savePicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QObject::connect(savePicture, &QAction::triggered, &window, [target] {
        target->Guarded([target] {
            if (target->GraphPageShown())
                SaveGraphPngAction(*target);
            else
                SaveCircuitPngAction(*target);
        });
    });
    auto* exportView = new QAction(QStringLiteral("Export view..."), &window);
    exportView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QObject::connect(exportView, &QAction::triggered, &window,
                     [target] { target->Guarded([target] { ExportViewAction(*target); }); });
    auto* saveLog = new QAction(QStringLiteral("Save log as..."), &window);
    saveLog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    QObject::connect(saveLog, &QAction::triggered, &window,
                     [target] { target->Guarded([target] { SaveLogAction(*target); }); });
    window.addAction(savePicture);
    window.addAction(exportView);
    window.addAction(saveLog);
}

} // namespace ui
