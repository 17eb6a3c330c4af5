#include "ui/circuit_page/circuit_picture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <functional>

using ui::ComposeCircuitPicture;
using ui::kDriverStripArea;
using ui::kTransistorStripArea;
using ui::LoadBitmapFile;
using ui::PictureLoadError;

namespace {

QImage Filled(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Every pixel different, so that a shifted or mirrored copy cannot pass.
QImage Patterned(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb((x * 5 + seed) % 256, (y * 3) % 256, (x + y + seed) % 256));
        }
    }
    return image;
}

void Save(const QImage& image, const QString& path)
{
    QVERIFY(image.save(path, "BMP"));
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A BMP header declaring a 24-bit picture of the given size, with no pixel data after it.
QByteArray HeaderOnly(qint32 width, qint32 height, quint32 compression = 0)
{
    QByteArray bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    qToLittleEndian<quint32>(54, bytes.data() + 10);
    qToLittleEndian<quint32>(40, bytes.data() + 14);
    qToLittleEndian<qint32>(width, bytes.data() + 18);
    qToLittleEndian<qint32>(height, bytes.data() + 22);
    qToLittleEndian<quint16>(1, bytes.data() + 26);
    qToLittleEndian<quint16>(24, bytes.data() + 28);
    qToLittleEndian<quint32>(compression, bytes.data() + 30);
    return bytes;
}

QImage Area(const QImage& image, const QRect& area)
{
    return image.copy(area);
}

QString ErrorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const PictureLoadError& error) {
        return QString::fromUtf8(error.what());
    }
    return {};
}

} // namespace

class TestCircuitPicture : public QObject {
    Q_OBJECT

    QString built_; // the folder with the pictures the build drew
    QImage builtBase_;

private slots:
    void initTestCase()
    {
        built_ = QCoreApplication::applicationDirPath();
        builtBase_ = LoadBitmapFile(built_ + "/circuit.bmp").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(builtBase_.size(), QSize(560, 464));
    }

    void itemZeroOfBothGroupsIsExactlyTheBase()
    {
        QImage picture;
        ComposeCircuitPicture(picture, built_, false, false);
        QCOMPARE(picture, builtBase_);
    }

    void bothStripsReplaceExactlyTheirAreas()
    {
        QImage picture;
        ComposeCircuitPicture(picture, built_, true, true);
        const QImage driver =
            LoadBitmapFile(built_ + "/inv-drv.bmp").convertToFormat(QImage::Format_RGB32);
        const QImage transistor =
            LoadBitmapFile(built_ + "/p-mosfet.bmp").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(Area(picture, kDriverStripArea),
                 driver.copy(QRect(QPoint(0, 0), kDriverStripArea.size())));
        QCOMPARE(Area(picture, kTransistorStripArea),
                 transistor.copy(QRect(QPoint(0, 0), kTransistorStripArea.size())));
        QVERIFY(Area(picture, kDriverStripArea) != Area(builtBase_, kDriverStripArea));
        QVERIFY(Area(picture, kTransistorStripArea) != Area(builtBase_, kTransistorStripArea));
    }

    void switchingBackRestoresTheBase()
    {
        QImage picture;
        ComposeCircuitPicture(picture, built_, true, false);
        ComposeCircuitPicture(picture, built_, false, false);
        QCOMPARE(Area(picture, kDriverStripArea), Area(builtBase_, kDriverStripArea));
        QCOMPARE(picture, builtBase_);
    }

    // Larger strips than their areas: only the top-left corner goes in, at the exact place.
    void stripsAreCopiedFromTheirCornerToTheirPlace()
    {
        QTemporaryDir dir;
        const QImage base = Patterned(300, 260, 7);
        const QImage driver = Patterned(60, 230, 91);
        const QImage transistor = Patterned(20, 240, 173);
        Save(base, dir.filePath("circuit.bmp"));
        Save(driver, dir.filePath("inv-drv.bmp"));
        Save(transistor, dir.filePath("p-mosfet.bmp"));

        QImage picture;
        ComposeCircuitPicture(picture, dir.path(), true, true);
        QImage expected = base;
        QPainter painter(&expected);
        painter.drawImage(QPoint(128, 16), driver, QRect(0, 0, 48, 224));
        painter.drawImage(QPoint(208, 16), transistor, QRect(0, 0, 16, 224));
        painter.end();
        QCOMPARE(picture, expected);
    }

