// Renders both pages of the window after "Emulate", and the graph for each analog view, into
// PNG files for the documentation. Runs on any platform plugin, the offscreen one included.
#include "engine/decimal_separator.h"
#include "ui/form_style.h"
#include "ui/page_control.h"
#include "ui/tform1.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPushButton>

#include <cstdio>

namespace {

bool Save(QWidget& window, const QString& path)
{
    const bool saved = window.grab().save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ui::ApplyApplicationStyle(app);
    engine::SetDecimalSeparator('.');

    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(folder);

    ui::TForm1 form;
    form.show();
    form.Button1->click();

    bool ok = Save(form, folder + "/graph.png");
    for (int view = 0; view < form.ComboBox1->count(); ++view) {
        form.ComboBox1->setCurrentIndex(view);
        ok = Save(form, QStringLiteral("%1/graph-view%2.png").arg(folder).arg(view)) && ok;
    }
    form.ComboBox1->setCurrentIndex(1);
    form.PageControl1->SetActivePageIndex(0);
    ok = Save(form, folder + "/circuit.png") && ok;
    return ok ? 0 : 1;
}
