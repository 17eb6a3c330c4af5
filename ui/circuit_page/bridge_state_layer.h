#pragma once

#include "ui/circuit_page/bridge_state_layout.h"

#include <QWidget>

#include <optional>

// A transparent layer over the circuit picture that shows the bridge at one instant. The
// picture underneath is never touched; the layer takes no mouse input.

namespace ui {

class BridgeStateLayer : public QWidget {
    Q_OBJECT

public:
    explicit BridgeStateLayer(QWidget* pictureBox);

    // Nothing is drawn without a layout.
    void SetLayout(std::optional<BridgeLayout> layout);
    const std::optional<BridgeLayout>& Layout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<BridgeLayout> layout_;
};

} // namespace ui
