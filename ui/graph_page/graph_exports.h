#pragma once

#include "graph/render/png_file.h" // ExportError

#include <QImage>
#include <QString>

#include <functional>

class QMenu;
class QWidget;

// Saving what the window shows: the graph grid or the circuit picture as a PNG file, and the
// view window's samples with the view's channels as a tab-separated table. Each export has a
// form taking the path, for the tests and for scripts, and a dialog form that asks for it.

namespace ui {

class TForm1;

// The graph grid as the window paints it, frame included, at the grid's size and in its font:
// the same pixels as a grab of StringGrid1, without the interactive layer over it (cursor and
// pointer lines), and the same picture bldc-emu --png gives for the same run and window.
QImage GraphImage(const TForm1& form);

// File errors are the log's (engine::LogWriteError), with the same messages.
void SaveGraphPng(const TForm1& form, const QString& path);
// The composed circuit picture; an ExportError when its picture files could not be read.
void SaveCircuitPng(const TForm1& form, const QString& path);
// The samples of the view window (ViewStart, ViewLen) with the channels of the selected view,
// in the user's decimal separator.
void ExportView(const TForm1& form, const QString& path);

// The file dialog: starts in the user's home folder with `fileName` each time and keeps no
// state of its own on disk. Returns an empty text when the user cancels.
QString AskSavePath(QWidget* parent, const QString& caption, const QString& fileName,
                    const QString& filter, const QString& suffix);

// The actions: ask, then save; a cancelled dialog does nothing. They throw like the handlers
// of the form, so they are run through the form's error guard.
void SaveGraphPngAction(TForm1& form);
void SaveCircuitPngAction(TForm1& form);
void ExportViewAction(TForm1& form);

// Runs a handler with the form's error guard (TForm1::Guarded).
using GuardedRun = std::function<void(const std::function<void()>&)>;

// "Save graph as PNG..." and "Export view..." for the graph's menu, after a separator when
// the menu already holds actions.
void AddGraphExportActions(TForm1& form, QMenu& menu, const GuardedRun& guarded);
// "Save circuit as PNG..." for a menu of the circuit page, likewise.
void AddCircuitExportActions(TForm1& form, QMenu& menu, const GuardedRun& guarded);
// Ctrl+S saves the picture of the page shown (the graph or the circuit), Ctrl+E exports the
// view; the shortcuts work anywhere in the window.
void AddExportShortcuts(TForm1& form, const GuardedRun& guarded);

} // namespace ui
