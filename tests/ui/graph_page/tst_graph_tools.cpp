#include "engine/decimal_separator.h"
#include "engine/format_fixed.h"
#include "engine/measurements.h"
#include "ui/graph_page/graph_host.h"
#include "ui/graph_page/graph_overlay.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/widgets/param_edit.h"
#include "ui/graph_page/readout_window.h"
#include "ui/widgets/scroll_bar_adapter.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "tests/support/form_controls.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTemporaryDir>
#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace ui;

namespace {

// A shown window after "Emulate" at 50 % duty, its pictures in a folder of the test's own.
struct ToolsFixture {
    QTemporaryDir folder;
    QStringList errors;
    std::unique_ptr<TForm1> form;
    FormControls controls;

    ToolsFixture()
    {
        for (const char* name : {"circuit.bmp", "inv-drv.bmp", "p-mosfet.bmp"})
            QFile::copy(QCoreApplication::applicationDirPath() + "/" + name, folder.filePath(name));
        TForm1Options options;
        options.ProgramFolder = folder.path();
        options.ShowError = [this](QWidget*, const QString& text) { errors << text; };
        form = std::make_unique<TForm1>(options);
        controls = FormControls(*form);
        form->show();
        controls.TrackBar2->setValue(5);
        controls.Button1->click();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    GraphTools& Tools() const { return form->Tools(); }
    QWidget* Viewport() const { return controls.StringGrid1->viewport(); }
    graph::PlotMapping Geometry() const { return *Tools().Geometry(); }
    const engine::SampleBuffer& Run() const { return form->Session().Engine().Run; }
    const engine::TSampleRec& Sample(int i) const
    {
        return Run().Samples[static_cast<std::size_t>(i)];
    }
    int Y() const { return 150; } // row 4, LB

    void Click(int x, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(Viewport(), Qt::LeftButton, modifiers, QPoint(x, Y()));
    }

    void Wheel(int x, int delta, Qt::KeyboardModifiers modifiers = {})
    {
        const QPointF pos(x, Y());
        QWheelEvent event(pos, Viewport()->mapToGlobal(pos), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(Viewport(), &event);
    }

    QString Cell(const char* section, const std::string& row, int column) const
    {
        const graph::ReadoutCell* cell = Tools().Readout()->Table().Find(section, row, column);
        return cell ? QString::fromStdString(cell->Text) : QStringLiteral("<none>");
    }

    std::string SwitchLabel(int slot) const
    {
        return controls.SwitchLabels[static_cast<std::size_t>(slot)]->text().toStdString();
    }

    // The edges of one switch over the whole run, as the readout shows them.
    QString WholeRunEdges(int slot) const
    {
        const engine::ViewMeasurements whole =
            engine::MeasureView(Run(), form->Session().Engine().Result, {0, Run().SampleCount});
        return QString::number(whole.Switches[static_cast<std::size_t>(slot)].Edges);
    }

    // The readout opened with its key on the "Graph" page, then the "Circuit" page's tab.
    void OpenReadoutAndShowTheCircuitPage()
    {
        controls.StringGrid1->setFocus();
        QTest::keyClick(controls.StringGrid1, Qt::Key_R);
        QVERIFY(Tools().ReadoutVisible());
        QTabBar* tabs = controls.PageControl1->TabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
        QVERIFY(!controls.StringGrid1->isVisible());
    }
};

QString Fixed(double value, int p, int d)
{
    return QString::fromStdString(engine::FormatFixed(value, p, d));
}

} // namespace

class GraphToolsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { engine::SetDecimalSeparator('.'); }

