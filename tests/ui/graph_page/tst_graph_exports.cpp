#include "graph/grid_size.h"
#include "engine/decimal_separator.h"
#include "ui/graph_page/graph_exports.h"
#include "ui/widgets/file_dialogs.h"
#include "ui/window_actions.h"
#include "ui/graph_page/graph_host.h"
#include "ui/graph_page/graph_tools.h"
#include "graph/render/graph_image.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "tests/support/form_controls.h"
#include "tests/support/form_fixture.h"
#include "tests/support/strict_csv.h"
#include "tests/cli/run_in_process.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegion>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <utility>

#include <memory>

namespace {

struct ExportFixture : FormFixture {
    using FormFixture::FormFixture;

    // What the graph tools see of the window.
    ui::GraphHost& Host() const { return form->Tools().Host(); }

    QImage Grab() const
    {
        return controls.StringGrid1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

// Answers the next file dialog from inside its event loop with the name `answer` returns for
// it, or cancels it when the name is empty.
void AnswerNextDialog(std::function<QString(QFileDialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return AnswerNextDialog(answer);
        const QString name = answer(*dialog);
        if (name.isEmpty())
            return dialog->reject();
        // As typed over the name the dialog proposed: the file it had selected is let go.
        for (auto* list : dialog->findChildren<QAbstractItemView*>())
            list->clearSelection();
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

} // namespace

class GraphExportsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { engine::SetDecimalSeparator('.'); }

    void graphImageEqualsTheGridOnScreen()
    {
        ExportFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        // The headless front end has no window to take the font from: both must agree.
        const auto check = [&] {
            QCOMPARE(ui::GraphImage(f.Host()), f.Grab());
            QCOMPARE(graph::RenderGraphImage(ui::GraphParamsOf(f.Host()),
                                             f.controls.StringGrid1->size()),
                     f.Grab());
        };
        check();
        f.controls.Button1->click();
        check();
        f.controls.SpeedButton1->click();
        f.controls.ComboBox1->setCurrentIndex(2);
        check();
        f.form->resize(1013, 707);
        check();
    }

    void picturesReadBackAsShown()
    {
        ExportFixture f;
        f.controls.Button1->click();
        const QString graph = f.folder.filePath("graph.png");
        ui::SaveGraphPng(f.Host(), graph);
        const QImage read = QImage(graph, "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(read.size(), QSize(graph::kDefaultGridSize.Width, graph::kDefaultGridSize.Height));
        QCOMPARE(read, f.Grab());
        QCOMPARE(QColor(read.pixel(300, 450)), QColor(0x20, 0x20, 0x20));

        const QString circuit = f.folder.filePath("circuit.png");
        // The page as shown, its labels and chart with the picture.
        QWidget* page = f.controls.PageControl1->Page(0);
        ui::SaveCircuitPng(*f.form->CircuitBitmap(), *page, circuit);
        const QImage saved = QImage(circuit, "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(saved, page->grab().toImage().convertToFormat(QImage::Format_RGB32));
        QVERIFY(saved.width() > f.form->CircuitBitmap()->width());
        ExportFixture bare(false);
        QVERIFY_THROWS_EXCEPTION(
            graph::ExportError,
            ui::SaveCircuitPng(*bare.form->CircuitBitmap(), *bare.controls.PageControl1->Page(0),
                               circuit));
    }

    void viewExportIsTheFormsWindowInTheUsersSeparator()
    {
        engine::SetDecimalSeparator(',');
        ExportFixture f;
        f.controls.Button1->click();
        f.controls.SpeedButton1->click();
        const QString path = f.folder.filePath("view.tsv");
        ui::ExportView(f.Host(), path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split("\r\n");
        QCOMPARE(lines.size(),
                 f.form->Session().Window().Len + 2); // the header, the samples, "" after the last CR LF
        QCOMPARE(lines[0],
                 "INDEX\tTIME(us)\tANGLE(deg)\tHA\tLA\tHB\tLB\tHC\tLC\tA\tB\tC\tZero-wire");
        QCOMPARE(lines[1].section('\t', 0, 0).toInt(), f.form->Session().Window().Start);
        QVERIFY(lines[1].section('\t', 2, 2).contains(','));
    }

    void viewExportAsCsvTakesTheFilterAndReadsBackStrictly()
    {
        engine::SetDecimalSeparator(',');
        ExportFixture f;
        f.controls.Button1->click();
        f.controls.SpeedButton1->click();
        QMenu menu;
        ui::AddGraphExportActions(f.Host(), menu);
        // A name without a suffix takes the filter's: "table" becomes table.csv, in CSV.
        AnswerNextDialog([&](QFileDialog& dialog) {
            // As a user picks it: from the dialog's list of file types.
            auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
            types->setCurrentIndex(types->findText("CSV (*.csv)"));
            emit types->activated(types->currentIndex());
            emit types->textActivated(types->currentText());
            return f.folder.filePath("table");
        });
        menu.actions()[1]->trigger();
        QVERIFY2(f.errors.isEmpty(), qPrintable(f.errors.join('\n')));
        QFile file(f.folder.filePath("table.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const std::vector<testing_support::CsvRecord> records =
            testing_support::ReadStrictCsv(file.readAll().toStdString());
        QCOMPARE(int(records.size()), f.form->Session().Window().Len + 1);
        QCOMPARE(records[0].front(), std::string("INDEX"));
        QCOMPARE(records[0].back(), std::string("Zero-wire"));
        QCOMPARE(std::stoi(records[1][0]), f.form->Session().Window().Start);
        // "." whatever the user's separator, and the same values as the TSV export.
        QVERIFY(records[1][2].find('.') != std::string::npos);
        const QString tsv = f.folder.filePath("view.tsv");
        ui::ExportView(f.Host(), tsv);
        QFile tsvFile(tsv);
        QVERIFY(tsvFile.open(QIODevice::ReadOnly));
        QString firstRow = QString::fromLatin1(tsvFile.readAll()).split("\r\n").at(1);
        QStringList csvRow;
        for (const std::string& field : records[1])
            csvRow << QString::fromStdString(field);
        QCOMPARE(firstRow.replace(',', '.').split('\t'), csvRow);

        // The name's own suffix says it; otherwise the filter.
        using engine::TableFormat;
        QCOMPARE(ui::ViewTableFormat("/a/v.CSV", "Tab-separated text (*.tsv *.txt)"),
                 TableFormat::Csv);
        QCOMPARE(ui::ViewTableFormat("/a/v.txt", "CSV (*.csv)"), TableFormat::Tsv);
        QCOMPARE(ui::ViewTableFormat("/a/v.dat", "CSV (*.csv)"), TableFormat::Csv);
        QCOMPARE(ui::ViewTableFormat("/a/v.dat", "All files (*)"), TableFormat::Tsv);
    }

    void vcdExportIsTheCommandLinesBytes()
    {
        ExportFixture f;
        f.controls.Button1->click();
        const int count = f.form->Session().Engine().Run.SampleCount;
        // A window inside the run, one reaching past its end, and the whole run, each view.
        const std::vector<std::pair<int, engine::SampleWindow>> cases{
            {2, {1234, 567}}, {3, {count - 100, 400}}, {0, {0, count}}, {1, {0, count}}};
        for (const auto& [view, window] : cases) {
            f.controls.ComboBox1->setCurrentIndex(view);
            f.Host().Session().SetWindow(window);
            const engine::SampleWindow shown = f.form->Session().Window();
            const QString mine = f.folder.filePath("window.vcd");
            ui::ExportVcd(f.Host(), mine);
            const std::string theirs = f.folder.filePath("cli.vcd").toStdString();
            const cli::Outcome cli = cli::RunCli({"--view", std::to_string(view), "--view-window",
                                                  std::to_string(shown.Start),
                                                  std::to_string(shown.Len), "--vcd", theirs});
            QCOMPARE(cli.status, 0);
            QFile a(mine), b(QString::fromStdString(theirs));
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            const QByteArray bytes = a.readAll();
            QVERIFY(bytes.contains("$timescale 1 us $end"));
            QVERIFY2(bytes == b.readAll(), qPrintable(QString("view %1").arg(view)));
        }
        // A file that cannot be written is reported, and nothing else happens.
        QMenu menu;
        ui::AddGraphExportActions(f.Host(), menu);
        const QString missing = f.folder.filePath("no such folder/run.vcd");
        AnswerNextDialog([&](QFileDialog&) { return missing; });
        menu.actions()[2]->trigger();
        QCOMPARE(f.errors,
                 QStringList{"Cannot create file \"" + missing + "\". No such file or directory."});
    }

    void actionsReportTheirErrorsThroughTheGuard()
    {
        ExportFixture f;
        QMenu menu;
        menu.addAction("Place cursor A here");
        ui::AddGraphExportActions(f.Host(), menu);
        QCOMPARE(menu.actions().size(), 5);
        QVERIFY(menu.actions()[1]->isSeparator());
        QCOMPARE(menu.actions()[2]->text(), QString("Save graph as PNG...\tCtrl+S"));
        QCOMPARE(menu.actions()[3]->text(), QString("Export view...\tCtrl+E"));
        QCOMPARE(menu.actions()[4]->text(), QString("Export VCD..."));
        const QString missing = f.folder.filePath("no such folder/view.tsv");
        AnswerNextDialog([&](QFileDialog&) { return missing; });
        menu.actions()[3]->trigger();
        QCOMPARE(f.errors,
                 QStringList{"Cannot create file \"" + missing + "\". No such file or directory."});
    }

    void dialogStartsAtHomeAndKeepsNothing()
    {
        ExportFixture f;
        QString shown;
        AnswerNextDialog([&](QFileDialog& dialog) {
            shown =
                dialog.directory().filePath(dialog.findChild<QLineEdit*>("fileNameEdit")->text());
            return QString("pic");
        });
        QCOMPARE(ui::AskSavePath(f.form.get(), "Save", "graph.png", "PNG pictures (*.png)", "png"),
                 QDir::home().filePath("pic.png"));
        QCOMPARE(shown, QDir::home().filePath("graph.png"));
        AnswerNextDialog([](QFileDialog&) { return QString(); });
        QVERIFY(ui::AskSavePath(f.form.get(), "Save", "view.tsv", "", "tsv").isEmpty());
        // Qt's dialog would leave its history and last folder in the user's settings.
        QDirIterator it(QDir::homePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        const QString left = it.hasNext() ? it.next() : QString();
        QVERIFY2(left.isEmpty(), qPrintable("left behind: " + left));
    }

    void dialogStartsInTheFolderLastChosen()
    {
        ExportFixture f;
        AnswerNextDialog([&](QFileDialog&) { return f.folder.filePath("first.png"); });
        QCOMPARE(ui::AskSavePath(f.form.get(), "Save", "graph.png", "PNG pictures (*.png)", "png"),
                 f.folder.filePath("first.png"));
        QString shown;
        AnswerNextDialog([&](QFileDialog& dialog) { return shown = dialog.directory().path(), ""; });
        ui::AskOpenPath(f.form.get(), "Load", "All files (*)");
        QCOMPARE(shown, QDir(f.folder.path()).path());
    }

    void ctrlSSavesThePictureOfThePageShown()
    {
        // The form binds the shortcuts itself.
        ExportFixture f;
        f.form->show();
        QStringList titles;
        for (const auto& [page, key] :
             {std::pair{1, Qt::Key_S}, {0, Qt::Key_S}, {2, Qt::Key_S}, {0, Qt::Key_E}}) {
            f.controls.PageControl1->SetActivePageIndex(page);
            // A closed dialog leaves no window active on the offscreen platform.
            QApplication::setActiveWindow(f.form.get());
            AnswerNextDialog(
                [&](QFileDialog& dialog) { return titles << dialog.windowTitle(), QString(); });
            QTest::keyClick(f.form.get(), key, Qt::ControlModifier);
        }
        QCOMPARE(titles, (QStringList{"Save graph as PNG", "Save circuit as PNG",
                                      "Save page as PNG", "Export view"}));
    }

    void saveLogAsWritesTheBytesOfTxt()
    {
        engine::SetDecimalSeparator(',');
        ExportFixture f;
        f.form->show();
        f.controls.TrackBar2->setValue(5);
        const auto read = [](const QString& path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unread>");
        };
        const QString chosen = f.folder.filePath("chosen.txt");
        QApplication::setActiveWindow(f.form.get());
        AnswerNextDialog([&](QFileDialog&) { return chosen; });
        QTest::keyClick(f.form.get(), Qt::Key_L, Qt::ControlModifier);
        f.controls.SpeedButton4->click();
        const QByteArray log = read(f.folder.filePath("log.txt"));
        QVERIFY(log.size() > 100000);
        QCOMPARE(read(chosen), log);

        // A file that cannot be made: the error box, and nothing else is touched.
        const QString missing = f.folder.filePath("no such folder/log.txt");
        QAction* saveLog = f.form->Tools().GraphContextMenu()->findChild<QAction*>("SaveLogAs");
        QVERIFY(saveLog);
        AnswerNextDialog([&](QFileDialog&) { return missing; });
        saveLog->trigger();
        QCOMPARE(f.errors,
                 QStringList{"Cannot create file \"" + missing + "\". No such file or directory."});
        QCOMPARE(read(f.folder.filePath("log.txt")), log);
        QCOMPARE(read(chosen), log);
    }

    void graphWithCursorsDiffersOnlyAtTheCursors()
    {
        ExportFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.controls.Button1->click();
        ui::GraphTools& tools = f.form->Tools();
        // Without cursors both are the plain picture.
        QCOMPARE(ui::GraphImage(f.Host(), tools.CursorMarksNow()), ui::GraphImage(f.Host()));
        tools.PlaceCursor(graph::CursorId::A, 1000);
        tools.PlaceCursor(graph::CursorId::B, 3000);
        const ui::CursorMarks marks = tools.CursorMarksNow();
        QCOMPARE(marks.Lines.size(), std::size_t{2});
        const QImage with = ui::GraphImage(f.Host(), marks);
        // The same pixels as the screen, the pointer being elsewhere.
        QCOMPARE(with, f.Grab());

        const QImage without = ui::GraphImage(f.Host());
        const QPoint origin = f.controls.StringGrid1->viewport()->geometry().topLeft();
        QRegion cursorArea;
        for (const ui::OverlayLine& line : marks.Lines)
            cursorArea += QRect(origin.x() + line.X, 0, 14 + 1, with.height()); // line and letter
        int differing = 0;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (with.pixel(x, y) != without.pixel(x, y)) {
                    ++differing;
                    QVERIFY2(cursorArea.contains(QPoint(x, y)),
                             qPrintable(QString("pixel %1, %2").arg(x).arg(y)));
                }
        QVERIFY(differing > marks.Bottom); // both lines, top to bottom, are there

        // The dialog form saves what GraphImage gives; "Save graph as PNG..." stays plain.
        const QString path = f.folder.filePath("cursors.png");
        AnswerNextDialog([&](QFileDialog&) { return path; });
        tools.GraphContextMenu()->findChild<QAction*>("SaveGraphWithCursors")->trigger();
        QCOMPARE(QImage(path, "PNG").convertToFormat(QImage::Format_RGB32), with);
        ui::SaveGraphPng(f.Host(), path);
        QCOMPARE(QImage(path, "PNG").convertToFormat(QImage::Format_RGB32), without);
    }
};

// The dialog test looks for files left in the home folder: the test gets a home of its own.
int main(int argc, char** argv)
{
    const QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    QApplication app(argc, argv);
    engine::SetDecimalSeparator('.');
    GraphExportsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_graph_exports.moc"
