// The controls of the main window, as the form lays them out at 782 x 529.
#include "ui/tform1.h"

#include "engine/channels.h"
#include "engine/params.h"
#include "engine/switch_labels.h"
#include "ui/circuit_page/commutation_chart.h"
#include "ui/widgets/control_factory.h"
#include "ui/widgets/form_style.h"
#include "graph/graph_painter.h"
#include "graph/grid_size.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/paint_box.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/scroll_bar_adapter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>

namespace ui {

namespace {

struct ParamRow {
    int tag;
    const char* labelName;
    const char* caption;
    int labelY;
    int editY;
};

// Edit boxes at x 732, width 41; the PWM frequency's box is wider.
constexpr ParamRow kParamRows[] = {
    {1, "Label1", "Nominal voltage (V)", 24, 22},
    {2, "Label21", "Impedance (Ohms)", 48, 46},
    {3, "Label2", "Motor RPM/V", 88, 84},
    {4, "Label5", "Resistance (Ohms)", 112, 108},
    {5, "Label23", "No load current (A)", 136, 132},
    {6, "Label8", "PWM frequency (Hz)", 192, 190},
    {7, "Label6", "Timing @ PWM  10%, (deg)", 240, 238},
    {8, "Label7", "Timing @ PWM 100%, (deg)", 264, 262},
    {9, "Label4", "Max current@100% PWM, (A)", 288, 286},
    {10, "Label14", "PWM duty cycle, (%)", 368, 366},
};

QLabel* MakeHeading(QWidget* parent, const QString& name, const QString& caption, int x, int y)
{
    QLabel* label = MakeLabel(parent, name, caption, x, y);
    label->setFont(HeadingFont());
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ColorFromTColor(kNavy));
    label->setPalette(palette);
    label->resize(label->sizeHint());
    return label;
}

QSlider* MakeTrackBar(QWidget* parent, const QString& name, int min, int max, int position, int tag)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(min, max);
    bar->setValue(position);
    bar->setPageStep(20);
    bar->setSingleStep(1);
    bar->setTickPosition(QSlider::TicksAbove);
    bar->setTickInterval(1);
    bar->setFocusPolicy(Qt::ClickFocus); // no tab stop
    SetTag(bar, tag);
    return bar;
}

QToolButton* MakeSpeedButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    SetTag(button, 0);
    return button;
}

void PaintBackground(QWidget* widget, std::uint32_t color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, ColorFromTColor(color));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

