#include "cli/cli_runner.h"

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

} // namespace

int RunRequest(const CliRequest& request, std::ostream& out, std::ostream& err,
               const RunContext& context)
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
        return RunSweep(request, params, texts, separator, out, err, context);
    }
    const RunStart start = StartOf(request);

    engine::SampleBuffer run;
    engine::RunSummary summary;
    try {
        summary = engine::CalcPhases(params, request.Settings, start.PwmState, start.StartAngle,
                                     run, engine::RunThreads{.Count = JobsFor(request, context)});
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

int RunCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const RunContext& context)
{
    const ParseResult parsed = ParseCommandLine(args);
    if (const auto* usage = std::get_if<UsageError>(&parsed)) {
        Report(err, usage->Message);
        return kExitUsage;
    }
    return RunRequest(std::get<CliRequest>(parsed), out, err, context);
}

} // namespace cli
