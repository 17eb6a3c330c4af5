#pragma once

#include "engine/channels.h"

#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

class QPainter;

// A layer over the graph grid's viewport that draws the cursor lines and the pointer line over
// the graph; the grid's own painting underneath stays as it is. It takes no mouse input: the
// events reach the viewport below.
//
// Moving a line must not make the grid paint its million samples again. So the layer keeps
// the picture of the grid's last paint, which the grid hands it, and while it holds one it is
// opaque: it repaints its own pixels from that picture and the grid beneath is left alone.
// Whenever the grid is about to paint anew the picture goes and the layer is transparent again.

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

    // The grid's last paint, and its end.
    void ShowPicture(const QImage& picture);
    void DropPicture();
    bool HoldsPicture() const { return !picture_.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect Area(const OverlayLine& line) const;

    QImage picture_;
    std::vector<OverlayLine> lines_;
    int top_ = 0;
    int bottom_ = 0;
};

} // namespace ui
