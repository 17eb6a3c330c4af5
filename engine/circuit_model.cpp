#include "engine/circuit_model.h"

#include "engine/emulation.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace engine {
namespace {

// 1 / n for the number of tied phases: the star point is the mean of their voltages.
constexpr std::array<double, 4> kInverseCount{0.0, 1.0, 1.0 / 2, 1.0 / 3};

// A step has at most a handful of events: each phase's diode can stop once, and a floating
// phase can start conducting once; the bound only guards against rounding ping-pong.
constexpr int kMaxEventsPerStep = 8;

bool Connected(PhaseTie t)
{
    return t != PhaseTie::Open;
}

double TieVoltage(const BridgeCircuit& b, PhaseTie t, double vBatt)
{
    switch (t) {
    case PhaseTie::High:
        return vBatt;
    case PhaseTie::DiodeLow:
        return -b.DiodeDrop;
    case PhaseTie::DiodeHigh:
        return vBatt + b.DiodeDrop;
    default:
        return 0.0;
    }
}

// The star point and the terminal voltages for the ties, turning on the diode of a floating
// phase whose terminal would pass a rail by more than the drop (the worst one first, then
// again with it tied).
void ResolveVoltages(const BridgeCircuit& b, const float* e, double vBatt,
                     std::array<PhaseTie, 3>& ties, std::array<double, 3>& v, double& vZero)
{
    const double lowClamp = -b.DiodeDrop;
    const double highClamp = vBatt + b.DiodeDrop;
    for (int round = 0; round < 4; ++round) {
        int connected = 0;
        double sum = 0;
        for (int k = 0; k < 3; ++k) {
            if (Connected(ties[k])) {
                v[k] = TieVoltage(b, ties[k], vBatt);
                sum += v[k] - e[k];
                ++connected;
            }
        }
        if (connected > 0) {
            vZero = sum * kInverseCount[static_cast<std::size_t>(connected)];
        } else {
            // Nothing tied: the phase with the lowest back-EMF sits at 0 V, unless the spread
            // of the back-EMFs then lifts another beyond the high clamp.
            const double lowest = std::min({e[0], e[1], e[2]});
            const double highest = std::max({e[0], e[1], e[2]});
            vZero = std::min(-lowest, highClamp - highest);
        }
        int worst = -1;
        double worstBy = 0;
        PhaseTie worstTie = PhaseTie::Open;
        for (int k = 0; k < 3; ++k) {
            if (Connected(ties[k])) {
                continue;
            }
            const double floating = vZero + e[k];
            if (lowClamp - floating > worstBy) {
                worst = k, worstBy = lowClamp - floating, worstTie = PhaseTie::DiodeLow;
            } else if (floating - highClamp > worstBy) {
                worst = k, worstBy = floating - highClamp, worstTie = PhaseTie::DiodeHigh;
            }
        }
        if (worst < 0) {
            for (int k = 0; k < 3; ++k) {
                if (!Connected(ties[k])) {
                    v[k] = vZero + e[k];
                }
            }
            return;
        }
        ties[worst] = worstTie;
        if (connected == 0) {
            // A lone diode cannot carry current: the opposite rail's diode of the phase with
            // the other extreme back-EMF conducts with it.
            const int other = worstTie == PhaseTie::DiodeHigh
                                  ? static_cast<int>(std::min_element(e, e + 3) - e)
                                  : static_cast<int>(std::max_element(e, e + 3) - e);
            ties[other] = worstTie == PhaseTie::DiodeHigh ? PhaseTie::DiodeLow : PhaseTie::DiodeHigh;
        }
    }
}

} // namespace

BridgeCircuit MakeBridgeCircuit(double resistance, double inductanceUh, double diodeDrop,
                                double nominalVoltage, double battImpedance)
{
    BridgeCircuit b;
    b.Resistance = resistance;
    b.Inductance = inductanceUh * 1e-6;
    b.DiodeDrop = diodeDrop;
    b.NominalVoltage = nominalVoltage;
    b.BattImpedance = battImpedance;
    b.StepDecay = b.Inductance > 0 ? std::exp(-resistance * b.StepSeconds / b.Inductance) : 0.0;
    b.Conductance = 1 / resistance;
    return b;
}

