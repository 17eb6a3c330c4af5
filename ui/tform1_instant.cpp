// The bridge at one instant: the "Circuit" page's bridge layer and the "Graph" page's note
// that says which instant a single-angle run computed.
#include "ui/tform1.h"

#include "engine/bridge_state.h"
#include "engine/decimal_separator.h"
#include "engine/format_fixed.h"
#include "ui/circuit_page/bridge_state_layer.h"
#include "ui/circuit_page/commutation_chart.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/paint_box.h"
#include "ui/session/run_session.h"

#include <QCheckBox>
#include <QLabel>

namespace ui {

namespace {

// In the empty band of the picture left of "PWM", above the commutation chart's panel.
constexpr QRect kShowBridgeStateRect{392, 328, 116, 17};

QString Degrees(float angle)
{
    std::string text;
    engine::AppendFormatFixed(text, angle, 7, 2, engine::DecimalSeparator());
    return QString::fromStdString(text) + " deg";
}

} // namespace

void TForm1::CreateInstantViews()
{
    ShowBridgeState = new QCheckBox("Show bridge state", TabSheet1);
    ShowBridgeState->setObjectName("ShowBridgeState");
    circuitAnchors_.Add(ShowBridgeState, kShowBridgeStateRect, kAnchorTopLeft);
    ShowBridgeState->setGeometry(kShowBridgeStateRect);
    ShowBridgeState->show();

    BridgeLayer = new BridgeStateLayer(PaintBox1);
    BridgeHint = new QLabel("Place cursor A on the graph (a click into the plot) to see the "
                            "bridge at that instant, or move the scroll bar below for a "
                            "single angle.",
                            PaintBox1);
    BridgeHint->setObjectName("BridgeHint");
    BridgeHint->setWordWrap(true);
    BridgeHint->setStyleSheet(
        "QLabel { color: white; background: #404040; border: 1px solid #808080; padding: 2px; }");
    BridgeHint->setGeometry(8, 8, 260, 50);
    BridgeHint->hide();

    SingleAngleNote = new QLabel(StringGrid1->viewport());
    SingleAngleNote->setObjectName("SingleAngleNote");
    SingleAngleNote->setAttribute(Qt::WA_TransparentForMouseEvents);
    SingleAngleNote->setWordWrap(true);
    SingleAngleNote->setStyleSheet(
        "QLabel { color: white; background: #404040; border: 1px solid #808080; padding: 2px; }");
    SingleAngleNote->hide();

    connect(ShowBridgeState, &QCheckBox::toggled, this, [this] { RefreshInstantViews(); });
    // Cursor A moves only while the "Graph" page is shown: coming back to the circuit is
    // the moment to catch up with it.
    connect(PageControl1, &PageControl::PageChanged, this, [this] { RefreshInstantViews(); });
}

void TForm1::RefreshInstantViews()
{
    if (BridgeLayer == nullptr) {
        return; // a run during start-up, before the views exist
    }
    const engine::SampleBuffer& run = session_->Samples();
    const std::optional<int> singleAnglePwm = session_->SingleAnglePwm();
    std::optional<int> sample;
    QString title;
    if (singleAnglePwm && run.SampleCount >= 1) {
        sample = 0;
        title = "Angle " + Degrees(run.Samples[0].Angle) + ", PWM " +
                (*singleAnglePwm != 0 ? "on" : "off");
    } else if (graphTools_) {
        const std::optional<int>& a = graphTools_->Cursors().A();
        if (a && *a >= 0 && *a < run.SampleCount) {
            sample = *a;
            title = "Cursor A at " + Degrees(run.Samples[static_cast<std::size_t>(*a)].Angle);
        }
    }

    MarkInstantOnChart(sample ? std::optional<float>(run.Samples[std::size_t(*sample)].Angle)
                              : std::nullopt);
    // Asked for after a full run without cursor A: say how to choose the instant.
    BridgeHint->setVisible(ShowBridgeState->isChecked() && !sample);

    if (ShowBridgeState->isChecked() && sample) {
        const engine::BridgeState bridge =
            engine::BridgeStateOf(run.Samples[static_cast<std::size_t>(*sample)],
                                  session_->RunSettings());
        BridgeLayer->SetLayout(LayoutBridgeState(bridge, title, engine::DecimalSeparator()));
    } else {
        BridgeLayer->SetLayout(std::nullopt);
    }

    if (singleAnglePwm && run.SampleCount >= 1) {
        SingleAngleNote->setText(title + ": the graph holds this one step; its bridge is on the "
                                         "\"Circuit\" page (\"Show bridge state\")");
        // Wrapped within the plot's width, so that the window's smallest size shows it whole.
        const graph::TRect row1 = StringGrid1->CellRect(1, 1);
        SingleAngleNote->setMaximumWidth(std::max(row1.Right - row1.Left - 16, 80));
        SingleAngleNote->adjustSize();
        SingleAngleNote->move(row1.Left + 8, row1.Top + 4);
        SingleAngleNote->show();
        SingleAngleNote->raise();
    } else {
        SingleAngleNote->hide();
    }
}

void TForm1::MarkInstantOnChart(std::optional<float> rotorAngle)
{
    // The instant is marked where the chart drives every phase as the run's bridge does: at
    // its rotor angle plus the run's timing advance, taken the chart's way round.
    QImage patterns = DrawCommutationPatterns();
    const std::optional<engine::OperatingPoint>& op = session_->OperatingPoint();
    QString where = "The red line marks the instant shown on the graph (cursor A or a single "
                    "angle) when there is one.";
    if (rotorAngle && op) {
        const double at = ChartAngle(*rotorAngle, op->Timing);
        const ChartKind chart =
            session_->RunSettings().Pattern120 ? ChartKind::Pattern120 : ChartKind::Pattern180;
        MarkCommutationAngle(patterns, chart, at);
        where = "The red line marks the instant shown: rotor angle " + Degrees(*rotorAngle) +
                " plus the timing advance " + Degrees(op->Timing) +
                ". The bridge commutates by that advanced angle, and takes the phases in the "
                "order A, C, B where the chart lists A, B, C: the instant lies at minus the "
                "advanced angle, " + Degrees(static_cast<float>(at)) +
                " on the chart, and the line moves leftwards as the rotor turns.";
    }
    Image1->setPixmap(QPixmap::fromImage(patterns.copy(0, 1, 196, 110)));
    Image1->setToolTip("The two commutation patterns: H high, L low, - floating. " + where);
}

} // namespace ui
