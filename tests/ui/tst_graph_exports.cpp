#include "engine/decimal_separator.h"
#include "engine/text_file.h"
#include "ui/error_report.h"
#include "ui/graph_exports.h"
#include "ui/graph_image.h"
#include "ui/owner_drawn_grid.h"
#include "ui/page_control.h"
#include "ui/tform1.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

using ui::TForm1;

namespace {

struct FormFixture {
    QTemporaryDir folder;
    QStringList errors;
    std::unique_ptr<TForm1> form;

    explicit FormFixture(bool withPictures = true)
    {
        if (withPictures) {
            for (const char* name : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"})
                QFile::copy(QCoreApplication::applicationDirPath() + "/" + name,
                            folder.filePath(name));
        }
        ui::TForm1Options options;
        options.ProgramFolder = folder.path();
        options.ShowError = [this](QWidget*, const QString& text) { errors << text; };
        form = std::make_unique<TForm1>(options);
    }

    ui::GuardedRun Guard()
    {
        return [this](const std::function<void()>& handler) {
            ui::RunGuarded(form.get(), [this](QWidget*, const QString& text) { errors << text; },
                           handler);
        };
    }
};

// The first differing pixel, for a readable failure.
QString FirstDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return QString("sizes %1x%2 and %3x%4")
            .arg(a.width())
            .arg(a.height())
            .arg(b.width())
            .arg(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QString("pixel (%1, %2): %3 and %4")
                    .arg(x)
                    .arg(y)
                    .arg(a.pixel(x, y), 8, 16)
                    .arg(b.pixel(x, y), 8, 16);
    return {};
}

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(file.readAll());
    QStringList lines = text.split("\r\n");
    if (lines.back().isEmpty())
        lines.pop_back();
    return lines;
}

// Answers the next file dialog from inside its event loop: `answer` gets the dialog and
// returns the name to type, or an empty text to cancel.
void AnswerNextDialog(std::function<QString(QFileDialog&)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            AnswerNextDialog(answer);
            return;
        }
        const QString name = answer(*dialog);
        if (name.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

} // namespace

class GraphExportsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }
    void cleanup() { engine::SetDecimalSeparator('.'); }

    void renderedImageEqualsTheGridOnScreen()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        const auto check = [&](const char* what) {
            const QImage shown =
                f.form->StringGrid1->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QVERIFY2(FirstDifference(shown, ui::GraphImage(*f.form)).isEmpty(),
                     qPrintable(QString(what) + ": " + FirstDifference(shown, ui::GraphImage(*f.form))));
            // The headless front end has no window to take the font from.
            const QImage headless =
                ui::RenderGraphImage(ui::GraphParamsOf(*f.form), f.form->StringGrid1->size());
            QVERIFY2(FirstDifference(shown, headless).isEmpty(),
                     qPrintable(QString(what) + ": " + FirstDifference(shown, headless)));
        };
        check("before any run");
        QCOMPARE(f.form->StringGrid1->size(), ui::kDefaultGraphSize);
        f.form->Button1->click();
        QVERIFY(f.form->Engine().Run.SampleCount > 4000);
        check("the default run");
        f.form->SpeedButton1->click();
        f.form->SpeedButton1->click();
        check("zoomed in");
        f.form->ComboBox1->setCurrentIndex(2);
        check("view 2");
        f.form->resize(1013, 707);
        check("a larger window");
        QVERIFY(f.errors.isEmpty());
    }

    void savedGraphPngReadsBackAsShown()
    {
        FormFixture f;
        f.form->Button1->click();
        const QString path = f.folder.filePath("graph.png");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(2'000'000, 'x'));
        old.close();
        ui::SaveGraphPng(*f.form, path);
        const QImage read(path, "PNG");
        QCOMPARE(read.size(), QSize(539, 470));
        const QImage shown =
            f.form->StringGrid1->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY2(FirstDifference(read.convertToFormat(QImage::Format_RGB32), shown).isEmpty(),
                 qPrintable(FirstDifference(read.convertToFormat(QImage::Format_RGB32), shown)));
        // A few pixels the grid is known to have: the grid colour and the HA trace's colour.
        QCOMPARE(QColor(read.pixel(300, 450)), QColor(0x20, 0x20, 0x20));
        bool hasHighA = false;
        for (int y = 41; y < 72 && !hasHighA; ++y)
            for (int x = 58; x < 538 && !hasHighA; ++x)
                hasHighA = QColor(read.pixel(x, y)) == QColor(0xB0, 0, 0);
        QVERIFY(hasHighA);
    }

    void circuitPngIsTheComposedPicture()
    {
        FormFixture f;
        const QString path = f.folder.filePath("circuit.png");
        ui::SaveCircuitPng(*f.form, path);
        const QImage read(path, "PNG");
        QVERIFY(!read.isNull());
        QCOMPARE(read.convertToFormat(QImage::Format_RGB32),
                 f.form->CircuitBitmap()->convertToFormat(QImage::Format_RGB32));

        FormFixture bare(false);
        QVERIFY_THROWS_EXCEPTION(ui::ExportError,
                                 ui::SaveCircuitPng(*bare.form, bare.folder.filePath("c.png")));
        QVERIFY(!QFile::exists(bare.folder.filePath("c.png")));
    }

    void viewExportHoldsTheWindowsSamples()
    {
        engine::SetDecimalSeparator(',');
        FormFixture f;
        f.form->Button1->click();
        f.form->SpeedButton1->click();
        const int start = f.form->ViewStart;
        const int len = f.form->ViewLen;
        QVERIFY(len < f.form->Engine().Run.SampleCount);
        const QString path = f.folder.filePath("view.tsv");
        ui::ExportView(*f.form, path);
        const QStringList lines = ReadLines(path);
        QCOMPARE(lines.size(), len + 1);
        QCOMPARE(lines[0], QString("INDEX\tTIME(us)\tANGLE(deg)\tHA\tLA\tHB\tLB\tHC\tLC\t"
                                   "A\tB\tC\tZero-wire"));
        const QStringList first = lines[1].split('\t');
        QCOMPARE(first.size(), 13);
        QCOMPARE(first[0].toInt(), start);
        QCOMPARE(lines.back().split('\t')[0].toInt(), start + len - 1);
        // The user's separator, and the channel value of the sample.
        const float a = f.form->Engine().Result.ChannelRows[static_cast<std::size_t>(start)][0];
        QVERIFY(first[9].contains(','));
        QCOMPARE(QString(first[9]).replace(',', '.').toFloat(), qRound(a * 10000) / 10000.0f);
    }

    void exportErrorsReachTheErrorBox()
    {
        FormFixture f;
        const QString missing = f.folder.filePath("no such folder/view.tsv");
        try {
            ui::ExportView(*f.form, missing);
            QFAIL("no error for a missing folder");
        } catch (const engine::LogWriteError& error) {
            QCOMPARE(QString(error.what()),
                     "Cannot create file \"" + missing + "\". No such file or directory");
        }
        // Through an action: the dialog answers with a folder that does not exist.
        QMenu menu;
        ui::AddGraphExportActions(*f.form, menu, f.Guard());
        QCOMPARE(menu.actions().size(), 2);
        QCOMPARE(menu.actions()[0]->text(), QString("Save graph as PNG..."));
        QCOMPARE(menu.actions()[1]->text(), QString("Export view..."));
        // Behind other tools' actions, a separator of their own.
        QMenu shared;
        shared.addAction("Place cursor A here");
        ui::AddCircuitExportActions(*f.form, shared, f.Guard());
        QCOMPARE(shared.actions().size(), 3);
        QVERIFY(shared.actions()[1]->isSeparator());
        QCOMPARE(shared.actions()[2]->text(), QString("Save circuit as PNG..."));
        AnswerNextDialog([&](QFileDialog&) { return missing; });
        menu.actions()[1]->trigger();
        QCOMPARE(f.errors.size(), 1);
        QCOMPARE(f.errors[0],
                 "Cannot create file \"" + missing + "\". No such file or directory.");
    }

    void dialogStartsAtHomeAndKeepsNothing()
    {
        FormFixture f;
        QString shownFolder;
        QString shownName;
        AnswerNextDialog([&](QFileDialog& dialog) {
            shownFolder = dialog.directory().absolutePath();
            shownName = dialog.findChild<QLineEdit*>("fileNameEdit")->text();
            return QString("pic");
        });
        const QString path = ui::AskSavePath(f.form.get(), "Save", "graph.png",
                                             "PNG pictures (*.png)", "png");
        QCOMPARE(shownFolder, QDir::home().absolutePath());
        QCOMPARE(shownName, QString("graph.png"));
        QCOMPARE(path, QDir::home().filePath("pic.png"));

        AnswerNextDialog([](QFileDialog&) { return QString(); });
        QVERIFY(ui::AskSavePath(f.form.get(), "Save", "view.tsv", "", "tsv").isEmpty());

        // Qt's dialog would leave its history and last folder in the user's settings.
        QDirIterator it(QDir::homePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            QFAIL(qPrintable("left behind: " + it.next()));
    }

    void shortcutSavesThePictureOfThePageShown()
    {
        FormFixture f;
        ui::AddExportShortcuts(*f.form, f.Guard());
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        QStringList titles;
        const auto cancel = [&](QFileDialog& dialog) {
            titles << dialog.windowTitle();
            return QString();
        };
        const auto press = [&](Qt::Key key) {
            // The closed dialog leaves no window active on the offscreen platform.
            QApplication::setActiveWindow(f.form.get());
            AnswerNextDialog(cancel);
            QTest::keyClick(f.form.get(), key, Qt::ControlModifier);
        };
        press(Qt::Key_S);
        f.form->PageControl1->SetActivePageIndex(0);
        press(Qt::Key_S);
        press(Qt::Key_E);
        QCOMPARE(titles, (QStringList{"Save graph as PNG", "Save circuit as PNG", "Export view"}));
        QVERIFY(f.errors.isEmpty());
    }
};

// The dialog test looks for files left in the home folder: give the test a home of its own.
int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toLocal8Bit());
    QApplication app(argc, argv);
    GraphExportsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_graph_exports.moc"
