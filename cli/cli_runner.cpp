#include "cli/cli_runner.h"

#include "cli/cli_png.h"
#include "cli/help_text.h"
#include "cli/report_line.h"
#include "cli/run_warnings.h"
#include "engine/channels.h"
#include "engine/decimal_separator.h"
#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/params.h"
#include "engine/run_summary.h"
#include "engine/sample_log.h"
#include "engine/sample_window.h"
#include "engine/zero_crossing.h"
#include "engine/zero_crossing_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <new>
#include <ostream>

namespace cli {
namespace {

// What the window's handlers do with a box text or a track bar position.
struct ApplyEdit {
    engine::TParams& Params;
    engine::ParamTexts& Texts;
    char Separator;

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
};

void WriteParams(std::ostream& out, const engine::ParamTexts& texts)
{
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        out << tag << '\t' << texts[static_cast<std::size_t>(tag)] << '\n';
    }
}

void WriteSummary(std::ostream& out, const engine::RunSummary& summary,
                  const engine::SampleBuffer& run, char separator)
{
    out << engine::RunSummaryText(summary, separator) << '\n'
        << "samples: " << run.SampleCount << '\n';
}

std::string ColourText(engine::TColor colour)
{
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "$%08X", static_cast<unsigned>(colour));
    return text.data();
}

// The samples the outputs look at: the requested window shifted into the run as the graph's
// navigation shifts it, and no longer than the run; or the whole run.
engine::SampleWindow EffectiveWindow(const std::optional<engine::SampleWindow>& request, int count)
{
    if (!request) {
        return {0, std::max(count, 0)};
    }
    return engine::CutToRun(engine::ShiftIntoRun(*request, count), count);
}

