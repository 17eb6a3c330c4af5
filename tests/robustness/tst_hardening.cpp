// The window against broken files and failing writes, and the graph against runs of very few
// samples and runs that stop half-way: every fault gives its error box, the program goes on,
// and nothing is lost or read outside a buffer (the sanitizer build checks the latter).
#include "engine/decimal_separator.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/scroll_bar_adapter.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "tests/support/form_controls.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>
#include <unistd.h>

using ui::TForm1;

namespace {

struct Window {
    QTemporaryDir folder;
    QStringList errors;
    std::unique_ptr<TForm1> form;
    FormControls controls;

    // `prepare` runs on the folder before the window starts and reads its pictures.
    explicit Window(const std::function<void(const QString&)>& prepare = {},
                    QString programFolder = {})
    {
        for (const char* name : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"})
            QFile::copy(QCoreApplication::applicationDirPath() + "/" + name, folder.filePath(name));
        if (prepare)
            prepare(folder.path());
        ui::TForm1Options options;
        options.ProgramFolder = programFolder.isEmpty() ? folder.path() : programFolder;
        options.ShowError = [this](QWidget*, const QString& text) { errors << text; };
        form = std::make_unique<TForm1>(options);
        controls = FormControls(*form);
        form->show();
    }

    void Type(int tag, const QString& text)
    {
        ui::ParamEdit* box = controls.ParamEdits[static_cast<std::size_t>(tag)];
        box->setText(text);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(box, &focusOut);
    }

    int Samples() const { return form->Session().Engine().Run.SampleCount; }
    QString LogPath() const { return folder.filePath("log.txt"); }

    // Everything a failed export must leave as it was.
    QString State() const
    {
        QString state = QString("%1 %2 %3 %4|")
                            .arg(Samples())
                            .arg(form->Session().Window().Start)
                            .arg(form->Session().Window().Len)
                            .arg(controls.StringGrid1->Cell(1, 0));
        for (int tag = 1; tag <= 10; ++tag)
            state += controls.ParamEdits[static_cast<std::size_t>(tag)]->text() + '|';
        return state;
    }
};

QByteArray BmpBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

// A BMP header declaring a picture of width x height, and no pixels.
QByteArray DeclaredOnly(qint32 width, qint32 height)
{
    QByteArray bytes = BmpBytes(1, 1).left(54);
    for (int i = 0; i < 4; ++i) {
        bytes[18 + i] = static_cast<char>((width >> (8 * i)) & 0xff);
        bytes[22 + i] = static_cast<char>((height >> (8 * i)) & 0xff);
    }
    return bytes;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class HardeningTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void brokenPicturesAreNamedAndTheProgramGoesOn_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("fault");
        const char* const faults[] = {"missing",      "empty",     "truncated",
                                      "wrong format", "huge size", "too small"};
        for (const char* file : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"}) {
            for (int fault = 0; fault < 6; ++fault)
                QTest::newRow(qPrintable(QString("%1 %2").arg(file, faults[fault])))
                    << QString(file) << fault;
        }
    }