    void clicksPlaceSnappedCursorsAndTheReadoutShowsTheirSamples()
    {
        ToolsFixture f;
        QVERIFY(!f.Tools().ReadoutVisible());
        const graph::PlotMapping g = f.Geometry();
        f.Click(203);
        const int a = g.SampleAt(203);
        QCOMPARE(f.Tools().Cursors().A(), std::optional<int>(a));
        QVERIFY(f.Tools().ReadoutVisible());
        f.Click(371, Qt::ShiftModifier);
        const int b = g.SampleAt(371);
        QCOMPARE(f.Tools().Cursors().B(), std::optional<int>(b));
        QCOMPARE(f.Tools().Cursors().A(), std::optional<int>(a));

        // The lines stand on the samples' own pixel columns.
        std::vector<int> xs;
        for (const OverlayLine& line : f.Tools().Overlay()->Lines())
            if (!line.Dotted)
                xs.push_back(line.X);
        QCOMPARE(xs, (std::vector<int>{g.X(b), g.X(a)}));

        QCOMPARE(f.Cell(graph::kCursorSection, "Sample", graph::kColumnA), QString::number(a));
        QCOMPARE(f.Cell(graph::kCursorSection, "Sample", graph::kColumnDelta),
                 QString::number(b - a));
        QCOMPARE(f.Cell(graph::kCursorSection, "Time \xC2\xB5s", graph::kColumnB),
                 Fixed(f.Sample(b).Time, 12, 1));
        QCOMPARE(f.Cell(graph::kCursorSection, "Angle \xC2\xB0", graph::kColumnA),
                 Fixed(f.Sample(a).Angle, 10, 3));
        const double dt = static_cast<double>(f.Sample(b).Time) - f.Sample(a).Time;
        QCOMPARE(f.Cell(graph::kCursorSection, "1/\xCE\x94t", graph::kColumnDelta),
                 Fixed(1e6 / dt, 12, 1) + " Hz");
        const engine::ChannelSet& result = f.form->Session().Engine().Result;
        for (int i = 0; i < result.ChannelCount; ++i) {
            const auto slot = static_cast<std::size_t>(i);
            const float va = result.ChannelRows[static_cast<std::size_t>(a)][slot];
            const float vb = result.ChannelRows[static_cast<std::size_t>(b)][slot];
            const graph::ReadoutCell* cell = f.Tools().Readout()->Table().Find(
                graph::kCursorSection, result.Channels[slot].Name, graph::kColumnB);
            QVERIFY(cell);
            QCOMPARE(QString::fromStdString(cell->Text), Fixed(vb, 8, 3));
            QCOMPARE(cell->Color, result.Channels[slot].Color);
            QCOMPARE(f.Cell(graph::kCursorSection, result.Channels[slot].Name, graph::kColumnDelta),
                     Fixed(static_cast<double>(vb) - va, 8, 3));
        }
        QVERIFY(f.errors.isEmpty());
    }

    void cursorsAreDraggedAndClearedWithEscape()
    {
        ToolsFixture f;
        const graph::PlotMapping g = f.Geometry();
        f.Click(200);
        f.Click(300, Qt::ShiftModifier);
        const int xb = g.X(*f.Tools().Cursors().B());
        // Grabbing B's line (within 4 pixels) moves B, not A.
        QTest::mousePress(f.Viewport(), Qt::LeftButton, {}, QPoint(xb + 3, f.Y()));
        QTest::mouseMove(f.Viewport(), QPoint(420, f.Y()));
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, QPoint(420, f.Y()));
        QCOMPARE(f.Tools().Cursors().B(), std::optional<int>(g.SampleAt(420)));
        QCOMPARE(f.Tools().Cursors().A(), std::optional<int>(g.SampleAt(200)));

        QTest::keyClick(f.controls.StringGrid1, Qt::Key_Escape);
        QVERIFY(!f.Tools().Cursors().Any());
        QCOMPARE(f.Cell(graph::kCursorSection, "Sample", graph::kColumnA), QString());
    }