// The view's channel descriptors, then one line of values per sample of the window. Long runs
// are written in chunks so the text of a million samples is never held at once.
void WriteChannels(std::ostream& out, const engine::ChannelSet& set, engine::SampleWindow window,
                   char separator)
{
    std::string text;
    const auto count = static_cast<std::size_t>(set.ChannelCount);
    for (std::size_t k = 0; k < count; ++k) {
        const engine::TChannelDesc& channel = set.Channels[k];
        text += channel.Name;
        text += '\t';
        text += ColourText(channel.Color);
        text += '\t';
        engine::AppendFormatFixed(text, channel.MinValue, 7, 4, separator);
        text += '\t';
        engine::AppendFormatFixed(text, channel.MaxValue, 7, 4, separator);
        text += '\n';
    }
    constexpr std::size_t kChunk = 1 << 16;
    const auto first = static_cast<std::size_t>(window.Start);
    const std::size_t end =
        std::min(first + static_cast<std::size_t>(window.Len), set.ChannelRows.size());
    for (std::size_t i = first; i < end; ++i) {
        const engine::TChannelRow& row = set.ChannelRows[i];
        for (std::size_t k = 0; k < count; ++k) {
            if (k > 0) {
                text += '\t';
            }
            engine::AppendFormatFixed(text, row[k], 7, 4, separator);
        }
        text += '\n';
        if (text.size() >= kChunk) {
            out.write(text.data(), static_cast<std::streamsize>(text.size()));
            text.clear();
        }
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
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
    std::string line = "value\tRPM\ttiming\tsamples";
    for (std::size_t k = 0; k < count; ++k) {
        line += '\t' + channels.Channels[k].Name + " min\t" + channels.Channels[k].Name + " max";
    }
    if (request.ShowZc) {
        line += "\tzc_mean_error_deg\tzc_max_error_deg\tzc_missed";
    }
    out << line << '\n';

    bool failed = false;
    for (int index = 0; index < sweep.Count; ++index) {
        const std::string value = sweep.ValueText(index, separator);
        engine::TParams runParams = params;
        engine::ParamTexts runTexts = texts;
        runTexts[static_cast<std::size_t>(sweep.Tag)] = sweep.TypedText(index);
        engine::ChangeParam(runParams, runTexts, sweep.Tag, true, separator);

        engine::RunSummary summary;
        std::string failure;
        try {
            summary = engine::CalcPhases(runParams, request.Settings, start.PwmState,
                                         start.StartAngle, run);
        } catch (const engine::EmulationError& error) {
            failure = error.what();
        } catch (const std::bad_alloc&) {
            failure = "not enough memory for the run";
        }
        if (!failure.empty()) {
            failed = true;
            out << value << '\t' << failure << '\n';
            Report(err, std::to_string(sweep.Tag) + "=" + value + ": " + failure);
            continue;
        }
        engine::PrepareRes(request.View, engine::ChannelTexts{}, separator, run, channels);

        line = value;
        line += '\t';
        line += engine::RpmText(summary.Rpm);
        line += '\t';
        line += engine::TimingText(summary.Timing, separator);
        line += '\t';
        line += std::to_string(run.SampleCount);
        const engine::SampleWindow window = EffectiveWindow(request.Window, run.SampleCount);
        for (std::size_t k = 0; k < count; ++k) {
            const auto first = channels.ChannelRows.begin() + window.Start;
            const auto [low, high] =
                std::minmax_element(first, first + window.Len,
                                    [k](const engine::TChannelRow& a,
                                        const engine::TChannelRow& b) { return a[k] < b[k]; });
            line += '\t';
            if (window.Len > 0) {
                engine::AppendFormatFixed(line, (*low)[k], 7, 4, separator);
            }
            line += '\t';
            if (window.Len > 0) {
                engine::AppendFormatFixed(line, (*high)[k], 7, 4, separator);
            }
        }
        if (request.ShowZc) {
            const engine::ZcSummary zc =
                AnalyseRun(request, runParams, start, run, channels, window).Summary;
            line += '\t';
            engine::AppendOptionalFixed(line, zc.MeanErrorDeg, 4, separator);
            line += '\t';
            engine::AppendOptionalFixed(line, zc.MaxErrorDeg, 4, separator);
            line += '\t';
            line += std::to_string(zc.Undetected());
        }
        out << line << '\n';
    }
    out.flush();
    if (!out) {
        Report(err, "cannot write the output");
        return kExitRunFailed;
    }
    return failed ? kExitRunFailed : kExitSuccess;
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
    const ApplyEdit apply{params, texts, separator};
    for (const ParamEdit& edit : request.Edits) {
        std::visit(apply, edit);
    }

    // The texts are final before the run, so they are shown also when the run is refused.
    if (request.ShowParams) {
        WriteParams(out, texts);
    }

    if (request.Sweep) {
        return RunSweep(request, params, texts, separator, out, err);
    }
    const RunStart start = StartOf(request);

    engine::SampleBuffer run;
    engine::RunSummary summary;
    try {
        summary =
            engine::CalcPhases(params, request.Settings, start.PwmState, start.StartAngle, run);
    } catch (const engine::EmulationError& error) {
        out.flush();
        Report(err, error.what());
        return kExitRunFailed;
    } catch (const std::bad_alloc&) {
        out.flush();
        Report(err, "not enough memory for the run");
        return kExitRunFailed;
    }

    const bool summaryOnly = !request.HasOutput();
    if (request.ShowSummary || summaryOnly) {
        WriteSummary(out, summary, run, separator);
    }
    const engine::SampleWindow window = EffectiveWindow(request.Window, run.SampleCount);
    engine::ChannelSet channels;
    if (request.ShowChannels || request.PngPath || request.ShowZc) {
        engine::PrepareRes(request.View, engine::ChannelTexts{}, separator, run, channels);
    }
    if (request.ShowChannels) {
        WriteChannels(out, channels, window, separator);
    }
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
        return kExitUsage;
    }
    return RunRequest(std::get<CliRequest>(parsed), out, err);
}

} // namespace cli
