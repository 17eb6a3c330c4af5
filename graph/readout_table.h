#pragma once

#include "engine/channels.h"
#include "engine/measurements.h"
#include "engine/sample.h"
#include "graph/graph_painter.h" // kSwitchTraceColors
#include "graph/readout_reference.h"
#include "graph/readout_types.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// The texts of the readout: the values at the two cursors and at the pointer with their
// differences, and the measurements over the view window, as sections of text cells with
// their colours. Built without a window, so what the user reads is checked without one.

namespace graph {

struct ReadoutTable {
    std::vector<ReadoutSection> Sections;

    // The cell in the row whose first cell reads `rowLabel`, at `column`, in the section
    // titled `title` (its start suffices); nullptr when there is none.
    const ReadoutCell* Find(const std::string& title, const std::string& rowLabel,
                            int column) const;
};

// The table as text to paste elsewhere: each section's title on a line of its own, then its
// rows with the cells separated by tabs, a blank line between sections.
std::string ReadoutText(const ReadoutTable& table);

// The column of a cursor table.
enum ReadoutColumn {
    kColumnLabel = 0,
    kColumnA = 1,
    kColumnB = 2,
    kColumnPointer = 3,
    kColumnDelta = 4
};

inline constexpr const char* kCursorSection = "Cursors";
inline constexpr const char* kChannelSection = "Channels over the view";
inline constexpr const char* kSwitchSection = "Switches over the view";
inline constexpr const char* kPeriodSection = "Periods";

struct ReadoutSource {
    const engine::SampleBuffer& Run;
    const engine::ChannelSet& Result;
    std::optional<int> A;
    std::optional<int> B;
    std::optional<int> Pointer;
    SwitchLabelTexts SwitchLabels;
    std::optional<engine::ViewMeasurements> Measurements;
    std::optional<ReferenceComparison> Reference; // with a reference run held
};

// Numbers are written with the process-wide decimal separator. A sample outside the run, or
// a channel row the channels do not (yet) have, is shown as "-".
ReadoutTable BuildReadout(const ReadoutSource& source);

} // namespace graph
