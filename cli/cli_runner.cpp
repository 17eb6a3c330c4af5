#include "cli/cli_runner.h"

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
#include <new>
#include <ostream>

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
        const engine::Scenario scenario{Texts, edit.Settings, edit.View};
        if (edit.Path == kStandardOutput) {
            Out << engine::ScenarioText(scenario);
        } else {
            engine::SaveScenario(edit.Path, scenario);
        }
    }
};

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

// The run, or the window, as a Value Change Dump to a file or standard output, written piece
// by piece. Throws engine::FileWriteError.
void WriteVcd(const std::string& path, const engine::SampleBuffer& run,
              const engine::ChannelSet* view, const engine::SampleWindow& window, std::ostream& out)
{
    if (path == kStandardOutput) {
        engine::ChunkedText text([&out](std::string_view piece) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
        engine::WriteVcd(run, view, window, text);
        return;
    }
    engine::ByteFileWriter file(path);
    engine::ChunkedText text([&file](std::string_view piece) { file.Write(piece); });
    engine::WriteVcd(run, view, window, text);
    file.Close();
}

// The run of the --ref- options, with the channels of the live graph's view. Throws
// engine::EmulationError and std::bad_alloc.
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
    engine::SampleBuffer run;
    const engine::RunSummary summary =
        engine::CalcPhases(params, request.Reference->Settings, start.PwmState, start.StartAngle,
                           run, engine::RunThreads{.Count = threads});
    engine::ChannelSet channels;
    engine::PrepareView(request.View, engine::ChannelTexts{}, separator, run, channels);
    return graph::HoldReference(run, channels, request.View, summary);
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

    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, separator);
    const ApplyEdit apply{params, texts, separator, out};
    try {
        for (const ParamEdit& edit : request.Edits) {
            std::visit(apply, edit);
        }
    } catch (const engine::FileWriteError& error) {
        Report(err, error.FullText());
        return Finish(out, err, kExitRunFailed);
    }

    // --measure has no classic form: without --format it is a tab-separated table.
    std::optional<FormattedOutput> formatted;
    if (request.Format || request.ShowMeasure) {
        formatted.emplace(out, request.Format.value_or(engine::TableFormat::Tsv), separator);
    }
    // The texts are final before the run, so they are shown also when the run is refused.
    if (request.ShowParams) {
        if (request.Format) {
            formatted->Params(params);
        } else {
            WriteClassicParams(out, texts);
        }
    }

    const bool showsView = request.ShowChannels || request.PngPath || request.ShowZc ||
                           request.ShowMeasure || (request.VcdPath && request.ViewChosen);
    if (const char* unavailable =
            engine::ViewUnavailableText(request.View, request.Settings.Circuit.Model);
        unavailable != nullptr && (showsView || request.Sweep)) {
        formatted.reset();
        out.flush();
        Report(err, "view " + std::to_string(request.View) + ": " + unavailable);
        return kExitUsage;
    }
    if (request.Sweep) {
        formatted.reset();
        return RunSweep(request, params, texts, separator, out, err, context);
    }
    if (request.SavesScenario() && !request.NeedsRun()) {
        formatted.reset();
        return Finish(out, err, kExitSuccess); // nothing asked for needs the run
    }
    const RunStart start = StartOf(request);

    engine::SampleBuffer run;
    engine::RunSummary summary;
    try {
        summary = engine::CalcPhases(params, request.Settings, start.PwmState, start.StartAngle,
                                     run, engine::RunThreads{.Count = JobsFor(request, context)});
    } catch (const engine::EmulationError& error) {
        formatted.reset(); // a JSON document begun is closed
        out.flush();
        Report(err, error.what());
        return kExitRunFailed;
    } catch (const std::bad_alloc&) {
        formatted.reset();
        out.flush();
        Report(err, "not enough memory for the run");
        return kExitRunFailed;
    }

    if (!summary.Settled) {
        Report(err, engine::SettleNote(summary));
    }
    const bool summaryOnly = !request.HasOutput();
    if (request.ShowSummary || summaryOnly) {
        if (request.Format) {
            formatted->Summary(summary, run.SampleCount);
        } else {
            WriteClassicSummary(out, summary, run.SampleCount, separator);
        }
    }
    const engine::SampleWindow window = EffectiveWindow(request.Window, run.SampleCount);
    engine::ChannelSet channels;
    if (showsView) {
        engine::PrepareView(request.View, engine::ChannelTexts{}, separator, run, channels);
    }
    if (request.ShowChannels) {
        if (request.Format) {
            formatted->Channels(run, channels, request.View, window);
        } else {
            WriteClassicChannels(out, channels, window, separator);
        }
    }
    if (request.ShowMeasure) {
        const std::optional<engine::CircuitMeasurements> circuit =
            engine::MeasureCircuit(run, params, request.Settings, window);
        formatted->Measurements(engine::MeasureView(run, channels, window), channels,
                                circuit ? &*circuit : nullptr);
    }
    formatted.reset();
    if (request.LogPath) {
        if (*request.LogPath == kStandardOutput) {
            const std::string log = engine::BuildSampleLog(run, separator);
            out.write(log.data(), static_cast<std::streamsize>(log.size()));
        } else {
            try {
                engine::SaveSampleLog(*request.LogPath, run, separator);
            } catch (const engine::FileWriteError& error) {
                out.flush();
                Report(err, error.FullText());
                return kExitRunFailed;
            }
        }
    }
    if (request.VcdPath) {
        const engine::ChannelSet* view = request.ViewChosen ? &channels : nullptr;
        try {
            WriteVcd(*request.VcdPath, run, view, window, out);
        } catch (const engine::FileWriteError& error) {
            out.flush();
            Report(err, error.FullText());
            return kExitRunFailed;
        }
    }
    if (request.PngPath) {
        std::optional<graph::ReferenceRun> reference;
        if (request.Reference) {
            try {
                reference =
                    RunReference(request, start, separator, out, JobsFor(request, context));
            } catch (const engine::EmulationError& error) {
                out.flush();
                Report(err, std::string("the reference run: ") + error.what());
                return kExitRunFailed;
            } catch (const std::bad_alloc&) {
                out.flush();
                Report(err, "not enough memory for the reference run");
                return kExitRunFailed;
            }
        }
        const graph::HeldReference held{reference ? &*reference : nullptr, request.View};
        // The run's summaries, as the window's session builds them with its run: the paint
        // then works per pixel column instead of per sample.
        graph::PaintSummaries summaries;
        const graph::GraphPaintParams params = summaries.Complete(graph::MakeGraphPaintParams(
            run, channels, window, engine::RunSummaryText(summary, separator)));
        try {
            if (*request.PngPath == kStandardOutput) {
                WriteGraphPng(out, params, request.PngSize, held);
            } else {
                WriteGraphPng(*request.PngPath, params, request.PngSize, held);
            }
        } catch (const PictureError& error) {
            out.flush();
            Report(err, error.what());
            return kExitRunFailed;
        }
    }
    if (request.ShowZc) {
        const engine::ZcTable table = AnalyseRun(request, params, start, run, channels, window);
        const std::string text = engine::ZcTableTsv(table, separator);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        if (table.Reason != engine::ZcEmptyReason::None) {
            out.flush();
            Report(err, std::string(engine::ZcEmptyReasonText(table.Reason)));
        }
        if (table.Summary.Demag > 0) {
            out.flush();
            Report(err, std::to_string(table.Summary.Demag) + " of " +
                            std::to_string(table.Rows.size()) +
                            " intervals fired while a diode conducted (status demag)");
        }
    }
    out.flush();
    if (!out) {
        Report(err, "cannot write the output");
        return kExitRunFailed;
    }
    return kExitSuccess;
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