    void missingStripLeavesTheFreshBase()
    {
        QTemporaryDir dir;
        const QImage base = Filled(240, 250, qRgb(1, 2, 3));
        Save(base, dir.filePath("circuit.bmp"));
        QImage picture = Filled(10, 10, qRgb(200, 0, 0));

        const QString error =
            ErrorOf([&] { ComposeCircuitPicture(picture, dir.path(), true, false); });
        QVERIFY2(
            error.startsWith(QString("Cannot open file \"%1\". ").arg(dir.filePath("inv-drv.bmp"))),
            qPrintable(error));
        QVERIFY(!error.endsWith('.'));
        QCOMPARE(picture, base);
    }

    void missingSecondStripKeepsTheFirst()
    {
        QTemporaryDir dir;
        Save(Filled(240, 250, qRgb(1, 2, 3)), dir.filePath("circuit.bmp"));
        Save(Filled(48, 224, qRgb(9, 9, 9)), dir.filePath("inv-drv.bmp"));
        QImage picture;

        const QString error =
            ErrorOf([&] { ComposeCircuitPicture(picture, dir.path(), true, true); });
        QVERIFY2(error.contains(dir.filePath("p-mosfet.bmp")), qPrintable(error));
        QCOMPARE(picture.pixel(128, 16), qRgb(9, 9, 9));
        QCOMPARE(picture.pixel(175, 239), qRgb(9, 9, 9));
        QCOMPARE(picture.pixel(176, 16), qRgb(1, 2, 3));
        QCOMPARE(picture.pixel(208, 16), qRgb(1, 2, 3));
    }

    void missingBaseKeepsThePreviousPicture()
    {
        QTemporaryDir dir;
        QImage picture = builtBase_;
        const QString error =
            ErrorOf([&] { ComposeCircuitPicture(picture, dir.path(), false, false); });
        QVERIFY2(
            error.startsWith(QString("Cannot open file \"%1\". ").arg(dir.filePath("circuit.bmp"))),
            qPrintable(error));
        QCOMPARE(picture, builtBase_);
    }

    void unusableFilesAreNamedAndChangeNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        QByteArray valid;
        {
            QBuffer buffer(&valid);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(Patterned(64, 230, 3).save(&buffer, "BMP"));
        }
        QByteArray smallStrip;
        {
            QBuffer buffer(&smallStrip);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(Filled(40, 224, qRgb(5, 5, 5)).save(&buffer, "BMP"));
        }
        QByteArray smallBase;
        {
            QBuffer buffer(&smallBase);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(Filled(223, 400, qRgb(5, 5, 5)).save(&buffer, "BMP"));
        }
        QTest::newRow("empty") << "inv-drv.bmp" << QByteArray()
                               << "is not valid: the file is empty";
        QTest::newRow("truncated") << "inv-drv.bmp" << valid.left(valid.size() / 2)
                                   << "is not valid: the file is truncated";
        QTest::newRow("garbage") << "inv-drv.bmp"
                                 << QByteArray("this is no picture at all, only text")
                                 << "is not valid";
        QTest::newRow("garbage after BM")
            << "inv-drv.bmp" << QByteArray("BM").append(100, '\xff') << "is not valid";
        QTest::newRow("huge size") << "inv-drv.bmp" << HeaderOnly(100000, 100000)
                                   << "is too large: 100000 x 100000 pixels";
        QTest::newRow("huge area") << "inv-drv.bmp" << HeaderOnly(16000, 16000) << "is too large";
        QTest::newRow("header only")
            << "inv-drv.bmp" << HeaderOnly(48, 224) << "is not valid: the file is truncated";
        QTest::newRow("unknown compression")
            << "inv-drv.bmp" << HeaderOnly(48, 224, 99) << "is not valid: ";
        QTest::newRow("strip too small")
            << "inv-drv.bmp" << smallStrip << "is too small: it must be at least 48 x 224 pixels";
        QTest::newRow("base too small")
            << "circuit.bmp" << smallBase << "is too small: it must be at least 224 x 240 pixels";
        QTest::newRow("base garbage") << "circuit.bmp" << QByteArray(600, 'x') << "is not valid";
    }

    // A bad strip leaves the fresh base; a bad base leaves the previous picture.
    void unusableFilesAreNamedAndChangeNothing()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QImage base = Filled(230, 240, qRgb(1, 2, 3));
        Save(base, dir.filePath("circuit.bmp"));
        WriteBytes(dir.filePath(file), bytes);
        const QImage previous = Filled(3, 3, qRgb(250, 250, 250));
        QImage picture = previous;

        const QString error =
            ErrorOf([&] { ComposeCircuitPicture(picture, dir.path(), true, false); });
        QVERIFY2(
            error.startsWith(QString("Bitmap image \"%1\" %2").arg(dir.filePath(file), expected)),
            qPrintable(error));
        QVERIFY2(!error.endsWith('.'), qPrintable(error));
        QCOMPARE(picture, file == "circuit.bmp" ? previous : base);
    }

    void aFolderIsNotAPicture()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("circuit.bmp"));
        const QString error = ErrorOf([&] { LoadBitmapFile(dir.filePath("circuit.bmp")); });
        QVERIFY2(error.contains(QString("\"%1\"").arg(dir.filePath("circuit.bmp"))),
                 qPrintable(error));
        QVERIFY(!error.endsWith('.'));
    }

    void programFolderHoldsTheProgram()
    {
        const QString folder = ui::ProgramFolder();
        QVERIFY(!folder.endsWith('/'));
        QCOMPARE(folder, QCoreApplication::applicationDirPath());
        QVERIFY(
            QFileInfo(folder + "/" + QFileInfo(QCoreApplication::applicationFilePath()).fileName())
                .exists());
    }

    // Installed, bin/bldc-demo is a link to the program beside its pictures; a relative link
    // reached through another link must still lead there.
    void programFolderFollowsLinksToTheProgram()
    {
        const QString probe = QCoreApplication::applicationDirPath() + "/program_folder_probe";
        QTemporaryDir links;
        QVERIFY(links.isValid());
        QVERIFY(QDir(links.path()).mkdir("bin"));
        QVERIFY(QFile::link(probe, links.filePath("probe")));
        QVERIFY(QFile::link("../probe", links.filePath("bin/probe")));

        QProcess process;
        process.start(links.filePath("bin/probe"), {});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        const QString folder = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        QCOMPARE(folder, QFileInfo(probe).canonicalPath());
    }

    // Pictures beside the program win (a build folder, a moved copy); an installed program
    // finds them in the data folder of its tree; with neither, errors name the program's.
    void picturesAreBesideTheProgramOrInTheInstalledDataFolder()
    {
        QTemporaryDir tree;
        QVERIFY(tree.isValid());
        const QString program = tree.filePath("lib/bldc-demo");
        const QString data = tree.filePath("share/bldc-demo");
        QVERIFY(QDir().mkpath(program) && QDir().mkpath(data));
        QCOMPARE(ui::PictureFolder(program), program);
        Save(Filled(224, 240, qRgb(1, 2, 3)), data + "/circuit.bmp");
        QCOMPARE(ui::PictureFolder(program), data);
        Save(Filled(224, 240, qRgb(1, 2, 3)), program + "/circuit.bmp");
        QCOMPARE(ui::PictureFolder(program), program);
    }
};

QTEST_MAIN(TestCircuitPicture)
#include "tst_circuit_picture.moc"
