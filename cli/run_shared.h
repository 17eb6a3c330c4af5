#pragma once

#include "cli/cli_options.h"

#include <chrono>
#include <ostream>
#include <string>

// What the single run and the sweep share: how a request starts its run, the samples its
// outputs look at, the RPM text and the form of a failure line.

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

// The samples the outputs look at: the requested window moved into the run as the graph's
// navigation moves it (its length kept where the run is long enough), or the whole run.
struct SampleWindow {
    int Start = 0;
    int Len = 0;
};
SampleWindow EffectiveWindow(const std::optional<ViewWindowRequest>& request, int count);

// The RPM as the run summary writes it: rounded, halves to even, all integer digits.
std::string RpmText(float rpm);

// One "bldc-emu: ..." line.
void Report(std::ostream& err, const std::string& message);

} // namespace cli
