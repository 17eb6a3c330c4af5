#include "tests/spice/bridge_netlist.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace spice {
namespace {

// The model diode's own drop near the currents of these runs (0.1 to 20 A); the series source
// makes up the rest of the forward drop, which so stays within about 5 mV of the run's.
constexpr double kModelDiodeDrop = 0.042;

std::string Number(double value)
{
    std::ostringstream out;
    out.precision(12);
    out << value;
    return out.str();
}

// The PWL points of one transistor's gate: a ramp of 1 ns at every change of state, at the
// start of the step that has the new state; the waveform repeats every revolution.
std::string Gate(const engine::SampleBuffer& run, int highInvert, int k, bool high)
{
    const auto state = [&](int n) {
        const engine::TSampleRec& r = run.Samples[static_cast<std::size_t>(n)];
        return high ? (r.Switch[2 * k] ^ highInvert) : r.Switch[2 * k + 1];
    };
    std::string points = "0 " + std::to_string(state(0));
    for (int n = 1; n < run.SampleCount; ++n) {
        if (state(n) != state(n - 1)) {
            points += "\n+ " + Number(n * 1e-6) + " " + std::to_string(state(n - 1)) + " " +
                      Number(n * 1e-6 + 1e-9) + " " + std::to_string(state(n));
        }
    }
    points += "\n+ " + Number(run.SampleCount * 1e-6) + " " +
              std::to_string(state(run.SampleCount - 1));
    return "PWL(" + points + ") r=0";
}

} // namespace

int RevolutionsToSettle(const engine::TParams& params, const engine::RunSettings& settings,
                        int samples)
{
    const double tauUs = settings.Circuit.InductanceUh / params[engine::MotorResistance];
    return std::max(3, static_cast<int>(std::ceil(6 * tauUs / samples)) + 1);
}

std::string BridgeNetlist(const engine::TParams& params, const engine::RunSettings& settings,
                          const engine::SampleBuffer& run, int revolutions)
{
    const engine::OperatingPoint op = engine::ComputeOperatingPoint(params, settings, -1, -0.5f);
    const int n = run.SampleCount;
    const double period = n * 1e-6;
    // The run's angles, a straight line through the first and the last; the back-EMF of a
    // step is held at its start angle, so the continuous source runs half a step behind.
    const double first = run.Samples.front().Angle;
    const double perSecond =
        (static_cast<double>(run.Samples[static_cast<std::size_t>(n - 1)].Angle) - first) /
        ((n - 1) * 1e-6);
    const double drop = settings.Circuit.DiodeDrop;
    const double impedance = std::max<double>(params[engine::BattImpedance], 1e-6);

    std::ostringstream net;
    net << "* bridge of a circuit-model run\n"
        << ".model SWM SW(Ron=1e-5 Roff=1e8 Vt=0.5 Vh=0)\n"
        << ".model DI D(IS=1e-14 N=0.05)\n"
        << "Vbat src 0 DC " << Number(params[engine::NominalVoltage]) << "\n"
        << "Rbat src vp " << Number(impedance) << "\n"
        << "Rstar star 0 1e9\n";
    for (int k = 0; k < 3; ++k) {
        const std::string p(1, static_cast<char>('a' + k));
        net << "Vgh" << p << " gh" << p << " 0 " << Gate(run, op.HighInvert, k, true) << "\n"
            << "Vgl" << p << " gl" << p << " 0 " << Gate(run, op.HighInvert, k, false) << "\n"
            << "Sh" << p << " vp t" << p << " gh" << p << " 0 SWM\n"
            << "Sl" << p << " t" << p << " 0 gl" << p << " 0 SWM\n"
            // Each body diode: the model diode and a source for the rest of the drop.
            << "Dh" << p << " t" << p << " dh" << p << " DI\n"
            << "Vdh" << p << " dh" << p << " vp DC " << Number(drop - kModelDiodeDrop) << "\n"
            << "Dl" << p << " dl" << p << " t" << p << " DI\n"
            << "Vdl" << p << " 0 dl" << p << " DC " << Number(drop - kModelDiodeDrop) << "\n"
            << "Vs" << p << " t" << p << " r" << p << " DC 0\n"
            << "R" << p << " r" << p << " l" << p << " "
            << Number(params[engine::MotorResistance]) << "\n";
        const double henries = settings.Circuit.InductanceUh * 1e-6;
        if (henries > 0) {
            net << "L" << p << " l" << p << " e" << p << " " << Number(henries) << "\n";
        } else {
            net << "Vl" << p << " l" << p << " e" << p << " DC 0\n";
        }
        net << "Be" << p << " e" << p << " star V=" << Number(op.EmfAmplitude) << "*cos(("
            << Number(first) << "+" << Number(perSecond) << "*(time-" << Number(period)
            << "*floor(time/" << Number(period) << ")-0.5e-6)+" << 120 * k
            << ")*0.017453292519943295)\n";
    }
    // Gear integration: the trapezoidal rule rings on the floating terminals, which have no
    // capacitance, every time a diode stops conducting. Steps of at most 50 ns: with longer
    // ones the simulator carries a winding's old slope past the instant where one diode hands
    // over to the other.
    net << ".options interp method=gear\n"
        << ".tran 1u " << Number(revolutions * period) << " " << Number((revolutions - 1) * period)
        << " 0.05u\n"
        << ".print tran i(Vsa) i(Vsb) i(Vsc)\n"
        << ".end\n";
    return net.str();
}

Simulated RunNgspice(const std::string& netlist, const std::string& scratch, int revolutions,
                     int samples)
{
    Simulated out;
    const std::string path = scratch + ".cir";
    std::ofstream(path) << netlist;
    const std::string command = "ngspice -b '" + path + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot start ngspice";
        return out;
    }
    const double startUs = (revolutions - 1.0) * samples;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        int index = 0;
        double time = 0;
        std::array<double, 3> i{};
        if (std::sscanf(line, "%d %lf %lf %lf %lf", &index, &time, &i[0], &i[1], &i[2]) == 5) {
            out.TimeUs.push_back(time * 1e6 - startUs);
            out.Currents.push_back(i);
        }
    }
    const int status = ::pclose(pipe);
    EXPECT_EQ(status, 0) << "ngspice -b " << path;
    EXPECT_GT(out.TimeUs.size(), static_cast<std::size_t>(samples) / 2) << "ngspice -b " << path;
    return out;
}

} // namespace spice
