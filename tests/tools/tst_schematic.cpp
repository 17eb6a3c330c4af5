#include "tools/circuit_pictures/schematic.h"
#include "ui/circuit_page/bridge_state_layout.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QtTest>

#include <map>

namespace schematic = ui::schematic;

namespace {

// The page's controls that lie over the picture, in picture coordinates (the page's minus 4).
QRect OnPicture(int pageX, int pageY, int width, int height)
{
    return {pageX - 4, pageY - 4, width, height};
}

std::map<QString, QRect> LabelBoxes()
{
    std::map<QString, QRect> boxes;
    const QStringList gates{"HighA", "LowA", "HighB", "LowB", "HighC", "LowC"};
    const QList<int> gateY{26, 58, 106, 138, 186, 218};
    for (qsizetype i = 0; i < gates.size(); ++i) {
        boxes[gates[i]] = OnPicture(6, gateY[i], 41, 19);
    }
    const QStringList phases{"A", "B", "C"};
    const QStringList comparators{"CompA", "CompB", "CompC"};
    for (int i = 0; i < 3; ++i) {
        boxes[phases[i]] = OnPicture(234, 48 + 80 * i, 41, 19);
        boxes[comparators[i]] = OnPicture(6, 260 + 48 * i, 41, 19);
    }
    return boxes;
}

bool IsBackground(QRgb pixel)
{
    return QColor(pixel) == schematic::BackgroundColor();
}

bool IsInk(QRgb pixel)
{
    return QColor(pixel) == schematic::InkColor();
}

} // namespace

class TestSchematic : public QObject {
    Q_OBJECT

    QImage base_;

private slots:
    void initTestCase() { base_ = schematic::RenderCircuit({}); }

    // Each net runs under its box and comes out at its side, so the box reads as the net's name.
    void eachLabelledNetRunsUnderItsBox()
    {
        const std::map<QString, QRect> boxes = LabelBoxes();
        const std::vector<schematic::NamedNode> nodes = schematic::CircuitNodes();
        QCOMPARE(nodes.size(), boxes.size());
        for (const schematic::NamedNode& node : nodes) {
            const QRect box = boxes.at(node.name);
            QVERIFY2(box.adjusted(2, 4, -2, -4).contains(node.at), qPrintable(node.name));
            QVERIFY2(IsInk(base_.pixel(node.at)), qPrintable(node.name));
            QVERIFY2(IsInk(base_.pixel(box.right() + 1, node.at.y())), qPrintable(node.name));
        }
    }

    // The bridge layer draws the current along these points: each must be on a wire.
    void theBridgeLayersNodesLieOnTheDrawing()
    {
        namespace nodes = ui::bridge_nodes;
        QList<QPoint> points{nodes::kStarPoint};
        for (std::size_t k = 0; k < 3; ++k) {
            points << nodes::kMotorTerminals[k] << QPoint(nodes::kBridgeRailX, nodes::kPhaseY[k])
                   << QPoint(nodes::kBridgeRailX, nodes::kGateY[2 * k] - 12)
                   << QPoint(nodes::kBridgeRailX, nodes::kGateY[2 * k + 1] + 10);
        }
        for (const QPoint& p : points)
            QVERIFY2(IsInk(base_.pixel(p)), qPrintable(QString("(%1, %2)").arg(p.x()).arg(p.y())));
        for (const schematic::NamedNode& node : schematic::CircuitNodes()) {
            for (std::size_t k = 0; k < 3; ++k) {
                if (node.name == QString(QChar('A' + static_cast<int>(k))))
                    QCOMPARE(node.at.y(), nodes::kPhaseY[k]);
            }
        }
    }

    void nothingHidesUnderTheControlsOverThePicture()
    {
        const QList<QRect> covered{OnPicture(76, 436, 41, 19),  OnPicture(122, 436, 41, 19),
                                   OnPicture(292, 4, 161, 33),  OnPicture(456, 4, 105, 33),
                                   OnPicture(512, 328, 49, 17), OnPicture(340, 348, 221, 113),
                                   OnPicture(392, 328, 116, 17)}; // "Show bridge state"
        for (const QRect& area : covered) {
            for (int y = area.top(); y <= area.bottom(); ++y) {
                for (int x = area.left(); x <= area.right(); ++x) {
                    QVERIFY2(IsBackground(base_.pixel(x, y)),
                             qPrintable(QString("(%1, %2)").arg(x).arg(y)));
                }
            }
        }
    }

    void optionsChangeOnlyTheirStrips_data()
    {
        QTest::addColumn<bool>("inverting");
        QTest::addColumn<bool>("pChannel");
        QTest::addColumn<QRect>("strip");
        QTest::newRow("inverting driver") << true << false << ui::kDriverStripArea;
        QTest::newRow("P-channel high side") << false << true << ui::kTransistorStripArea;
    }

    void optionsChangeOnlyTheirStrips()
    {
        QFETCH(bool, inverting);
        QFETCH(bool, pChannel);
        QFETCH(QRect, strip);
        const QImage variant =
            schematic::RenderCircuit({.invertingDriver = inverting, .pChannelHighSide = pChannel});
        int changedInside = 0;
        for (int y = 0; y < base_.height(); ++y) {
            for (int x = 0; x < base_.width(); ++x) {
                if (base_.pixel(x, y) != variant.pixel(x, y)) {
                    QVERIFY2(strip.contains(x, y), qPrintable(QString("(%1, %2)").arg(x).arg(y)));
                    ++changedInside;
                }
            }
        }
        QVERIFY(changedInside > 0);
    }

    // The build wrote exactly what the schematic draws, through the BMP round trip.
    void theBuiltPicturesAreTheDrawing()
    {
        const QString folder = QCoreApplication::applicationDirPath();
        QImageReader reader(folder + "/circuit.bmp", "bmp");
        QCOMPARE(reader.read().convertToFormat(QImage::Format_RGB32), base_);
        QImageReader strip(folder + "/inv-drv.bmp", "bmp");
        QCOMPARE(strip.read().convertToFormat(QImage::Format_RGB32),
                 schematic::RenderCircuit({.invertingDriver = true}).copy(ui::kDriverStripArea));
    }
};

QTEST_MAIN(TestSchematic)
#include "tst_schematic.moc"
