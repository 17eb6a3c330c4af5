#include "ui/graph_page/graph_tools.h"

#include "engine/measurements.h"
#include "graph/graph_axes.h"
#include "ui/graph_page/graph_overlay.h"
#include "ui/widgets/owner_drawn_grid.h"
#include "graph/readout_table.h"
#include "ui/graph_page/readout_window.h"
#include "ui/tform1.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QShortcut>
#include <QWheelEvent>

#include <algorithm>
#include <cstdint>

namespace ui {

namespace {

constexpr engine::TColor kCursorAColor = 0x00C0FF; // amber
constexpr engine::TColor kCursorBColor = 0xFFFF00; // cyan
constexpr engine::TColor kPointerColor = 0xC0C0C0;
constexpr int kGrabTolerancePx = 4;
constexpr int kWheelNotch = 120;
constexpr int kMinNavigableSamples = 10; // below it UpdateGraph leaves the window unclamped

int RecordCount(const engine::SampleBuffer& run)
{
    return static_cast<int>(
        std::min<std::int64_t>(run.SampleCount, static_cast<std::int64_t>(run.Samples.size())));
}

} // namespace

GraphTools::GraphTools(TForm1& form, ErrorSink showError)
    : form_(form), showError_(std::move(showError)), viewport_(form.StringGrid1->viewport()),
      overlay_(new GraphOverlay(viewport_)), readout_(new ReadoutWindow(&form))
{
    setObjectName("GraphTools");
    lastSampleCount_ = form_.Engine().Run.SampleCount;
    viewport_->setMouseTracking(true);
    viewport_->installEventFilter(this);
    CreateMenu();
    CreateShortcuts();
    connect(readout_, &ReadoutWindow::VisibilityChanged, this, [this](bool visible) {
        readoutAction_->setChecked(visible);
        if (visible)
            RefreshReadout();
    });
}

GraphTools::~GraphTools()
{
    viewport_->removeEventFilter(this);
    overlay_->SetLines({}, 0, 0, false);
}

template <class Handler> void GraphTools::Guarded(Handler&& handler)
{
    RunGuarded(&form_, showError_, handler);
}

void GraphTools::CreateMenu()
{
    menu_ = new QMenu(&form_);
    menu_->setObjectName("GraphContextMenu");
    QAction* placeA = menu_->addAction("Place cursor A here");
    placeA->setObjectName("PlaceCursorA");
    connect(placeA, &QAction::triggered, this, [this] {
        if (menuSample_)
            PlaceCursor(graph::CursorId::A, *menuSample_);
    });
    QAction* placeB = menu_->addAction("Place cursor B here");
    placeB->setObjectName("PlaceCursorB");
    connect(placeB, &QAction::triggered, this, [this] {
        if (menuSample_)
            PlaceCursor(graph::CursorId::B, *menuSample_);
    });
    menu_->addAction("Clear cursors\tEsc", this, [this] { ClearCursors(); });
    menu_->addSeparator();
    menu_->addAction("Zoom in\t+", this,
                     [this] { Guarded([this] { form_.SpeedButton1Click(); }); });
    menu_->addAction("Zoom out\t-", this,
                     [this] { Guarded([this] { form_.SpeedButton2Click(); }); });
    menu_->addAction("Whole run\tF", this,
                     [this] { Guarded([this] { form_.SpeedButton3Click(); }); });
    menu_->addSeparator();
    cursorModeAction_ = menu_->addAction("Cursor mode\tC");
    cursorModeAction_->setCheckable(true);
    cursorModeAction_->setChecked(cursorMode_);
    connect(cursorModeAction_, &QAction::triggered, this, [this](bool on) { SetCursorMode(on); });
    readoutAction_ = menu_->addAction("Show readout\tR");
    readoutAction_->setObjectName("ShowReadout");
    readoutAction_->setCheckable(true);
    connect(readoutAction_, &QAction::triggered, this, [this](bool on) { SetReadoutVisible(on); });
    menu_->addSeparator();
}

void GraphTools::CreateShortcuts()
{
    const auto add = [this](QKeySequence keys, auto handler) {
        // Only while the focus is on the graph page: typing into a box elsewhere is untouched.
        auto* shortcut = new QShortcut(keys, form_.TabSheet2);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, handler] { Guarded(handler); });
        shortcuts_.push_back(shortcut);
    };
    const auto zoomIn = [this] { form_.SpeedButton1Click(); };
    add(QKeySequence(Qt::Key_Plus), zoomIn);
    add(QKeySequence(Qt::Key_Equal), zoomIn); // the unshifted "+" key
    add(QKeySequence(Qt::Key_Minus), [this] { form_.SpeedButton2Click(); });
    add(QKeySequence(Qt::Key_F), [this] { form_.SpeedButton3Click(); });
    add(QKeySequence(Qt::Key_BracketLeft), [this] { JumpToEdge(-1); });
    add(QKeySequence(Qt::Key_BracketRight), [this] { JumpToEdge(1); });
    add(QKeySequence(Qt::Key_Escape), [this] { ClearCursors(); });
    add(QKeySequence(Qt::Key_R), [this] { SetReadoutVisible(!ReadoutVisible()); });
    add(QKeySequence(Qt::Key_C), [this] { SetCursorMode(!cursorMode_); });
}

