#pragma once

#include "engine/circuit_measurements.h"
#include "engine/channels.h"
#include "engine/json_writer.h"
#include "engine/measurements.h"
#include "engine/params.h"
#include "engine/run_tables.h"
#include "engine/sample.h"
#include "engine/table_writer.h"
#include "engine/chunked_text.h"
#include "engine/run_summary.h"
#include "engine/sample_window.h"
#include "engine/zero_crossing.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The printed outputs: in their classic form, or in a chosen format as tables with a header
// one after the other (TSV, with a blank line between them, or the single CSV table) or as one
// JSON document with a member per output.

namespace cli {

// What a request prints on standard output, in the order the request prints it. Destroying it
// ends what it began (a JSON document is closed, also after a failure).
class RunOutput {
public:
    virtual ~RunOutput() = default;

    virtual void Params(const engine::TParams& params, const engine::ParamTexts& texts) = 0;
    virtual void Summary(const engine::RunSummary& summary, int sampleCount) = 0;
    // The samples of the window with the view's channels.
    virtual void Channels(const engine::SampleBuffer& run, const engine::ChannelSet& result,
                          int view, const engine::SampleWindow& window) = 0;
    // With `circuit`, the currents, powers and losses of a circuit-model run follow.
    virtual void Measurements(const engine::ViewMeasurements& m, const engine::ChannelSet& result,
                              const engine::CircuitMeasurements* circuit) = 0;

    // The zero-crossing table of the view window.
    virtual void ZeroCrossings(const engine::ZcTable& table) = 0;

    // The sweep's table: its header (`sweptTag`: the parameter box swept), one row per run
    // (`typed`: the value as the user typed it), and its end.
    virtual void BeginSweep(const engine::ChannelSet& view, bool zc, int sweptTag) = 0;
    virtual void SweepRow(const std::string& typed, const engine::SweepRow& row) = 0;
    virtual void EndSweep() = 0;
};

// The classic outputs without a format, else the formatted ones.
std::unique_ptr<RunOutput> MakeRunOutput(std::ostream& out,
                                         std::optional<engine::TableFormat> format,
                                         char separator);

// "N<TAB>text" per box.
void WriteClassicParams(std::ostream& out, const engine::ParamTexts& texts);
// The graph header's line, then "samples: N".
void WriteClassicSummary(std::ostream& out, const engine::RunSummary& summary, int sampleCount,
                         char separator);
// The view's channel descriptors (name, colour, min, max), then one line of values per sample
// of the window.
void WriteClassicChannels(std::ostream& out, const engine::ChannelSet& set,
                          const engine::SampleWindow& window, char separator);
std::string ClassicSweepHeader(const engine::ChannelSet& view, bool zc);
// The value as typed, then RPM, timing, samples, the extremes and the zero-crossing columns of
// a run with them, or the failure.
std::string ClassicSweepLine(const std::string& typed, const engine::SweepRow& row,
                             std::size_t channels, char separator);

// The outputs as the lines they always had; --measure, which has none, as a TSV table.
class ClassicOutput final : public RunOutput {
public:
    ClassicOutput(std::ostream& out, char separator) : out_(out), separator_(separator) {}

    void Params(const engine::TParams& params, const engine::ParamTexts& texts) override;
    void Summary(const engine::RunSummary& summary, int sampleCount) override;
    void Channels(const engine::SampleBuffer& run, const engine::ChannelSet& result, int view,
                  const engine::SampleWindow& window) override;
    void Measurements(const engine::ViewMeasurements& m, const engine::ChannelSet& result,
                      const engine::CircuitMeasurements* circuit) override;

    void ZeroCrossings(const engine::ZcTable& table) override;

    void BeginSweep(const engine::ChannelSet& view, bool zc, int sweptTag) override;
    void SweepRow(const std::string& typed, const engine::SweepRow& row) override;
    void EndSweep() override {}

private:
    std::ostream& out_;
    char separator_;
    std::size_t sweepChannels_ = 0;
};

class FormattedOutput final : public RunOutput {
public:
    FormattedOutput(std::ostream& out, engine::TableFormat format, char separator);
    // Closes the JSON document, also when the run failed after some outputs were written.
    ~FormattedOutput() override;
    FormattedOutput(const FormattedOutput&) = delete;
    FormattedOutput& operator=(const FormattedOutput&) = delete;

    void Params(const engine::TParams& params, const engine::ParamTexts& texts) override;
    void Summary(const engine::RunSummary& summary, int sampleCount) override;
    // In JSON also the channels' names, colours and ranges.
    void Channels(const engine::SampleBuffer& run, const engine::ChannelSet& result, int view,
                  const engine::SampleWindow& window) override;
    void Measurements(const engine::ViewMeasurements& m, const engine::ChannelSet& result,
                      const engine::CircuitMeasurements* circuit) override;

    void ZeroCrossings(const engine::ZcTable& table) override;

    void BeginSweep(const engine::ChannelSet& view, bool zc, int sweptTag) override;
    void SweepRow(const std::string& typed, const engine::SweepRow& row) override;
    void EndSweep() override;

private:
    // A new table (TSV: after a blank line) or JSON member.
    engine::TableWriter& Begin(std::string_view member);
    void End();

    std::ostream& out_;
    engine::TableFormat format_;
    char separator_;
    engine::ChunkedText text_;
    engine::JsonWriter json_;
    std::unique_ptr<engine::TableWriter> table_;
    bool opened_ = false;
    std::size_t sweepChannels_ = 0;
    bool sweepZc_ = false;
};

} // namespace cli
