#include "cli/run_shared.h"

#include <algorithm>
#include <thread>

namespace cli {

unsigned JobsFor(const CliRequest& request, const RunContext& context)
{
    if (request.Jobs) {
        return static_cast<unsigned>(*request.Jobs);
    }
    const unsigned cores = context.Cores != 0 ? context.Cores : std::thread::hardware_concurrency();
    return std::max(cores, 1u);
}

RunStart StartOf(const CliRequest& request)
{
    if (!request.Angle) {
        return {};
    }
    return {request.PwmState.value_or(request.Settings.HighSidePwm ? 1 : 0), *request.Angle};
}

engine::SampleWindow EffectiveWindow(const std::optional<engine::SampleWindow>& request, int count)
{
    if (!request) {
        return {0, std::max(count, 0)};
    }
    return engine::CutToRun(engine::ShiftIntoRun(*request, count), count);
}

engine::ZcTable AnalyseRun(const CliRequest& request, const engine::TParams& params, RunStart start,
                           const engine::SampleBuffer& run, const engine::ChannelSet& channels,
                           engine::SampleWindow window)
{
    // The run went through, so its operating point is defined.
    const engine::OperatingPoint op =
        engine::ComputeOperatingPoint(params, request.Settings, start.PwmState, start.StartAngle);
    return engine::AnalyseZeroCrossings(run, op, channels, request.View, request.Detector, window);
}

} // namespace cli
