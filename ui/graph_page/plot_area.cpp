#include "ui/graph_page/plot_area.h"

#include "ui/graph_page/graph_host.h"
#include "ui/session/run_session.h"
#include "ui/widgets/owner_drawn_grid.h"

namespace ui {

namespace {

constexpr int kMinNavigableSamples = 10;

} // namespace

std::optional<graph::PlotMapping> PlotArea::Geometry() const
{
    const graph::TRect column = host_.Grid().CellRect(1, 0);
    if (column.Right <= column.Left)
        return std::nullopt;
    const graph::PlotMapping mapping =
        graph::PlotMapping::OfView(host_.Session().Engine().Run, host_.Session().Window(), column);
    if (mapping.Flat())
        return std::nullopt;
    return mapping;
}

int PlotArea::Bottom() const
{
    const graph::TRect row7 = host_.Grid().CellRect(1, 7);
    return row7.Bottom > row7.Top ? row7.Bottom : host_.Grid().viewport()->height();
}

bool PlotArea::Contains(const QPoint& pos) const
{
    const graph::TRect column = host_.Grid().CellRect(1, 0);
    return pos.x() >= column.Left && pos.x() < column.Right && pos.y() >= column.Top &&
           pos.y() < Bottom();
}

bool PlotArea::Navigable() const
{
    return host_.Session().Engine().Run.SampleCount >= kMinNavigableSamples && Geometry().has_value();
}

} // namespace ui