    void brokenPicturesAreNamedAndTheProgramGoesOn()
    {
        QFETCH(QString, file);
        QFETCH(int, fault);
        Window w([&](const QString& folder) {
            const QString path = folder + '/' + file;
            const QByteArray sound = [&] {
                QFile f(path);
                return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }();
            QFile::remove(path);
            switch (fault) {
            case 1:
                Write(path, {});
                break;
            case 2:
                Write(path, sound.left(sound.size() / 3));
                break;
            case 3:
                Write(path, QByteArray("GIF89a").append(200, '\x01'));
                break;
            case 4:
                Write(path, DeclaredOnly(1 << 20, 1 << 20));
                break;
            case 5:
                Write(path, BmpBytes(12, 12));
                break;
            default:
                break;
            }
        });
        // Start-up composes with both strips, so every file is read once.
        QCOMPARE(w.errors.size(), 1);
        const QString path = QDir::toNativeSeparators(w.folder.filePath(file));
        QVERIFY2(w.errors[0].contains('"' + path + '"'), qPrintable(w.errors[0]));
        QVERIFY(w.errors[0].endsWith('.'));
        QCOMPARE(w.controls.ParamEdits[1]->text(), QString("11.1")); // the start-up went on

        // Every composition with both strips reads all three files and fails alike; then the
        // driver strip goes (base and transistor strip read), then the transistor strip (base).
        w.controls.RadioGroup1->Item(1)->click();
        w.controls.RadioGroup2->Item(1)->click();
        QCOMPARE(w.errors.size(), 3);
        w.controls.RadioGroup1->Item(0)->click();
        w.controls.RadioGroup2->Item(0)->click();
        QCOMPARE(w.errors.size(), file == "circuit.bmp" ? 5 : file == "p-mosfet.bmp" ? 4 : 3);
        for (const QString& error : w.errors)
            QVERIFY2(error.contains('"' + path + '"') && error.endsWith('.'), qPrintable(error));
        if (file == "circuit.bmp") {
            QVERIFY(w.form->CircuitBitmap()->isNull()); // never composed
        } else {
            const QImage base(w.folder.filePath("circuit.bmp"));
            QCOMPARE(*w.form->CircuitBitmap(), base.convertToFormat(QImage::Format_RGB32));
        }
        const int expected = static_cast<int>(w.errors.size());

        w.controls.PageControl1->SetActivePageIndex(0);
        (void)w.form->grab();
        w.controls.Button1->click();
        QCOMPARE(w.Samples(), 4326);
        QCOMPARE(w.errors.size(), expected);
    }

    void txtIntoAFolderThatCannotBeWritten()
    {
        // Permissions do not stop root, but sysfs refuses new files to everyone.
        QTemporaryDir locked;
        const bool root = ::geteuid() == 0;
        const QString folder = root ? QString("/sys") : locked.path();
        if (!root)
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        if (root && !QDir("/sys").exists())
            QSKIP("no sysfs to stand in for an unwritable folder");
        Window w({}, folder);
        w.errors.clear(); // the pictures are not there
        w.controls.Button1->click();
        const QString before = w.State();
        w.controls.SpeedButton4->click();
        QCOMPARE(w.errors.size(), 1);
        const QString prefix = QString("Cannot create file \"%1/log.txt\". ").arg(folder);
        QVERIFY2(w.errors[0].startsWith(prefix), qPrintable(w.errors[0]));
        QVERIFY2(w.errors[0].size() > prefix.size() + 1 && w.errors[0].endsWith('.') &&
                     !w.errors[0].endsWith(".."),
                 qPrintable(w.errors[0]));
        QCOMPARE(w.State(), before);
    }

    void txtOntoAFileThatCannotBeReplaced()
    {
        Window w;
        w.controls.Button1->click();
        const QString before = w.State();
        QVERIFY(QDir(w.folder.path()).mkdir("log.txt"));
        QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + "/circuit.bmp",
                            w.LogPath() + "/kept"));
        w.controls.SpeedButton4->click();
        QCOMPARE(
            w.errors,
            QStringList{QString("Cannot create file \"%1\". Is a directory.").arg(w.LogPath())});
        QVERIFY(QFile::exists(w.LogPath() + "/kept"));
        QCOMPARE(w.State(), before);

        // Once the way is free the same run is written whole.
        QVERIFY(QDir(w.LogPath()).removeRecursively());
        w.controls.SpeedButton4->click();
        QCOMPARE(w.errors.size(), 1);
        QFile log(w.LogPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\r\n"), 4327);
    }

    void txtOntoAFullDisk()
    {
        if (!QFile::exists("/dev/full"))
            QSKIP("no /dev/full");
        Window w;
        w.controls.TrackBar2->setValue(5);
        const QString before = w.State();
        QVERIFY(QFile::link("/dev/full", w.LogPath()));
        w.controls.SpeedButton4->click();
        QCOMPARE(w.errors, QStringList{"Stream write error."});
        QCOMPARE(w.State(), before);
        w.controls.SpeedButton4->click();
        QCOMPARE(w.errors.size(), 2);
    }

