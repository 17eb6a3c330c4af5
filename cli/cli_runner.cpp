#include "cli/cli_runner.h"

#include "cli/cli_options.h"
#include "cli/cli_outputs.h"
#include "cli/cli_png.h"
#include "cli/help_text.h"
#include "cli/report_line.h"
#include "cli/run_shared.h"
#include "cli/run_warnings.h"
#include "cli/sweep_runner.h"
#include "engine/channels.h"
#include "engine/decimal_separator.h"
#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/params.h"
#include "engine/measurements.h"
#include "engine/run_summary.h"
#include "engine/sample_log.h"
#include "engine/sample_window.h"
#include "engine/scenario.h"
#include "engine/vcd_writer.h"
#include "engine/zero_crossing.h"
#include "engine/zero_crossing_text.h"
#include "graph/paint_summaries.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>

namespace cli {
namespace {

// What the window's handlers do with a box text or a track bar position.
struct ApplyEdit {
    engine::TParams& Params;
    engine::ParamTexts& Texts;
    char Separator;
    std::ostream& Out;

    void operator()(const SetBoxText& edit) const
    {
        Texts[static_cast<std::size_t>(edit.Tag)] = edit.Text;
        engine::ChangeParam(Params, Texts, edit.Tag, true, Separator);
    }
    void operator()(const MoveCurrentScale& edit) const
    {
        Texts[engine::MaxCurrent] =
            engine::CurrentScaleText(edit.Position, Texts[engine::NoLoadCurrent]);
        engine::ChangeParam(Params, Texts, engine::MaxCurrent, true, Separator);
    }
    void operator()(const MoveDutyScale& edit) const
    {
        Texts[engine::PwmDuty] = engine::DutyScaleText(edit.Position);
        engine::ChangeParam(Params, Texts, engine::PwmDuty, true, Separator);
    }
    // Throws engine::FileWriteError.
    void operator()(const SaveScenarioFile& edit) const
    {
        edit.Path.WriteBytes(Out, engine::ScenarioText({Texts, edit.Settings, edit.View}));
    }
};

// A failure of a request under way: the message is for the user.
class RunFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What `step` returns; when memory runs out in it, a RunFailure "not enough memory for
// <what>".
template <typename Step>
decltype(auto) WithMemoryFor(std::string_view what, Step&& step)
{
    try {
        return std::forward<Step>(step)();
    } catch (const std::bad_alloc&) {
        throw RunFailure("not enough memory for " + std::string(what));
    }
}

// Standard output that failed (closed, full, a broken pipe) fails the command, whatever it
// printed.
int Finish(std::ostream& out, std::ostream& err, int status)
{
    out.flush();
    if (!out) {
        Report(err, "cannot write the output");
        return kExitRunFailed;
    }
    return status;
}

// The run of the --ref- options, with the channels of the live graph's view.
graph::ReferenceRun RunReference(const CliRequest& request, RunStart start, char separator,
                                 std::ostream& out, unsigned threads)
{
    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, separator);
    const ApplyEdit apply{params, texts, separator, out};
    for (const ParamEdit& edit : request.Reference->Edits) {
        std::visit(apply, edit);
    }
    try {
        return WithMemoryFor("the reference run", [&] {
            engine::SampleBuffer run;
            const engine::RunSummary summary = engine::CalcPhases(
                params, request.Reference->Settings, start.PwmState, start.StartAngle, run,
                engine::RunThreads{.Count = threads});
            engine::ChannelSet channels;
            channels.CompactRows = true;
            engine::PrepareView(request.View, engine::ChannelTexts{}, separator, run, channels);
            return graph::HoldReference(run, channels, request.View, summary);
        });
    } catch (const engine::EmulationError& error) {
        throw RunFailure(std::string("the reference run: ") + error.what());
    }
}

// A run that went through, and what its outputs look at.
struct FinishedRun {
    const CliRequest& Request;
    char Separator;
    RunStart Start;
    const engine::TParams& Params;
    engine::SampleBuffer Samples;
    engine::RunSummary Summary;
    engine::SampleWindow Window;
    engine::ChannelSet Channels; // the view's, when an output needs them
};

// --zc: the table, and on standard error why it is empty.
void PrintZcTable(const FinishedRun& run, RunOutput& printed, std::ostream& out,
                  std::ostream& err)
{
    struct Told {
        engine::ZcEmptyReason Reason;
        int Demag;
        std::size_t Rows;
    };
    const Told told = WithMemoryFor("the zero-crossing table", [&] {
        const engine::ZcTable table = AnalyseRun(run.Request, run.Params, run.Start, run.Samples,
                                                 run.Channels, run.Window);
        printed.ZeroCrossings(table);
        return Told{table.Reason, table.Summary.Demag, table.Rows.size()};
    });
    if (told.Reason != engine::ZcEmptyReason::None) {
        out.flush();
        Report(err, std::string(engine::ZcEmptyReasonText(told.Reason)));
    }
    if (told.Demag > 0) {
        out.flush();
        Report(err, std::to_string(told.Demag) + " of " + std::to_string(told.Rows) +
                        " intervals fired while a diode conducted (status demag)");
    }
}

// --summary (also when nothing is asked for), --channels, --measure, and in a format --zc.
void PrintTables(const FinishedRun& run, RunOutput& printed, std::ostream& out, std::ostream& err)
{
    const CliRequest& request = run.Request;
    if (request.ShowSummary || !request.HasOutput()) {
        printed.Summary(run.Summary, run.Samples.SampleCount);
    }
    if (request.ShowChannels) {
        WithMemoryFor("the channel table", [&] {
            printed.Channels(run.Samples, run.Channels, request.View, run.Window);
        });
    }
    if (request.ShowMeasure) {
        WithMemoryFor("the measurements", [&] {
            const std::optional<engine::CircuitMeasurements> circuit = engine::MeasureCircuit(
                run.Samples, run.Params, run.Request.Settings, run.Window);
            printed.Measurements(engine::MeasureView(run.Samples, run.Channels, run.Window),
                                 run.Channels, circuit ? &*circuit : nullptr);
        });
    }
    if (request.ShowZc && request.Format) {
        PrintZcTable(run, printed, out, err);
    }
}

// --log, --vcd and --png. Throws engine::FileWriteError and PictureError.
void WriteFiles(const FinishedRun& run, const engine::ParamTexts& texts, std::ostream& out,
                const RunContext& context)
{
    const CliRequest& request = run.Request;
    if (request.LogPath) {
        const std::string log = WithMemoryFor(
            "the sample log", [&] { return engine::BuildSampleLog(run.Samples, run.Separator); });
        request.LogPath->WriteBytes(out, log);
    }
    if (request.VcdPath) {
        const engine::ChannelSet* view = request.ViewChosen ? &run.Channels : nullptr;
        WithMemoryFor("the Value Change Dump", [&] {
            const engine::VcdAbout about{engine::Scenario{texts, request.Settings, request.View}};
            request.VcdPath->WriteText(out, [&](engine::ChunkedText& text) {
                engine::WriteVcd(run.Samples, view, run.Window, text, about);
            });
        });
        if (request.GtkwavePath) {
            std::error_code error;
            const std::filesystem::path dump =
                std::filesystem::absolute(request.VcdPath->Path(), error);
            engine::SaveGtkwave(*request.GtkwavePath, view,
                                error ? request.VcdPath->Path() : dump.string());
        }
    }
    if (request.PngPath) {
        std::optional<graph::ReferenceRun> reference;
        if (request.Reference) {
            reference = RunReference(request, run.Start, run.Separator, out,
                                     JobsFor(request, context));
        }
        WithMemoryFor("the picture", [&] {
            const graph::HeldReference held{reference ? &*reference : nullptr, request.View};
            // The run's summaries, as the window's session builds them with its run: the paint
            // then works per pixel column instead of per sample.
            graph::PaintSummaries summaries;
            const graph::GraphPaintParams params = summaries.Complete(
                graph::MakeGraphPaintParams(run.Samples, run.Channels, run.Window,
                                            engine::RunSummaryText(run.Summary, run.Separator)));
            WriteGraphPng(*request.PngPath, out, params, request.PngSize, held);
        });
    }
}



bool NeedsChannels(const CliRequest& request)
{
    return request.ShowChannels || request.PngPath || request.ShowZc || request.ShowMeasure ||
           (request.VcdPath && request.ViewChosen);
}

// The edits, the run and its outputs; returns the exit status. Throws what fails the request.
int RunEdited(const CliRequest& request, char separator, std::ostream& out, std::ostream& err,
              const RunContext& context)
{
    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, separator);
    const ApplyEdit apply{params, texts, separator, out};
    for (const ParamEdit& edit : request.Edits) {
        std::visit(apply, edit);
    }
    std::unique_ptr<RunOutput> printed = MakeRunOutput(out, request.Format, separator);
    // The texts are final before the run, so they are shown also when the run is refused.
    if (request.ShowParams) {
        printed->Params(params, texts);
    }
    if (const char* unavailable =
            engine::ViewUnavailableText(request.View, request.Settings.Circuit.Model);
        unavailable != nullptr && (NeedsChannels(request) || request.Sweep)) {
        printed.reset(); // a JSON document begun is closed
        out.flush();
        Report(err, "view " + std::to_string(request.View) + ": " + unavailable);
        return kExitUsage;
    }
    if (request.Sweep) {
        return RunSweep(request, params, texts, separator, *printed, out, err, context);
    }
    if (request.SavesScenario() && !request.NeedsRun()) {
        return kExitSuccess; // nothing asked for needs the run
    }
    FinishedRun run{request, separator, StartOf(request), params, {}, {}, {}, {}};
    run.Summary = WithMemoryFor("the run", [&] {
        return engine::CalcPhases(params, request.Settings, run.Start.PwmState,
                                  run.Start.StartAngle, run.Samples,
                                  engine::RunThreads{.Count = JobsFor(request, context)});
    });
    if (!run.Summary.Settled) {
        Report(err, engine::SettleNote(run.Summary));
    }
    run.Window = EffectiveWindow(request.Window, run.Samples.SampleCount);
    run.Channels.CompactRows = true; // no output reads more than the view's channels
    if (NeedsChannels(request)) {
        WithMemoryFor("the view's channels", [&] {
            engine::PrepareView(request.View, engine::ChannelTexts{}, separator, run.Samples,
                                run.Channels);
        });
    }
    PrintTables(run, *printed, out, err);
    if (request.Format) {
        printed.reset(); // a JSON document is complete before the files are written
    }
    WriteFiles(run, texts, out, context);
    if (request.ShowZc && !request.Format) {
        PrintZcTable(run, *printed, out, err); // the classic table comes after the files
    }
    return kExitSuccess;
}

} // namespace

