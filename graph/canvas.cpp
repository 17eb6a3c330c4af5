#include "graph/canvas.h"

namespace graph {

void Canvas::PolylineTo(const std::vector<TPoint>& points)
{
    for (const TPoint& p : points)
        LineTo(p.x, p.y);
}

} // namespace graph
