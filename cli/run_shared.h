#pragma once

#include "cli/cli_request.h"
#include "engine/channels.h"
#include "engine/emulation.h"
#include "engine/sample_window.h"
#include "engine/zero_crossing.h"

#include <chrono>
#include <optional>

// What the single run and the sweep share: where the request runs, how it starts its run, the
// samples its outputs look at and the zero-crossing analysis of a run.

namespace cli {

// What a request learns from where it runs rather than from its command line.
struct RunContext {
    bool ErrIsTerminal = false; // standard error shows the progress of long sweeps
    unsigned Cores = 0;         // the default of --jobs; 0: the machine's cores
    std::chrono::milliseconds ProgressEvery{250};
};

// The cores a request may use: --jobs, else the context's, else the machine's.
unsigned JobsFor(const CliRequest& request, const RunContext& context);

// How the request's run is started: the full revolution, or the single angle with the PWM
// output held as the circuit page holds it (at the H-side setting unless --pwm says).
struct RunStart {
    int PwmState = -1;
    float StartAngle = -0.5f;
};
RunStart StartOf(const CliRequest& request);

// The samples the outputs look at: the requested window shifted into the run as the graph's
// navigation shifts it, and no longer than the run; or the whole run.
engine::SampleWindow EffectiveWindow(const std::optional<engine::SampleWindow>& request, int count);

// The zero-crossing table of a run that went through.
engine::ZcTable AnalyseRun(const CliRequest& request, const engine::TParams& params, RunStart start,
                           const engine::SampleBuffer& run, const engine::ChannelSet& channels,
                           engine::SampleWindow window);

} // namespace cli
