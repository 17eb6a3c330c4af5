#include "ui/circuit_page/bridge_state_layout.h"

#include "engine/format_fixed.h"

#include <algorithm>

namespace ui {

namespace {

using namespace bridge_nodes;

QString Volts(float value, char separator)
{
    std::string text;
    engine::AppendFormatFixed(text, value, 6, 2, separator);
    return QString::fromStdString(text) + " V";
}

// From phase k's node on the rail along its wire to the motor terminal and the star point.
QPolygon PhaseWire(std::size_t k)
{
    const QPoint node{kBridgeRailX, kPhaseY[k]};
    const QPoint terminal = kMotorTerminals[k];
    QPolygon wire{node};
    if (terminal.y() != node.y()) {
        wire << QPoint(terminal.x(), node.y());
    }
    wire << terminal << kStarPoint;
    return wire;
}

} // namespace

BridgeLayout LayoutBridgeState(const engine::BridgeState& state, const QString& title,
                               char separator)
{
    BridgeLayout layout;
    for (std::size_t i = 0; i < 6; ++i) {
        const int y = kGateY[i];
        TransistorMark& mark = layout.Transistors[i];
        // The symbol spans the gate plate to the rail, and six pixels beyond each terminal.
        mark.Box = QRect(kGatePlateX - 4, y - 10, kBridgeRailX - kGatePlateX + 8, 21);
        mark.On = state.TransistorOn[i];
        mark.Text = mark.On ? "on" : "off";
        // Above the driver's output wire, clear of the driver strip.
        mark.TextAnchor = QPoint(179, y - 14);
    }

    layout.Texts.push_back({{392, 304}, title});
    // Right of the middle supply bar's name; the top one is crowded by the option groups.
    layout.Texts.push_back({{246, kGateY[2] - 20}, "batt " + Volts(state.VBatt, separator)});
    for (std::size_t k = 0; k < 3; ++k) {
        const QString drive = state.Drive[k] ? "  drive 1" : "  drive 0";
        layout.Texts.push_back({{276, kPhaseY[k] - 15}, Volts(state.PhaseV[k], separator) + drive});
    }
    layout.Texts.push_back(
        {kStarPoint + QPoint(-6, 5), "Z " + Volts(state.VZero, separator), true});

    for (std::size_t k = 0; k < 3; ++k) {
        const engine::TerminalCurrent current = state.Current[k];
        if (current == engine::TerminalCurrent::None) {
            continue;
        }
        const bool in = current == engine::TerminalCurrent::In;
        const QPoint node{kBridgeRailX, kPhaseY[k]};
        // Through the conducting transistor: from the supply bar above the high side, or
        // down to the ground symbol below the low side.
        const QPoint rail = in ? QPoint(kBridgeRailX, kGateY[2 * k] - 12)
                               : QPoint(kBridgeRailX, kGateY[2 * k + 1] + 10);
        QPolygon path = PhaseWire(k);
        path.prepend(rail);
        if (!in) {
            std::reverse(path.begin(), path.end());
        }
        layout.CurrentPath.push_back(path);
        // On the horizontal run past the divider taps, before the motor's housing.
        layout.Arrows.push_back({QPoint(in ? 310 : 304, node.y()), in});
    }
    return layout;
}

} // namespace ui
