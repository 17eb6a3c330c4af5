#include "cli/cli_runner.h"

#include "cli/cli_outputs.h"
#include "cli/cli_png.h"
#include "cli/help_text.h"
#include "cli/report_line.h"
#include "cli/run_warnings.h"
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
            engine::TrackBar1Text(edit.Position, Texts[engine::NoLoadCurrent]);
        engine::ChangeParam(Params, Texts, engine::MaxCurrent, true, Separator);
    }
    void operator()(const MoveDutyScale& edit) const
    {
        Texts[engine::PwmDuty] = engine::TrackBar2Text(edit.Position);
        engine::ChangeParam(Params, Texts, engine::PwmDuty, true, Separator);
    }
    // Throws engine::LogWriteError.
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

// The samples the outputs look at: the requested window shifted into the run as the graph's
// navigation shifts it, and no longer than the run; or the whole run.
engine::SampleWindow EffectiveWindow(const std::optional<engine::SampleWindow>& request, int count)
{
    if (!request) {
        return {0, std::max(count, 0)};
    }
    return engine::CutToRun(engine::ShiftIntoRun(*request, count), count);
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

// How the request's run is started: the full revolution, or the single angle with the PWM
// output held as the circuit page holds it (at the H-side setting unless --pwm says).
struct RunStart {
    int PwmState = -1;
    float StartAngle = -0.5f;
};

RunStart StartOf(const CliRequest& request)
{
    if (!request.Angle) {
        return {};
    }
    return {request.PwmState.value_or(request.Settings.HighSidePwm ? 1 : 0), *request.Angle};
}

engine::ZcTable AnalyseRun(const CliRequest& request, const engine::TParams& params, RunStart start,
                           const engine::SampleBuffer& run, const engine::ChannelSet& channels,
                           engine::SampleWindow window)
{
    // The run went through, so its operating point is defined.
    const engine::OperatingPoint op =
        engine::ComputeOperatingPoint(params, request.Settings, start.PwmState, start.StartAngle);
    return engine::AnalyseZeroCrossings(run, op, channels, request.View, request.Detector, window);
}

// The extremes of every channel over the window; nothing for an empty window.
std::vector<std::pair<float, float>> Extremes(const engine::ChannelSet& channels,
                                              const engine::SampleWindow& window)
{
    std::vector<std::pair<float, float>> extremes;
    const auto count = static_cast<std::size_t>(channels.ChannelCount);
    for (std::size_t k = 0; k < count && window.Len > 0; ++k) {
        const auto first = channels.ChannelRows.begin() + window.Start;
        const auto [low, high] =
            std::minmax_element(first, first + window.Len,
                                [k](const engine::TChannelRow& a, const engine::TChannelRow& b) {
                                    return a[k] < b[k];
                                });
        extremes.emplace_back((*low)[k], (*high)[k]);
    }
    return extremes;
}

// The sweep's table: one line per value, the runs' failures in their lines.
int RunSweep(const CliRequest& request, const engine::TParams& params,
             const engine::ParamTexts& texts, char separator, std::ostream& out, std::ostream& err)
{
    const SweepRequest& sweep = *request.Sweep;
    const RunStart start = StartOf(request);

    // The names come from the view itself: PrepareRes of no samples names the channels.
    engine::SampleBuffer run;
    engine::ChannelSet channels;
    engine::PrepareRes(request.View, engine::ChannelTexts{}, separator, run, channels);
    const auto count = static_cast<std::size_t>(channels.ChannelCount);
    std::optional<FormattedOutput> formatted;
    if (request.Format) {
        formatted.emplace(out, *request.Format, separator);
        formatted->BeginSweep(channels, request.ShowZc);
    } else {
        out << ClassicSweepHeader(channels, request.ShowZc) << '\n';
    }

    bool failed = false;
    for (int index = 0; index < sweep.Count; ++index) {
        const std::string value = sweep.ValueText(index, separator);
        engine::TParams runParams = params;
        engine::ParamTexts runTexts = texts;
        runTexts[static_cast<std::size_t>(sweep.Tag)] = sweep.TypedText(index);
        engine::ChangeParam(runParams, runTexts, sweep.Tag, true, separator);

        engine::SweepRow row;
        row.Value = sweep.ValueText(index, '.');
        try {
            row.Summary = engine::CalcPhases(runParams, request.Settings, start.PwmState,
                                             start.StartAngle, run);
        } catch (const engine::EmulationError& error) {
            row.Failure = error.what();
        } catch (const std::bad_alloc&) {
            row.Failure = "not enough memory for the run";
        }
        if (row.Failure) {
            failed = true;
            Report(err, std::to_string(sweep.Tag) + "=" + value + ": " + *row.Failure);
        } else {
            engine::PrepareRes(request.View, engine::ChannelTexts{}, separator, run, channels);
            const engine::SampleWindow window = EffectiveWindow(request.Window, run.SampleCount);
            row.Samples = run.SampleCount;
            row.Extremes = Extremes(channels, window);
            if (request.ShowZc) {
                const engine::ZcSummary zc =
                    AnalyseRun(request, runParams, start, run, channels, window).Summary;
                row.Zc = engine::SweepZc{zc.MeanErrorDeg, zc.MaxErrorDeg, zc.Undetected()};
            }
        }
        if (formatted) {
            formatted->SweepRow(row);
        } else {
            out << ClassicSweepLine(value, row, count, separator) << '\n';
        }
    }
    if (formatted) {
        formatted->EndSweep();
        formatted.reset();
    }
    return Finish(out, err, failed ? kExitRunFailed : kExitSuccess);
}

// The run, or the window, as a Value Change Dump to a file or standard output, written piece
// by piece. Throws engine::LogWriteError.
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

} // namespace

