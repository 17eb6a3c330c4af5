#include "tools/app_icon/app_icon.h"

#include <QXmlStreamReader>
#include <QtTest>

using app::icon::IconImage;
using app::icon::IconShapes;
using app::icon::IconSvg;
using app::icon::Plate;
using app::icon::Shape;
using app::icon::Trace;

class TestAppIcon : public QObject {
    Q_OBJECT

private slots:
    // The SVG is well-formed and holds one element per shape, in order, with its colours.
    void svgHasOneElementPerShape()
    {
        const std::vector<Shape> shapes = IconShapes();
        QXmlStreamReader svg(IconSvg(shapes));
        QVERIFY(svg.readNextStartElement());
        QCOMPARE(svg.name(), QStringLiteral("svg"));
        QCOMPARE(svg.attributes().value("viewBox"), QStringLiteral("0 0 256 256"));
        std::size_t index = 0;
        while (svg.readNextStartElement()) {
            QVERIFY(index < shapes.size());
            if (const auto* plate = std::get_if<Plate>(&shapes[index])) {
                QCOMPARE(svg.name(), QStringLiteral("rect"));
                QCOMPARE(svg.attributes().value("fill"), plate->fill.name());
            } else {
                const Trace& trace = std::get<Trace>(shapes[index]);
                QCOMPARE(svg.name(), QStringLiteral("polyline"));
                QCOMPARE(svg.attributes().value("stroke"), trace.colour.name());
                const QStringList points =
                    svg.attributes().value("points").toString().split(' ', Qt::SkipEmptyParts);
                QCOMPARE(points.size(), static_cast<qsizetype>(trace.points.size()));
                const QStringList first = points.first().split(',');
                QCOMPARE(first.size(), 2);
                QVERIFY(qAbs(first[0].toDouble() - trace.points.front().x()) < 0.01);
                QVERIFY(qAbs(first[1].toDouble() - trace.points.front().y()) < 0.01);
            }
            svg.skipCurrentElement();
            ++index;
        }
        QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
        QCOMPARE(index, shapes.size());
    }

    // The numbers are plain decimals whatever the locale: a comma would break the points list.
    void svgNumbersIgnoreTheLocale()
    {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString svg = IconSvg({Trace{{{1.5, 2.25}, {3, 4}}, Qt::red, 7.5}});
        QLocale::setDefault(saved);
        QVERIFY2(svg.contains("points=\"1.5,2.25 3,4\""), qPrintable(svg));
        QVERIFY(svg.contains("stroke-width=\"7.5\""));
    }

    // Each size is painted whole: transparent corners outside the rounded plate, the plate
    // colour near its edge, and every trace's colour somewhere.
    void pngSizesShowThePlateAndEveryTrace()
    {
        const std::vector<Shape> shapes = IconShapes();
        const QColor plate = std::get<Plate>(shapes.front()).fill;
        for (const int size : app::icon::kPngSizes) {
            const QImage image = IconImage(shapes, size);
            QCOMPARE(image.size(), QSize(size, size));
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
            QCOMPARE(image.pixelColor(size / 2, size * 29 / 32), plate);
        }
        const QImage large = IconImage(shapes, 256);
        for (const Shape& shape : shapes) {
            if (const auto* trace = std::get_if<Trace>(&shape)) {
                const QPointF middle = trace->points[trace->points.size() / 2];
                QCOMPARE(large.pixelColor(middle.toPoint()), trace->colour);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestAppIcon)
#include "tst_app_icon.moc"
