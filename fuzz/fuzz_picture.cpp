// The picture files of the circuit page with any content: the loader returns a bitmap within
// its size limits or refuses the file with a message that names it, and the composition either
// yields a picture that holds both strip areas or stops with the state it promises.
//
// Input: byte 0 picks the file that gets the rest of the input (bits 0-1: "circuit.bmp",
// "inv-drv.bmp", "p-mosfet.bmp", or the loader alone) and the two options (bits 2-3); the other
// two files are sound pictures.
#include "ui/circuit_page/circuit_picture.h"

#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail = {})
{
    std::fprintf(stderr, "check failed: %s %s\n", what, detail.c_str());
    std::abort();
}

void Check(bool ok, const char* what, const std::string& detail = {})
{
    if (!ok)
        Fail(what, detail);
}

const char* const kNames[] = {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp", "loose.bmp"};

QImage Filled(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// A folder of its own with the three sound pictures, made once per process.
const QString& Folder()
{
    static const QString folder = [] {
        char name[] = "/tmp/fuzz_picture.XXXXXX";
        if (::mkdtemp(name) == nullptr)
            Fail("mkdtemp");
        const QString path = QString::fromLocal8Bit(name);
        Filled(224, 240, 0xff102030).save(path + "/circuit.bmp", "BMP");
        Filled(48, 224, 0xff405060).save(path + "/inv-drv.bmp", "BMP");
        Filled(16, 224, 0xff708090).save(path + "/p-mosfet.bmp", "BMP");
        return path;
    }();
    return folder;
}

void Write(const QString& path, const std::uint8_t* data, std::size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) !=
            static_cast<qint64>(size))
        Fail("cannot write the input file");
}

void Restore(const QString& folder, int role)
{
    const QString path = folder + '/' + kNames[role];
    switch (role) {
    case 0:
        Filled(224, 240, 0xff102030).save(path, "BMP");
        break;
    case 1:
        Filled(48, 224, 0xff405060).save(path, "BMP");
        break;
    case 2:
        Filled(16, 224, 0xff708090).save(path, "BMP");
        break;
    default:
        break;
    }
}

void CheckNamesFile(const ui::PictureLoadError& error, const QString& path)
{
    const QString message = QString::fromStdString(error.what());
    Check(message.contains('"' + QDir::toNativeSeparators(path) + '"'),
          "the message names the file", error.what());
    Check(!message.endsWith('.'), "the error box adds the period", error.what());
}

void CheckLoader(const QString& path)
{
    try {
        const QImage image = ui::LoadBitmapFile(path);
        Check(!image.isNull(), "a loaded picture is not empty");
        Check(image.width() <= 16384 && image.height() <= 16384 &&
                  std::int64_t{image.width()} * image.height() <= std::int64_t{8192} * 8192,
              "a loaded picture keeps to the size limits");
    } catch (const ui::PictureLoadError& error) {
        CheckNamesFile(error, path);
    }
}

void CheckComposition(const QString& folder, int role, bool invertingDriver, bool pChannel)
{
    const QImage previous = Filled(300, 260, 0xffabcdef);
    QImage picture = previous;
    try {
        ui::ComposeCircuitPicture(picture, folder, invertingDriver, pChannel);
    } catch (const ui::PictureLoadError& error) {
        CheckNamesFile(error, folder + '/' + kNames[role]);
        if (role == 0)
            Check(picture == previous, "a failed base keeps the previous picture");
        else
            Check(picture.pixel(0, 0) != previous.pixel(0, 0),
                  "a failed strip keeps the fresh base");
        return;
    }
    Check(picture.width() >= 224 && picture.height() >= 240, "the picture holds both strip areas");
    Check(picture.format() == QImage::Format_RGB32, "the picture is 32-bit");
    // The sound strips are plain colours: a copy shows them unchanged at their places.
    if (invertingDriver && role != 1)
        Check(picture.pixel(128, 16) == 0xff405060 && picture.pixel(175, 239) == 0xff405060,
              "the driver strip is copied");
    if (pChannel && role != 2)
        Check(picture.pixel(208, 16) == 0xff708090 && picture.pixel(223, 239) == 0xff708090,
              "the transistor strip is copied");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const int role = data[0] & 3;
    const bool invertingDriver = (data[0] & 4) != 0;
    const bool pChannel = (data[0] & 8) != 0;
    const QString& folder = Folder();
    const QString path = folder + '/' + kNames[role];
    Write(path, data + 1, size - 1);
    try {
        CheckLoader(path);
        if (role != 3)
            CheckComposition(folder, role, invertingDriver || role == 1, pChannel || role == 2);
    } catch (const std::bad_alloc&) {
        Fail("a picture file ran the loader out of memory");
    }
    Restore(folder, role);
    return 0;
}
