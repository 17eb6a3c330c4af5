#include "engine/decimal_separator.h"
#include "ui/widgets/form_style.h"
#include "ui/tform1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ui::ApplyApplicationStyle(app);
    engine::InitDecimalSeparatorFromLocale();

    ui::TForm1 form;
    form.show();
    return QApplication::exec();
}
