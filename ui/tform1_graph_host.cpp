#include "ui/tform1_graph_host.h"

#include "ui/widgets/page_control.h"

#include <QComboBox>
#include <QLineEdit>

namespace ui {

const engine::EngineState& TForm1::Host::Engine() const
{
    return form_.state_;
}

engine::SampleWindow TForm1::Host::View() const
{
    return {form_.ViewStart, form_.ViewLen};
}

OwnerDrawnGrid& TForm1::Host::Grid() const
{
    return *form_.StringGrid1;
}

std::array<std::string, 6> TForm1::Host::SwitchLabels() const
{
    std::array<std::string, 6> labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = form_.SwitchLabels[i]->text().toStdString();
    return labels;
}

const std::optional<QImage>& TForm1::Host::CircuitPicture() const
{
    return form_.circuitBitmap_;
}

graph::HeldReference TForm1::Host::Reference() const
{
    if (!form_.reference_)
        return {};
    return {&*form_.reference_, form_.ComboBox1->currentIndex()};
}

std::optional<graph::ReferenceComparison> TForm1::Host::ReferenceComparison() const
{
    if (!form_.reference_ || !form_.lastSummary_)
        return std::nullopt;
    return graph::ReferenceComparison{{*form_.lastSummary_, form_.LiveZc()},
                                      {form_.reference_->Summary, form_.reference_->Zc}};
}

QWidget& TForm1::Host::MainWindow() const
{
    return form_;
}

QWidget& TForm1::Host::GraphPage() const
{
    return *form_.TabSheet2;
}

bool TForm1::Host::GraphPageShown() const
{
    const PageControl& pages = *form_.PageControl1;
    return pages.Page(pages.ActivePageIndex()) == form_.TabSheet2;
}

void TForm1::Host::ShowWindow(const engine::SampleWindow& window)
{
    form_.ViewStart = window.Start;
    form_.ViewLen = window.Len;
    form_.UpdateGraph();
}

void TForm1::Host::ZoomIn()
{
    form_.SpeedButton1Click();
}

void TForm1::Host::ZoomOut()
{
    form_.SpeedButton2Click();
}

void TForm1::Host::WholeRun()
{
    form_.SpeedButton3Click();
}

void TForm1::Host::Guarded(const std::function<void()>& handler) const
{
    form_.Guarded(handler);
}

} // namespace ui
