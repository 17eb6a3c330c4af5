#pragma once

#include "engine/channels.h"

#include <QWidget>

#include <string>
#include <vector>

class QPainter;

// A transparent layer over the graph grid's viewport that draws the cursor lines and the
// pointer line over the graph; the grid's own painting underneath stays as it is. It takes no
// mouse input: the events reach the viewport below.

namespace ui {

struct OverlayLine {
    int X = 0;
    engine::TColor Color = 0xFFFFFF;
    bool Dotted = false;
    std::string Tag; // a letter written beside the line's lower end
    friend bool operator==(const OverlayLine&, const OverlayLine&) = default;
};

// Paints `lines` from `top` to `bottom` (excluded) as the overlay shows them; the graph's
// "with cursors" export paints the cursors with it too, so both give the same pixels.
void PaintOverlayLines(QPainter& painter, const std::vector<OverlayLine>& lines, int top,
                       int bottom);

class GraphOverlay : public QWidget {
    Q_OBJECT

public:
    explicit GraphOverlay(QWidget* viewport);

    // The lines run from `top` to `bottom` (excluded). With `repaint`, the columns of the old
    // and the new lines are repainted; without, the caller is inside a paint of the viewport,
    // which paints this layer after itself anyway.
    void SetLines(std::vector<OverlayLine> lines, int top, int bottom, bool repaint);
    const std::vector<OverlayLine>& Lines() const { return lines_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect Area(const OverlayLine& line) const;

    std::vector<OverlayLine> lines_;
    int top_ = 0;
    int bottom_ = 0;
};

} // namespace ui
