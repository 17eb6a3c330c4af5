// The graph's view window: zoom, scroll, the update that keeps it inside the run, and the
// steps that end every run.
#include "ui/tform1.h"

#include "engine/decimal_separator.h"
#include "engine/emulation.h"
#include "engine/sample_window.h"
#include "ui/graph_page/graph_tools.h"
#include "ui/widgets/busy_cursor.h"
#include "ui/widgets/control_factory.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/scroll_bar_adapter.h"
#include "graph/view_window.h"

#include <QComboBox>
#include <QToolButton>

namespace ui {

void TForm1::RunCompletion(const engine::RunSummary& summary)
{
    ViewReset();
    PrepareRes(ComboBox1->currentIndex());
    StringGrid1->SetCell(
        1, 0, QString::fromStdString(engine::RunSummaryText(summary, engine::DecimalSeparator())));
}

void TForm1::ViewReset()
{
    const int count = state_.Run.SampleCount;
    ViewStart = 0;
    ViewLen = count;
    // The page comes down first so that the new Max is never below it.
    ScrollBar2->SetLargeChange(1);
    ScrollBar2->SetPageSize(1);
    ScrollBar2->SetParams(1, 1, count > 0 ? count : 1);
    ScrollBar2->SetPageSize(ScrollBar2->Max());
}

void TForm1::Button1Click()
{
    const BusyCursor busy;
    CalcPhases(-1, -0.5f);
    ViewReset();
    UpdateGraph();
}

void TForm1::UpdateGraph()
{
    const int count = state_.Run.SampleCount;
    if (count < 10) {
        ScrollBar2->SetPosition(1);
        ScrollBar2->SetPageSize(1);
        ScrollBar2->SetMax(1);
    } else {
        // Only the start moves: a window longer than the run keeps its length.
        ViewStart = engine::ShiftIntoRun({ViewStart, ViewLen}, count).Start;
        ScrollBar2->SetPageSize(ViewLen - 1);
        ScrollBar2->SetPosition(ViewStart + 1);
        ScrollBar2->SetLargeChange(ViewLen / 2);
    }
    TellGraphTools(&GraphTools::WindowMoved);
    TellZcPage();
    StringGrid1->Repaint();
}

void TForm1::ScrollBar2Change(QObject* Sender)
{
    const int tag = Sender == ScrollBar2 ? ScrollBar2->Tag() : TagOf(Sender);
    if (tag == kGraphScrollBarTag)
        ViewStart = ScrollBar2->Position() - 1;
    UpdateGraph();
}

void TForm1::SpeedButton1Click()
{
    const engine::SampleBuffer& run = state_.Run;
    const auto anglesDiffer = [&run](int first, int last) {
        return run.Samples[static_cast<std::size_t>(first)].Angle !=
               run.Samples[static_cast<std::size_t>(last)].Angle;
    };
    const engine::SampleWindow window =
        graph::ZoomIn({ViewStart, ViewLen}, run.SampleCount, anglesDiffer);
    ViewStart = window.Start;
    ViewLen = window.Len;
    ScrollBar2Change(SpeedButton1);
}

void TForm1::SpeedButton2Click()
{
    const engine::SampleWindow window =
        graph::ZoomOut({ViewStart, ViewLen}, state_.Run.SampleCount);
    ViewStart = window.Start;
    ViewLen = window.Len;
    ScrollBar2Change(SpeedButton2);
}

void TForm1::SpeedButton3Click()
{
    ViewStart = 0;
    ViewLen = state_.Run.SampleCount;
    ScrollBar2Change(SpeedButton3);
}

} // namespace ui
