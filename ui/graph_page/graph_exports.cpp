#include "ui/graph_page/graph_exports.h"

#include "engine/decimal_separator.h"
#include "engine/view_export.h"
#include "graph/render/graph_image.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/tform1.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

namespace ui {

namespace {

constexpr const char* kPngFilter = "PNG pictures (*.png);;All files (*)";
constexpr const char* kTsvFilter = "Tab-separated text (*.tsv *.txt);;All files (*)";

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

} // namespace

QImage GraphImage(const TForm1& form)
{
    return graph::RenderGraphImage(form.GraphParams(), form.StringGrid1->size(),
                                   form.StringGrid1->font());
}

void SaveGraphPng(const TForm1& form, const QString& path)
{
    graph::SavePng(GraphImage(form), path);
}

void SaveCircuitPng(const TForm1& form, const QString& path)
{
    const std::optional<QImage>& picture = form.CircuitBitmap();
    if (!picture || picture->isNull())
        throw graph::ExportError(
            "There is no circuit picture: its picture files could not be read");
    graph::SavePng(*picture, path);
}

void ExportView(const TForm1& form, const QString& path)
{
    const engine::EngineState& state = form.Engine();
    engine::SaveViewExport(LocalPath(path), state.Run, state.Result, {form.ViewStart, form.ViewLen},
                           engine::DecimalSeparator());
}

QString AskSavePath(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix)
{
    const ThrowawayDialogSettings settings;
    QFileDialog dialog(parent, caption, QDir::home().filePath(fileName), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The platform's dialog would add the file to the desktop's list of recent files.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void SaveGraphPngAction(TForm1& form)
{
    const QString path =
        AskSavePath(&form, QStringLiteral("Save graph as PNG"), QStringLiteral("graph.png"),
                    kPngFilter, QStringLiteral("png"));
    if (!path.isEmpty())
        SaveGraphPng(form, path);
}

void SaveCircuitPngAction(TForm1& form)
{
    const QString path =
        AskSavePath(&form, QStringLiteral("Save circuit as PNG"), QStringLiteral("circuit.png"),
                    kPngFilter, QStringLiteral("png"));
    if (!path.isEmpty())
        SaveCircuitPng(form, path);
}

void ExportViewAction(TForm1& form)
{
    const QString path = AskSavePath(&form, QStringLiteral("Export view"),
                                     QStringLiteral("view.tsv"), kTsvFilter, QStringLiteral("tsv"));
    if (!path.isEmpty())
        ExportView(form, path);
}

void AddGraphExportActions(TForm1& form, QMenu& menu, const GuardedRun& guarded)
{
    TForm1* target = &form;
    if (!menu.isEmpty())
        menu.addSeparator();
    menu.addAction(QStringLiteral("Save graph as PNG..."), &menu,
                   [target, guarded] { guarded([target] { SaveGraphPngAction(*target); }); });
    menu.addAction(QStringLiteral("Export view..."), &menu,
                   [target, guarded] { guarded([target] { ExportViewAction(*target); }); });
}

void AddCircuitExportActions(TForm1& form, QMenu& menu, const GuardedRun& guarded)
{
    TForm1* target = &form;
    if (!menu.isEmpty())
        menu.addSeparator();
    menu.addAction(QStringLiteral("Save circuit as PNG..."), &menu,
                   [target, guarded] { guarded([target] { SaveCircuitPngAction(*target); }); });
}

void AddExportShortcuts(TForm1& form, const GuardedRun& guarded)
{
    TForm1* target = &form;
    auto* savePicture = new QAction(QStringLiteral("Save picture as PNG..."), &form);
    savePicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    QObject::connect(savePicture, &QAction::triggered, &form, [target, guarded] {
        guarded([target] {
            if (target->PageControl1->Page(target->PageControl1->ActivePageIndex()) ==
                target->TabSheet2)
                SaveGraphPngAction(*target);
            else
                SaveCircuitPngAction(*target);
        });
    });
    auto* exportView = new QAction(QStringLiteral("Export view..."), &form);
    exportView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    QObject::connect(exportView, &QAction::triggered, &form,
                     [target, guarded] { guarded([target] { ExportViewAction(*target); }); });
    form.addAction(savePicture);
    form.addAction(exportView);
}

} // namespace ui
