#pragma once

#include "graph/graph_painter.h"
#include "engine/table_writer.h"
#include "graph/render/png_file.h" // ExportError
#include "ui/graph_page/graph_overlay.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <functional>

class QMenu;
class QWidget;

// Saving what the graph shows: the graph grid (with or without the cursors) as a PNG file, the
// view window's samples with the view's channels as a tab-separated or CSV table, and the view
// window as a Value Change Dump, to a file of the user's choice. Each export has a form taking the path, for the tests and for
// scripts, and a dialog form that asks for it.

namespace ui {

class GraphHost;

// What the grid's cell painter draws for the window's state now.
graph::GraphPaintParams GraphParamsOf(const GraphHost& host);

// The graph grid as the window paints it, frame included, at the grid's size and in its font:
// the same pixels as a grab of StringGrid1, without the interactive layer over it (cursor and
// pointer lines), and the same picture bldc-emu --png gives for the same run and window.
QImage GraphImage(const GraphHost& host);

// The cursor lines the user placed, as the overlay over the grid's viewport draws them.
struct CursorMarks {
    std::vector<OverlayLine> Lines;
    int Top = 0;
    int Bottom = 0;
    QFont Font;
};

// GraphImage with the cursor lines over it, in the same pixels as on the screen; only the
// columns of the lines and their letters differ from GraphImage.
QImage GraphImage(const GraphHost& host, const CursorMarks& cursors);

// File errors are the log's (engine::FileWriteError), with the same messages.
void SaveGraphPng(const GraphHost& host, const QString& path);
void SaveGraphPng(const GraphHost& host, const QString& path, const CursorMarks& cursors);
// The samples of the view window (ViewStart, ViewLen) with the channels of the selected view:
// as TSV in the user's decimal separator (the bytes the export always wrote), as CSV with ".".
void ExportView(const GraphHost& host, const QString& path,
                engine::TableFormat format = engine::TableFormat::Tsv);
// The table a path from the "Export view" dialog gets: a name ending in .csv, or .tsv or .txt,
// says it; any other name takes the dialog's chosen filter.
engine::TableFormat ViewTableFormat(const QString& path, const QString& filter);
// The view window with the selected view's channels as a Value Change Dump: the bytes of
// bldc-emu --vcd FILE --view N --view-window START LEN for the same state.
void ExportVcd(const GraphHost& host, const QString& path);

// The actions: ask, then save; a cancelled dialog does nothing. They throw like the handlers
// of the window, so they are run through its error guard (GraphHost::Guarded).
void SaveGraphPngAction(const GraphHost& host);
void ExportViewAction(const GraphHost& host);
void ExportVcdAction(const GraphHost& host);
void SaveGraphWithCursorsPngAction(const GraphHost& host, const CursorMarks& cursors);

// "Save graph as PNG...", "Export view..." and "Export VCD..." for the graph's menu, after a
// separator when the menu already holds actions; with `cursors`, which gives the cursor lines
// at the moment the entry is chosen, "Save graph with cursors as PNG..." after the first.
void AddGraphExportActions(const GraphHost& host, QMenu& menu,
                           std::function<CursorMarks()> cursors = {});

} // namespace ui
