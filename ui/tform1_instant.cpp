// The bridge at one instant: the "Circuit" page's bridge layer and the "Graph" page's note
// that says which instant a single-angle run computed.
#include "ui/tform1.h"

#include "engine/bridge_state.h"
#include "engine/decimal_separator.h"
#include "engine/format_fixed.h"
#include "ui/circuit_page/bridge_state_layer.h"
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

} // namespace ui
