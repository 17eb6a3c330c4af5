#pragma once

#include <QString>

#include <functional>

class QWidget;

// The program's file dialogs: Qt's own (never the platform's, which would add the file to the
// desktop's recent files), keeping no state on disk. Each starts in the folder of the last
// file chosen while the program runs (the home folder before the first) with `fileName`.

namespace ui {

// The dialog for a file to write. Returns an empty text when the user cancels. The default
// suffix follows the filter the user picks; `chosenFilter` receives that filter.
QString AskSavePath(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix, QString* chosenFilter = nullptr);
// The same dialog for an existing file to read.
QString AskOpenPath(QWidget* parent, const QString& caption, const QString& filter);

// Asks where to save, then saves there under the busy cursor (after the dialog, which keeps
// the normal pointer). False when the user cancelled.
bool SaveWhereAsked(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix,
                    const std::function<void(const QString&)>& save);

} // namespace ui