void CircuitStep(const BridgeCircuit& b, TransistorBits bits, const float* e,
                 std::array<double, 3>& i, CircuitStepOut& out)
{
    std::array<PhaseTie, 3> ties{};
    double iBatt = 0;
    for (int k = 0; k < 3; ++k) {
        PhaseTie t = PhaseTie::Open;
        if ((bits >> (2 * k)) & 1U) {
            t = PhaseTie::High;
        } else if ((bits >> (2 * k + 1)) & 1U) {
            t = PhaseTie::Low;
        } else if (i[k] > 0) {
            t = PhaseTie::DiodeLow; // a current into the motor comes up from the low rail
        } else if (i[k] < 0) {
            t = PhaseTie::DiodeHigh; // a current out of it goes into the high rail
        }
        ties[k] = t;
        if (t == PhaseTie::High || t == PhaseTie::DiodeHigh) {
            iBatt += i[k];
        }
    }
    const double vBatt = b.NominalVoltage - b.BattImpedance * iBatt;
    out.VBatt = vBatt;
    out.IBatt = iBatt;

    std::array<double, 3> v{};
    double vZero = 0;
    double remaining = b.StepSeconds;
    for (int event = 0; event < kMaxEventsPerStep; ++event) {
        ResolveVoltages(b, e, vBatt, ties, v, vZero);
        if (event == 0) {
            out.PhaseV = v;
            out.VZero = vZero;
            out.Ties = ties;
        }
        std::array<double, 3> drive{}; // the current each tied branch settles to
        int stops = -1;
        double stopAfter = remaining;
        for (int k = 0; k < 3; ++k) {
            if (!Connected(ties[k])) {
                continue;
            }
            drive[k] = (v[k] - vZero - e[k]) * b.Conductance;
            const bool diode = ties[k] == PhaseTie::DiodeLow || ties[k] == PhaseTie::DiodeHigh;
            // Only a current that the whole step would carry past zero stops inside it; the
            // logarithm is taken for that one alone.
            if (diode && drive[k] * i[k] < 0 &&
                (b.Inductance == 0 || remaining < b.StepSeconds ||
                 (drive[k] + (i[k] - drive[k]) * b.StepDecay) * i[k] <= 0)) {
                // i(t) = d + (i0 - d) exp(-t R / L) reaches zero where exp(...) = d / (d - i0).
                const double when =
                    b.Inductance > 0
                        ? -b.Inductance / b.Resistance * std::log(drive[k] / (drive[k] - i[k]))
                        : 0.0;
                if (when < stopAfter) {
                    stopAfter = when, stops = k;
                }
            }
        }
        double keep = 0;
        if (stops < 0 && remaining == b.StepSeconds) {
            keep = b.StepDecay;
        } else if (b.Inductance > 0) {
            keep = std::exp(-b.Resistance * stopAfter / b.Inductance);
        } else {
            keep = stopAfter > 0 ? 0.0 : 1.0;
        }
        for (int k = 0; k < 3; ++k) {
            if (Connected(ties[k])) {
                i[k] = drive[k] + (i[k] - drive[k]) * keep;
            } else {
                i[k] = 0;
            }
        }
        if (stops < 0) {
            return;
        }
        i[stops] = 0;
        ties[stops] = PhaseTie::Open;
        remaining -= stopAfter;
    }
}

void StoreCircuitStep(const CircuitStepOut& out, const std::array<double, 3>& i, TSampleRec& r,
                      TCurrentRec& c)
{
    for (int k = 0; k < 3; ++k) {
        r.PhaseV[k] = static_cast<float>(out.PhaseV[k]);
        c.I[k] = static_cast<float>(i[k]);
    }
    r.VZero = static_cast<float>(out.VZero);
    r.VBatt = static_cast<float>(out.VBatt);
    c.IBatt = static_cast<float>(out.IBatt);
}

