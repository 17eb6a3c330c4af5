// Draws the circuit page's pictures: the base schematic "circuit.bmp" ("2 Non Inv" drivers,
// "N + N" transistors) and the two strips that the page lays over it for the other options,
// "inv-drv.bmp" (inverting high-side drivers) and "p-mosfet.bmp" (P-channel high side).
//
//   draw-circuit-pictures <output folder> [--preview <png file>]
//
// The preview is the picture as the page composes it at start, with both strips applied.

#include "tools/circuit_pictures/schematic.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

using ui::schematic::Options;
using ui::schematic::RenderCircuit;

// An option's drawing may differ from the base only inside its strip, or the page would show
// a symbol cut in half at the strip border; and it must differ there, or the option shows
// nothing. Returns the problem, if any.
std::optional<QString> CheckConfined(const QImage& base, const QImage& variant, const QRect& strip,
                                     const QString& what)
{
    bool differsInside = false;
    for (int y = 0; y < base.height(); ++y) {
        for (int x = 0; x < base.width(); ++x) {
            if (base.pixel(x, y) == variant.pixel(x, y)) {
                continue;
            }
            if (!strip.contains(x, y)) {
                return QString("%1 changes pixel (%2, %3) outside its strip")
                    .arg(what)
                    .arg(x)
                    .arg(y);
            }
            differsInside = true;
        }
    }
    if (!differsInside) {
        return QString("%1 looks the same as the base picture").arg(what);
    }
    return std::nullopt;
}

void Paste(QImage& target, const QImage& strip, const QPoint& at)
{
    for (int y = 0; y < strip.height(); ++y) {
        for (int x = 0; x < strip.width(); ++x) {
            target.setPixel(at.x() + x, at.y() + y, strip.pixel(x, y));
        }
    }
}

bool Save(const QImage& image, const QString& path)
{
    if (image.save(path, "BMP")) {
        return true;
    }
    std::fprintf(stderr, "draw-circuit-pictures: cannot write %s\n",
                 qPrintable(QDir::toNativeSeparators(path)));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    const QGuiApplication app(argc, argv);
    QStringList args = QGuiApplication::arguments();
    args.removeFirst();
    QString preview;
    if (const qsizetype at = args.indexOf("--preview"); at >= 0 && at + 1 < args.size()) {
        preview = args.at(at + 1);
        args.remove(at, 2);
    }
    if (args.size() != 1) {
        std::fprintf(stderr,
                     "usage: draw-circuit-pictures <output folder> [--preview <png file>]\n");
        return 2;
    }
    const QDir folder(args.first());

    using ui::kDriverStripArea;
    using ui::kTransistorStripArea;
    const QImage base = RenderCircuit(Options{});
    const QImage inverting = RenderCircuit(Options{.invertingDriver = true});
    const QImage pChannel = RenderCircuit(Options{.pChannelHighSide = true});
    for (const auto& problem :
         {CheckConfined(base, inverting, kDriverStripArea, "the inverting driver"),
          CheckConfined(base, pChannel, kTransistorStripArea, "the P-channel high side")}) {
        if (problem) {
            std::fprintf(stderr, "draw-circuit-pictures: %s\n", qPrintable(*problem));
            return 1;
        }
    }

    // The strips are cut from full drawings, so lines crossing their borders meet exactly.
    const QImage driverStrip = inverting.copy(kDriverStripArea);
    const QImage transistorStrip = pChannel.copy(kTransistorStripArea);
    if (!Save(base, folder.filePath("circuit.bmp")) ||
        !Save(driverStrip, folder.filePath("inv-drv.bmp")) ||
        !Save(transistorStrip, folder.filePath("p-mosfet.bmp"))) {
        return 1;
    }
    if (!preview.isEmpty()) {
        QImage composed = base;
        Paste(composed, driverStrip, kDriverStripArea.topLeft());
        Paste(composed, transistorStrip, kTransistorStripArea.topLeft());
        if (!composed.save(preview, "PNG")) {
            std::fprintf(stderr, "draw-circuit-pictures: cannot write %s\n", qPrintable(preview));
            return 1;
        }
    }
    return 0;
}