    void bracketsJumpToSwitchEdgesAndTheViewFollows()
    {
        ToolsFixture f;
        f.Click(200);
        const int a = *f.Tools().Cursors().A();
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_BracketRight);
        const int next = *f.Tools().Cursors().A();
        QCOMPARE(next, *graph::NextSwitchEdge(f.Run(), a));
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_BracketLeft);
        QCOMPARE(*f.Tools().Cursors().A(), *graph::PreviousSwitchEdge(f.Run(), next));

        // From a zoomed view at the run's start, the last edges lie beyond it.
        f.Tools().Host().Session().SetWindow({0, 500});
        f.Tools().PlaceCursor(graph::CursorId::A, f.Run().SampleCount - 1);
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_BracketLeft);
        const int last = *f.Tools().Cursors().A();
        QVERIFY(last >= f.form->Session().Window().Start && last < f.form->Session().Window().Start + f.form->Session().Window().Len);
        QCOMPARE(f.controls.ScrollBar2->Position(), f.form->Session().Window().Start + 1);
    }

    void hoverShowsTheSampleUnderThePointer()
    {
        ToolsFixture f;
        f.Tools().SetReadoutVisible(true);
        const graph::PlotMapping g = f.Geometry();
        QTest::mouseMove(f.Viewport(), QPoint(333, f.Y()));
        const int p = g.SampleAt(333);
        QCOMPARE(f.Tools().PointerSample(), std::optional<int>(p));
        QCOMPARE(f.Cell(graph::kCursorSection, "Sample", graph::kColumnPointer),
                 QString::number(p));
        for (int k = 0; k < 6; ++k) {
            const std::string label =
                f.controls.SwitchLabels[static_cast<std::size_t>(k)]->text().toStdString();
            QCOMPARE(f.Cell(graph::kCursorSection, label, graph::kColumnPointer),
                     QString::number(f.Sample(p).Switch[k]));
        }
        // Over column 0 there is no sample.
        QTest::mouseMove(f.Viewport(), QPoint(20, f.Y()));
        QCOMPARE(f.Tools().PointerSample(), std::nullopt);
        QCOMPARE(f.Cell(graph::kCursorSection, "Sample", graph::kColumnPointer), QString());
    }

    void wheelZoomsAroundThePointerWithinTheButtonsLimits()
    {
        ToolsFixture f;
        const int count = f.Run().SampleCount;
        const graph::PlotMapping before = f.Geometry();
        const int anchor = before.SampleAt(400);
        f.Wheel(400, 120);
        QCOMPARE(f.form->Session().Window().Len, count / 2);
        const graph::PlotMapping after = f.Geometry();
        QVERIFY(std::abs(after.X(anchor) - 400) <= 1);
        QCOMPARE(f.controls.ScrollBar2->Position(), f.form->Session().Window().Start + 1);
        QCOMPARE(f.controls.ScrollBar2->PageSize(), f.form->Session().Window().Len - 1);

        f.Wheel(400, 120, Qt::ControlModifier);
        QCOMPARE(f.form->Session().Window().Len, count / 2 / 2);
        QVERIFY(std::abs(f.Geometry().X(anchor) - 400) <= 1);

        // Shift scrolls by a tenth of the view per notch, toward the start for a forward turn.
        const int start = f.form->Session().Window().Start;
        f.Wheel(400, 120, Qt::ShiftModifier);
        QCOMPARE(f.form->Session().Window().Start, start - f.form->Session().Window().Len / 10);

        // Half notches add up.
        f.Wheel(400, -60);
        QCOMPARE(f.form->Session().Window().Len, count / 2 / 2);
        f.Wheel(400, -60);
        QCOMPARE(f.form->Session().Window().Len, count / 2 / 2 * 2);
        for (int i = 0; i < 5; ++i)
            f.Wheel(400, -120);
        QCOMPARE(f.form->Session().Window().Start, 0);
        QCOMPARE(f.form->Session().Window().Len, count);

        for (int i = 0; i < 30; ++i)
            f.Wheel(400, 120);
        int len = count;
        while (len / 2 >= 2)
            len /= 2;
        QCOMPARE(f.form->Session().Window().Len, len);
        QVERIFY(f.errors.isEmpty());
    }

    void middleDragPans()
    {
        ToolsFixture f;
        f.Tools().Host().Session().SetWindow({2000, 1000});
        const float px = f.Geometry().PxPerSample();
        QTest::mousePress(f.Viewport(), Qt::MiddleButton, {}, QPoint(300, f.Y()));
        QTest::mouseMove(f.Viewport(), QPoint(360, f.Y()));
        QTest::mouseRelease(f.Viewport(), Qt::MiddleButton, {}, QPoint(360, f.Y()));
        QCOMPARE(f.form->Session().Window().Start, 2000 - qRound(60 / px));
        QCOMPARE(f.form->Session().Window().Len, 1000);
        QVERIFY(!f.Tools().Cursors().Any());

        // Out of cursor mode the left button pans as well and places nothing.
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_C);
        QVERIFY(!f.Tools().CursorMode());
        const int start = f.form->Session().Window().Start;
        QTest::mousePress(f.Viewport(), Qt::LeftButton, {}, QPoint(300, f.Y()));
        QTest::mouseMove(f.Viewport(), QPoint(240, f.Y()));
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, QPoint(240, f.Y()));
        QCOMPARE(f.form->Session().Window().Start, start + qRound(60 / px));
        QVERIFY(!f.Tools().Cursors().Any());
    }

    void keysWorkOnTheGraphPageOnly()
    {
        ToolsFixture f;
        const int count = f.Run().SampleCount;
        ParamEdit* edit1 = f.controls.ParamEdits[1];
        edit1->setFocus();
        QTest::keyClicks(edit1, "+-F");
        QCOMPARE(edit1->text().right(3), QString("+-F"));
        QCOMPARE(f.form->Session().Window().Len, count);

        f.Click(250);
        QVERIFY(f.controls.StringGrid1->hasFocus());
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_Plus);
        QCOMPARE(f.form->Session().Window().Len, count / 2);
        QCOMPARE(f.form->Session().Window().Start, count / 2 / 2);
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_Plus);
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_Minus);
        QCOMPARE(f.form->Session().Window().Len, count / 2 / 2 * 2);
        QTest::keyClick(f.controls.StringGrid1, Qt::Key_F);
        QCOMPARE(f.form->Session().Window().Start, 0);
        QCOMPARE(f.form->Session().Window().Len, count);
    }

    void keysWorkWithoutAClickIntoTheGraph()
    {
        ToolsFixture f;
        const int count = f.Run().SampleCount;
        QApplication::setActiveWindow(f.form.get());
        // After "Emulate" the button keeps the focus; the graph page is shown.
        f.controls.PageControl1->SetActivePageIndex(1);
        f.controls.Button1->setFocus();
        f.controls.Button1->click();
        QTest::keyClick(f.controls.Button1, Qt::Key_Plus);
        QCOMPARE(f.form->Session().Window().Len, count / 2);
        QTest::keyClick(f.controls.Button1, Qt::Key_R);
        QVERIFY(f.Tools().ReadoutVisible());
        // On another page the keys do nothing.
        f.controls.PageControl1->SetActivePageIndex(0);
        QTest::keyClick(f.controls.Button1, Qt::Key_F);
        QCOMPARE(f.form->Session().Window().Len, count / 2);
    }

    void theReadoutsFiguresCopyToTheClipboard()
    {
        ToolsFixture f;
        f.Tools().PlaceCursor(graph::CursorId::A, 100);
        f.Tools().Readout()->findChild<QAction*>("CopyReadout")->trigger();
        const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
        QVERIFY(lines.contains(QString::fromStdString(graph::kCursorSection)));
        QVERIFY(lines.filter(QRegularExpression("^Sample\t100\t")).size() == 1);
    }

    void shiftFFitsTheRunAsFDoes()
    {
        ToolsFixture f;
        const int count = f.Run().SampleCount;
        f.Click(250);
        for (const Qt::KeyboardModifiers modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
            QTest::keyClick(f.controls.StringGrid1, Qt::Key_Plus);
            QTest::keyClick(f.controls.StringGrid1, Qt::Key_Plus);
            QVERIFY(f.form->Session().Window().Len < count);
            QTest::keyClick(f.controls.StringGrid1, Qt::Key_F, modifiers);
            QCOMPARE(f.form->Session().Window().Start, 0);
            QCOMPARE(f.form->Session().Window().Len, count);
        }
    }

    void thePointerLineCanBeTurnedOff()
    {
        ToolsFixture f;
        const auto dotted = [&] {
            int n = 0;
            for (const OverlayLine& line : f.Tools().Overlay()->Lines())
                n += line.Dotted ? 1 : 0;
            return n;
        };
        f.Click(300);
        QTest::mouseMove(f.Viewport(), QPoint(350, f.Y()));
        QCOMPARE(dotted(), 1);
        QAction* toggle = f.Tools().GraphContextMenu()->findChild<QAction*>("ShowPointerLine");
        QVERIFY(toggle && toggle->isChecked());
        toggle->trigger();
        QVERIFY(!f.Tools().PointerLineShown());
        QCOMPARE(dotted(), 0);
        // Only the line goes: cursor A stays drawn and the readout still follows the pointer.
        QCOMPARE(f.Tools().Overlay()->Lines().size(), std::size_t{1});
        QCOMPARE(f.Tools().PointerSample(), std::optional<int>(f.Geometry().SampleAt(350)));
        toggle->trigger();
        QCOMPARE(dotted(), 1);
    }

    void aNewRunClearsTheCursorsAndNothingReadsPastIt()
    {
        ToolsFixture f;
        f.Click(500);
        f.Click(520, Qt::ShiftModifier);
        QVERIFY(f.Tools().Cursors().A() && f.Tools().Cursors().B());
        // The other PWM side gives another run of the same length: the cursors stay.
        f.controls.CheckBox2->click();
        QVERIFY(f.Tools().Cursors().A() && f.Tools().Cursors().B());
        // Full duty: a run of half the length.
        const int halfDutyCount = f.Run().SampleCount;
        f.controls.TrackBar2->setValue(10);
        QVERIFY(f.Run().SampleCount < halfDutyCount);
        QVERIFY(!f.Tools().Cursors().Any());
        QCOMPARE(f.Cell(graph::kCursorSection, "Sample", graph::kColumnB), QString());
        // A single-angle run of the circuit page leaves one sample: no geometry, no pointer.
        f.controls.ScrollBar1->setValue(30);
        QCOMPARE(f.Run().SampleCount, 1);
        QTest::mouseMove(f.Viewport(), QPoint(300, f.Y()));
        QVERIFY(!f.Tools().Geometry());
        QCOMPARE(f.Tools().PointerSample(), std::nullopt);
        f.Click(300);
        QCOMPARE(f.Tools().Cursors().A(), std::nullopt);
        QVERIFY(f.errors.isEmpty());
    }

    void theMenuPlacesCursorBAndTakesOtherActions()
    {
        ToolsFixture f;
        const graph::PlotMapping g = f.Geometry();
        const QPoint pos(444, f.Y());
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, f.Viewport()->mapToGlobal(pos));
        QApplication::sendEvent(f.Viewport(), &event);
        QMenu* menu = f.Tools().GraphContextMenu();
        QVERIFY(menu->isVisible());
        QCOMPARE(f.Tools().MenuSample(), std::optional<int>(g.SampleAt(444)));
        QAction* placeB = nullptr;
        for (QAction* action : menu->actions())
            if (action->objectName() == "PlaceCursorB")
                placeB = action;
        QVERIFY(placeB && placeB->isEnabled());
        placeB->trigger();
        menu->hide();
        QCOMPARE(f.Tools().Cursors().B(), std::optional<int>(g.SampleAt(444)));
        QCOMPARE(f.Tools().Cursors().A(), std::nullopt);
    }

    void theReadoutShowsTheViewsMeasurements()
    {
        ToolsFixture f;
        f.Tools().SetReadoutVisible(true);
        QCOMPARE(f.Cell(graph::kPeriodSection, "PWM", 1), QString("4000.0 Hz"));
        const engine::ViewMeasurements whole =
            engine::MeasureView(f.Run(), f.form->Session().Engine().Result, {0, f.Run().SampleCount});
        const std::string high = f.controls.SwitchLabels[0]->text().toStdString();
        QCOMPARE(f.Cell(graph::kSwitchSection, high, 2), QString::number(whole.Switches[0].Edges));
        // The measurements follow the window.
        f.controls.SpeedButton1->click();
        const engine::ViewMeasurements half = engine::MeasureView(
            f.Run(), f.form->Session().Engine().Result, f.form->Session().Window());
        QCOMPARE(f.Cell(graph::kSwitchSection, high, 2), QString::number(half.Switches[0].Edges));
        const std::string first = f.form->Session().Engine().Result.Channels[0].Name;
        QCOMPARE(f.Cell(graph::kChannelSection, first, 4), Fixed(half.Channels[0].Rms, 8, 3));
    }

    void theReadoutFollowsARunMadeWhileTheCircuitPageIsShown()
    {
        ToolsFixture f;
        f.OpenReadoutAndShowTheCircuitPage();
        QCOMPARE(f.Cell(graph::kPeriodSection, "PWM", 1), QString("4000.0 Hz"));
        const QString edgesBefore = f.Cell(graph::kSwitchSection, f.SwitchLabel(0), 2);
        // "PWM frequency (Hz)", typed into and left with Tab.
        ParamEdit* frequency = f.controls.ParamEdits[6];
        frequency->setFocus();
        frequency->selectAll();
        QTest::keyClicks(frequency, "8000");
        QTest::keyClick(frequency, Qt::Key_Tab);
        QCOMPARE(frequency->text(), QString("8000.0"));
        QVERIFY(!f.controls.StringGrid1->isVisible());
        QCOMPARE(f.Cell(graph::kPeriodSection, "PWM", 1), QString("8000.0 Hz"));
        QVERIFY(f.WholeRunEdges(0) != edgesBefore);
        QCOMPARE(f.Cell(graph::kSwitchSection, f.SwitchLabel(0), 2), f.WholeRunEdges(0));
        QVERIFY(f.errors.isEmpty());
    }

    void theReadoutFollowsARunOfAPwmSideCheckBox()
    {
        ToolsFixture f;
        f.OpenReadoutAndShowTheCircuitPage();
        const QString edgesBefore = f.Cell(graph::kSwitchSection, f.SwitchLabel(1), 2);
        // "L-Side PWM": a run of the same length with the PWM on the low side too.
        QTest::mouseClick(f.controls.CheckBox2, Qt::LeftButton);
        QVERIFY(f.controls.CheckBox2->isChecked());
        QVERIFY(!f.controls.StringGrid1->isVisible());
        QVERIFY(f.WholeRunEdges(1) != edgesBefore);
        QCOMPARE(f.Cell(graph::kSwitchSection, f.SwitchLabel(1), 2), f.WholeRunEdges(1));
        QVERIFY(f.errors.isEmpty());
    }

    // The pointer and a dragged cursor repaint the overlay from its picture of the grid; the
    // grid's cells are painted again only when the grid really repaints.
    void movingThePointerPaintsNoCell()
    {
        ToolsFixture f;
        int cellsPainted = 0;
        const auto paint = f.controls.StringGrid1->OnDrawCell;
        f.controls.StringGrid1->OnDrawCell = [&](graph::Canvas& c, int col, int row,
                                                 const graph::TRect& r) {
            ++cellsPainted;
            paint(c, col, row, r);
        };
        QCoreApplication::processEvents();
        QVERIFY(f.Tools().Overlay()->HoldsPicture());
        cellsPainted = 0;
        f.Click(200);
        for (int x = 201; x < 260; x += 7) {
            QTest::mouseMove(f.Viewport(), QPoint(x, f.Y()));
            QCoreApplication::processEvents();
        }
        QTest::mouseRelease(f.Viewport(), Qt::LeftButton, {}, QPoint(260, f.Y()));
        QTest::mouseMove(f.Viewport(), QPoint(300, f.Y()));
        QCoreApplication::processEvents();
        QCOMPARE(cellsPainted, 0);
        QCOMPARE(f.Tools().Overlay()->Lines().front().X, f.Geometry().X(*f.Tools().PointerSample()));

        f.controls.SpeedButton1->click(); // zoom in: the grid paints all of it again
        QVERIFY(cellsPainted >= 16);
        QVERIFY(f.Tools().Overlay()->HoldsPicture());
        f.controls.StringGrid1->OnDrawCell = paint;
    }

    void theOverlayLeavesTheGraphsPixelsAlone()
    {
        ToolsFixture f;
        f.Click(210);
        f.Click(390, Qt::ShiftModifier);
        QTest::mouseMove(f.Viewport(), QPoint(300, f.Y()));
        const QImage with = f.controls.StringGrid1->grab().toImage();
        f.Tools().Overlay()->hide();
        const QImage without = f.controls.StringGrid1->grab().toImage();
        f.Tools().Overlay()->show();
        QCOMPARE(with.size(), without.size());
        const QPoint origin = f.Viewport()->mapTo(f.controls.StringGrid1, QPoint(0, 0));
        QRegion marked;
        for (const OverlayLine& line : f.Tools().Overlay()->Lines())
            marked += QRect(origin.x() + line.X, 0, line.Tag.empty() ? 1 : 16, with.height());
        int changed = 0;
        for (int y = 0; y < with.height(); ++y) {
            for (int x = 0; x < with.width(); ++x) {
                if (with.pixel(x, y) != without.pixel(x, y)) {
                    ++changed;
                    QVERIFY2(marked.contains(QPoint(x, y)),
                             qPrintable(QString("%1,%2").arg(x).arg(y)));
                }
            }
        }
        QVERIFY(changed > 400); // three lines over eight rows
    }
};

QTEST_MAIN(GraphToolsTest)
#include "tst_graph_tools.moc"
