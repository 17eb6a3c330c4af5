#include "ui/graph_page/graph_tools.h"

#include "ui/graph_page/graph_host.h"
#include "ui/session/run_session.h"
#include "ui/graph_page/graph_overlay.h"
#include "ui/graph_page/readout_window.h"
#include "ui/widgets/owner_drawn_grid.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace ui {

namespace {

constexpr engine::TColor kCursorAColor = 0x00C0FF; // amber
constexpr engine::TColor kCursorBColor = 0xFFFF00; // cyan
constexpr engine::TColor kPointerColor = 0xC0C0C0;

} // namespace

GraphTools::GraphTools(GraphHost& host)
    : host_(host), viewport_(host.Grid().viewport()), area_(host), cursors_(host),
      navigation_(host, area_), overlay_(new GraphOverlay(viewport_)), readout_(host),
      menu_(host,
            {.PlaceCursor = [this](graph::CursorId id, int sample) { PlaceCursor(id, sample); },
             .ClearCursors = [this] { ClearCursors(); },
             .SetCursorMode = [this](bool on) { SetCursorMode(on); },
             .SetReadoutVisible = [this](bool visible) { SetReadoutVisible(visible); },
             .SetPointerLineShown = [this](bool shown) { SetPointerLineShown(shown); },
             .Cursors = [this] { return CursorMarksNow(); }},
            cursorMode_)
{
    setObjectName("GraphTools");
    viewport_->setMouseTracking(true);
    viewport_->installEventFilter(this);
    BindGraphKeys(host_, this,
                  {.PreviousEdge = [this] { JumpToEdge(-1); },
                   .NextEdge = [this] { JumpToEdge(1); },
                   .ClearCursors = [this] { ClearCursors(); },
                   .ToggleReadout = [this] { SetReadoutVisible(!ReadoutVisible()); },
                   .ToggleCursorMode = [this] { SetCursorMode(!cursorMode_); }});
    connect(readout_.Window(), &ReadoutWindow::VisibilityChanged, this, [this](bool visible) {
        menu_.ShowReadoutVisible(visible);
        if (visible)
            readout_.Refresh(cursors_.Cursors(), pointerSample_);
    });
    // The overlay shows the grid's last paint, so that moving a line repaints only the layer.
    connect(&host_.Grid(), &OwnerDrawnGrid::Painted, overlay_, &GraphOverlay::ShowPicture);
    connect(&host_.Grid(), &OwnerDrawnGrid::PictureOutdated, overlay_, &GraphOverlay::DropPicture);
    // The session says when the run, its channels, its window or its reference change.
    RunSession& session = host_.Session();
    connect(&session, &RunSession::RunEnded, this, &GraphTools::RunEnded);
    connect(&session, &RunSession::ChannelsChanged, this, &GraphTools::ChannelsChanged);
    connect(&session, &RunSession::WindowMoved, this, &GraphTools::WindowMoved);
    connect(&session, &RunSession::ReferenceChanged, this, &GraphTools::ReferenceChanged);
    // Scrolling the grid's rows moves the plot's lower edge.
    connect(host_.Grid().verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { Sync(true); });
    Sync(false);
}

GraphTools::~GraphTools()
{
    viewport_->removeEventFilter(this);
    overlay_->SetLines({}, 0, 0, false);
}

void GraphTools::RunEnded()
{
    readout_.ForgetMeasurements();
    Sync(true);
}

void GraphTools::ChannelsChanged()
{
    readout_.ForgetMeasurements();
    Sync(true);
}

void GraphTools::ReferenceChanged()
{
    Sync(false);
}

void GraphTools::WindowMoved()
{
    Sync(true);
}

void GraphTools::LayoutChanged()
{
    Sync(true);
}

void GraphTools::PlaceCursor(graph::CursorId id, int sample)
{
    if (!cursors_.Place(id, sample))
        return;
    if (!ReadoutVisible())
        SetReadoutVisible(true);
    Sync(true);
}

void GraphTools::ClearCursors()
{
    cursors_.Clear();
    Sync(true);
}

void GraphTools::JumpToEdge(int direction)
{
    const std::optional<int> edge = cursors_.Edge(direction);
    if (!edge)
        return;
    PlaceCursor(graph::CursorId::A, *edge);
    navigation_.Reveal(*edge);
}

void GraphTools::SetCursorMode(bool on)
{
    cursorMode_ = on;
    menu_.ShowCursorMode(on);
    cursors_.EndDrag();
    navigation_.EndPan();
}

void GraphTools::SetReadoutVisible(bool visible)
{
    readout_.SetVisible(visible, cursors_.Cursors(), pointerSample_);
}

void GraphTools::SetPointerLineShown(bool shown)
{
    pointerLineShown_ = shown;
    Sync(true);
}

