#include "ui/form_graph_host.h"

#include "ui/widgets/page_control.h"

namespace ui {

std::array<std::string, 6> FormGraphHost::SwitchLabels() const
{
    std::array<std::string, 6> labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = w_.SwitchLabels[i]->text().toStdString();
    return labels;
}

bool FormGraphHost::GraphPageShown() const
{
    const PageControl& pages = *w_.Pages;
    return pages.Page(pages.ActivePageIndex()) == w_.GraphPage;
}

} // namespace ui