void TForm1::CreateParameterColumn()
{
    const auto add = [this](QWidget* w, int x, int y, int width, int height) {
        formAnchors_.Add(w, QRect(x, y, width, height), kAnchorTopRight);
    };
    const auto addLabel = [&](QLabel* label) {
        formAnchors_.Add(label, label->geometry(), kAnchorTopRight);
    };

    addLabel(MakeHeading(this, "Label9", "Battery", 644, 4));
    addLabel(MakeHeading(this, "Label22", "Motor ", 652, 68));
    addLabel(MakeHeading(this, "Label10", "Test values", 636, 168));

    for (const ParamRow& row : kParamRows) {
        const bool autoSize = row.tag == engine::PwmDuty;
        const int labelWidth = row.tag == engine::PwmFrequency ? 105 : 145;
        addLabel(MakeLabel(this, row.labelName, row.caption, 584, row.labelY,
                           autoSize ? -1 : labelWidth));
        auto* edit = new ParamEdit(this);
        edit->setObjectName(QStringLiteral("Edit%1").arg(row.tag));
        edit->setText(QString::fromStdString(engine::DefaultParamTexts()[row.tag]));
        SetTag(edit, row.tag);
        const bool wide = row.tag == engine::PwmFrequency;
        add(edit, wide ? 716 : 732, row.editY, wide ? 57 : 41, 21);
        ParamEdits[static_cast<std::size_t>(row.tag)] = edit;
    }
    ParamEdits[engine::PwmDuty]->setReadOnly(true);

    auto* bevel = new QFrame(this);
    bevel->setObjectName("Bevel1");
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    add(bevel, 580, 160, 200, 2);

    CheckBox2 = new QCheckBox("L-Side PWM", this);
    CheckBox2->setObjectName("CheckBox2");
    SetTag(CheckBox2, 11);
    add(CheckBox2, 584, 216, 81, 17);
    CheckBox1 = new QCheckBox("H-Side PWM", this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setChecked(true);
    SetTag(CheckBox1, 12);
    add(CheckBox1, 692, 216, 81, 17);

    QLabel* freeRun = MakeLabel(this, "Label15", "Free run", 584, 304, 21, 26);
    freeRun->setWordWrap(true);
    freeRun->setGeometry(584, 304, 21, 26);
    addLabel(freeRun);
    const struct {
        const char* name;
        const char* caption;
        int x;
        int y;
    } scaleLabels[] = {{"Label16", "10", 626, 318},  {"Label18", "20", 664, 318},
                       {"Label19", "30", 704, 318},  {"Label17", "60", 762, 318},
                       {"Label11", "0%", 584, 390},  {"Label12", "50%", 670, 390},
                       {"Label13", "100%", 746, 390}};
    for (const auto& scale : scaleLabels)
        addLabel(MakeLabel(this, scale.name, scale.caption, scale.x, scale.y));

    TrackBar1 = MakeTrackBar(this, "TrackBar1", 1, 10, 3, 14);
    add(TrackBar1, 584, 330, 193, 28);
    TrackBar2 = MakeTrackBar(this, "TrackBar2", 0, 10, 10, 13);
    add(TrackBar2, 584, 402, 193, 28);

    addLabel(MakeLabel(this, "Label3", "Angle. (deg)", 584, 448));
    Edit0 = new QLineEdit("0", this);
    Edit0->setObjectName("Edit0");
    Edit0->setReadOnly(true);
    Edit0->setFocusPolicy(Qt::ClickFocus); // no tab stop
    QPalette face = Edit0->palette();
    face.setColor(QPalette::Base, ColorFromTColor(kButtonFace));
    Edit0->setPalette(face);
    add(Edit0, 652, 446, 41, 21);

    Button1 = new QPushButton("Emulate", this);
    Button1->setObjectName("Button1");
    add(Button1, 704, 446, 69, 21);

    addLabel(MakeLabel(this, "Label20", "Graphics", 584, 488));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    for (const char* name : engine::kViewNames)
        ComboBox1->addItem(QString::fromLatin1(name));
    ComboBox1->setCurrentIndex(1);
    add(ComboBox1, 632, 486, 141, 21);

    PageControl1 = new PageControl(this);
    PageControl1->setObjectName("PageControl1");
    formAnchors_.Add(PageControl1, QRect(4, 4, 575, 519), kAnchorAll);
}

void TForm1::CreateCircuitPage()
{
    TabSheet1 = PageControl1->AddPage("Circuit", "TabSheet1");
    PaintBackground(TabSheet1, kCircuitPageColor);
    const auto add = [this](QWidget* w, const QRect& rect) {
        circuitAnchors_.Add(w, rect, kAnchorTopLeft);
    };

    PaintBox1 = new PaintBox(TabSheet1);
    PaintBox1->setObjectName("PaintBox1");
    add(PaintBox1, QRect(4, 4, 560, 464));

    const int switchY[] = {26, 58, 106, 138, 186, 218};
    for (int i = 0; i < 6; ++i) {
        SwitchLabels[static_cast<std::size_t>(i)] = MakeFlatLabelBox(
            TabSheet1, QStringLiteral("Edit10%1").arg(i + 1),
            engine::kSwitchLabels[static_cast<std::size_t>(i)], QRect(6, switchY[i], 41, 19));
    }
    const char* phaseTexts[] = {"A", "B", "C"};
    const char* compTexts[] = {"CompA", "CompB", "CompC"};
    for (int i = 0; i < 3; ++i) {
        PhaseLabels[static_cast<std::size_t>(i)] =
            MakeFlatLabelBox(TabSheet1, QStringLiteral("Edit11%1").arg(i + 1), phaseTexts[i],
                             QRect(234, 48 + 80 * i, 41, 19));
        CompLabels[static_cast<std::size_t>(i)] =
            MakeFlatLabelBox(TabSheet1, QStringLiteral("Edit12%1").arg(i + 1), compTexts[i],
                             QRect(6, 260 + 48 * i, 41, 19));
    }
    Edit151 = MakeFlatLabelBox(TabSheet1, "Edit151", "2,2", QRect(76, 436, 41, 19));
    Edit152 = MakeFlatLabelBox(TabSheet1, "Edit152", "20,0", QRect(122, 436, 41, 19));

    RadioGroup1 = new RadioGroup(" DRIVER ", {"2 Non Inv", "Inv+Non Inv"}, 2, TabSheet1);
    RadioGroup1->setObjectName("RadioGroup1");
    RadioGroup1->setFlat(true);
    RadioGroup1->setFont(RadioGroupFont());
    RadioGroup1->SetItemIndex(1);
    add(RadioGroup1, QRect(292, 4, 161, 33));
    RadioGroup2 = new RadioGroup(" MOSFETs ", {"N + N", "P + N"}, 2, TabSheet1);
    RadioGroup2->setObjectName("RadioGroup2");
    RadioGroup2->setFlat(true);
    RadioGroup2->setFont(RadioGroupFont());
    RadioGroup2->SetItemIndex(1);
    add(RadioGroup2, QRect(456, 4, 105, 33));

    Panel1 = new QFrame(TabSheet1);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setFrameShadow(QFrame::Plain);
    Panel1->setLineWidth(1);
    add(Panel1, QRect(340, 348, 221, 113));
    Image1 = new QLabel(Panel1);
    Image1->setObjectName("Image1");
    // At (22, 0) the picture's top row, plain background, would lie over the panel's top
    // border: the label starts one row lower without that row, so the border shows and every
    // other pixel of the picture stays where it was.
    const QImage patterns = DrawCommutationPatterns();
    Image1->setPixmap(QPixmap::fromImage(patterns.copy(0, 1, 196, 110)));
    Image1->setGeometry(22, 1, 196, 110);
    RadioButton1 = new QRadioButton(Panel1);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->setGeometry(4, 26, 17, 17);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(Panel1);
    RadioButton2->setObjectName("RadioButton2");
    RadioButton2->setGeometry(4, 76, 17, 17);

    CheckBox3 = new QCheckBox("PWM", TabSheet1);
    CheckBox3->setObjectName("CheckBox3");
    add(CheckBox3, QRect(512, 328, 49, 17));

    ScrollBar1 = new QScrollBar(Qt::Horizontal, TabSheet1);
    ScrollBar1->setObjectName("ScrollBar1");
    ScrollBar1->setRange(0, 360);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(5);
    ScrollBar1->setValue(0);
    ScrollBar1->setFocusPolicy(Qt::ClickFocus); // no tab stop
    circuitAnchors_.AddBottomAligned(ScrollBar1, 17);
}

void TForm1::CreateGraphPage()
{
    TabSheet2 = PageControl1->AddPage("Graph", "TabSheet2");

    StringGrid1 = new OwnerDrawnGrid(TabSheet2);
    StringGrid1->setObjectName("StringGrid1");
    StringGrid1->SetColor(graph::kGridColor);
    StringGrid1->SetColCount(2);
    StringGrid1->SetDefaultColWidth(56);
    graphAnchors_.Add(StringGrid1,
                      QRect(0, 0, graph::kDefaultGridSize.Width, graph::kDefaultGridSize.Height),
                      kAnchorAll);

    SpeedButton4 = MakeSpeedButton(TabSheet2, "SpeedButton4", "txt");
    graphAnchors_.Add(SpeedButton4, QRect(544, 364, 23, 22), kAnchorBottomRight);
    SpeedButton1 = MakeSpeedButton(TabSheet2, "SpeedButton1", "+");
    graphAnchors_.Add(SpeedButton1, QRect(543, 396, 23, 22), kAnchorBottomRight);
    SpeedButton2 = MakeSpeedButton(TabSheet2, "SpeedButton2", "-");
    graphAnchors_.Add(SpeedButton2, QRect(543, 420, 23, 22), kAnchorBottomRight);
    SpeedButton3 = MakeSpeedButton(TabSheet2, "SpeedButton3", "<->");
    graphAnchors_.Add(SpeedButton3, QRect(543, 444, 23, 22), kAnchorBottomRight);

    auto* bar = new QScrollBar(Qt::Horizontal, TabSheet2);
    bar->setObjectName("ScrollBar2");
    bar->setFocusPolicy(Qt::ClickFocus); // no tab stop
    ScrollBar2 = new ScrollBarAdapter(bar, this);
    ScrollBar2->setObjectName("ScrollBar2Adapter");
    ScrollBar2->SetParams(1, 1, 1);
    ScrollBar2->SetPageSize(1);
    ScrollBar2->SetTag(kGraphScrollBarTag);
    graphAnchors_.AddBottomAligned(bar, 17);

    PageControl1->SetActivePageIndex(1);
}

void TForm1::SetTabOrder()
{
    QWidget* const order[] = {Button1,        ParamEdits[1], ParamEdits[2],         ParamEdits[3],
                              ParamEdits[4],  ParamEdits[5], ParamEdits[6],         CheckBox2,
                              CheckBox1,      ParamEdits[7], ParamEdits[8],         ParamEdits[9],
                              ParamEdits[10], ComboBox1,     PageControl1->TabBar()};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace ui
