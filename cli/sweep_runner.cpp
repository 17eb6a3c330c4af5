#include "cli/sweep_runner.h"

#include "cli/exit_codes.h"
#include "cli/report_line.h"
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/run_summary.h"
#include "engine/run_tables.h"
#include "engine/worker_pool.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <string>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

namespace cli {
namespace {

using Clock = std::chrono::steady_clock;

// What every run of the sweep shares; read only while the runs go on.
struct SweepJob {
    const CliRequest& Request;
    const engine::TParams& Params;
    const engine::ParamTexts& Texts;
    char Separator;
    RunStart Start;
    engine::RunThreads Threads;
};

// One run's row of the table, the value as typed, and the report when the run failed.
struct SweepLine {
    std::string Typed;
    engine::SweepRow Row;
    std::string Failure;
    std::exception_ptr Error; // anything else that went wrong, passed on to the caller
};

// Samples, extremes and zero-crossing figures of a run that went through. Throws
// std::bad_alloc.
void FillRow(const SweepJob& job, const engine::TParams& params, const engine::SampleBuffer& run,
             engine::ChannelSet& channels, engine::SweepRow& row)
{
    engine::PrepareView(job.Request.View, engine::ChannelTexts{}, job.Separator, run, channels);
    const engine::SampleWindow window = EffectiveWindow(job.Request.Window, run.SampleCount);
    row.Samples = run.SampleCount;
    row.Extremes = engine::SweepExtremes(channels, window);
    if (job.Request.ShowZc) {
        const engine::ZcSummary zc =
            AnalyseRun(job.Request, params, job.Start, run, channels, window).Summary;
        row.Zc = engine::SweepZc{zc.MeanErrorDeg, zc.MaxErrorDeg, zc.Undetected()};
    }
}

// The run of value `index` in the caller's buffers.
SweepLine RunLine(const SweepJob& job, int index, engine::SampleBuffer& run,
                  engine::ChannelSet& channels)
{
    const SweepRequest& sweep = *job.Request.Sweep;
    SweepLine line;
    line.Typed = sweep.ValueText(index, job.Separator);
    line.Row.Value = sweep.ValueText(index, '.');
    engine::TParams params = job.Params;
    engine::ParamTexts texts = job.Texts;
    engine::RunSettings settings = job.Request.Settings;
    if (sweep.SweepsCircuit()) {
        const std::string typed = sweep.TypedText(index);
        float value = 0;
        std::from_chars(typed.data(), typed.data() + typed.size(), value);
        (sweep.Tag == kSweepInductance ? settings.Circuit.InductanceUh : settings.Circuit.DiodeDrop) =
            value;
    } else {
        texts[static_cast<std::size_t>(sweep.Tag)] = sweep.TypedText(index);
        engine::ChangeParam(params, texts, sweep.Tag, true, job.Separator);
    }

    try {
        line.Row.Summary = engine::CalcPhases(params, settings, job.Start.PwmState,
                                              job.Start.StartAngle, run, job.Threads);
        try {
            FillRow(job, params, run, channels, line.Row);
        } catch (const std::bad_alloc&) {
            engine::SweepRow failed;
            failed.Value = std::move(line.Row.Value);
            failed.Failure = "not enough memory for the view's channels";
            line.Row = std::move(failed);
        }
    } catch (const engine::EmulationError& error) {
        line.Row.Failure = error.what();
    } catch (const std::bad_alloc&) {
        line.Row.Failure = "not enough memory for the run";
    }
    if (line.Row.Failure) {
        line.Failure = sweep.Name() + "=" + line.Typed + ": " + *line.Row.Failure;
    }
    return line;
}

// Lines finished in any order, taken out in the table's order.
class ReadyLines {
public:
    explicit ReadyLines(int count) : lines_(static_cast<std::size_t>(count)) {}

    void Put(int index, SweepLine line)
    {
        {
            const std::lock_guard lock(mutex_);
            lines_[static_cast<std::size_t>(index)] = std::move(line);
            ++finished_;
        }
        ready_.notify_one();
    }

