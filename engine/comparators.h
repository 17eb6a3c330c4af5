#pragma once

#include "engine/channels.h"

#include <cstdint>

// The back-EMF comparators of the analog views: for every phase one comparator between two
// channels of the view, read from the stored single-precision channel values.
//   view 1: the phase against the star point ("Zero-wire");
//   view 2: "CompX+" (the phase through its divider) against "CompX-" (the other two phases
//           through theirs);
//   view 3: "CompX+" against "CompX-" (the mean of the three divided phases).
// View 0 shows the battery voltage and has none.

namespace engine {

// The two channel slots a comparator of a view compares.
struct ComparatorInputs {
    int Plus = 0;
    int Minus = 0;
};

bool HasComparators(int view);

// Only for a view with comparators; `phase` 0 ... 2.
ComparatorInputs ComparatorInputsOf(int view, int phase);

// The channel count a view's comparators need in the channel set.
std::int32_t ComparatorChannelCount(int view);

// 1 when the + input is strictly above the - input, else 0.
int ComparatorOutput(int view, int phase, const TChannelRow& row);

} // namespace engine
