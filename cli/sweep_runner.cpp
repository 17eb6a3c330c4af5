#include "cli/sweep_runner.h"

#include "cli/cli_runner.h"
#include "cli/report_line.h"
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/run_summary.h"
#include "engine/zero_crossing_text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
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

// One run's line of the table, and the reason when the run failed.
struct SweepLine {
    std::string Text;
    std::string Failure;
    std::exception_ptr Error; // anything else that went wrong, passed on to the caller
};

std::string HeaderLine(const CliRequest& request, char separator)
{
    // The names come from the view itself: PrepareRes of no samples names the channels.
    const engine::SampleBuffer none;
    engine::ChannelSet channels;
    engine::PrepareRes(request.View, engine::ChannelTexts{}, separator, none, channels);
    std::string line = "value\tRPM\ttiming\tsamples";
    for (std::size_t k = 0; k < static_cast<std::size_t>(channels.ChannelCount); ++k) {
        line += '\t' + channels.Channels[k].Name + " min\t" + channels.Channels[k].Name + " max";
    }
    if (request.ShowZc) {
        line += "\tzc_mean_error_deg\tzc_max_error_deg\tzc_missed";
    }
    return line;
}

// The run of value `index` in the caller's buffers.
SweepLine RunLine(const SweepJob& job, int index, engine::SampleBuffer& run,
                  engine::ChannelSet& channels)
{
    const SweepRequest& sweep = *job.Request.Sweep;
    const std::string value = sweep.ValueText(index, job.Separator);
    engine::TParams params = job.Params;
    engine::ParamTexts texts = job.Texts;
    texts[static_cast<std::size_t>(sweep.Tag)] = sweep.TypedText(index);
    engine::ChangeParam(params, texts, sweep.Tag, true, job.Separator);

    engine::RunSummary summary;
    std::string failure;
    try {
        summary = engine::CalcPhases(params, job.Request.Settings, job.Start.PwmState,
                                     job.Start.StartAngle, run, job.Threads);
    } catch (const engine::EmulationError& error) {
        failure = error.what();
    } catch (const std::bad_alloc&) {
        failure = "not enough memory for the run";
    }
    if (!failure.empty()) {
        return {value + '\t' + failure, std::to_string(sweep.Tag) + "=" + value + ": " + failure,
                nullptr};
    }
    engine::PrepareRes(job.Request.View, engine::ChannelTexts{}, job.Separator, run, channels);

    std::string line = value;
    line += '\t';
    line += engine::RpmText(summary.Rpm);
    line += '\t';
    line += engine::TimingText(summary.Timing, job.Separator);
    line += '\t';
    line += std::to_string(run.SampleCount);
    const engine::SampleWindow window = EffectiveWindow(job.Request.Window, run.SampleCount);
    for (std::size_t k = 0; k < static_cast<std::size_t>(channels.ChannelCount); ++k) {
        const auto first = channels.ChannelRows.begin() + window.Start;
        const auto [low, high] =
            std::minmax_element(first, first + window.Len,
                                [k](const engine::TChannelRow& a, const engine::TChannelRow& b) {
                                    return a[k] < b[k];
                                });
        line += '\t';
        if (window.Len > 0) {
            engine::AppendFormatFixed(line, (*low)[k], 7, 4, job.Separator);
        }
        line += '\t';
        if (window.Len > 0) {
            engine::AppendFormatFixed(line, (*high)[k], 7, 4, job.Separator);
        }
    }
    if (job.Request.ShowZc) {
        const engine::ZcSummary zc =
            AnalyseRun(job.Request, params, job.Start, run, channels, window).Summary;
        line += '\t';
        engine::AppendOptionalFixed(line, zc.MeanErrorDeg, 4, job.Separator);
        line += '\t';
        engine::AppendOptionalFixed(line, zc.MaxErrorDeg, 4, job.Separator);
        line += '\t';
        line += std::to_string(zc.Undetected());
    }
    return {std::move(line), {}, nullptr};
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
             const engine::ParamTexts& texts, char separator, std::ostream& out, std::ostream& err,
             const RunContext& context)
{
    const int count = request.Sweep->Count;
    const unsigned jobs = JobsFor(request, context);
    const unsigned workers = std::min(jobs, static_cast<unsigned>(count));
    // With fewer runs than cores, each run spreads over the cores left to it.
    const SweepJob job{
        request,   params,           texts,
        separator, StartOf(request), engine::RunThreads{.Count = std::max(jobs / workers, 1u)}};

    out << HeaderLine(request, separator) << '\n' << std::flush;

    ReadyLines ready(count);
    std::atomic<int> next{0};
    const auto work = [&] {
        engine::SampleBuffer run;
        engine::ChannelSet channels;
        for (int index = next.fetch_add(1); index < count; index = next.fetch_add(1)) {
            SweepLine line;
            try {
                line = RunLine(job, index, run, channels);
            } catch (...) {
                line.Error = std::current_exception();
            }
            ready.Put(index, std::move(line));
        }
    };
    std::vector<std::jthread> runners;
    runners.reserve(workers);
    for (unsigned w = 0; w < workers; ++w) {
        try {
            runners.emplace_back(work);
        } catch (const std::system_error&) {
            break; // the runners started so far take every run
        }
    }
    if (runners.empty()) {
        work();
    }
    // Whatever ends this function, the runners stop after their current run before they are
    // joined.
    struct StopRunners {
        std::atomic<int>& Next;
        int Count;
        ~StopRunners() { Next = Count; }
    } const stopRunners{next, count};

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
        out << line->Text << '\n' << std::flush;
        if (!line->Failure.empty()) {
            failed = true;
            progress.Clear();
            Report(err, line->Failure);
        }
    }
    progress.Clear();
    if (!out) {
        Report(err, "cannot write the output");
        return kExitRunFailed;
    }
    return failed ? kExitRunFailed : kExitSuccess;
}

} // namespace cli
