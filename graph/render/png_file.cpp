#include "graph/render/png_file.h"

#include "engine/byte_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>

#include <string_view>

namespace graph {

QByteArray EncodePng(const QImage& image)
{
    if (image.isNull())
        throw ExportError("There is no picture to save");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw ExportError("The picture cannot be encoded as PNG");
    return bytes;
}

void SavePng(const QImage& image, const QString& path)
{
    const QByteArray bytes = EncodePng(image);
    engine::WriteFileBytes(
        QFile::encodeName(path).toStdString(),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace graph
