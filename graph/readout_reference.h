#pragma once

#include "engine/run_summary.h"
#include "engine/zero_crossing.h"
#include "graph/readout_types.h"

#include <optional>

// The readout's comparison of the live run with the held reference: each run's summary and
// zero-crossing figures side by side, and the live run's difference from the reference.

namespace graph {

inline constexpr const char* kReferenceSection = "Reference";

// What the comparison shows of one run.
struct RunFigures {
    engine::RunSummary Summary;
    // Over the whole run with the default detector; nothing without comparators to look at.
    std::optional<engine::ZcSummary> Zc;
};

struct ReferenceComparison {
    RunFigures Live;
    RunFigures Reference;
};

// Columns: the label, live, reference, live - reference. The zero-crossing rows appear when
// both runs have them.
ReadoutSection ReferenceSection(const ReferenceComparison& comparison);

} // namespace graph
