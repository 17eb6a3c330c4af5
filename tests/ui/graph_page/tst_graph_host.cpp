// The graph tools in a host of the test's own, whose grid is never painted: they follow its
// session's signals, and nothing else. The program links only the graph page's library, so
// it also shows that the tools need nothing of the main window.
#include "graph/readout_table.h"
#include "ui/graph_page/graph_host.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/session/run_session.h"
#include "ui/graph_page/readout_window.h"
#include "ui/widgets/owner_drawn_grid.h"

#include <QTest>

namespace {

class TestHost final : public ui::GraphHost {
public:
    TestHost() : page_(&window_), grid_(new ui::OwnerDrawnGrid(&page_)) {}

    // `count` samples over 360 degrees; HighA changes level every `period` samples, and the
    // battery's voltage is `level` throughout. Shown in view 0, the battery.
    void SetRun(int count, int period, float level = 1)
    {
        engine::SampleBuffer run;
        run.Samples.assign(static_cast<std::size_t>(count), engine::TSampleRec{});
        run.SampleCount = count;
        for (int i = 0; i < count; ++i) {
            engine::TSampleRec& s = run.Samples[static_cast<std::size_t>(i)];
            s.Time = static_cast<float>(i);
            s.Angle = static_cast<float>(360.0 * i / count);
            s.Switch[0] = (i / period) % 2;
            s.VBatt = level;
        }
        session_.ShowRun(std::move(run), 0, {});
    }

    ui::RunSession& Session() const override { return session_; }
    ui::OwnerDrawnGrid& Grid() const override { return *grid_; }
    std::array<std::string, 6> SwitchLabels() const override
    {
        return {"HighA", "LowA", "HighB", "LowB", "HighC", "LowC"};
    }
    QWidget& MainWindow() const override { return window_; }
    QWidget& GraphPage() const override { return page_; }
    bool GraphPageShown() const override { return false; }
    void ZoomIn() override {}
    void ZoomOut() override {}
    void WholeRun() override {}
    void Guarded(const std::function<void()>& handler) const override { handler(); }

private:
    mutable QWidget window_;
    mutable QWidget page_;
    ui::OwnerDrawnGrid* grid_;
    mutable ui::RunSession session_;
};

QString Cell(const ui::GraphTools& tools, const char* section, const std::string& row, int column)
{
    const graph::ReadoutCell* cell = tools.Readout()->Table().Find(section, row, column);
    return cell ? QString::fromStdString(cell->Text) : QStringLiteral("<none>");
}

} // namespace

class GraphHostTest : public QObject {
    Q_OBJECT

private slots:
    void theToolsFollowTheSession()
    {
        TestHost host;
        host.SetRun(400, 50);
        ui::GraphTools tools(host);
        tools.PlaceCursor(graph::CursorId::A, 100);
        QVERIFY(tools.ReadoutVisible());
        QVERIFY(!host.Grid().isVisible());
        QCOMPARE(Cell(tools, graph::kSwitchSection, "HighA", 2), QString("7"));

        // Another run of the same length: the cursor stays, the measurements are new.
        host.SetRun(400, 25);
        QCOMPARE(tools.Cursors().A(), std::optional<int>(100));
        QCOMPARE(Cell(tools, graph::kSwitchSection, "HighA", 2), QString("15"));

        // Other channels for the same run and window.
        const QString before = Cell(tools, graph::kChannelSection, "Battery", 4);
        QVERIFY(before != "<none>");
        host.Session().PrepareView(1, {});
        QCOMPARE(Cell(tools, graph::kChannelSection, "Battery", 4), QString("<none>"));

        // The window moved.
        host.Session().SetWindow({0, 200});
        QCOMPARE(Cell(tools, graph::kSwitchSection, "HighA", 2), QString("7"));

        // A run of another length clears the cursors.
        host.SetRun(300, 25);
        QCOMPARE(tools.Cursors().A(), std::nullopt);
        QCOMPARE(Cell(tools, graph::kSwitchSection, "HighA", 2), QString("11"));
    }
};

QTEST_MAIN(GraphHostTest)
#include "tst_graph_host.moc"