int RunRequest(const CliRequest& request, std::ostream& out, std::ostream& err)
{
    if (request.ShowHelp || request.ShowVersion) {
        out << (request.ShowHelp ? UsageText() : VersionText());
        return Finish(out, err, kExitSuccess);
    }
    if (!ReportUnreadTexts(request, err)) {
        return kExitUsage;
    }
    const char separator = request.Separator.value_or(engine::ReadLocaleDecimalSeparator());
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
    } catch (const engine::LogWriteError& error) {
        Report(err, error.what());
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

    if (request.Sweep) {
        formatted.reset();
        return RunSweep(request, params, texts, separator, out, err);
    }
    if (request.SavesScenario() && !request.NeedsRun()) {
        formatted.reset();
        return Finish(out, err, kExitSuccess); // nothing asked for needs the run
    }
    const RunStart start = StartOf(request);

    engine::SampleBuffer run;
    engine::RunSummary summary;
    try {
        summary =
            engine::CalcPhases(params, request.Settings, start.PwmState, start.StartAngle, run);
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
    if (request.ShowChannels || request.PngPath || request.ShowZc || request.ShowMeasure ||
        (request.VcdPath && request.ViewChosen)) {
        engine::PrepareRes(request.View, engine::ChannelTexts{}, separator, run, channels);
    }
    if (request.ShowChannels) {
        if (request.Format) {
            formatted->Channels(run, channels, request.View, window);
        } else {
            WriteClassicChannels(out, channels, window, separator);
        }
    }
    if (request.ShowMeasure) {
        formatted->Measurements(engine::MeasureView(run, channels, window), channels);
    }
    formatted.reset();
    if (request.LogPath) {
        if (*request.LogPath == kStandardOutput) {
            const std::string log = engine::BuildSampleLog(run, separator);
            out.write(log.data(), static_cast<std::streamsize>(log.size()));
        } else {
            try {
                engine::SaveSampleLog(*request.LogPath, run, separator);
            } catch (const engine::LogWriteError& error) {
                out.flush();
                Report(err, error.what());
                return kExitRunFailed;
            }
        }
    }
    if (request.VcdPath) {
        const engine::ChannelSet* view = request.ViewChosen ? &channels : nullptr;
        try {
            WriteVcd(*request.VcdPath, run, view, window, out);
        } catch (const engine::LogWriteError& error) {
            out.flush();
            Report(err, error.what());
            return kExitRunFailed;
        }
    }
    if (request.PngPath) {
        const graph::GraphPaintParams params = graph::MakeGraphPaintParams(
            run, channels, window, engine::RunSummaryText(summary, separator));
        try {
            if (*request.PngPath == kStandardOutput) {
                WriteGraphPng(out, params, request.PngSize);
            } else {
                WriteGraphPng(*request.PngPath, params, request.PngSize);
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
    }
    out.flush();
    if (!out) {
        Report(err, "cannot write the output");
        return kExitRunFailed;
    }
    return kExitSuccess;
}

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    const ParseResult parsed = ParseCommandLine(args);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        Report(err, usage->Message);
        return usage->BadFile ? kExitRunFailed : kExitUsage;
    }
    return RunRequest(std::get<CliRequest>(parsed), out, err);
}

} // namespace cli
