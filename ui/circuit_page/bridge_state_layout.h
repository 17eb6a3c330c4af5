#pragma once

#include "engine/bridge_state.h"

#include <QColor>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QString>

#include <array>
#include <vector>

// Where the bridge state goes over the circuit picture: one mark per transistor, the node
// voltages beside their nodes and the current's way as polylines. Picture coordinates; the
// nodes are those the schematic draws (a test holds the two together).

namespace ui {

namespace bridge_nodes {
inline constexpr std::array<int, 6> kGateY{31, 63, 111, 143, 191, 223}; // HA, LA, ... LC
inline constexpr std::array<int, 3> kPhaseY{53, 133, 213};
inline constexpr int kBridgeRailX = 218;
inline constexpr int kGatePlateX = 206;
inline constexpr std::array<QPoint, 3> kMotorTerminals{QPoint{410, 81}, QPoint{320, 133},
                                                       QPoint{410, 185}};
inline constexpr QPoint kStarPoint{380, 133};
} // namespace bridge_nodes

struct TransistorMark {
    QRect Box;
    bool On = false;
    QString Text; // "on" or "off", left of the gate
    QPoint TextAnchor;
};

// A text whose box's left (or, with RightAligned, right) edge and top are at Anchor.
struct LayerText {
    QPoint Anchor;
    QString Text;
    bool RightAligned = false;
};

struct CurrentArrow {
    QPoint Tip;
    bool PointsRight = true;
};

struct BridgeLayout {
    std::array<TransistorMark, 6> Transistors;
    std::vector<LayerText> Texts;      // title, battery, phases A, B, C, star point
    std::vector<QPolygon> CurrentPath; // each from the battery rail to the star point or back
    std::vector<CurrentArrow> Arrows;
};

// `title` heads the layer ("Angle 35 deg, PWM on"); numbers use `separator`.
BridgeLayout LayoutBridgeState(const engine::BridgeState& state, const QString& title,
                               char separator);

} // namespace ui
