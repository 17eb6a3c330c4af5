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

#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The printed outputs: in their classic form, or in a chosen format as tables with a header
// one after the other (TSV, with a blank line between them, or the single CSV table) or as one
// JSON document with a member per output.

namespace cli {

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

class FormattedOutput {
public:
    FormattedOutput(std::ostream& out, engine::TableFormat format, char separator);
    // Closes the JSON document, also when the run failed after some outputs were written.
    ~FormattedOutput();
    FormattedOutput(const FormattedOutput&) = delete;
    FormattedOutput& operator=(const FormattedOutput&) = delete;

    void Params(const engine::TParams& params);
    void Summary(const engine::RunSummary& summary, int sampleCount);
    // The samples of the window with the view's channels; in JSON also the channels' names,
    // colours and ranges.
    void Channels(const engine::SampleBuffer& run, const engine::ChannelSet& result, int view,
                  const engine::SampleWindow& window);
    // With `circuit`, the currents, powers and losses of a circuit-model run follow.
    void Measurements(const engine::ViewMeasurements& m, const engine::ChannelSet& result,
                      const engine::CircuitMeasurements* circuit = nullptr);

    void BeginSweep(const engine::ChannelSet& view, bool zc);
    void SweepRow(const engine::SweepRow& row);
    void EndSweep();

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
