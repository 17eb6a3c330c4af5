#include "engine/emulation_step.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace engine {
namespace {

// The voltages of a step with one conducting phase j: the star point follows from the
// terminal that is tied to a rail.
void OneConducting(const StepModel& m, const std::array<int, 3>& s, const std::array<double, 3>& e,
                   TSampleRec& r)
{
    const int j = s[0] != 0 ? 0 : (s[1] != 0 ? 1 : 2);
    r.VBatt = m.NominalVoltage;
    r.PhaseV[j] = s[j] == 1 ? m.NominalVoltage : 0.0f;
    r.VZero = ToSingle(r.PhaseV[j] - e[j]);
    for (int i = 0; i < 3; ++i) {
        if (i != j) {
            r.PhaseV[i] = ToSingle(r.VZero + e[i]);
        }
    }
}

// Two conducting phases. The high and low phase are picked from the signs alone, also in the
// overlap steps where both conducting phases carry the same sign; the divider that gives the
// star point then runs between a conducting and the floating phase, as in the original model.
void TwoConducting(const StepModel& m, const std::array<int, 3>& s, const std::array<double, 3>& c,
                   const std::array<double, 3>& e, TSampleRec& r)
{
    double cosSum = 0;
    for (int k = 0; k < 3; ++k) {
        if (s[k] != 0) {
            cosSum += std::fabs(c[k]);
        }
    }
    const float battDrop = ToSingle(m.CurrentFactor / cosSum * m.LoadCurrent * m.BattImpedance);
    r.VBatt = ToSingle(static_cast<double>(m.NominalVoltage) - battDrop);

    const int h = s[0] > 0 ? 0 : (s[1] > 0 ? 1 : 2);
    int l = 0;
    if (h == 0) {
        l = s[1] < 0 ? 1 : 2;
    } else if (h == 1) {
        l = s[0] < 0 ? 0 : 2;
    } else {
        l = s[0] < 0 ? 0 : 1;
    }
    const int f = 3 - h - l;
    r.PhaseV[h] = r.VBatt;
    r.PhaseV[l] = 0.0f;
    const double ch = std::fabs(c[h]);
    r.VZero = ToSingle(ch * r.VBatt / (std::fabs(c[l]) + ch));
    r.PhaseV[f] = ToSingle(r.VZero + e[f]);
}

// Three conducting phases: two in parallel against the odd one.
void ThreeConducting(const StepModel& m, const std::array<int, 3>& s,
                     const std::array<double, 3>& c, TSampleRec& r)
{
    int p = 0;
    int q = 1;
    int o = 2;
    if (s[1] == s[0]) {
        p = 0, q = 1, o = 2;
    } else if (s[1] == s[2]) {
        p = 1, q = 2, o = 0;
    } else {
        p = 0, q = 2, o = 1;
    }
    const double pairR = std::fabs(1 / (c[p] + c[q]));
    const double oddR = std::fabs(1 / c[o]);
    const double pathSum = pairR + oddR;
    const float battDrop = ToSingle(m.CurrentFactor / pathSum * m.LoadCurrent * m.BattImpedance);
    r.VBatt = ToSingle(static_cast<double>(m.NominalVoltage) - battDrop);
    for (int k = 0; k < 3; ++k) {
        r.PhaseV[k] = s[k] == 1 ? r.VBatt : 0.0f;
    }
    r.VZero = ToSingle(r.VBatt * oddR / pathSum);
}

// Fills the switch levels, drive flags and voltages of record `r` at its angle, and for the
// circuit model its transistor states and back-EMFs at `index`.
void EmulateStep(const StepModel& m, int pwmOn, TSampleRec& r, std::int64_t index)
{
    const double angle = r.Angle;
    std::array<double, 3> c{};
    std::array<double, 3> e{};
    std::array<int, 3> s{};
    int drivenCount = 0;
    for (int k = 0; k < 3; ++k) {
        const double offset = 120.0 * k;
        c[static_cast<std::size_t>(k)] = std::cos((offset + angle) * kDegToRad);
        int sign = m.CommSign(CommutationArgument(m.Op.Timing, r.Angle, k));
        if (m.HighSidePwm && sign == 1) {
            sign = pwmOn;
        }
        if (m.LowSidePwm && sign == -1) {
            sign = -pwmOn;
        }
        const auto high = static_cast<std::size_t>(2 * k);
        r.Switch[high] = (sign == 1 ? 1 : 0) ^ m.Op.HighInvert;
        r.Switch[high + 1] = sign == -1 ? 1 : 0;
        e[static_cast<std::size_t>(k)] = -c[static_cast<std::size_t>(k)] * m.EmfAmplitude;
        r.Drive[k] = (r.Switch[high] | r.Switch[high + 1]) & pwmOn;
        s[static_cast<std::size_t>(k)] = sign;
        drivenCount += sign != 0 ? 1 : 0;
    }
    if (m.CircuitBits != nullptr) {
        std::uint8_t bits = 0;
        for (int k = 0; k < 3; ++k) {
            const int sign = s[static_cast<std::size_t>(k)];
            bits = static_cast<std::uint8_t>(bits | (sign == 1 ? 1U << (2 * k) : 0U) |
                                             (sign == -1 ? 2U << (2 * k) : 0U));
            m.CircuitEmf[3 * index + k] = static_cast<float>(-e[static_cast<std::size_t>(k)]);
        }
        m.CircuitBits[index] = bits;
        // The circuit's solution writes the voltages later.
        r.PhaseV[0] = r.PhaseV[1] = r.PhaseV[2] = 0.0f;
        r.VBatt = r.VZero = 0.0f;
        return;
    }

    switch (drivenCount) {
    case 0: {
        r.VBatt = m.NominalVoltage;
        r.VZero = ToSingle(-std::min({e[0], e[1], e[2]}));
        for (int k = 0; k < 3; ++k) {
            r.PhaseV[k] = ToSingle(e[static_cast<std::size_t>(k)] + r.VZero);
        }
        break;
    }
    case 1:
        OneConducting(m, s, e, r);
        break;
    case 2:
        TwoConducting(m, s, c, e, r);
        break;
    default:
        ThreeConducting(m, s, c, r);
        break;
    }
}

} // namespace

