#include "cli/cli_outputs.h"

#include "engine/measurement_export.h"
#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/view_export.h"
#include "engine/zero_crossing_text.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace cli {

namespace {

std::string ColourText(engine::TColor colour)
{
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "$%08X", static_cast<unsigned>(colour));
    return text.data();
}

} // namespace

void WriteClassicParams(std::ostream& out, const engine::ParamTexts& texts)
{
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        out << tag << '\t' << texts[static_cast<std::size_t>(tag)] << '\n';
    }
}

void WriteClassicSummary(std::ostream& out, const engine::RunSummary& summary, int sampleCount,
                         char separator)
{
    out << engine::RunSummaryText(summary, separator) << '\n' << "samples: " << sampleCount << '\n';
}

// Long runs are written in chunks so the text of a million samples is never held at once.
void WriteClassicChannels(std::ostream& out, const engine::ChannelSet& set,
                          const engine::SampleWindow& window, char separator)
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
    const auto first = static_cast<std::size_t>(std::max(window.Start, 0));
    const std::size_t end =
        std::min(first + static_cast<std::size_t>(std::max(window.Len, 0)), set.ChannelRows.size());
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

std::string ClassicSweepHeader(const engine::ChannelSet& view, bool zc)
{
    std::string line = "value\tRPM\ttiming\tsamples";
    const auto count = static_cast<std::size_t>(view.ChannelCount);
    for (std::size_t k = 0; k < count; ++k) {
        line += '\t' + view.Channels[k].Name + " min\t" + view.Channels[k].Name + " max";
    }
    if (zc) {
        line += "\tzc_mean_error_deg\tzc_max_error_deg\tzc_missed";
    }
    return line;
}

std::string ClassicSweepLine(const std::string& typed, const engine::SweepRow& row,
                             std::size_t channels, char separator)
{
    std::string line = typed;
    line += '\t';
    if (row.Failure) {
        return line + *row.Failure;
    }
    line += engine::RpmText(row.Summary.Rpm);
    line += '\t';
    line += engine::TimingText(row.Summary.Timing, separator);
    line += '\t';
    line += std::to_string(row.Samples);
    for (std::size_t k = 0; k < channels; ++k) {
        line += '\t';
        if (k < row.Extremes.size()) {
            engine::AppendFormatFixed(line, row.Extremes[k].first, 7, 4, separator);
        }
        line += '\t';
        if (k < row.Extremes.size()) {
            engine::AppendFormatFixed(line, row.Extremes[k].second, 7, 4, separator);
        }
    }
    if (row.Zc) {
        line += '\t';
        engine::AppendOptionalFixed(line, row.Zc->MeanErrorDeg, 4, separator);
        line += '\t';
        engine::AppendOptionalFixed(line, row.Zc->MaxErrorDeg, 4, separator);
        line += '\t';
        line += std::to_string(row.Zc->Undetected);
    }
    return line;
}

FormattedOutput::FormattedOutput(std::ostream& out, engine::TableFormat format, char separator)
    : out_(out), format_(format), separator_(separator), text_([this](std::string_view piece) {
          out_.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      }),
      json_(text_.Text())
{
}

FormattedOutput::~FormattedOutput()
{
    if (format_ == engine::TableFormat::Json && opened_) {
        json_.EndObject();
        text_.Text() += '\n';
        text_.Flush();
    }
}

engine::TableWriter& FormattedOutput::Begin(std::string_view member)
{
    if (format_ == engine::TableFormat::Json) {
        if (!opened_) {
            json_.BeginObject();
        }
        json_.Key(member);
    } else if (opened_) {
        text_.Text() += '\n';
    }
    opened_ = true;
    table_ = std::make_unique<engine::TableWriter>(format_, text_.Text(), separator_);
    return *table_;
}

void FormattedOutput::End()
{
    table_.reset();
    text_.Flush();
}

void FormattedOutput::Params(const engine::TParams& params)
{
    engine::TableWriter& table = Begin("params");
    json_.ExternalValue();
    engine::WriteParamsTable(params, table);
    End();
}

void FormattedOutput::Summary(const engine::RunSummary& summary, int sampleCount)
{
    engine::TableWriter& table = Begin("summary");
    json_.ExternalValue();
    engine::WriteSummaryTable(summary, sampleCount, table);
    End();
}

void FormattedOutput::Channels(const engine::SampleBuffer& run, const engine::ChannelSet& result,
                               int view, const engine::SampleWindow& window)
{
    engine::TableWriter& table = Begin("channels");
    if (format_ == engine::TableFormat::Json) {
        json_.BeginObject();
        json_.Key("view");
        json_.Integer(view);
        json_.Key("channels");
        json_.BeginArray();
        const int channels = std::clamp(result.ChannelCount, 0, engine::kMaxChannels);
        for (std::size_t k = 0; k < static_cast<std::size_t>(channels); ++k) {
            const engine::TChannelDesc& channel = result.Channels[k];
            json_.BeginObject();
            json_.Key("name");
            json_.Text(channel.Name);
            json_.Key("color");
            json_.Text(ColourText(channel.Color));
            json_.Key("min");
            json_.Float(channel.MinValue);
            json_.Key("max");
            json_.Float(channel.MaxValue);
            json_.EndObject();
        }
        json_.EndArray();
        json_.Key("samples");
    }
    json_.ExternalValue();
    engine::WriteViewTable(run, result, window, table, text_);
    if (format_ == engine::TableFormat::Json) {
        json_.EndObject();
    }
    End();
}

void FormattedOutput::Measurements(const engine::ViewMeasurements& m,
                                   const engine::ChannelSet& result,
                                   const engine::CircuitMeasurements* circuit)
{
    engine::TableWriter& table = Begin("measurements");
    if (format_ == engine::TableFormat::Json) {
        engine::WriteMeasurementJson(m, result, json_, circuit);
    } else {
        engine::WriteMeasurementTable(m, result, table, circuit);
    }
    End();
}

void FormattedOutput::BeginSweep(const engine::ChannelSet& view, bool zc)
{
    sweepZc_ = zc;
    sweepChannels_ =
        static_cast<std::size_t>(std::clamp(view.ChannelCount, 0, engine::kMaxChannels));
    engine::TableWriter& table = Begin("sweep");
    json_.ExternalValue();
    table.Header(engine::SweepColumns(view, zc));
    text_.Flush();
}

void FormattedOutput::SweepRow(const engine::SweepRow& row)
{
    engine::WriteSweepRow(row, sweepChannels_, sweepZc_, *table_);
    // Each run's line is seen as soon as the run is done, as in the classic table.
    text_.Flush();
    out_.flush();
}

void FormattedOutput::EndSweep()
{
    table_->Finish();
    End();
}

} // namespace cli
