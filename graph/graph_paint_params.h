#pragma once

#include "engine/channels.h"
#include "engine/sample.h"
#include "engine/sample_window.h"

#include <array>
#include <string>

namespace graph {

class ChannelEnvelope;
class SwitchEdges;

using SwitchLabelTexts = std::array<std::string, 6>; // Edit101 ... Edit106

// Everything one paint of the graph reads; the painter keeps nothing between calls.
struct GraphPaintParams {
    const engine::SampleBuffer& Run;
    const engine::ChannelSet& Result;
    engine::SampleWindow View;     // ViewStart, ViewLen
    std::string HeaderText;        // cell (1, 0): the run summary
    SwitchLabelTexts SwitchLabels; // the labels of rows 1 to 6
    // Summaries of the run and the channels that let a paint work per pixel column rather
    // than per sample; either may be missing or stale (the painter then reads the samples).
    const SwitchEdges* Edges = nullptr;
    const ChannelEnvelope* Envelope = nullptr;
};

// The circuit page's switch labels as the window starts with them.
SwitchLabelTexts DefaultSwitchLabels();

// The one place the parameters are put together: the window's grid and the graph exports pass
// the texts of the form's controls, bldc-emu's --png the run summary and the default labels.
GraphPaintParams MakeGraphPaintParams(const engine::SampleBuffer& run,
                                      const engine::ChannelSet& result,
                                      const engine::SampleWindow& view, std::string headerText,
                                      SwitchLabelTexts switchLabels = DefaultSwitchLabels());

} // namespace graph