namespace {

[[noreturn]] void FailGrowing()
{
    throw EmulationError("The circuit's currents grow without bound: the battery impedance is "
                         "too large for this inductance at 1 us steps");
}

// A step without an event, the common case, in straight-line code: no phase without a
// transistor sees its current reach zero, no floating terminal passes a rail by a diode drop,
// and some phase is tied. Returns false, with `i` untouched, for any other step, which the
// general step then takes. The arithmetic is the general step's, so both give the same bits.
template <bool Record>
inline bool QuietStep(const BridgeCircuit& b, TransistorBits bits, const float* e,
                      std::array<double, 3>& i, CircuitStepOut& out)
{
    double iBatt = 0;
    for (int k = 0; k < 3; ++k) {
        const bool high = ((bits >> (2 * k)) & 1U) != 0;
        const bool low = ((bits >> (2 * k + 1)) & 1U) != 0;
        if (high || (!low && i[k] < 0)) {
            iBatt += i[k];
        }
    }
    const double vBatt = b.NominalVoltage - b.BattImpedance * iBatt;
    std::array<double, 3> v{};
    std::array<bool, 3> tied{};
    std::array<bool, 3> diode{};
    int connected = 0;
    double sum = 0;
    for (int k = 0; k < 3; ++k) {
        const bool high = ((bits >> (2 * k)) & 1U) != 0;
        const bool low = ((bits >> (2 * k + 1)) & 1U) != 0;
        const bool flowing = i[k] != 0;
        tied[k] = high || low || flowing;
        diode[k] = !high && !low && flowing;
        v[k] = high ? vBatt : (low ? 0.0 : (i[k] > 0 ? -b.DiodeDrop : vBatt + b.DiodeDrop));
        if (tied[k]) {
            sum += v[k] - e[k];
            ++connected;
        }
    }
    if (connected == 0) {
        return false;
    }
    const double vZero = sum * kInverseCount[static_cast<std::size_t>(connected)];
    std::array<double, 3> next{};
    for (int k = 0; k < 3; ++k) {
        if (!tied[k]) {
            v[k] = vZero + e[k];
            if (v[k] < -b.DiodeDrop || v[k] > vBatt + b.DiodeDrop) {
                return false;
            }
            continue;
        }
        const double drive = (v[k] - vZero - e[k]) * b.Conductance;
        next[k] = drive + (i[k] - drive) * b.StepDecay;
        if (diode[k] && next[k] * i[k] <= 0) {
            return false;
        }
    }
    if constexpr (Record) {
        out.PhaseV = v;
        out.VZero = vZero;
        out.VBatt = vBatt;
        out.IBatt = iBatt;
    }
    i = next;
    return true;
}

// One revolution from `i`, which it leaves at the revolution's end; recorded when `records`
// is set.
void Revolution(const BridgeCircuit& b, const CircuitInputs& in, std::array<double, 3>& i,
                TSampleRec* records, TCurrentRec* currents, std::size_t from = 0)
{
    const std::size_t count = in.Bits.size();
    const TransistorBits* bits = in.Bits.data();
    const float* emf = in.Emf.data();
    CircuitStepOut out;
    if (records == nullptr) {
        for (std::size_t n = from; n < count; ++n) {
            if (!QuietStep<false>(b, bits[n], emf + 3 * n, i, out)) {
                CircuitStep(b, bits[n], emf + 3 * n, i, out);
            }
        }
        return;
    }
    for (std::size_t n = 0; n < count; ++n) {
        const std::array<double, 3> atStart = i;
        if (!QuietStep<true>(b, bits[n], emf + 3 * n, i, out)) {
            CircuitStep(b, bits[n], emf + 3 * n, i, out);
        }
        StoreCircuitStep(out, atStart, records[n], currents[n]);
    }
}

} // namespace

SteadyState RecordSteadyState(const BridgeCircuit& b, const CircuitInputs& in,
                              TSampleRec* records, TCurrentRec* currents)
{
    SteadyState s;
    s.Settled = false;
    const std::size_t count = in.Bits.size();
    // The first warm-up from zero currents: a revolution much longer than the windings' time
    // constant forgets where it started long before its end, so only its last
    // kForgetTimeConstants time constants are run; the recorded revolution's check below
    // holds either way.
    const double tauSteps = b.Inductance / b.Resistance / b.StepSeconds;
    const double forget = kForgetTimeConstants * tauSteps;
    const std::size_t tail =
        forget < static_cast<double>(count) ? static_cast<std::size_t>(std::ceil(forget)) : count;
    Revolution(b, in, s.StartCurrents, nullptr, currents, count - tail);
    if (!std::isfinite(s.StartCurrents[0] + s.StartCurrents[1] + s.StartCurrents[2])) {
        FailGrowing();
    }
    double lastChange = tail < count ? 0.0 : std::numeric_limits<double>::infinity();
    for (int pass = 1; pass <= kMaxWarmUps; ++pass) {
        // A revolution is recorded once the one before it changed its start currents little,
        // and always after the last warm-up: it may be the one that settles.
        const bool record = lastChange < kRecordBelowAmps || pass == kMaxWarmUps;
        std::array<double, 3> i = s.StartCurrents;
        Revolution(b, in, i, record ? records : nullptr, currents);
        double change = 0;
        for (int k = 0; k < 3; ++k) {
            change = std::max(change, std::fabs(i[k] - s.StartCurrents[k]));
        }
        if (!std::isfinite(i[0] + i[1] + i[2])) {
            FailGrowing();
        }
        if (record && (change < kSettledAmps || pass == kMaxWarmUps)) {
            s.WarmUps = pass;
            s.Settled = change < kSettledAmps;
            return s; // StartCurrents: where the recorded revolution began
        }
        s.StartCurrents = i;
        lastChange = change;
    }
    return s; // not reached: the last pass records
}

} // namespace engine
