#include "graph/graph_paint_params.h"

#include "engine/switch_labels.h"

#include <utility>

namespace graph {

SwitchLabelTexts DefaultSwitchLabels()
{
    SwitchLabelTexts labels;
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i] = engine::kSwitchLabels[i];
    return labels;
}

GraphPaintParams MakeGraphPaintParams(const engine::SampleBuffer& run,
                                      const engine::ChannelSet& result,
                                      const engine::SampleWindow& view, std::string headerText,
                                      SwitchLabelTexts switchLabels)
{
    return {.Run = run,
            .Result = result,
            .View = view,
            .HeaderText = std::move(headerText),
            .SwitchLabels = std::move(switchLabels)};
}

} // namespace graph
