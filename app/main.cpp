#include "engine/decimal_separator.h"
#include "ui/form_style.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(ui::FormFont());
    engine::InitDecimalSeparatorFromLocale();

    ui::TForm1 form;
    form.show();
    return QApplication::exec();
}
