#include "engine/decimal_separator.h"
#include "engine/temporary_files.h"
#include "ui/graph_page/about_box.h"
#include "ui/widgets/form_style.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The names and the icon desktops show: the desktop file's name ties the window to the
    // installed entry and its icon, also on Wayland.
    QApplication::setApplicationName(QStringLiteral("bldc-demo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Brushless sensorless motor demo"));
    QApplication::setApplicationVersion(ui::ProgramVersion());
    QApplication::setDesktopFileName(QStringLiteral(BLDC_APP_ID));
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/" BLDC_APP_ID ".png").arg(size));
    QApplication::setWindowIcon(icon);
    ui::ApplyApplicationStyle(app);
    engine::InitDecimalSeparatorFromLocale();
    // Ctrl-C, SIGTERM or SIGHUP during a long save leaves no temporary file beside the target.
    engine::RemoveTemporaryFilesOnSignals();

    ui::TForm1 form;
    form.show();
    return QApplication::exec();
}
