#include "tests/support/form_controls.h"

#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/paint_box.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/scroll_bar_adapter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>

namespace {

template <class T> T* Find(const QWidget& form, const QString& name)
{
    T* control = form.findChild<T*>(name);
    if (!control)
        qFatal("The window has no control %s of the expected type", qPrintable(name));
    return control;
}

} // namespace

FormControls::FormControls(const QWidget& form)
{
    for (std::size_t tag = 1; tag < ParamEdits.size(); ++tag)
        ParamEdits[tag] = Find<ui::ParamEdit>(form, QStringLiteral("Edit%1").arg(tag));
    Edit0 = Find<QLineEdit>(form, "Edit0");
    for (std::size_t i = 0; i < SwitchLabels.size(); ++i)
        SwitchLabels[i] = Find<QLineEdit>(form, QStringLiteral("Edit10%1").arg(i + 1));
    for (std::size_t i = 0; i < PhaseLabels.size(); ++i) {
        PhaseLabels[i] = Find<QLineEdit>(form, QStringLiteral("Edit11%1").arg(i + 1));
        CompLabels[i] = Find<QLineEdit>(form, QStringLiteral("Edit12%1").arg(i + 1));
    }
    CheckBox1 = Find<QCheckBox>(form, "CheckBox1");
    CheckBox2 = Find<QCheckBox>(form, "CheckBox2");
    CheckBox3 = Find<QCheckBox>(form, "CheckBox3");
    TrackBar1 = Find<QSlider>(form, "TrackBar1");
    TrackBar2 = Find<QSlider>(form, "TrackBar2");
    Button1 = Find<QPushButton>(form, "Button1");
    ComboBox1 = Find<QComboBox>(form, "ComboBox1");
    PageControl1 = Find<ui::PageControl>(form, "PageControl1");
    TabSheet1 = Find<QWidget>(form, "TabSheet1");
    TabSheet2 = Find<QWidget>(form, "TabSheet2");
    PaintBox1 = Find<ui::PaintBox>(form, "PaintBox1");
    RadioGroup1 = Find<ui::RadioGroup>(form, "RadioGroup1");
    RadioGroup2 = Find<ui::RadioGroup>(form, "RadioGroup2");
    RadioButton1 = Find<QRadioButton>(form, "RadioButton1");
    RadioButton2 = Find<QRadioButton>(form, "RadioButton2");
    ScrollBar1 = Find<QScrollBar>(form, "ScrollBar1");
    StringGrid1 = Find<ui::OwnerDrawnGrid>(form, "StringGrid1");
    SpeedButton1 = Find<QToolButton>(form, "SpeedButton1");
    SpeedButton2 = Find<QToolButton>(form, "SpeedButton2");
    SpeedButton3 = Find<QToolButton>(form, "SpeedButton3");
    SpeedButton4 = Find<QToolButton>(form, "SpeedButton4");
    ScrollBar2 = Find<ui::ScrollBarAdapter>(form, "ScrollBar2Adapter");
}
