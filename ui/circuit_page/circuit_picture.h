#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <stdexcept>

// The circuit page's picture, composed from the base schematic and the option strips that
// lie beside the program.

namespace ui {

// Where the strips go in the picture. The base picture must hold both areas.
inline constexpr QRect kDriverStripArea{128, 16, 48, 224};     // "inv-drv.bmp"
inline constexpr QRect kTransistorStripArea{208, 16, 16, 224}; // "p-mosfet.bmp"
inline constexpr QSize kMinimumCircuitSize{224, 240};          // "circuit.bmp"

// A picture file that cannot be opened or is not a usable bitmap. The message names the file
// with its full path and never ends with "." (the error box adds one).
class PictureLoadError : public std::runtime_error {
public:
    explicit PictureLoadError(const QString& message);
};

// Reads a BMP file. Declared sizes above 16384 pixels a side or 8192 x 8192 pixels in all are
// refused before anything is allocated; an empty, truncated or damaged file is not valid.
QImage LoadBitmapFile(const QString& path);

// Composes the picture into `circuitBitmap`: the base "circuit.bmp" of `folder`, then the
// driver strip when `invertingDriver`, then the transistor strip when `pChannelHighSide`, each
// a plain copy of the strip's top-left corner. A failing file throws PictureLoadError and
// stops the composition there: if the base fails the bitmap keeps its previous picture, if a
// strip fails it keeps the fresh base with any strip applied before. A file smaller than the
// area it must fill is refused, and nothing of it is copied.
void ComposeCircuitPicture(QImage& circuitBitmap, const QString& folder, bool invertingDriver,
                           bool pChannelHighSide);

// The folder of the running executable, links resolved, without a trailing separator (except
// for the root folder itself, "/", which has no other spelling).
QString ProgramFolder();

// Where the pictures are read from: `programFolder` when "circuit.bmp" is there (a build
// folder, a copy moved anywhere), otherwise the installed data folder, found from the program's
// folder as installed (<prefix>/lib/bldc-demo -> <prefix>/share/bldc-demo) when the base
// picture is there; otherwise `programFolder`, so that the error names it.
QString PictureFolder(const QString& programFolder);

} // namespace ui