std::vector<OverlayLine> GraphTools::CursorLines(const graph::PlotMapping& geometry) const
{
    std::vector<OverlayLine> lines;
    const graph::GraphCursors& cursors = cursors_.Cursors();
    if (const std::optional<int>& b = cursors.B(); b && geometry.Contains(*b))
        lines.push_back({geometry.X(*b), kCursorBColor, false, "B"});
    if (const std::optional<int>& a = cursors.A(); a && geometry.Contains(*a))
        lines.push_back({geometry.X(*a), kCursorAColor, false, "A"});
    return lines;
}

CursorMarks GraphTools::CursorMarksNow() const
{
    CursorMarks marks{.Lines = {}, .Top = 0, .Bottom = area_.Bottom(), .Font = overlay_->font()};
    if (const std::optional<graph::PlotMapping> geometry = area_.Geometry())
        marks.Lines = CursorLines(*geometry);
    return marks;
}

void GraphTools::Sync(bool repaintOverlay)
{
    cursors_.FollowRun();

    const std::optional<graph::PlotMapping> geometry = area_.Geometry();
    pointerSample_.reset();
    if (geometry && pointerPos_ && area_.Contains(*pointerPos_))
        pointerSample_ = geometry->SampleAt(pointerPos_->x());

    std::vector<OverlayLine> lines;
    if (geometry) {
        if (pointerSample_ && pointerLineShown_)
            lines.push_back({geometry->X(*pointerSample_), kPointerColor, true, ""});
        for (OverlayLine& line : CursorLines(*geometry))
            lines.push_back(std::move(line));
    }
    if (overlay_->geometry() != viewport_->rect())
        overlay_->setGeometry(viewport_->rect());
    overlay_->SetLines(std::move(lines), 0, area_.Bottom(), repaintOverlay);
    readout_.Refresh(cursors_.Cursors(), pointerSample_);
}

bool GraphTools::MousePress(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!area_.Contains(pos))
        return false;
    host_.Grid().setFocus(Qt::MouseFocusReason);
    const std::optional<graph::PlotMapping> geometry = area_.Geometry();
    if (!geometry)
        return false;
    const Qt::MouseButton button = event->button();
    if (button == Qt::MiddleButton || (button == Qt::LeftButton && !cursorMode_)) {
        navigation_.StartPan(pos);
        return true;
    }
    if (button != Qt::LeftButton)
        return false;
    if (cursors_.Press(*geometry, pos.x(), event->modifiers() & Qt::ShiftModifier)) {
        if (!ReadoutVisible())
            SetReadoutVisible(true);
        Sync(true);
    }
    return true;
}

bool GraphTools::MouseMove(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    pointerPos_ = pos;
    bool handled = false;
    if (cursors_.Dragging()) {
        if (const std::optional<graph::PlotMapping> geometry = area_.Geometry())
            cursors_.DragTo(*geometry, pos.x());
        handled = true;
    } else if (navigation_.Panning()) {
        navigation_.PanTo(pos.x());
        handled = true;
    }
    Sync(true);
    return handled;
}

bool GraphTools::Wheel(QWheelEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!area_.Contains(pos))
        return false;
    navigation_.Wheel(pos.x(), event->angleDelta(), event->modifiers() & Qt::ShiftModifier);
    return true;
}

void GraphTools::ContextMenu(const QPoint& pos, const QPoint& globalPos)
{
    const std::optional<graph::PlotMapping> geometry = area_.Geometry();
    std::optional<int> sample;
    if (geometry && area_.Contains(pos))
        sample = geometry->SampleAt(pos.x());
    menu_.Popup(sample, globalPos);
}

bool GraphTools::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != viewport_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Show: // a resize while hidden may come before it with a size since changed
    case QEvent::Resize:
        overlay_->setGeometry(viewport_->rect());
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return MousePress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return MouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease: {
        const bool handled = cursors_.Dragging() || navigation_.Panning();
        cursors_.EndDrag();
        navigation_.EndPan();
        return handled;
    }
    case QEvent::Leave:
        pointerPos_.reset();
        if (!cursors_.Dragging() && !navigation_.Panning())
            Sync(true);
        return false;
    case QEvent::Wheel:
        return Wheel(static_cast<QWheelEvent*>(event));
    case QEvent::ToolTip:
        // The gestures' tooltip belongs to the labels and the header, not over the traces,
        // where a resting pointer is reading values.
        if (area_.Contains(static_cast<QHelpEvent*>(event)->pos())) {
            QToolTip::hideText();
            return true;
        }
        return false;
    case QEvent::ContextMenu: {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        ContextMenu(menuEvent->pos(), menuEvent->globalPos());
        return true;
    }
    default:
        return false;
    }
}

} // namespace ui
