#include "ui/graph_page/graph_exports.h"

#include "engine/decimal_separator.h"
#include "engine/sample_log.h"
#include "engine/vcd_writer.h"
#include "engine/view_export.h"
#include "graph/render/graph_image.h"
#include "ui/graph_page/graph_host.h"
#include "ui/session/run_session.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/file_dialogs.h"
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

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
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

namespace {

void SaveWhereAsked(const GraphHost& host, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix,
                    const std::function<void(const QString&)>& save)
{
    ui::SaveWhereAsked(&host.MainWindow(), caption, fileName, filter, suffix, save);
}

} // namespace

void SaveGraphPngAction(const GraphHost& host)
{
    SaveWhereAsked(host, QStringLiteral("Save graph as PNG"), QStringLiteral("graph.png"),
                   kPngFilter, QStringLiteral("png"),
                   [&host](const QString& path) { SaveGraphPng(host, path); });
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

void AddGraphExportActions(const GraphHost& host, QMenu& menu, std::function<CursorMarks()> cursors)
{
    const GraphHost* target = &host;
    if (!menu.isEmpty())
        menu.addSeparator();
    // The window-wide keys that run the same export are shown beside it.
    menu.addAction(QStringLiteral("Save graph as PNG...\tCtrl+S"), &menu,
                   [target] { target->Guarded([target] { SaveGraphPngAction(*target); }); });
    if (cursors) {
        QAction* withCursors = menu.addAction(
            QStringLiteral("Save graph with cursors as PNG..."), &menu, [target, cursors] {
                target->Guarded([&] { SaveGraphWithCursorsPngAction(*target, cursors()); });
            });
        withCursors->setObjectName(QStringLiteral("SaveGraphWithCursors"));
    }
    menu.addAction(QStringLiteral("Export view...\tCtrl+E"), &menu,
                   [target] { target->Guarded([target] { ExportViewAction(*target); }); });
    menu.addAction(QStringLiteral("Export VCD..."), &menu,
                   [target] { target->Guarded([target] { ExportVcdAction(*target); }); });
}

} // namespace ui
