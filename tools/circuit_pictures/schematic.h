#pragma once

#include "ui/circuit_page/circuit_picture.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>

#include <variant>
#include <vector>

class QPainter;

// The schematic of the bridge, its gate drivers, the motor and the back-EMF comparators,
// described as data: each component is a list of primitives, and one routine paints any list.
// Coordinates are those of the circuit picture (the paint box's), one unit per pixel.

namespace ui::schematic {

inline constexpr QSize kPictureSize{560, 464};

// The option strips replace kDriverStripArea (the gate drivers of all three phases) and
// kTransistorStripArea (the part of the high-side transistor symbols that tells N from P
// channel). Everything an option changes must stay inside its area, or the composed picture
// would show a half-changed symbol.

// A polyline through the points.
struct Wire {
    std::vector<QPoint> points;
};

// A solder dot where wires are joined.
struct Junction {
    QPoint at;
};

// A text whose box is aligned to the anchor as `align` says (left edge, centre, ...).
struct Text {
    QPoint anchor;
    QString text;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
};

// An enhancement MOSFET with its gate on the left; `gate` is the middle of the gate plate.
// The upper and lower terminals are at gate + (12, -6) and gate + (12, +6): drain above for
// N channel, source above for P channel (the body is tied to the source).
struct Mosfet {
    QPoint gate;
    bool pChannel = false;
};
QPoint UpperTerminal(const Mosfet& mosfet);
QPoint LowerTerminal(const Mosfet& mosfet);

// A resistor body of 20 x 8 centred on `centre`; its terminals are the ends of the body.
inline constexpr int kResistorLength = 20;
inline constexpr int kResistorWidth = 8;
struct Resistor {
    QPoint centre;
    Qt::Orientation orientation = Qt::Horizontal;
    QString name; // written above a horizontal body, right of a vertical one
};
QPoint FirstTerminal(const Resistor& resistor);  // left or top
QPoint SecondTerminal(const Resistor& resistor); // right or bottom

// A comparator pointing left: its output is the tip, the inputs are on the right.
struct Comparator {
    QPoint output;
};
QPoint PlusInput(const Comparator& comparator);
QPoint MinusInput(const Comparator& comparator);

// A gate driver pointing right with its input at `input`; an inverting one carries the
// inversion bubble at its tip.
struct GateDriver {
    QPoint input;
    bool inverting = false;
};
QPoint DriverOutput(const GateDriver& driver);

// A motor winding between two points in any direction: leads and four turns in the middle.
struct Winding {
    QPointF from;
    QPointF to;
};

// The ground symbol hanging below `at`.
struct Ground {
    QPoint at;
};

// The supply bar with its name on the right.
struct Supply {
    QPoint at;
    QString name;
};

// The motor's housing circle.
struct Housing {
    QPoint centre;
    int radius = 0;
};

using Primitive = std::variant<Wire, Junction, Text, Mosfet, Resistor, Comparator, GateDriver,
                               Winding, Ground, Supply, Housing>;

struct Component {
    QString name;
    std::vector<Primitive> primitives;
};

struct Options {
    bool invertingDriver = false;  // "Inv+Non Inv": the high-side drivers invert
    bool pChannelHighSide = false; // "P + N": the high-side transistors are P channel
};

// The whole circuit for the given options.
std::vector<Component> CircuitSchematic(const Options& options);

// The nets that the page's label boxes name, with the point where the wire of each runs
// under its box.
struct NamedNode {
    QString name;
    QPoint at;
};
std::vector<NamedNode> CircuitNodes();

QColor BackgroundColor(); // the page's light green $CCFFCC
QColor InkColor();

void Paint(QPainter& painter, const std::vector<Component>& components);

// The circuit on the light green background, kPictureSize large, in QImage::Format_RGB32.
QImage RenderCircuit(const Options& options);

} // namespace ui::schematic
