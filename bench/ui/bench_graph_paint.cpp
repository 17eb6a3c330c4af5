// One full paint of the graph grid (16 cells) onto a QImage through the QPainter canvas, for
// the longest run the track bars reach (about a million samples, view 2 with six channels)
// and for the default run; and bldc-emu's --png paint of the longest run the emulation admits.

#include "bench/engine/cosine_floor.h"
#include "bench/ui/ui_figures.h"
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "graph/channel_envelope.h"
#include "graph/graph_grid.h"
#include "graph/graph_painter.h"
#include "graph/grid_size.h"
#include "graph/render/graph_image.h"
#include "graph/switch_edges.h"
#include "graph/render/qpainter_canvas.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace {

struct GraphData {
    engine::SampleBuffer run;
    engine::ChannelSet result;
    // As the window keeps them beside the run; a paint without them reads every sample.
    graph::SwitchEdges edges;
    graph::ChannelEnvelope envelope;
};

// A run of the engine from the form's parameters with the box texts `edits` typed in turn
// (tag, text with a decimal comma), shown in `view`.
std::unique_ptr<GraphData> MakeRun(std::initializer_list<std::pair<int, const char*>> edits,
                                   int view = 2)
{
    auto data = std::make_unique<GraphData>();
    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, ',');
    for (const auto& [tag, text] : edits) {
        texts[static_cast<std::size_t>(tag)] = text;
        engine::ChangeParam(params, texts, tag, true, ',');
    }
    engine::CalcPhases(params, engine::RunSettings{}, -1, -0.5f, data->run);
    engine::PrepareRes(view, engine::ChannelTexts{}, ',', data->run, data->result);
    data->edges.Build(data->run);
    data->envelope.Build(data->result);
    return data;
}

void PaintGrid(QImage& image, const GraphData& data, bool perColumn)
{
    const graph::GraphPaintParams params{data.run,
                                         data.result,
                                         {0, data.run.SampleCount},
                                         "RPM = 1000;   Timing = 25.0 deg",
                                         {"HighA", "LowA", "HighB", "LowB", "HighC", "LowC"},
                                         perColumn ? &data.edges : nullptr,
                                         perColumn ? &data.envelope : nullptr};
    QPainter painter(&image);
    painter.setFont(graph::GraphFont());
    graph::QPainterCanvas canvas(painter);
    const graph::GridLayout layout = graph::LayoutGraphGrid(graph::kDefaultGridSize);
    for (int row = 0; row < graph::kGraphRowCount; ++row)
        for (int col = 0; col < graph::kGraphColCount; ++col)
            graph::DrawGraphCell(canvas, params, col, row, layout.CellRect(col, row));
}

// A repaint as the window makes it: with the run's edges and the channels' envelope.
void BM_FullPaint(benchmark::State& state, const GraphData* data)
{
    QImage image(537, 468, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        PaintGrid(image, *data, true);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["samples"] = data->run.SampleCount;
}

// The same paint sample by sample, as exports without the summaries make it.
void BM_FullPaintPerSample(benchmark::State& state, const GraphData* data)
{
    QImage image(537, 468, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        PaintGrid(image, *data, false);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["samples"] = data->run.SampleCount;
}

// bldc-emu --png's paint at its default size, with the summaries it built with its run (true)
// or sample by sample, as it painted before it had them (false). BM_GridRepaint in
// bench_window.cpp paints the same run in the window.
void BM_PngPaint(benchmark::State& state, const GraphData* data, bool perColumn)
{
    graph::GraphPaintParams params = graph::MakeGraphPaintParams(
        data->run, data->result, {0, data->run.SampleCount}, "RPM = 15;   Timing = 2.5 deg");
    if (perColumn) {
        params.Edges = &data->edges;
        params.Envelope = &data->envelope;
    }
    const QSize size(graph::kDefaultGridSize.Width, graph::kDefaultGridSize.Height);
    for (auto _ : state) {
        const QImage image = graph::RenderGraphImage(params, size);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["samples"] = data->run.SampleCount;
}

// What a run adds for the paints to come: the switch edges and the channel envelope.
void BM_BuildSummaries(benchmark::State& state, const GraphData* data)
{
    graph::SwitchEdges edges;
    graph::ChannelEnvelope envelope;
    for (auto _ : state) {
        edges.Build(data->run);
        envelope.Build(data->result);
        benchmark::ClobberMemory();
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // the window benchmarks beside these need widgets
    const std::unique_ptr<GraphData> longRun =
        MakeRun({{engine::MaxCurrent, "60"}, {engine::PwmDuty, "10"}});
    const std::unique_ptr<GraphData> defaultRun = MakeRun({});
    // bldc-emu --set 3=1.505 --duty-scale 0, in --png's default view.
    const std::unique_ptr<GraphData> longestRun =
        MakeRun({{engine::RpmPerVolt, "1,505"}, {engine::PwmDuty, "0"}}, 1);
    std::printf("long run: %d samples; default run: %d samples; longest run: %d samples\n",
                longRun->run.SampleCount, defaultRun->run.SampleCount,
                longestRun->run.SampleCount);
    benchmark::RegisterBenchmark("FullPaint/long_run_view2", BM_FullPaint, longRun.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FullPaint/default_run_view2", BM_FullPaint, defaultRun.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FullPaintPerSample/long_run_view2", BM_FullPaintPerSample,
                                 longRun.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PngPaint/longest_run_view1", BM_PngPaint, longestRun.get(),
                                 true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PngPaintPerSample/longest_run_view1", BM_PngPaint,
                                 longestRun.get(), false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BuildSummaries/longest_run_view1", BM_BuildSummaries,
                                 longestRun.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BuildSummaries/long_run_view2", BM_BuildSummaries,
                                 longRun.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_CosineFloor", bench::CosineFloor)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    bench::UiFigures figures;
    benchmark::RunSpecifiedBenchmarks(&figures);
    figures.PrintGoals();
    benchmark::Shutdown();
    return 0;
}
