#include "engine/comparators.h"

#include <cstddef>

namespace engine {

bool HasComparators(int view)
{
    return view >= 1 && view <= 3;
}

ComparatorInputs ComparatorInputsOf(int view, int phase)
{
    if (view == 2) {
        return {2 * phase, 2 * phase + 1};
    }
    return {phase, 3}; // views 1 and 3: the common reference is channel 3
}

std::int32_t ComparatorChannelCount(int view)
{
    return view == 2 ? 6 : 4;
}

int ComparatorOutput(int view, int phase, const TChannelRow& row)
{
    const ComparatorInputs in = ComparatorInputsOf(view, phase);
    return row[static_cast<std::size_t>(in.Plus)] > row[static_cast<std::size_t>(in.Minus)] ? 1 : 0;
}

} // namespace engine
