// Draws the program's icon for the hicolor icon theme:
//
//   draw-app-icon <output folder> <icon name>
//
// writes <folder>/scalable/apps/<name>.svg and <folder>/<n>x<n>/apps/<name>.png for each size.

#include "tools/app_icon/app_icon.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool Fail(const QString& message)
{
    std::fprintf(stderr, "draw-app-icon: %s\n", qPrintable(message));
    return false;
}

bool WriteIcon(const QString& folder, const QString& name)
{
    const std::vector<app::icon::Shape> shapes = app::icon::IconShapes();
    const QDir root(folder);
    if (!root.mkpath("scalable/apps")) {
        return Fail("cannot create " + root.filePath("scalable/apps"));
    }
    QFile svg(root.filePath("scalable/apps/" + name + ".svg"));
    const QByteArray text = app::icon::IconSvg(shapes).toUtf8();
    if (!svg.open(QIODevice::WriteOnly) || svg.write(text) != text.size() || !svg.flush()) {
        return Fail("cannot write " + svg.fileName() + ": " + svg.errorString());
    }
    for (const int size : app::icon::kPngSizes) {
        const QString sub = QString("%1x%1/apps").arg(size);
        const QString path = root.filePath(sub + "/" + name + ".png");
        if (!root.mkpath(sub) || !app::icon::IconImage(shapes, size).save(path, "PNG")) {
            return Fail("cannot write " + path);
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fputs("usage: draw-app-icon <output folder> <icon name>\n", stderr);
        return 2;
    }
    return WriteIcon(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
