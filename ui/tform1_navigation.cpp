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
#include "ui/session/run_session.h"
#include "graph/view_window.h"

#include <QComboBox>
#include <QToolButton>

namespace ui {

void TForm1::RunCompletion()
{
    // The session has reset its window and built the channels and the summary; the scroll
    // bar and the header cell follow.
    ViewReset();
    StringGrid1->SetCell(1, 0, QString::fromStdString(session_->SummaryText()));
}

void TForm1::ViewReset()
{
    const int count = session_->Samples().SampleCount;
    MoveWindow({0, count});
    // The page comes down first so that the new Max is never below it.
    ScrollBar2->SetLargeChange(1);
    ScrollBar2->SetPageSize(1);
    ScrollBar2->SetParams(1, 1, count > 0 ? count : 1);
    ScrollBar2->SetPageSize(ScrollBar2->Max());
}

void TForm1::MoveWindow(const engine::SampleWindow& window)
{
    movingWindow_ = true;
    try {
        session_->SetWindow(window);
    } catch (...) {
        movingWindow_ = false;
        throw;
    }
    movingWindow_ = false;
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
    const int count = session_->Samples().SampleCount;
    if (count < 10) {
        ScrollBar2->SetPosition(1);
        ScrollBar2->SetPageSize(1);
        ScrollBar2->SetMax(1);
    } else {
        // The session keeps its window inside the run; only the start moves.
        const engine::SampleWindow window = session_->Window();
        ScrollBar2->SetPageSize(window.Len - 1);
        ScrollBar2->SetPosition(window.Start + 1);
        ScrollBar2->SetLargeChange(window.Len / 2);
    }
    StringGrid1->Repaint();
}

void TForm1::FollowWindow()
{
    UpdateGraph();
}

void TForm1::ScrollBar2Change(QObject* Sender)
{
    const int tag = Sender == ScrollBar2 ? ScrollBar2->Tag() : TagOf(Sender);
    if (tag == kGraphScrollBarTag)
        MoveWindow({ScrollBar2->Position() - 1, session_->Window().Len});
    UpdateGraph();
}

void TForm1::SpeedButton1Click()
{
    const engine::SampleBuffer& run = session_->Samples();
    const auto anglesDiffer = [&run](int first, int last) {
        return run.Samples[static_cast<std::size_t>(first)].Angle !=
               run.Samples[static_cast<std::size_t>(last)].Angle;
    };
    MoveWindow(graph::ZoomIn(session_->Window(), run.SampleCount, anglesDiffer));
    ScrollBar2Change(SpeedButton1);
}

void TForm1::SpeedButton2Click()
{
    MoveWindow(graph::ZoomOut(session_->Window(), session_->Samples().SampleCount));
    ScrollBar2Change(SpeedButton2);
}

void TForm1::SpeedButton3Click()
{
    MoveWindow({0, session_->Samples().SampleCount});
    ScrollBar2Change(SpeedButton3);
}

} // namespace ui
