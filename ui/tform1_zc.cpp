// The "Zero crossings" page: made beside the form's own two pages; it follows the session, and
// the form tells it where the graph's plot columns are.
#include "ui/tform1.h"

#include "ui/graph_page/graph_tools.h"
#include "ui/session/run_session.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/zc_page/zc_page.h"

#include <QVBoxLayout>

namespace ui {

void TForm1::CreateZcPage()
{
    TabSheet3 = PageControl1->AddPage("Zero crossings", "TabSheet3");
    ZcPage1 = new ZcPage(*session_, TabSheet3);
    auto* fill = new QVBoxLayout(TabSheet3);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(ZcPage1);
    TellZcPageColumns();
    connect(ZcPage1, &ZcPage::CrossingChosen, this,
            [this](int sample) { Guarded([&] { GoToSample(sample); }); });
}

void TForm1::GoToSample(int sample)
{
    // The graph's window keeps its length and centres on a sample outside it; cursor A goes
    // there, so the readout, the bridge layer and the pattern chart show that instant.
    const engine::SampleWindow window = session_->Window();
    if (sample < window.Start || sample >= window.Start + window.Len)
        session_->SetWindow({sample - window.Len / 2, window.Len});
    graphTools_->PlaceCursor(graph::CursorId::A, sample);
}

void TForm1::TellZcPageColumns()
{
    if (ZcPage1 == nullptr)
        return; // during start-up, before the page exists
    // The graph's plot columns in its page's coordinates: the pages lie on one another, so the
    // zero-crossing page draws its traces in the very same columns.
    const graph::TRect column = StringGrid1->CellRect(1, 0);
    const int offset = StringGrid1->viewport()->mapTo(TabSheet2, QPoint(0, 0)).x();
    ZcPage1->SetPlotColumns(column.Left + offset, column.Right + offset);
}

} // namespace ui
