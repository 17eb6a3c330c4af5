#pragma once

#include "ui/graph_page/graph_host.h"

#include <QLineEdit>

#include <functional>

// What the graph tools see of the main window: its session, the widgets they work in, and
// the handlers of its zoom buttons and error box, handed over as the window builds itself.

namespace ui {

class PageControl;

struct FormGraphWidgets {
    RunSession* Session = nullptr;
    OwnerDrawnGrid* Grid = nullptr;
    std::array<QLineEdit*, 6> SwitchLabels{}; // Edit101 ... Edit106
    QWidget* MainWindow = nullptr;
    PageControl* Pages = nullptr;
    QWidget* GraphPage = nullptr;
    std::function<void()> ZoomIn;
    std::function<void()> ZoomOut;
    std::function<void()> WholeRun;
    std::function<void(const std::function<void()>&)> Guarded;
};

class FormGraphHost final : public GraphHost {
public:
    explicit FormGraphHost(FormGraphWidgets widgets) : w_(std::move(widgets)) {}

    RunSession& Session() const override { return *w_.Session; }
    OwnerDrawnGrid& Grid() const override { return *w_.Grid; }
    std::array<std::string, 6> SwitchLabels() const override;
    QWidget& MainWindow() const override { return *w_.MainWindow; }
    QWidget& GraphPage() const override { return *w_.GraphPage; }
    bool GraphPageShown() const override;

    void ZoomIn() override { w_.ZoomIn(); }
    void ZoomOut() override { w_.ZoomOut(); }
    void WholeRun() override { w_.WholeRun(); }
    void Guarded(const std::function<void()>& handler) const override { w_.Guarded(handler); }

private:
    FormGraphWidgets w_;
};

} // namespace ui
