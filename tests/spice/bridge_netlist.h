#pragma once

#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/sample.h"

#include <string>
#include <array>
#include <vector>

// The bridge of a circuit-model run as a netlist for ngspice: voltage-controlled switches
// driven by piecewise-linear sources at the run's switching instants (repeating every
// revolution), body diodes with the forward drop, the windings' R and L, behavioural back-EMF
// sources and the battery behind its impedance. Simulated from zero current for `revolutions`
// revolutions, the last one printed at every microsecond.

namespace spice {

struct Simulated {
    std::vector<double> TimeUs; // within the last revolution, from 0
    std::vector<std::array<double, 3>> Currents;
};

std::string BridgeNetlist(const engine::TParams& params, const engine::RunSettings& settings,
                          const engine::SampleBuffer& run, int revolutions);

// The revolutions that bring the currents from zero to their steady state (six time
// constants), plus the one compared; at least three.
int RevolutionsToSettle(const engine::TParams& params, const engine::RunSettings& settings,
                        int samples);

// Runs `ngspice -b` on the netlist (written beside `scratch`) and reads the printed table.
// Fails the calling test when ngspice cannot run or prints no table.
Simulated RunNgspice(const std::string& netlist, const std::string& scratch, int revolutions,
                     int samples);

} // namespace spice
