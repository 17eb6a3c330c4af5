#pragma once

#include "engine/emulation_step.h"

#include <cstdint>
#include <vector>

// A long run's steps, emulated in blocks on several threads. Only the time and the angle are
// sequential (single-precision sums, cheap); they are accumulated first, and each block then
// continues that accumulation from its own first step, which gives every step the same time
// and angle as one pass would.

namespace engine {

struct StepPlan {
    std::int64_t Count = 0; // steps of the run, or the limit when Unbounded
    bool Unbounded = false; // the angle had not reached the end after `limit` steps
    std::int64_t BlockSteps = 1;
    std::vector<StepClock> BlockStarts; // the clock at steps 0, BlockSteps, 2 BlockSteps, ...
};

// Accumulates the run's time and angle as its loop does, up to `limit` steps.
StepPlan PlanSteps(const StepModel& m, float startAngle, float endAngle, std::int64_t blockSteps,
                   std::int64_t limit);

// Emulates the plan's steps into records[0] ... records[Count - 1] on `threads` threads, the
// caller's among them; the helpers are joined before it returns. Returns the index of the
// first record with a voltage that is not finite, or Count. Fewer threads are used when the
// system refuses to start more.
std::int64_t EmulateOnThreads(const StepModel& m, const StepPlan& plan, TSampleRec* records,
                              unsigned threads);

} // namespace engine
