#pragma once

#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/run_summary.h"
#include "engine/sample_window.h"
#include "engine/table_writer.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The parameter set, the run summary and the rows of a parameter sweep as tables for files
// and scripts (TSV, CSV or JSON through a TableWriter).

namespace engine {

// TAG, NAME, TEXT, VALUE, UNIT: the box's normalised text (with the table's separator), the
// value the emulation uses, which may hold more digits than the box shows, and its unit.
void WriteParamsTable(const TParams& params, TableWriter& table);

// RPM, TIMING (deg), SAMPLES: one row, rounded as the graph's header shows them; in JSON one
// object rather than a list of one.
void WriteSummaryTable(const RunSummary& summary, int sampleCount, TableWriter& table);
std::vector<std::string> SummaryColumns();

// The zero-crossing columns of a sweep's run: the mean and the largest detection error
// (empty without a detection) and the intervals without a detection.
struct SweepZc {
    std::optional<double> MeanErrorDeg;
    std::optional<double> MaxErrorDeg;
    int Undetected = 0;
};

// One run of a sweep: the value typed (written with '.'), then either the run's results or
// the reason it was refused.
struct SweepRow {
    std::string Value;
    RunSummary Summary;
    int Samples = 0;
    std::vector<std::pair<float, float>> Extremes; // per channel; empty for an empty window
    std::optional<SweepZc> Zc;                     // with the zero-crossing columns
    std::optional<std::string> Failure;
};

// The swept box with its unit ("PwmDuty (%)"; VALUE without a box), RPM, TIMING (deg), SAMPLES,
// "<channel> MIN (V)", "<channel> MAX (V)" for every channel of the view named by `view`,
// with `zc` ZC MEAN ERROR (deg), ZC MAX ERROR (deg), ZC UNDETECTED, and ERROR.
std::vector<std::string> SweepColumns(const ChannelSet& view, bool zc, int sweptTag = 0);
void WriteSweepRow(const SweepRow& row, std::size_t channels, bool zc, TableWriter& table);

// Each channel's smallest and largest value over the window, as a sweep row gives them;
// nothing for an empty window.
std::vector<std::pair<float, float>> SweepExtremes(const ChannelSet& channels,
                                                   const SampleWindow& window);

} // namespace engine
