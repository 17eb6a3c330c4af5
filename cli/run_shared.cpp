#include "cli/run_shared.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
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

SampleWindow EffectiveWindow(const std::optional<ViewWindowRequest>& request, int count)
{
    count = std::max(count, 0);
    if (!request) {
        return {0, count};
    }
    const int len = std::min(request->Len, count);
    return {std::clamp(request->Start, 0, count - len), len};
}

std::string RpmText(float rpm)
{
    double rounded = std::nearbyint(static_cast<double>(rpm));
    if (rounded == 0) {
        rounded = 0; // no "-0"
    }
    std::array<char, 320> digits{};
    std::snprintf(digits.data(), digits.size(), "%.0f", rounded);
    return digits.data();
}

void Report(std::ostream& err, const std::string& message)
{
    err << "bldc-emu: " << message << '\n';
}

} // namespace cli