// The name of the first stored voltage of `r` that is not finite, or nullptr.
const char* NonFiniteField(const TSampleRec& r)
{
    if (!std::isfinite(r.VBatt)) {
        return "battery voltage";
    }
    if (!std::isfinite(r.VZero)) {
        return "star-point voltage";
    }
    static constexpr std::array<const char*, 3> kPhases{"voltage of phase A", "voltage of phase B",
                                                        "voltage of phase C"};
    for (std::size_t k = 0; k < 3; ++k) {
        if (!std::isfinite(r.PhaseV[k])) {
            return kPhases[k];
        }
    }
    return nullptr;
}

StepModel MakeStepModel(const OperatingPoint& op, const TParams& params,
                        const RunSettings& settings)
{
    return StepModel{
        .Op = op,
        .EmfAmplitude = op.EmfAmplitude,
        .CommSign = CommutationSign(op.ConductThreshold),
        .CurrentFactor = op.CurrentFactor,
        .LoadCurrent = params[MaxCurrent],
        .BattImpedance = params[BattImpedance],
        .NominalVoltage = params[NominalVoltage],
        .HighSidePwm = settings.HighSidePwm,
        .LowSidePwm = settings.LowSidePwm,
    };
}

std::int64_t EmulateSteps(const StepModel& m, TSampleRec* records, std::int64_t first,
                          std::int64_t end, StepClock& clock)
{
    for (std::int64_t i = first; i < end; ++i) {
        TSampleRec& r = records[i];
        r.Time = clock.Time;
        r.Angle = clock.Angle;
        EmulateStep(m, PwmOutputAt(m.Op, clock.Time), r, i);
        if (NonFiniteField(r) != nullptr) {
            return i;
        }
        clock.Time += m.Op.TimeStep;
        clock.Angle += m.Op.DegPerStep;
    }
    return end;
}

bool VoltagesStayFinite(const StepModel& m)
{
    // Every back-EMF is at most the amplitude. One or no conducting phase puts the star point
    // within the nominal voltage and one amplitude of a rail, and a phase one amplitude
    // further. With two conducting phases their rotor cosines, 120 degrees apart, sum to at
    // least sqrt(3)/2, so the battery drop is at most twice the current factor times current
    // and impedance; the star point divides the battery voltage. With three, the path sum is
    // at least 1 (or infinite, which makes the drop 0). The stored values therefore stay
    // within the bound below, computed in double where nothing can overflow.
    const double amplitude = std::fabs(m.EmfAmplitude);
    const double drop = 2 * m.CurrentFactor * std::fabs(m.LoadCurrent) * std::fabs(m.BattImpedance);
    const double bound = std::fabs(static_cast<double>(m.NominalVoltage)) + drop + 2 * amplitude;
    // A hundredfold margin below the float range covers every rounding on the way.
    constexpr double kSafeBound = 1e36;
    return bound < kSafeBound;
}

} // namespace engine
