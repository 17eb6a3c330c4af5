// Construction, start-up, layout and close of the main window.
#include "ui/tform1.h"

#include "engine/decimal_separator.h"
#include "graph/graph_grid.h"
#include "ui/circuit_page/circuit_picture.h"
#include "ui/widgets/control_factory.h"
#include "ui/widgets/form_style.h"
#include "ui/graph_page/graph_exports.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/graph_page/window_bindings.h"
#include "ui/form_graph_host.h"
#include "ui/session/run_session.h"
#include "ui/window_actions.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/paint_box.h"
#include "ui/widgets/param_edit.h"
#include "ui/widgets/radio_group.h"
#include "ui/widgets/scroll_bar_adapter.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QToolButton>

namespace ui {

namespace {
const QSize kClientSize(782, 529);
const QSize kPageSize(567, 491);
} // namespace

TForm1::TForm1(TForm1Options options, QWidget* parent)
    : QWidget(parent), options_(std::move(options)), formAnchors_(kClientSize),
      circuitAnchors_(kPageSize), graphAnchors_(kPageSize)
{
    if (options_.ProgramFolder.isEmpty())
        options_.ProgramFolder = ProgramFolder();

    setObjectName("Form1");
    setWindowTitle("Brushless sensorless motor demo");
    setFont(FormFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, ColorFromTColor(kButtonFace));
    setPalette(palette);
    setAutoFillBackground(true);
    move(187, 110);
    resize(kClientSize);
    setMinimumSize(kClientSize);
    session_ = new RunSession(this);

    CreateParameterColumn();
    CreateCircuitPage();
    CreateGraphPage();
    SetTabOrder();
    LayoutControls();
    FormCreate();
    ConnectHandlers();
    graphHost_ = std::make_unique<FormGraphHost>(FormGraphWidgets{
        .Session = session_,
        .Grid = StringGrid1,
        .SwitchLabels = SwitchLabels,
        .MainWindow = this,
        .Pages = PageControl1,
        .GraphPage = TabSheet2,
        .ZoomIn = [this] { SpeedButton1Click(); },
        .ZoomOut = [this] { SpeedButton2Click(); },
        .WholeRun = [this] { SpeedButton3Click(); },
        .Guarded = [this](const std::function<void()>& handler) { Guarded(handler); }});
    graphTools_ = std::make_unique<GraphTools>(*graphHost_);
    AddExports();
    CreateInstantViews();
    CreateReferenceActions();
    CreateScenarioActions();
    AddHelpActions(*windowActions_, *graphTools_->GraphContextMenu());
    CreateZcPage();
    AddToolTips();
    AddHelpShortcut(*this);
    ConnectSession();
}

TForm1::~TForm1() = default;

void TForm1::AddExports()
{
    windowActions_ = std::make_unique<WindowActionTargets>(WindowActionTargets{
        .Window = this,
        .Session = session_,
        .Graph = graphHost_.get(),
        .CircuitPicture = &circuitBitmap_,
        .PageShown = [this] { return PageControl1->Page(PageControl1->ActivePageIndex()); },
        .GraphPage = TabSheet2,
        .CircuitPage = TabSheet1,
        .Guarded = [this](const std::function<void()>& action) { Guarded(action); }});
    AddWindowShortcuts(*windowActions_);
    // After the graph's own exports, where it always stood.
    AddSaveLogAction(*windowActions_, *graphTools_->GraphContextMenu());

    CircuitMenu = new QMenu(this);
    AddCircuitExportActions(*windowActions_, *CircuitMenu);
    PaintBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PaintBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { CircuitMenu->popup(PaintBox1->mapToGlobal(pos)); });
}

void TForm1::FormCreate()
{
    // Without its pictures the program still works: the circuit page stays empty and the
    // rest of the start-up goes on.
    circuitBitmap_.emplace();
    Guarded([this] { ConfigChange(); });

    // The default row height resets every row, so it comes before the header row's height.
    StringGrid1->SetColCount(graph::kGraphColCount);
    StringGrid1->SetDefaultRowHeight(graph::kTraceRowHeight);
    StringGrid1->SetColWidth(0, graph::kLabelColWidth);
    StringGrid1->SetRowCount(graph::kGraphRowCount);
    StringGrid1->SetRowHeight(0, graph::kHeaderRowHeight);
    StringGrid1->OnDrawCell = [this](graph::Canvas& canvas, int col, int row,
                                     const graph::TRect& rect) {
        StringGrid1DrawCell(canvas, col, row, rect);
    };
    FormResize();

    for (int i = 1; i <= engine::kParamCount; ++i) {
        if (auto* box = findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(i)))
            ChangeParam(box, false);
    }
}

