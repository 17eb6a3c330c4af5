#include "ui/circuit_page/circuit_picture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdint>
#include <cstring>
#include <optional>

#ifndef BLDC_DATA_FROM_PROGRAM
#error "BLDC_DATA_FROM_PROGRAM must be the installed data folder relative to the program's"
#endif

namespace ui {

namespace {

constexpr std::int64_t kMaxSide = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{8192} * 8192;
// Above what a picture of kMaxPixels needs in 32 bits, so that our own limit is the one a user
// meets.
constexpr int kAllocationLimitMb = 512;

QString Shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// The error box adds the period.
QString WithoutTrailingPeriod(QString text)
{
    text = text.trimmed();
    while (text.endsWith('.')) {
        text.chop(1);
    }
    return text;
}

// A sentence of its own after the file name; some of the platform's reasons start in lower case.
QString AsSentence(const QString& reason)
{
    QString text = WithoutTrailingPeriod(reason);
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

[[noreturn]] void ThrowNotValid(const QString& path, const QString& why)
{
    throw PictureLoadError(QString("Bitmap image \"%1\" is not valid: %2")
                               .arg(Shown(path), WithoutTrailingPeriod(why)));
}

std::uint32_t LittleEndian(const QByteArray& bytes, int at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

struct BmpHeader {
    std::int64_t width = 0;
    std::int64_t height = 0; // the magnitude: a negative height only means top-down rows
    std::int64_t pixelOffset = 0;
    int bitsPerPixel = 0;
    bool uncompressed = true;
};

// Enough of the header to refuse absurd sizes before the reader allocates, and to find a file
// cut short: the reader fills missing rows silently rather than failing.
BmpHeader ReadHeader(const QString& path, const QByteArray& head)
{
    constexpr int kFileHeader = 14;
    if (head.isEmpty()) {
        ThrowNotValid(path, "the file is empty");
    }
    if (head.size() < kFileHeader + 4 || !head.startsWith("BM")) {
        ThrowNotValid(path, "it is not a BMP file");
    }
    const std::uint32_t infoSize = LittleEndian(head, kFileHeader, 4);
    BmpHeader header;
    header.pixelOffset = LittleEndian(head, 10, 4);
    if (infoSize == 12 && head.size() >= kFileHeader + 12) {
        header.width = static_cast<std::int16_t>(LittleEndian(head, 18, 2));
        header.height = static_cast<std::int16_t>(LittleEndian(head, 20, 2));
        header.bitsPerPixel = static_cast<int>(LittleEndian(head, 24, 2));
    } else if (infoSize >= 40 && head.size() >= kFileHeader + 20) {
        header.width = static_cast<std::int32_t>(LittleEndian(head, 18, 4));
        header.height = static_cast<std::int32_t>(LittleEndian(head, 22, 4));
        header.bitsPerPixel = static_cast<int>(LittleEndian(head, 28, 2));
        const std::uint32_t compression = LittleEndian(head, 30, 4);
        header.uncompressed = compression == 0 || compression == 3 || compression == 6;
    } else {
        ThrowNotValid(path, "its header is damaged");
    }
    if (header.height < 0) {
        header.height = -header.height;
    }
    if (header.width <= 0 || header.height == 0) {
        ThrowNotValid(path, "its header is damaged");
    }
    if (header.width > kMaxSide || header.height > kMaxSide ||
        header.width * header.height > kMaxPixels) {
        throw PictureLoadError(QString("Bitmap image \"%1\" is too large: %2 x %3 pixels")
                                   .arg(Shown(path))
                                   .arg(header.width)
                                   .arg(header.height));
    }
    return header;
}

void CheckComplete(const QString& path, const BmpHeader& header, std::int64_t fileSize)
{
    if (!header.uncompressed) {
        return; // the length of run-length data is known only by decoding it
    }
    const std::int64_t rowBytes = (header.width * header.bitsPerPixel + 31) / 32 * 4;
    if (fileSize < header.pixelOffset + rowBytes * header.height) {
        ThrowNotValid(path, "the file is truncated");
    }
}

void RequireAtLeast(const QImage& image, const QString& path, const QSize& size)
{
    if (image.width() < size.width() || image.height() < size.height()) {
        throw PictureLoadError(
            QString("Bitmap image \"%1\" is too small: it must be at least %2 x %3 pixels")
                .arg(Shown(path))
                .arg(size.width())
                .arg(size.height()));
    }
}

QString JoinPath(const QString& folder, const QString& name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// Plain pixel copy of the strip's top-left corner, no blending, as the page expects.
void CopyStrip(QImage& picture, const QImage& strip, const QRect& area)
{
    const QImage source = strip.convertToFormat(QImage::Format_RGB32);
    const auto rowBytes = static_cast<std::size_t>(area.width()) * sizeof(QRgb);
    for (int y = 0; y < area.height(); ++y) {
        auto* target = reinterpret_cast<QRgb*>(picture.scanLine(area.top() + y)) + area.left();
        std::memcpy(target, source.constScanLine(y), rowBytes);
    }
}

void ApplyStrip(QImage& picture, const QString& folder, const QString& name, const QRect& area)
{
    const QString path = JoinPath(folder, name);
    const QImage strip = LoadBitmapFile(path);
    RequireAtLeast(strip, path, area.size());
    CopyStrip(picture, strip, area);
}

} // namespace

PictureLoadError::PictureLoadError(const QString& message)
    : std::runtime_error(message.toStdString())
{
}

QImage LoadBitmapFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = AsSentence(file.errorString());
        throw PictureLoadError(
            reason.isEmpty() ? QString("Cannot open file \"%1\"").arg(Shown(path))
                             : QString("Cannot open file \"%1\". %2").arg(Shown(path), reason));
    }
    constexpr int kHeaderBytes = 64;
    const BmpHeader header = ReadHeader(path, file.read(kHeaderBytes));
    CheckComplete(path, header, file.size());
    if (!file.seek(0)) {
        ThrowNotValid(path, file.errorString());
    }

    QImageReader reader(&file, "bmp");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(kAllocationLimitMb);
    QImage image = reader.read();
    if (image.isNull()) {
        ThrowNotValid(path, reader.errorString());
    }
    return image;
}

void ComposeCircuitPicture(QImage& circuitBitmap, const QString& folder, bool invertingDriver,
                           bool pChannelHighSide)
{
    const QString basePath = JoinPath(folder, "circuit.bmp");
    const QImage base = LoadBitmapFile(basePath);
    RequireAtLeast(base, basePath, kMinimumCircuitSize);
    circuitBitmap = base.convertToFormat(QImage::Format_RGB32);
    if (invertingDriver) {
        ApplyStrip(circuitBitmap, folder, "inv-drv.bmp", kDriverStripArea);
    }
    if (pChannelHighSide) {
        ApplyStrip(circuitBitmap, folder, "p-mosfet.bmp", kTransistorStripArea);
    }
}

QString ProgramFolder()
{
    // Installed, the program is started through a link in bin/; its pictures and log.txt are
    // beside the real file. Qt resolves the link through /proc where it can, but falls back to
    // argv[0], which may be the link itself.
    const QFileInfo program(QCoreApplication::applicationFilePath());
    QString folder = program.canonicalPath();
    if (folder.isEmpty()) {
        folder = program.absolutePath();
    }
    while (folder.size() > 1 && folder.endsWith('/')) {
        folder.chop(1);
    }
    return folder;
}

QString PictureFolder(const QString& programFolder)
{
    const QString base = QStringLiteral("circuit.bmp");
    if (QFileInfo::exists(JoinPath(programFolder, base)))
        return programFolder;
    const QString installed =
        QDir::cleanPath(JoinPath(programFolder, QString::fromUtf8(BLDC_DATA_FROM_PROGRAM)));
    return QFileInfo::exists(JoinPath(installed, base)) ? installed : programFolder;
}

} // namespace ui
