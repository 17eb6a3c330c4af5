// What each control of the window does and its keys, shown as a tooltip. The terse buttons
// ("+", "-", "<->", "txt") need it most; a tooltip changes nothing that is painted.
#include "ui/tform1.h"

#include "engine/params.h"
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
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QToolButton>

namespace ui {

namespace {

constexpr const char* kApplies = " Leave the box or press Enter to emulate again.";

// By parameter number, as the boxes' tags.
constexpr const char* kParamTips[engine::kParamCount + 1] = {
    "",
    "Battery voltage without load (V).",
    "Battery's internal impedance (Ohms): under load the voltage drops by current times "
    "impedance.",
    "Motor speed constant (RPM per volt).",
    "Winding resistance (Ohms).",
    "No-load current of the motor (A).",
    "PWM frequency (Hz).",
    "Timing advance at 10 % duty (degrees).",
    "Timing advance at 100 % duty (degrees).",
    "Maximum current at full duty (A), kept between the no-load current and a fifth of the "
    "battery's short-circuit current; the \"Free run\" track bar sets it on a coarse scale.",
    "Duty cycle (%): set with the track bar below.",
};

} // namespace

void TForm1::AddToolTips()
{
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        QString tip = QString::fromUtf8(kParamTips[tag]);
        if (tag != engine::PwmDuty)
            tip += QString::fromUtf8(kApplies);
        ParamEdits[static_cast<std::size_t>(tag)]->setToolTip(tip);
    }
    CheckBox2->setToolTip("Pulse-width modulate the low-side switches; the run is emulated again.");
    CheckBox1->setToolTip("Pulse-width modulate the high-side switches; the run is emulated "
                          "again. Also the PWM state of a single-angle run (the \"Circuit\" "
                          "page's scroll bar).");
    TrackBar1->setToolTip("Maximum current at full duty on a coarse scale, from free run to "
                          "60 A: sets the box above and emulates again.");
    TrackBar2->setToolTip("Duty cycle in steps of 10 %: sets the box above and emulates again.");
    Edit0->setToolTip("Angle of the last single-angle run, set with the scroll bar of the "
                      "\"Circuit\" page.");
    Button1->setToolTip("Emulate one revolution with these values and show the whole run on "
                        "the graph.");
    ComboBox1->setToolTip("What the graph's analog plot shows: the battery voltage, the "
                          "terminal voltages with the star point, or comparator inputs.");
    QTabBar* tabs = PageControl1->TabBar();
    tabs->setTabToolTip(0, "The controller's schematic, the commutation patterns and the "
                           "bridge at one angle.");
    tabs->setTabToolTip(1, "The switch traces and the analog plot of the run, with cursors and "
                           "a readout. F1 lists the mouse and keys.");
    // The zero-crossing page's tab; the page's controls carry tooltips of their own.
    for (int i = 0; i < PageControl1->PageCount(); ++i)
        if (PageControl1->Page(i) == TabSheet3)
            tabs->setTabToolTip(i, "The comparator traces over the graph's view window and the "
                                   "zero crossings a detector finds there, with its settings.");

    // The "Circuit" page.
    PaintBox1->setToolTip("The controller's circuit. Right-click: \"Save circuit as PNG...\" "
                          "(Ctrl+S while this page is shown).");
    for (QLineEdit* box : SwitchLabels)
        box->setToolTip(QStringLiteral("Bridge switch %1: its trace on the graph carries this "
                                       "name.")
                            .arg(box->text()));
    for (QLineEdit* box : PhaseLabels)
        box->setToolTip(QStringLiteral("Motor terminal %1.").arg(box->text()));
    for (QLineEdit* box : CompLabels)
        box->setToolTip(QStringLiteral("Back-EMF comparator output %1.").arg(box->text()));
    Edit151->setToolTip("R1 of the comparators' dividers (kOhm), as the \"My circuit "
                        "comparators\" view computes them.");
    Edit152->setToolTip("R2 of the comparators' dividers (kOhm), as the \"My circuit "
                        "comparators\" view computes them.");
    RadioGroup1->setToolTip("The gate drivers of the schematic; the next run reads them.");
    RadioGroup1->Item(0)->setToolTip("Two non-inverting gate drivers per phase.");
    RadioGroup1->Item(1)->setToolTip("An inverting high-side driver and a non-inverting low "
                                     "side: the high-side traces show the inverted level.");
    RadioGroup2->setToolTip("The bridge transistors of the schematic; the next run reads them.");
    RadioGroup2->Item(0)->setToolTip("N-channel transistors on both sides.");
    RadioGroup2->Item(1)->setToolTip("P-channel high side, N-channel low side: the high-side "
                                     "traces show the inverted level.");
    Image1->setToolTip("The two commutation patterns: H high, L low, - floating.");
    RadioButton1->setToolTip("120° commutation (each phase floats for 60°); the next run "
                             "uses it.");
    RadioButton2->setToolTip("180° commutation (no phase floats); the next run uses it.");
    CheckBox3->setToolTip("Part of the drawing only: a single-angle run takes its PWM state "
                          "from \"H-Side PWM\".");
    ScrollBar1->setToolTip("Emulate one instant at this angle (0 to 360°) with the PWM state "
                           "of \"H-Side PWM\"; the angle shows in \"Angle. (deg)\".");
    ShowBridgeState->setToolTip("Lay the bridge's state at one instant over the schematic: the "
                                "angle of the scroll bar below, or cursor A of the graph.");

    // The "Graph" page.
    StringGrid1->setToolTip("Click: cursor A; Shift+click: cursor B; wheel: zoom; right-click: "
                            "menu. F1 lists every mouse gesture and key.");
    SpeedButton4->setToolTip("Write every sample of the run to log.txt in the program's folder. "
                             "\"Save log as...\" (Ctrl+L) writes the same where you choose.");
    SpeedButton1->setToolTip("Zoom in: half the view around its middle (+ on the graph; the "
                             "wheel zooms around the pointer).");
    SpeedButton2->setToolTip("Zoom out: twice the view (- on the graph).");
    SpeedButton3->setToolTip("Whole run: fit the graph to the run (F or Shift+F on the graph).");
    ScrollBar2->Bar()->setToolTip("Scroll the view through the run (Shift+wheel on the "
                                  "graph).");
}

} // namespace ui
