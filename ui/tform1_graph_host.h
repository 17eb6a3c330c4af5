#pragma once

#include "ui/graph_page/graph_host.h"
#include "ui/tform1.h"

// What the graph tools see of the main window: its state and controls read, and its
// handlers run, through the graph page's own interface.

namespace ui {

class TForm1::Host final : public GraphHost {
public:
    explicit Host(TForm1& form) : form_(form) {}

    const engine::EngineState& Engine() const override;
    engine::SampleWindow View() const override;
    OwnerDrawnGrid& Grid() const override;
    std::array<std::string, 6> SwitchLabels() const override;
    const std::optional<QImage>& CircuitPicture() const override;
    graph::HeldReference Reference() const override;
    std::optional<graph::ReferenceComparison> ReferenceComparison() const override;
    QWidget& MainWindow() const override;
    QWidget& GraphPage() const override;
    bool GraphPageShown() const override;

    void ShowWindow(const engine::SampleWindow& window) override;
    void ZoomIn() override;
    void ZoomOut() override;
    void WholeRun() override;
    void Guarded(const std::function<void()>& handler) const override;

private:
    TForm1& form_;
};

} // namespace ui
