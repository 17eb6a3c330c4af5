#include "graph/canvas.h"

namespace ui {

void Canvas::PolylineTo(const std::vector<TPoint>& points)
{
    for (const TPoint& p : points)
        LineTo(p.x, p.y);
}

} // namespace ui
