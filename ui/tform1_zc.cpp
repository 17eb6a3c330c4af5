// The "Zero crossings" page: made beside the form's own two pages, and told what the graph
// shows whenever that changes.
#include "ui/tform1.h"

#include "engine/decimal_separator.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "ui/widgets/page_control.h"
#include "ui/zc_page/zc_page.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace ui {

void TForm1::CreateZcPage()
{
    TabSheet3 = PageControl1->AddPage("Zero crossings", "TabSheet3");
    ZcPage1 = new ZcPage(TabSheet3);
    auto* fill = new QVBoxLayout(TabSheet3);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(ZcPage1);
    TellZcPage();
}

void TForm1::TellZcPage()
{
    if (ZcPage1 == nullptr)
        return; // during start-up, before the page exists
    // The graph's plot columns in its page's coordinates: the pages lie on one another, so the
    // zero-crossing page draws its traces in the very same columns.
    const graph::TRect column = StringGrid1->CellRect(1, 0);
    const int offset = StringGrid1->viewport()->mapTo(TabSheet2, QPoint(0, 0)).x();
    ZcPage1->Show({.Run = &state_.Run,
                   .Result = &state_.Result,
                   .Op = lastOperatingPoint_,
                   .View = ComboBox1->currentIndex(),
                   .Window = {ViewStart, ViewLen},
                   .PlotLeft = column.Left + offset,
                   .PlotRight = column.Right + offset,
                   .Separator = engine::DecimalSeparator()});
}

} // namespace ui
