#include "ui/widgets/file_dialogs.h"

#include "ui/widgets/busy_cursor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace ui {

namespace {

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

// The folder of the last file chosen in any dialog while the program runs; the home folder
// before the first. Kept in memory only, like everything else of a session.
QString& LastFolder()
{
    static QString folder;
    return folder;
}

QDir StartFolder()
{
    const QString& last = LastFolder();
    return last.isEmpty() || !QDir(last).exists() ? QDir::home() : QDir(last);
}

QString Remembered(const QString& path)
{
    LastFolder() = QFileInfo(path).absolutePath();
    return path;
}

} // namespace

QString AskSavePath(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix, QString* chosenFilter)
{
    const ThrowawayDialogSettings settings;
    QFileDialog dialog(parent, caption, StartFolder().filePath(fileName), filter);
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
    return Remembered(dialog.selectedFiles().constFirst());
}

QString AskOpenPath(QWidget* parent, const QString& caption, const QString& filter)
{
    const ThrowawayDialogSettings settings;
    QFileDialog dialog(parent, caption, StartFolder().path(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    Configure(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return Remembered(dialog.selectedFiles().constFirst());
}

bool SaveWhereAsked(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix,
                    const std::function<void(const QString&)>& save)
{
    const QString path = AskSavePath(parent, caption, fileName, filter, suffix);
    if (path.isEmpty())
        return false;
    const BusyCursor busy; // after the dialog, which keeps the normal pointer
    save(path);
    return true;
}

} // namespace ui
