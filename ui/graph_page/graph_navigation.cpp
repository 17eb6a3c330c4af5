#include "ui/graph_page/graph_navigation.h"

#include "ui/graph_page/graph_host.h"
#include "ui/session/run_session.h"
#include "ui/graph_page/plot_area.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

namespace ui {

namespace {

constexpr int kWheelNotch = 120;

} // namespace

GraphNavigation::GraphNavigation(GraphHost& host, const PlotArea& area) : host_(host), area_(area)
{
}

void GraphNavigation::SetWindow(const engine::SampleWindow& window)
{
    if (window == host_.Session().Window())
        return;
    host_.Guarded([&] { host_.Session().SetWindow(window); });
}

void GraphNavigation::ZoomAt(int x, graph::ZoomDirection direction)
{
    if (!area_.Navigable())
        return;
    const graph::PlotMapping geometry = *area_.Geometry();
    const engine::SampleBuffer& run = host_.Session().Engine().Run;
    const auto anglesDiffer = [&run](int first, int last) {
        return run.Samples[static_cast<std::size_t>(first)].Angle !=
               run.Samples[static_cast<std::size_t>(last)].Angle;
    };
    const graph::ZoomAnchor anchor{geometry.SampleAt(x), x - geometry.Left(),
                                   geometry.Right() - geometry.Left()};
    SetWindow(
        graph::ZoomAroundPointer(host_.Session().Window(), run.SampleCount, anchor, direction, anglesDiffer));
}

void GraphNavigation::ScrollBy(int samples)
{
    if (!area_.Navigable())
        return;
    SetWindow(graph::ScrollWindow(host_.Session().Window(), host_.Session().Engine().Run.SampleCount, samples));
}

void GraphNavigation::Reveal(int sample)
{
    const engine::SampleWindow view = host_.Session().Window();
    const bool inView = sample >= view.Start && sample < view.Start + view.Len;
    if (!inView && area_.Navigable()) {
        const engine::SampleWindow centred{sample - view.Len / 2, view.Len};
        SetWindow(graph::ScrollWindow(centred, host_.Session().Engine().Run.SampleCount, 0));
    }
}

void GraphNavigation::Wheel(int x, const QPoint& angleDelta, bool shift)
{
    // Some platforms turn a shifted wheel into a horizontal one.
    wheelRemainder_ += angleDelta.y() != 0 ? angleDelta.y() : angleDelta.x();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ %= kWheelNotch;
    if (notches == 0)
        return;
    if (shift) {
        ScrollBy(-notches * std::max(host_.Session().Window().Len / 10, 1));
    } else {
        for (int i = 0; i < std::abs(notches); ++i)
            ZoomAt(x, notches > 0 ? graph::ZoomDirection::In : graph::ZoomDirection::Out);
    }
}

void GraphNavigation::StartPan(const QPoint& pos)
{
    if (!area_.Navigable())
        return;
    panFrom_ = pos;
    panStart_ = host_.Session().Window().Start;
    panMapping_ = area_.Geometry();
}

void GraphNavigation::PanTo(int x)
{
    if (!panFrom_ || !panMapping_ || panMapping_->PxPerSample() <= 0)
        return;
    const int samples = panMapping_->PanSamples(x - panFrom_->x());
    SetWindow(graph::ScrollWindow({panStart_, host_.Session().Window().Len}, host_.Session().Engine().Run.SampleCount,
                                  -samples));
}

namespace {

// A box, a list or anything else that takes typed text keeps its keys.
bool TextHasFocus()
{
    const QWidget* focus = QApplication::focusWidget();
    return qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QAbstractSpinBox*>(focus) ||
           qobject_cast<const QTextEdit*>(focus) || qobject_cast<const QPlainTextEdit*>(focus);
}

} // namespace

void BindGraphKey(GraphHost& host, QObject* receiver, const QKeySequence& keys,
                  std::function<void()> handler)
{
    // Bound to the whole window, so that the keys do not wait for the focus to enter the
    // page, and acting only while the page is shown.
    GraphHost* target = &host;
    auto* shortcut = new QShortcut(keys, &target->MainWindow());
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, receiver, [target, handler] {
        if (target->GraphPageShown() && !TextHasFocus())
            target->Guarded(handler);
    });
}

void BindGraphKeys(GraphHost& host, QObject* receiver, const GraphKeyActions& actions)
{
    GraphHost* target = &host;
    const auto add = [&host, receiver](QKeySequence keys, std::function<void()> handler) {
        BindGraphKey(host, receiver, keys, std::move(handler));
    };
    const auto zoomIn = [target] { target->ZoomIn(); };
    add(QKeySequence(Qt::Key_Plus), zoomIn);
    add(QKeySequence(Qt::Key_Equal), zoomIn); // the unshifted "+" key
    add(QKeySequence(Qt::Key_Minus), [target] { target->ZoomOut(); });
    add(QKeySequence(Qt::Key_F), [target] { target->WholeRun(); });
    // Shift+F is a key sequence of its own, which F does not match: it fits the run too.
    add(QKeySequence(Qt::SHIFT | Qt::Key_F), [target] { target->WholeRun(); });
    add(QKeySequence(Qt::Key_BracketLeft), actions.PreviousEdge);
    add(QKeySequence(Qt::Key_BracketRight), actions.NextEdge);
    add(QKeySequence(Qt::Key_Escape), actions.ClearCursors);
    add(QKeySequence(Qt::Key_R), actions.ToggleReadout);
    add(QKeySequence(Qt::Key_C), actions.ToggleCursorMode);
}

} // namespace ui
