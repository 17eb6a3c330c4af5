#include "ui/graph_page/about_box.h"

#include <QMessageBox>

#ifndef BLDC_DEMO_VERSION
#error "BLDC_DEMO_VERSION must be the project's version"
#endif

namespace ui {

QString ProgramVersion()
{
    return QStringLiteral(BLDC_DEMO_VERSION);
}

QString AboutText()
{
    return QStringLiteral(
               "<p><b>Brushless sensorless motor demo</b><br>Version %1</p>"
               "<p>Emulates a sensorless brushless-DC motor speed controller over one revolution "
               "and shows its bridge switches, terminal voltages and back-EMF comparators.</p>"
               "<p>Copyright (c) 2026 The BLDC demo authors.<br>"
               "Released under the MIT License: you may use, copy, modify and distribute it "
               "freely, provided the copyright and permission notice are kept. It comes "
               "without warranty of any kind. The full text is in the file LICENSE "
               "(installed as copyright beside the documentation).</p>"
               "<p>Press F1 for the mouse and key bindings.</p>")
        .arg(ProgramVersion());
}

void ShowAbout(QWidget& parent)
{
    auto* box = new QMessageBox(QMessageBox::NoIcon, QStringLiteral("About"), AboutText(),
                                QMessageBox::Close, &parent);
    box->setObjectName(QStringLiteral("AboutBox"));
    box->setTextFormat(Qt::RichText);
    box->setIconPixmap(parent.windowIcon().pixmap(64, 64));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

} // namespace ui