void TForm1::ConnectHandlers()
{
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        ParamEdit* box = ParamEdits[static_cast<std::size_t>(tag)];
        connect(box, &ParamEdit::FocusLost, this,
                [this, box] { Guarded([&] { ChangeEdit(box); }); });
        // Enter applies the box at once, as users expect from a form.
        connect(box, &QLineEdit::returnPressed, this,
                [this, box] { Guarded([&] { ChangeEdit(box); }); });
    }
    connect(TrackBar1, &QSlider::valueChanged, this,
            [this] { Guarded([&] { TrackBar1Change(); }); });
    connect(TrackBar2, &QSlider::valueChanged, this,
            [this] { Guarded([&] { TrackBar2Change(); }); });
    for (QCheckBox* box : {CheckBox1, CheckBox2})
        connect(box, &QCheckBox::clicked, this,
                [this] { Guarded([&] { PWMSideCheckBoxClick(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([&] { Button1Click(); }); });
    connect(ComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { Guarded([&] { ComboBox1Change(); }); });
    connect(SpeedButton4, &QToolButton::clicked, this,
            [this] { Guarded([&] { SpeedButton4Click(); }); });
    for (RadioGroup* group : {RadioGroup1, RadioGroup2})
        connect(group, &RadioGroup::Click, this, [this] { Guarded([&] { RadioGroupClick(); }); });
    connect(ScrollBar1, &QScrollBar::valueChanged, this,
            [this] { Guarded([&] { ScrollBar1Change(); }); });
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { Guarded([&] { SpeedButton1Click(); }); });
    connect(SpeedButton2, &QToolButton::clicked, this,
            [this] { Guarded([&] { SpeedButton2Click(); }); });
    connect(SpeedButton3, &QToolButton::clicked, this,
            [this] { Guarded([&] { SpeedButton3Click(); }); });
    connect(ScrollBar2, &ScrollBarAdapter::Change, this,
            [this] { Guarded([&] { ScrollBar2Change(ScrollBar2); }); });
    PaintBox1->OnPaint = [this](QPainter& painter) { PaintBox1Paint(painter); };
}

void TForm1::LayoutControls()
{
    formAnchors_.Apply(size());
    PageControl1->LayoutPages();
    circuitAnchors_.Apply(PageControl1->PageSize());
    graphAnchors_.Apply(PageControl1->PageSize());
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutControls();
    FormResize();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TForm1::FormClose()
{
    circuitBitmap_.reset();
}

void TForm1::FormResize()
{
    if (!StringGrid1 || StringGrid1->RowCount() < graph::kGraphRowCount)
        return;
    StringGrid1->SetColWidth(1, graph::PlotColWidth(StringGrid1->width()));
    StringGrid1->SetRowHeight(graph::kPlotRow, graph::PlotRowHeight(StringGrid1->height()));
    if (graphTools_)
        graphTools_->LayoutChanged();
    TellZcPageColumns();
    RefreshInstantViews();
}

void TForm1::ConnectSession()
{
    // The graph tools and the zero-crossing page connect themselves as they are made; the
    // form's own notes come after the tools, whose cursor A the bridge layer reads.
    connect(session_, &RunSession::RunEnded, this, [this] {
        RefreshInstantViews();
        RefreshReferenceNote();
    });
    connect(session_, &RunSession::ReferenceChanged, this, [this] {
        RefreshReferenceNote();
        StringGrid1->Repaint();
    });
    connect(session_, &RunSession::WindowMoved, this, [this] {
        if (!movingWindow_)
            FollowWindow();
    });
}

engine::RunSettings TForm1::CurrentRunSettings() const
{
    engine::RunSettings settings;
    settings.HighSidePwm = CheckBox1->isChecked();
    settings.LowSidePwm = CheckBox2->isChecked();
    settings.DriverKind = RadioGroup1->ItemIndex() == 1 ? 1 : 0;
    settings.MosfetKind = RadioGroup2->ItemIndex() == 1 ? 1 : 0;
    settings.Pattern120 = RadioButton1->isChecked();
    return settings;
}

engine::ChannelTexts TForm1::CurrentChannelTexts() const
{
    engine::ChannelTexts texts;
    for (std::size_t i = 0; i < 3; ++i)
        texts.PhaseLabels[i] = PhaseLabels[i]->text().toStdString();
    texts.R1Text = Edit151->text().toStdString();
    texts.R2Text = Edit152->text().toStdString();
    return texts;
}

QString TForm1::LogPath() const
{
    return options_.ProgramFolder + QStringLiteral("/log.txt");
}

} // namespace ui