int RunRequest(const CliRequest& request, std::ostream& out, std::ostream& err,
               const RunContext& context)
{
    if (request.ShowHelp || request.ShowVersion) {
        out << (request.ShowHelp ? UsageText() : VersionText());
        return Finish(out, err, kExitSuccess);
    }
    const char separator = request.Separator.value_or(engine::ReadLocaleDecimalSeparator());
    if (!ReportUnreadTexts(request, separator, err)) {
        return kExitUsage;
    }
    const engine::ScopedDecimalSeparator scopedSeparator(separator);
    ReportAngleWithoutSamples(request, separator, err);
    try {
        // The steps name what memory ran out for; anything else is the request's.
        return Finish(out, err, WithMemoryFor("the request", [&] {
                          return RunEdited(request, separator, out, err, context);
                      }));
    } catch (const engine::FileWriteError& error) {
        // The window's text, then the file and the system's reason.
        out.flush();
        Report(err, error.FullText());
        return kExitRunFailed;
    } catch (const std::runtime_error& error) {
        // A refused run, a file or picture that failed, or memory that ran out; what was
        // printed before stays (a JSON document begun is closed).
        out.flush();
        Report(err, error.what());
        return kExitRunFailed;
    }
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const RunContext& context)
{
    const ParseResult parsed = ParseCommandLine(args);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        if (usage->BadFile) {
            ReportEscaped(err, usage->Message); // the scenario reader escapes what it quotes
            return kExitRunFailed;
        }
        Report(err, usage->Message);
        return kExitUsage;
    }
    return RunRequest(std::get<CliRequest>(parsed), out, err, context);
}

} // namespace cli