std::optional<graph::PlotMapping> GraphTools::Geometry() const
{
    const graph::TRect column = form_.StringGrid1->CellRect(1, 0);
    if (column.Right <= column.Left)
        return std::nullopt;
    const graph::PlotMapping mapping =
        graph::PlotMapping::OfView(form_.Engine().Run, {form_.ViewStart, form_.ViewLen}, column);
    if (mapping.Flat())
        return std::nullopt;
    return mapping;
}

int GraphTools::PlotBottom() const
{
    const graph::TRect row7 = form_.StringGrid1->CellRect(1, 7);
    return row7.Bottom > row7.Top ? row7.Bottom : viewport_->height();
}

bool GraphTools::InPlot(const QPoint& pos) const
{
    const graph::TRect column = form_.StringGrid1->CellRect(1, 0);
    return pos.x() >= column.Left && pos.x() < column.Right && pos.y() >= column.Top &&
           pos.y() < PlotBottom();
}

bool GraphTools::Navigable() const
{
    return form_.Engine().Run.SampleCount >= kMinNavigableSamples && Geometry().has_value();
}

void GraphTools::SetWindow(const engine::SampleWindow& window)
{
    if (window.Start == form_.ViewStart && window.Len == form_.ViewLen)
        return;
    form_.ViewStart = window.Start;
    form_.ViewLen = window.Len;
    Guarded([this] { form_.UpdateGraph(); });
}

void GraphTools::PlaceCursor(graph::CursorId id, int sample)
{
    const int count = RecordCount(form_.Engine().Run);
    ForgetOldRun();
    if (count <= 0)
        return;
    cursors_.Place(id, std::clamp(sample, 0, count - 1));
    if (!ReadoutVisible())
        SetReadoutVisible(true);
    Sync(true);
}

void GraphTools::ClearCursors()
{
    cursors_.Clear();
    dragging_.reset();
    Sync(true);
}

void GraphTools::JumpToEdge(int direction)
{
    const engine::SampleBuffer& run = form_.Engine().Run;
    const std::optional<int>& a = cursors_.A();
    const std::optional<int> edge =
        direction < 0 ? graph::PreviousSwitchEdge(run, a ? *a : form_.ViewStart + form_.ViewLen)
                      : graph::NextSwitchEdge(run, a ? *a : form_.ViewStart - 1);
    if (!edge)
        return;
    PlaceCursor(graph::CursorId::A, *edge);
    const bool inView = *edge >= form_.ViewStart && *edge < form_.ViewStart + form_.ViewLen;
    if (!inView && Navigable()) {
        const engine::SampleWindow centred{*edge - form_.ViewLen / 2, form_.ViewLen};
        SetWindow(graph::ScrollWindow(centred, run.SampleCount, 0));
    }
}

