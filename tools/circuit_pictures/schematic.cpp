#include "tools/circuit_pictures/schematic.h"

#include "engine/switch_labels.h"

#include <QPainter>

#include <array>
#include <cmath>
#include <numbers>

namespace ui::schematic {

namespace {

// The rows of the page's label boxes, in picture coordinates (the page's minus 4): the middle
// of each 19 pixel high box, so that the wire runs through it and leaves at both sides.
constexpr std::array<int, 6> kGateY{31, 63, 111, 143, 191, 223}; // HighA, LowA, ... LowC
constexpr std::array<int, 3> kPhaseY{53, 133, 213};              // A, B, C
constexpr std::array<int, 3> kComparatorY{265, 313, 361};        // CompA, CompB, CompC
constexpr int kLeftLabelWireX = 30; // under the left column of boxes (x 2 ... 42)
constexpr int kPhaseLabelX = 250;   // under the phase boxes (x 230 ... 270)

// Bridge columns. The driver strip is x 128 ... 175, the transistor strip x 208 ... 223.
constexpr int kDriverInputX = 138;
constexpr int kGatePlateX = 206;
constexpr int kBridgeRailX = 218; // the transistors' terminals and the phase nodes

// Tap columns where each phase wire drops to its divider, right of the phase boxes.
constexpr std::array<int, 3> kTapX{280, 290, 300};

// Divider columns, above the boxes that name their values: R1 "2,2" over x 72 ... 112,
// R2 "20,0" over x 118 ... 158.
constexpr int kDividerNodeX = 92;
constexpr int kR2CentreX = 138;
constexpr int kComparatorOutputX = 48;
constexpr int kMinusBusX = 80;

// The star point and the motor's terminals: three windings 60 pixels long at 120 degrees.
constexpr QPoint kStarPoint{380, 133};
constexpr int kWindingLength = 60;

// The star point's divider sits left of the panel that covers the lower right corner.
constexpr QPoint kStarDividerNode{220, 404};
constexpr int kStarLeadX = 320;
constexpr int kStarLeadY = 300;
constexpr int kStarLeadRightX = 460;

QPoint ArmEnd(double degrees)
{
    const double radians = degrees * std::numbers::pi / 180.0;
    return {kStarPoint.x() + static_cast<int>(std::lround(kWindingLength * std::cos(radians))),
            kStarPoint.y() - static_cast<int>(std::lround(kWindingLength * std::sin(radians)))};
}

// The terminals of phases A, B and C.
std::array<QPoint, 3> MotorTerminals()
{
    return {ArmEnd(60), ArmEnd(180), ArmEnd(300)};
}

Component GateDrivers(const Options& options)
{
    Component drivers{"gate drivers", {}};
    for (std::size_t row = 0; row < kGateY.size(); ++row) {
        const int y = kGateY[row];
        const bool highSide = row % 2 == 0;
        const GateDriver driver{{kDriverInputX, y}, highSide && options.invertingDriver};
        drivers.primitives.push_back(Wire{{{kLeftLabelWireX, y}, driver.input}});
        drivers.primitives.push_back(driver);
        drivers.primitives.push_back(Wire{{DriverOutput(driver), {kGatePlateX, y}}});
    }
    drivers.primitives.push_back(Text{{152, 7}, "gate drivers", Qt::AlignCenter});
    return drivers;
}

Component Bridge(const Options& options)
{
    Component bridge{"bridge", {}};
    for (std::size_t phase = 0; phase < kPhaseY.size(); ++phase) {
        const Mosfet high{{kGatePlateX, kGateY[2 * phase]}, options.pChannelHighSide};
        const Mosfet low{{kGatePlateX, kGateY[2 * phase + 1]}, false};
        const QPoint supply = UpperTerminal(high) - QPoint(0, 6);
        const QPoint ground = LowerTerminal(low) + QPoint(0, 4);
        bridge.primitives.push_back(high);
        bridge.primitives.push_back(low);
        bridge.primitives.push_back(Wire{{UpperTerminal(high), supply}});
        bridge.primitives.push_back(Supply{supply, "V+"});
        bridge.primitives.push_back(Wire{{LowerTerminal(high), UpperTerminal(low)}});
        bridge.primitives.push_back(Junction{{kBridgeRailX, kPhaseY[phase]}});
        bridge.primitives.push_back(Wire{{LowerTerminal(low), ground}});
        bridge.primitives.push_back(Ground{ground});
    }
    return bridge;
}

Component Motor()
{
    Component motor{"motor", {}};
    motor.primitives.push_back(Housing{kStarPoint, 68});
    for (const QPoint terminal : MotorTerminals()) {
        motor.primitives.push_back(Winding{terminal, kStarPoint});
    }
    motor.primitives.push_back(Junction{kStarPoint});
    motor.primitives.push_back(
        Text{kStarPoint + QPoint(-5, -4), "Z", Qt::AlignRight | Qt::AlignBottom});
    motor.primitives.push_back(Text{{352, 104}, "M", Qt::AlignCenter});
    return motor;
}

// From the bridge's phase nodes under the phase boxes to the motor's terminals, with the taps
// that feed the dividers.
Component PhaseWiring()
{
    Component wiring{"phase wiring", {}};
    const std::array<QPoint, 3> terminals = MotorTerminals();
    for (std::size_t phase = 0; phase < kPhaseY.size(); ++phase) {
        const int y = kPhaseY[phase];
        const QPoint terminal = terminals[phase];
        Wire wire{{{kBridgeRailX, y}}};
        if (terminal.y() == y) {
            wire.points.push_back(terminal);
        } else {
            wire.points.push_back({terminal.x(), y});
            wire.points.push_back(terminal);
        }
        wiring.primitives.push_back(wire);
        wiring.primitives.push_back(Junction{{kTapX[phase], y}});
    }
    return wiring;
}

// Each comparator sees its phase through R2 over R1 on the plus input, and the star point
// through the same divider on the minus input, so both inputs stay within its input range.
Component Comparators()
{
    Component comparators{"comparators", {}};
    const int busTop = MinusInput(Comparator{{kComparatorOutputX, kComparatorY[0]}}).y();
    for (std::size_t phase = 0; phase < kComparatorY.size(); ++phase) {
        const Comparator comparator{{kComparatorOutputX, kComparatorY[phase]}};
        const QPoint plus = PlusInput(comparator);
        const QPoint minus = MinusInput(comparator);
        const QPoint node{kDividerNodeX, plus.y()};
        const Resistor r2{{kR2CentreX, plus.y()}, Qt::Horizontal, "R2"};
        const Resistor r1{{kDividerNodeX, plus.y() + 14}, Qt::Vertical, "R1"};
        const QPoint ground = SecondTerminal(r1) + QPoint(0, 4);
        const int tapX = kTapX[phase];

        comparators.primitives.push_back(comparator);
        comparators.primitives.push_back(
            Wire{{{kLeftLabelWireX, comparator.output.y()}, comparator.output}});
        comparators.primitives.push_back(Wire{{plus, node, FirstTerminal(r2)}});
        comparators.primitives.push_back(Junction{node});
        comparators.primitives.push_back(r2);
        comparators.primitives.push_back(
            Wire{{SecondTerminal(r2), {tapX, node.y()}, {tapX, kPhaseY[phase]}}});
        comparators.primitives.push_back(Wire{{node, FirstTerminal(r1)}});
        comparators.primitives.push_back(r1);
        comparators.primitives.push_back(Wire{{SecondTerminal(r1), ground}});
        comparators.primitives.push_back(Ground{ground});
        comparators.primitives.push_back(Wire{{minus, {kMinusBusX, minus.y()}}});
        if (minus.y() != busTop) {
            comparators.primitives.push_back(Junction{{kMinusBusX, minus.y()}});
        }
    }
    comparators.primitives.push_back(
        Wire{{{kMinusBusX, busTop}, {kMinusBusX, kStarDividerNode.y()}, kStarDividerNode}});
    comparators.primitives.push_back(Text{{205, 382}, "back-EMF comparators", Qt::AlignCenter});
    return comparators;
}

Component StarPointDivider()
{
    Component divider{"star point divider", {}};
    const QPoint node = kStarDividerNode;
    const Resistor r2{node + QPoint(30, 0), Qt::Horizontal, "R2"};
    const Resistor r1{node + QPoint(0, 14), Qt::Vertical, "R1"};
    const QPoint ground = SecondTerminal(r1) + QPoint(0, 4);
    divider.primitives.push_back(Junction{node});
    divider.primitives.push_back(Wire{{node, FirstTerminal(r2)}});
    divider.primitives.push_back(r2);
    divider.primitives.push_back(Wire{{SecondTerminal(r2),
                                       {kStarLeadX, node.y()},
                                       {kStarLeadX, kStarLeadY},
                                       {kStarLeadRightX, kStarLeadY},
                                       {kStarLeadRightX, kStarPoint.y()},
                                       kStarPoint}});
    divider.primitives.push_back(Wire{{node, FirstTerminal(r1)}});
    divider.primitives.push_back(r1);
    divider.primitives.push_back(Wire{{SecondTerminal(r1), ground}});
    divider.primitives.push_back(Ground{ground});
    return divider;
}

// The boxes "2,2" and "20,0" at the bottom give the values; these texts say which is which.
Component ResistorLegend()
{
    return {"resistor legend",
            {Text{{kDividerNodeX, 430}, "R1", Qt::AlignHCenter | Qt::AlignBottom},
             Text{{kR2CentreX, 430}, "R2", Qt::AlignHCenter | Qt::AlignBottom},
             Text{{162, 441}, "kOhm", Qt::AlignLeft | Qt::AlignVCenter}}};
}

} // namespace

std::vector<Component> CircuitSchematic(const Options& options)
{
    return {GateDrivers(options), Bridge(options),    Motor(),         PhaseWiring(),
            Comparators(),        StarPointDivider(), ResistorLegend()};
}

std::vector<NamedNode> CircuitNodes()
{
    std::vector<NamedNode> nodes;
    for (std::size_t row = 0; row < engine::kSwitchLabels.size(); ++row) {
        nodes.push_back({engine::kSwitchLabels[row], {kLeftLabelWireX + 6, kGateY[row]}});
    }
    const std::array<QString, 3> phases{"A", "B", "C"};
    for (std::size_t phase = 0; phase < phases.size(); ++phase) {
        nodes.push_back({phases[phase], {kPhaseLabelX, kPhaseY[phase]}});
    }
    const std::array<QString, 3> comparators{"CompA", "CompB", "CompC"};
    for (std::size_t phase = 0; phase < comparators.size(); ++phase) {
        nodes.push_back({comparators[phase], {kLeftLabelWireX + 6, kComparatorY[phase]}});
    }
    return nodes;
}

QImage RenderCircuit(const Options& options)
{
    QImage picture(kPictureSize, QImage::Format_RGB32);
    picture.fill(BackgroundColor());
    QPainter painter(&picture);
    Paint(painter, CircuitSchematic(options));
    painter.end();
    return picture;
}

} // namespace ui::schematic
