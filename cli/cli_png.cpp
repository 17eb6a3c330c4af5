#include "cli/cli_png.h"

#include "engine/byte_file.h"
#include "graph/render/graph_image.h"
#include "graph/render/png_file.h"

#include <QByteArray>
#include <QGuiApplication>

#include <cstdio>
#include <optional>
#include <ostream>
#include <string>

namespace cli {
namespace {

// Qt's notes about the platform (a missing runtime folder, an unsupported window call) are of
// no use to a user of the command line, whose error stream holds one line per failure.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fputs((message.toLocal8Bit() + '\n').constData(), stderr);
    }
}

// Fonts and images need a QGuiApplication. One is made only for the picture and only when the
// caller has none, always on the offscreen platform: a platform inherited from a desktop
// session would need a display that a script may not have.
class GuiForPicture {
public:
    GuiForPicture()
    {
        if (QCoreApplication::instance() != nullptr) {
            if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
                throw PictureError("the graph needs a graphical application object");
            }
            return;
        }
        previousHandler_ = qInstallMessageHandler(QuietQtMessages);
        app_.emplace(argc_, argv_);
    }
    ~GuiForPicture()
    {
        if (app_) {
            app_.reset();
            qInstallMessageHandler(previousHandler_);
        }
    }
    GuiForPicture(const GuiForPicture&) = delete;
    GuiForPicture& operator=(const GuiForPicture&) = delete;

private:
    // "-platform" on the command line wins over QT_QPA_PLATFORM.
    int argc_ = 3;
    char name_[9] = "bldc-emu";
    char platformOption_[10] = "-platform";
    char platform_[10] = "offscreen";
    char* argv_[4] = {name_, platformOption_, platform_, nullptr};
    QtMessageHandler previousHandler_ = nullptr;
    std::optional<QGuiApplication> app_;
};

QImage RenderPicture(const graph::GraphPaintParams& params, graph::GridSize size,
                     const graph::HeldReference& reference)
{
    QImage image = graph::RenderGraphImage(params, QSize(size.Width, size.Height),
                                           graph::GraphFont(), reference);
    if (image.isNull()) {
        throw PictureError("not enough memory for a picture of " + std::to_string(size.Width) +
                           " x " + std::to_string(size.Height) + " pixels");
    }
    return image;
}

} // namespace

void WriteGraphPng(const Destination& destination, std::ostream& out,
                   const graph::GraphPaintParams& params, graph::GridSize size,
                   const graph::HeldReference& reference)
{
    const GuiForPicture gui;
    const QImage image = RenderPicture(params, size, reference);
    QByteArray bytes;
    try {
        bytes = graph::EncodePng(image);
    } catch (const std::runtime_error& error) {
        throw PictureError(error.what());
    }
    destination.WriteBytes(out, std::string_view(bytes.constData(),
                                                 static_cast<std::size_t>(bytes.size())));
}

} // namespace cli
