// The window as a user meets it: the pointer moving over the graph of the longest run, the
// window's first reaction to the track bar move that makes that run, and the grid's repaint of
// the longest run the emulation admits.

#include "ui/graph_page/graph_overlay.h"
#include "ui/graph_page/graph_tools.h"
#include "engine/decimal_separator.h"
#include "ui/session/run_session.h"
#include "ui/tform1.h"
#include "ui/widgets/owner_drawn_grid.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// TrackBar1 at 10 is 60 A, TrackBar2 at 1 is 10 %.
constexpr int kMaxCurrentStep = 10;
constexpr int kDutyStep = 1;

std::unique_ptr<ui::TForm1> ShownWindow()
{
    ui::TForm1Options options;
    options.ShowError = [](QWidget*, const QString&) {};
    auto form = std::make_unique<ui::TForm1>(options);
    form->resize(1100, 800);
    form->show();
    QApplication::processEvents();
    return form;
}

template <class T> T* Control(const ui::TForm1& form, const char* name)
{
    return form.findChild<T*>(QString::fromLatin1(name));
}

void MovePointer(QWidget* viewport, int x)
{
    const QPointF pos(x, 150);
    QMouseEvent move(QEvent::MouseMove, pos, viewport->mapToGlobal(pos), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QApplication::processEvents(); // the paint the move asked for
}

// One pointer move over the plot and the paint it brings, on the longest run in view 2. With
// `keepPicture` false the overlay is made to forget the grid's picture before every move, as
// it had none before: the grid beneath then paints again.
void BM_PointerMove(benchmark::State& state, bool keepPicture)
{
    const std::unique_ptr<ui::TForm1> form = ShownWindow();
    Control<QComboBox>(*form, "ComboBox1")->setCurrentIndex(2);
    Control<QSlider>(*form, "TrackBar1")->setValue(kMaxCurrentStep);
    Control<QSlider>(*form, "TrackBar2")->setValue(kDutyStep);
    QApplication::processEvents();
    QWidget* viewport = Control<ui::OwnerDrawnGrid>(*form, "StringGrid1")->viewport();
    ui::GraphOverlay* overlay = form->Tools().Overlay();
    int x = 200;
    for (auto _ : state) {
        if (!keepPicture)
            overlay->DropPicture();
        x = x == 200 ? 320 : 200;
        MovePointer(viewport, x);
    }
    state.counters["samples"] = form->Session().Samples().SampleCount;
}

// A new window at 60 A, then TrackBar2 to 10 %: the run, the channels and the paint, in CPU
// time of the whole process (the run's helper threads included).
void BM_FirstReactionLongestRun(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<ui::TForm1> form = ShownWindow();
        Control<QComboBox>(*form, "ComboBox1")->setCurrentIndex(2);
        Control<QSlider>(*form, "TrackBar1")->setValue(kMaxCurrentStep);
        QApplication::processEvents();
        state.ResumeTiming();
        Control<QSlider>(*form, "TrackBar2")->setValue(kDutyStep);
        QApplication::processEvents();
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
}

// The grid's repaint at the window's smallest size (the grid then has bldc-emu's picture size),
// on the run of bldc-emu --set 3=1.505 --duty-scale 0 in view 1: what PngPaint paints headless.
void BM_GridRepaint(benchmark::State& state)
{
    ui::TForm1Options options;
    options.ShowError = [](QWidget*, const QString&) {};
    const auto form = std::make_unique<ui::TForm1>(options);
    form->show();
    QApplication::processEvents();
    Control<QComboBox>(*form, "ComboBox1")->setCurrentIndex(1);
    // The duty first: the slow motor at the default duty makes a run the window refuses.
    const auto type = [&form](const char* box, const QString& text) {
        auto* edit = Control<QLineEdit>(*form, box);
        edit->setText(text);
        emit edit->returnPressed();
    };
    type("Edit10", QStringLiteral("0"));
    type("Edit3", QStringLiteral("1") + QChar(engine::DecimalSeparator()) + QStringLiteral("505"));
    QApplication::processEvents();
    auto* grid = Control<ui::OwnerDrawnGrid>(*form, "StringGrid1");
    for (auto _ : state)
        grid->Repaint();
    state.counters["samples"] = form->Session().Samples().SampleCount;
    state.counters["width"] = grid->width();
    state.counters["height"] = grid->height();
}

} // namespace

BENCHMARK(BM_GridRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PointerMove, long_run_view2, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PointerMove, long_run_view2_grid_repaints, false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstReactionLongestRun)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(3);
