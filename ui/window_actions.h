#pragma once

#include <QImage>
#include <QString>

#include <functional>
#include <optional>

class QMenu;
class QWidget;

// What the window does as a whole rather than on one page: the log saved where the user
// chooses, the circuit picture saved, the page-dependent Ctrl+S, the export and log keys, and
// Help and About. The form adds them to its menus; the pages never see them.

namespace ui {

class GraphHost;
class RunSession;

struct WindowActionTargets {
    QWidget* Window = nullptr;
    const RunSession* Session = nullptr;
    const GraphHost* Graph = nullptr;                      // the graph page's exports
    const std::optional<QImage>* CircuitPicture = nullptr; // empty when it could not be read
    // Which page Ctrl+S saves: the graph's picture, the circuit's, or a picture of the page.
    std::function<QWidget*()> PageShown;
    QWidget* GraphPage = nullptr;
    QWidget* CircuitPage = nullptr;
    // Runs an action as the window runs its handlers: an error goes to the error box.
    std::function<void(const std::function<void()>&)> Guarded;
};

// The run's samples: the same bytes as "txt" writes to log.txt, at `path`.
void SaveLog(const RunSession& session, const QString& path);
// The circuit page as it is shown: the composed picture with its labels, the divider's values,
// the pattern chart and the bridge layer. An ExportError when its picture files could not be
// read.
void SaveCircuitPng(const std::optional<QImage>& picture, QWidget& page, const QString& path);
// A page as it is shown, as a PNG picture (the zero-crossing page's Ctrl+S).
void SavePagePng(QWidget& page, const QString& path);

// "Save log as...\tCtrl+L" (object name "SaveLogAs") at the end of `menu`.
void AddSaveLogAction(const WindowActionTargets& targets, QMenu& menu);
// "Save circuit as PNG..." at the end of `menu`, after a separator when it holds actions.
void AddCircuitExportActions(const WindowActionTargets& targets, QMenu& menu);
// A separator, then "Help\tF1" and "About..." at the end of `menu`.
void AddHelpActions(const WindowActionTargets& targets, QMenu& menu);
// Ctrl+S saves the picture of the page shown, Ctrl+E exports the graph's view, Ctrl+L saves
// the log where the user chooses; the keys work anywhere in the window.
void AddWindowShortcuts(const WindowActionTargets& targets);

} // namespace ui