void GraphTools::ZoomAt(int x, graph::ZoomDirection direction)
{
    if (!Navigable())
        return;
    const graph::PlotMapping geometry = *Geometry();
    const engine::SampleBuffer& run = form_.Engine().Run;
    const auto anglesDiffer = [&run](int first, int last) {
        return run.Samples[static_cast<std::size_t>(first)].Angle !=
               run.Samples[static_cast<std::size_t>(last)].Angle;
    };
    const graph::ZoomAnchor anchor{geometry.SampleAt(x), x - geometry.Left(),
                                   geometry.Right() - geometry.Left()};
    SetWindow(graph::ZoomAroundPointer({form_.ViewStart, form_.ViewLen}, run.SampleCount, anchor,
                                       direction, anglesDiffer));
}

void GraphTools::ScrollBy(int samples)
{
    if (!Navigable())
        return;
    SetWindow(graph::ScrollWindow({form_.ViewStart, form_.ViewLen}, form_.Engine().Run.SampleCount,
                                  samples));
}

void GraphTools::SetCursorMode(bool on)
{
    cursorMode_ = on;
    cursorModeAction_->setChecked(on);
    dragging_.reset();
    panFrom_.reset();
}

void GraphTools::SetReadoutVisible(bool visible)
{
    if (visible) {
        // The table first: the window takes its first size from it.
        RefreshReadout(true);
        readout_->ShowBesideOwner();
    } else
        readout_->hide();
}

bool GraphTools::ReadoutVisible() const
{
    return readout_->isVisible();
}

void GraphTools::Refresh()
{
    Sync(true);
}

void GraphTools::ForgetOldRun()
{
    const engine::SampleBuffer& run = form_.Engine().Run;
    if (run.SampleCount != lastSampleCount_) {
        // Another run: the old cursor positions mean nothing in it.
        cursors_.Clear();
        dragging_.reset();
        lastSampleCount_ = run.SampleCount;
    }
    cursors_.Restrict(RecordCount(run));
}

void GraphTools::Sync(bool repaintOverlay)
{
    ForgetOldRun();

    const std::optional<graph::PlotMapping> geometry = Geometry();
    pointerSample_.reset();
    if (geometry && pointerPos_ && InPlot(*pointerPos_))
        pointerSample_ = geometry->SampleAt(pointerPos_->x());

    std::vector<OverlayLine> lines;
    if (geometry) {
        if (pointerSample_)
            lines.push_back({geometry->X(*pointerSample_), kPointerColor, true, ""});
        if (const std::optional<int>& b = cursors_.B(); b && geometry->Contains(*b))
            lines.push_back({geometry->X(*b), kCursorBColor, false, "B"});
        if (const std::optional<int>& a = cursors_.A(); a && geometry->Contains(*a))
            lines.push_back({geometry->X(*a), kCursorAColor, false, "A"});
    }
    if (overlay_->geometry() != viewport_->rect())
        overlay_->setGeometry(viewport_->rect());
    overlay_->SetLines(std::move(lines), 0, PlotBottom(), repaintOverlay);
    RefreshReadout();
}

void GraphTools::RefreshReadout(bool evenIfHidden)
{
    if (!evenIfHidden && !ReadoutVisible())
        return;
    const engine::EngineState& state = form_.Engine();
    graph::ReadoutSource source{.Run = state.Run,
                                .Result = state.Result,
                                .A = cursors_.A(),
                                .B = cursors_.B(),
                                .Pointer = pointerSample_,
                                .SwitchLabels = {},
                                .Measurements = std::nullopt};
    for (std::size_t i = 0; i < source.SwitchLabels.size(); ++i)
        source.SwitchLabels[i] = form_.SwitchLabels[i]->text().toStdString();
    const MeasuredWindow key{
        state.Run.SampleCount, {form_.ViewStart, form_.ViewLen}, state.Result.ChannelCount};
    if (!measured_ || measuredWindow_ != key) {
        measured_ = engine::MeasureView(state.Run, state.Result, key.View);
        measuredWindow_ = key;
    }
    if (state.Run.SampleCount > 0)
        source.Measurements = measured_;
    readout_->SetTable(graph::BuildReadout(source));
}

