#include "ui/widgets/control_factory.h"

#include "ui/widgets/form_style.h"

#include <QLabel>
#include <QLineEdit>
#include <QVariant>

namespace ui {

namespace {
constexpr const char* kTagProperty = "Tag";
}

int TagOf(const QObject* control)
{
    return control ? control->property(kTagProperty).toInt() : 0;
}

void SetTag(QObject* control, int tag)
{
    control->setProperty(kTagProperty, tag);
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& caption, int x, int y,
                  int width, int height)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const int w = width >= 0 ? width : label->sizeHint().width();
    label->setGeometry(x, y, w, std::max(height, label->sizeHint().height()));
    return label;
}

QLineEdit* MakeFlatLabelBox(QWidget* parent, const QString& name, const QString& text,
                            const QRect& rect)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFrame(false);
    box->setGeometry(rect);
    box->setTextMargins(1, 0, 1, 0);
    // A style sheet, not the palette: the application's style sheet overrides palettes.
    box->setStyleSheet(QStringLiteral("QLineEdit { background: %1; border: none; }")
                           .arg(ColorFromTColor(kCircuitPageColor).name()));
    return box;
}

} // namespace ui