    // A motor so fast that a revolution takes 7 steps: the graph still scales, and zooming and
    // scrolling keep the window inside the run.
    void fewSampleRunsKeepTheWindowInsideTheRun()
    {
        Window w;
        w.Type(3, "1000000");
        QCOMPARE(w.Samples(), 7);
        QVERIFY(w.errors.isEmpty());
        w.controls.SpeedButton1->click();
        QVERIFY(w.form->Session().Window().Start >= 0 && w.form->Session().Window().Start + w.form->Session().Window().Len <= 7);
        w.controls.SpeedButton3->click();
        w.controls.ScrollBar2->Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
        (void)w.form->grab();
        w.controls.SpeedButton2->click();
        (void)w.form->grab();
        QVERIFY2(w.form->Session().Window().Start >= 0 && w.form->Session().Window().Start + w.form->Session().Window().Len <= 7,
                 qPrintable(
                     QString("window %1 + %2").arg(w.form->Session().Window().Start).arg(w.form->Session().Window().Len)));
        QVERIFY(w.errors.isEmpty());
    }

    // Values at the edge of single precision that the boxes admit make a voltage overflow in
    // the middle of the run: the run stops with its message, and the graph, the navigation
    // and the export work on what the buffers hold.
    void aRunThatStopsHalfWayLeavesAWorkingGraph()
    {
        Window w;
        w.controls.TrackBar2->setValue(1); // 10 %: a long run first, whose window is longer
        const int longRun = w.Samples();
        QVERIFY(longRun > 40000);
        w.Type(5, "10");
        w.Type(9, "11");
        w.Type(4, "100000000000000000000000000000000000000");
        w.Type(3, "0.00000000000000000000000000000000001");
        w.controls.TrackBar2->setValue(5);
        w.errors.clear(); // the motor does not turn in between
        w.Type(1, "340000000000000000000000000000000000000");
        QCOMPARE(w.errors.size(), 1);
        QVERIFY2(w.errors[0].startsWith("The run stopped at step "), qPrintable(w.errors[0]));
        const int stoppedAt = w.Samples();
        QVERIFY(stoppedAt > 0 && stoppedAt < longRun);

        QVERIFY2(w.form->Session().Window().Start + w.form->Session().Window().Len <= stoppedAt &&
                     w.form->Session().Engine().Result.ChannelRows.size() ==
                         static_cast<std::size_t>(stoppedAt),
                 qPrintable(QString("window %1 + %2, %3 channel rows, %4 samples")
                                .arg(w.form->Session().Window().Start)
                                .arg(w.form->Session().Window().Len)
                                .arg(w.form->Session().Engine().Result.ChannelRows.size())
                                .arg(stoppedAt)));
        QCOMPARE(w.controls.StringGrid1->Cell(1, 0), QString());

        // Whatever the window, painting, zooming, scrolling and the export stay inside the buffers.
        for (QToolButton* button : {w.controls.SpeedButton1, w.controls.SpeedButton2,
                                    w.controls.SpeedButton1, w.controls.SpeedButton3}) {
            button->click();
            (void)w.form->grab();
        }
        w.controls.ScrollBar2->Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
        w.form->resize(1500, 900);
        (void)w.form->grab();
        w.controls.SpeedButton4->click();
        QCOMPARE(w.errors.size(), 1);
        QFile log(w.LogPath());
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\r\n"), stoppedAt + 1);
    }

    // The graph at the window's extreme sizes, for a whole run, a zoomed run and a single angle.
    void graphPaintsAtExtremeSizes()
    {
        Window w;
        for (const QSize size :
             {QSize(782, 529), QSize(4000, 529), QSize(782, 3000), QSize(783, 530)}) {
            w.form->resize(size);
            w.controls.Button1->click();
            (void)w.form->grab();
            for (int i = 0; i < 12; ++i)
                w.controls.SpeedButton1->click();
            QVERIFY(w.form->Session().Window().Len >= 2);
            (void)w.form->grab();
            w.controls.ScrollBar1->setValue(1 + w.controls.ScrollBar1->value());
            QCOMPARE(w.Samples(), 1);
            (void)w.form->grab();
            w.controls.SpeedButton2->click();
            w.controls.SpeedButton1->click();
            (void)w.form->grab();
        }
        QVERIFY(w.errors.isEmpty());
    }
};

QTEST_MAIN(HardeningTest)
#include "tst_hardening.moc"