    // Line `index` once it is finished, or nothing when `until` comes first.
    std::optional<SweepLine> Take(int index, Clock::time_point until)
    {
        std::unique_lock lock(mutex_);
        std::optional<SweepLine>& slot = lines_[static_cast<std::size_t>(index)];
        if (!ready_.wait_until(lock, until, [&] { return slot.has_value(); })) {
            return std::nullopt;
        }
        std::optional<SweepLine> line = std::move(slot);
        slot.reset();
        return line;
    }

    int Finished()
    {
        const std::lock_guard lock(mutex_);
        return finished_;
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::vector<std::optional<SweepLine>> lines_;
    int finished_ = 0;
};

// "37 of 100 runs done, about 12 s left" on one terminal line, rewritten in place.
class SweepProgress {
public:
    SweepProgress(std::ostream& err, bool shown, int total)
        : err_(err), shown_(shown), total_(total), start_(Clock::now())
    {
    }

    void Show(int finished)
    {
        if (!shown_ || finished == total_) {
            return;
        }
        std::string text = "bldc-emu: " + std::to_string(finished) + " of " +
                           std::to_string(total_) + " runs done";
        if (finished > 0) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
            const double left = elapsed / finished * (total_ - finished);
            text += ", about " + std::to_string(static_cast<long long>(left + 0.5)) + " s left";
        }
        // Spaces cover the end of a longer text shown before.
        const std::size_t pad = width_ > text.size() ? width_ - text.size() : 0;
        err_ << '\r' << text << std::string(pad, ' ') << std::flush;
        width_ = text.size();
    }

    // Before anything else goes to standard error, and at the end.
    void Clear()
    {
        if (width_ > 0) {
            err_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
            width_ = 0;
        }
    }

private:
    std::ostream& err_;
    bool shown_;
    int total_;
    Clock::time_point start_;
    std::size_t width_ = 0;
};

} // namespace

int RunSweep(const CliRequest& request, const engine::TParams& params,
             const engine::ParamTexts& texts, char separator, RunOutput& printed,
             std::ostream& out, std::ostream& err, const RunContext& context)
{
    const int count = request.Sweep->Count;
    const unsigned jobs = JobsFor(request, context);
    const unsigned workers = std::min(jobs, static_cast<unsigned>(count));
    // With fewer runs than cores, each run spreads over the cores left to it.
    const SweepJob job{
        request,   params,           texts,
        separator, StartOf(request), engine::RunThreads{.Count = std::max(jobs / workers, 1u)}};

    // The names come from the view itself: preparing no samples names the channels.
    engine::ChannelSet view;
    engine::PrepareView(request.View, engine::ChannelTexts{}, separator, engine::SampleBuffer{},
                       view);
    printed.BeginSweep(view, request.ShowZc, request.Sweep->Tag);
    out << std::flush;

    ReadyLines ready(count);
    // Whatever ends this function, the runners stop after their current run before they are
    // joined.
    engine::WorkerPool runners(count);
    const auto work = [&] {
        engine::SampleBuffer run;
        engine::ChannelSet channels;
        channels.CompactRows = true;
        for (auto index = runners.Next(); index < count; index = runners.Next()) {
            SweepLine line;
            try {
                line = RunLine(job, static_cast<int>(index), run, channels);
            } catch (...) {
                line.Error = std::current_exception();
            }
            ready.Put(static_cast<int>(index), std::move(line));
        }
    };
    if (runners.Start(workers, work) == 0) {
        work();
    }

    SweepProgress progress(err, context.ErrIsTerminal, count);
    bool failed = false;
    for (int index = 0; index < count; ++index) {
        std::optional<SweepLine> line;
        while (!(line = ready.Take(index, Clock::now() + context.ProgressEvery))) {
            progress.Show(ready.Finished());
        }
        if (line->Error) {
            progress.Clear();
            std::rethrow_exception(line->Error);
        }
        printed.SweepRow(line->Typed, line->Row);
        out << std::flush;
        if (!line->Failure.empty()) {
            failed = true;
            progress.Clear();
            Report(err, line->Failure);
        }
    }
    progress.Clear();
    printed.EndSweep();
    return failed ? kExitRunFailed : kExitSuccess;
}

} // namespace cli
