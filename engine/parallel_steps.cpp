#include "engine/parallel_steps.h"

#include "engine/worker_pool.h"

#include <algorithm>
#include <atomic>

namespace engine {

StepPlan PlanSteps(const StepModel& m, float startAngle, float endAngle, std::int64_t blockSteps,
                   std::int64_t limit)
{
    StepPlan plan;
    plan.BlockSteps = std::max<std::int64_t>(blockSteps, 1);
    StepClock clock{0.0f, startAngle};
    std::int64_t count = 0;
    std::int64_t toNextBlock = 0; // a countdown: a division per step would cost more than the sum
    while (clock.Angle < endAngle) {
        if (count >= limit) {
            plan.Unbounded = true;
            break;
        }
        if (toNextBlock == 0) {
            plan.BlockStarts.push_back(clock);
            toNextBlock = plan.BlockSteps;
        }
        --toNextBlock;
        clock.Time += m.Op.TimeStep;
        clock.Angle += m.Op.DegPerStep;
        ++count;
    }
    plan.Count = count;
    return plan;
}

std::int64_t EmulateOnThreads(const StepModel& m, const StepPlan& plan, TSampleRec* records,
                              unsigned threads)
{
    std::atomic<std::int64_t> firstFault{plan.Count};
    {
        WorkerPool pool(static_cast<std::int64_t>(plan.BlockStarts.size()));
        const auto work = [&]() noexcept {
            for (std::int64_t b = pool.Next(); b < pool.Count(); b = pool.Next()) {
                const std::int64_t first = b * plan.BlockSteps;
                const std::int64_t end = std::min(plan.Count, first + plan.BlockSteps);
                StepClock clock = plan.BlockStarts[static_cast<std::size_t>(b)];
                const std::int64_t fault = EmulateSteps(m, records, first, end, clock);
                if (fault < end) {
                    std::int64_t seen = firstFault.load();
                    while (fault < seen && !firstFault.compare_exchange_weak(seen, fault)) {
                    }
                }
            }
        };
        pool.Start(threads > 0 ? threads - 1 : 0, work);
        work(); // the caller takes blocks too
    } // joins the helpers
    return firstFault.load();
}

} // namespace engine