bool GraphTools::MousePress(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!InPlot(pos))
        return false;
    form_.StringGrid1->setFocus(Qt::MouseFocusReason);
    const std::optional<graph::PlotMapping> geometry = Geometry();
    if (!geometry)
        return false;
    const Qt::MouseButton button = event->button();
    if (button == Qt::MiddleButton || (button == Qt::LeftButton && !cursorMode_)) {
        if (Navigable()) {
            panFrom_ = pos;
            panStart_ = form_.ViewStart;
            panPxPerSample_ = geometry->PxPerSample();
        }
        return true;
    }
    if (button != Qt::LeftButton)
        return false;
    const int sample = geometry->SampleAt(pos.x());
    if (event->modifiers() & Qt::ShiftModifier) {
        PlaceCursor(graph::CursorId::B, sample);
        dragging_ = graph::CursorId::B;
    } else if (const std::optional<graph::CursorId> near =
                   cursors_.Near(*geometry, pos.x(), kGrabTolerancePx)) {
        dragging_ = near;
    } else {
        PlaceCursor(graph::CursorId::A, sample);
        dragging_ = graph::CursorId::A;
    }
    return true;
}

bool GraphTools::MouseMove(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    pointerPos_ = pos;
    if (dragging_) {
        if (const std::optional<graph::PlotMapping> geometry = Geometry())
            cursors_.Place(*dragging_, geometry->SampleAt(pos.x()));
        Sync(true);
        return true;
    }
    if (panFrom_) {
        if (panPxPerSample_ > 0) {
            const int samples = graph::RoundPx((pos.x() - panFrom_->x()) /
                                               static_cast<long double>(panPxPerSample_));
            SetWindow(graph::ScrollWindow({panStart_, form_.ViewLen},
                                          form_.Engine().Run.SampleCount, -samples));
        }
        Sync(true);
        return true;
    }
    Sync(true);
    return false;
}

bool GraphTools::Wheel(QWheelEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!InPlot(pos))
        return false;
    const QPoint angle = event->angleDelta();
    // Some platforms turn a shifted wheel into a horizontal one.
    wheelRemainder_ += angle.y() != 0 ? angle.y() : angle.x();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ %= kWheelNotch;
    if (notches == 0)
        return true;
    if (event->modifiers() & Qt::ShiftModifier) {
        ScrollBy(-notches * std::max(form_.ViewLen / 10, 1));
    } else {
        for (int i = 0; i < std::abs(notches); ++i)
            ZoomAt(pos.x(), notches > 0 ? graph::ZoomDirection::In : graph::ZoomDirection::Out);
    }
    return true;
}

void GraphTools::ContextMenu(const QPoint& pos, const QPoint& globalPos)
{
    const std::optional<graph::PlotMapping> geometry = Geometry();
    menuSample_.reset();
    if (geometry && InPlot(pos))
        menuSample_ = geometry->SampleAt(pos.x());
    for (QAction* action : menu_->actions()) {
        if (action->objectName() == "PlaceCursorA" || action->objectName() == "PlaceCursorB")
            action->setEnabled(menuSample_.has_value());
    }
    menu_->popup(globalPos);
}

bool GraphTools::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != viewport_)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        // The grid repaints all of itself after every change of the run, the channels or the
        // window; smaller repaints only uncover or redraw under the cursor lines.
        if (static_cast<QPaintEvent*>(event)->rect().contains(viewport_->rect()))
            measured_.reset();
        Sync(false);
        return false;
    case QEvent::Resize:
        overlay_->setGeometry(viewport_->rect());
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return MousePress(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
        return MouseMove(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease: {
        const bool handled = dragging_.has_value() || panFrom_.has_value();
        dragging_.reset();
        panFrom_.reset();
        return handled;
    }
    case QEvent::Leave:
        pointerPos_.reset();
        if (!dragging_ && !panFrom_)
            Sync(true);
        return false;
    case QEvent::Wheel:
        return Wheel(static_cast<QWheelEvent*>(event));
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
