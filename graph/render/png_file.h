#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <stdexcept>

// Writing a picture as a PNG file, through the same checked write as the sample log.

namespace graph {

// A picture that cannot be saved: nothing to save, or the encoder failed. A file that cannot
// be written gives the log's engine::FileWriteError instead.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes of `image` as a PNG file.
QByteArray EncodePng(const QImage& image);

// Encodes `image` as PNG in memory, then creates or replaces the file at `path` and writes it
// in one piece.
void SavePng(const QImage& image, const QString& path);

} // namespace graph
