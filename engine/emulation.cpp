#include "engine/emulation.h"

#include "engine/format_fixed.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

namespace engine {
namespace {

// The model's constants are single-precision numbers; they enter the double-precision
// arithmetic with their stored values, not with the decimals they were written as.
constexpr float kDegToRad = 0.017453292f;
constexpr float kConductThreshold120 = 0.4999f;
constexpr float kCurrentFactor120 = 1.6548095f;
constexpr float kConductThreshold180 = 1e-6f;
constexpr float kCurrentFactor180 = 2.11186f;

// Belt and braces behind the refusal of long runs: a run whose angle steps round worse than
// predicted can take at most 1.5 times the predicted steps, so this bound is never reached
// by a run that was let through.
constexpr std::int64_t kHardStepLimit = 2 * kMaxRunSteps;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

// Rounds to single precision as storing a value does. A value beyond the float range becomes
// an infinity, as the hardware conversion gives, without the undefined out-of-range cast.
inline float ToSingle(double value)
{
    constexpr double kFirstOverflow = 0x1.ffffffp127; // FLT_MAX plus half an ulp
    if (value >= kFirstOverflow) {
        return kInfinity;
    }
    if (value <= -kFirstOverflow) {
        return -kInfinity;
    }
    return static_cast<float>(value);
}

std::string Figure(double value, int decimals)
{
    return FormatFixed(value, 8, decimals);
}

[[noreturn]] void Fail(const std::string& message)
{
    throw EmulationError(message);
}

// Rounds an operating-point value to single precision; a value that leaves the float range
// is the overflow the run would have faulted on.
float StoreOperatingValue(double value, const char* name)
{
    const float stored = ToSingle(value);
    if (!std::isfinite(stored)) {
        Fail(std::string("The ") + name +
             " is out of range at these parameters: the operating point is undefined");
    }
    return stored;
}

void CheckParamsFinite(const TParams& params)
{
    static constexpr std::array<const char*, kParamCount + 1> kNames{
        "",
        "Nominal voltage",
        "Battery impedance",
        "Motor speed constant",
        "Motor resistance",
        "No-load current",
        "PWM frequency",
        "Timing at 10 % duty",
        "Timing at 100 % duty",
        "Maximum current",
        "PWM duty cycle",
    };
    for (int tag = 1; tag <= kParamCount; ++tag) {
        if (!std::isfinite(params[tag])) {
            Fail(std::string(kNames[static_cast<std::size_t>(tag)]) +
                 " is not a finite number: the operating point is undefined");
        }
    }
}

// The speed factor of the load curve, 1 - (4 L^3 + 1.4) L; the motor stalls where it is 0.
double SpeedFactor(double loadFactor)
{
    return 1 - (4 * (loadFactor * loadFactor * loadFactor) + 1.4) * loadFactor;
}

// True when a step of `step` degrees changes the single-precision angle `angle`.
bool StepAdvances(float angle, float step)
{
    const float next = angle + step;
    return next != angle;
}

// A run must advance its angle at every step and end within kMaxRunSteps. The angle spacing
// of a float is widest at the largest magnitude, which lies at one end of the range; the
// neighbour toward zero covers a step of exactly half the spacing, which rounds to even
// and so advances only every other float.
void CheckRunCanEnd(const TParams& params, const OperatingPoint& op)
{
    if (!(op.StartAngle < op.EndAngle)) {
        return; // the loop records nothing
    }
    if (op.Rpm <= 0) {
        std::string cause;
        if (params[NominalVoltage] == 0) {
            cause = "the nominal voltage is 0 V";
        } else if (op.StallCurrent <= params[NoLoadCurrent]) {
            // The load curve then runs backwards: no maximum current makes the motor turn, so
            // the message must point at the motor's values, not at the current.
            cause = "the stall current of " + Figure(op.StallCurrent, 2) +
                    " A (nominal voltage / motor resistance) is not above the no-load current of " +
                    Figure(params[NoLoadCurrent], 2) + " A";
        } else if (SpeedFactor(op.LoadFactor) <= 0) {
            cause = "the maximum current of " + Figure(params[MaxCurrent], 1) +
                    " A stalls the motor (load factor " + Figure(op.LoadFactor, 4) +
                    "); lower the maximum current";
        } else {
            cause = "the speed is too small to be represented";
        }
        Fail("The motor does not turn at this operating point (RPM = " + Figure(op.Rpm, 1) +
             "): " + cause);
    }
    const float lastAngle = std::nextafter(op.EndAngle, -kInfinity);
    for (const float end : {op.StartAngle, lastAngle}) {
        for (const float angle : {end, std::nextafter(end, 0.0f)}) {
            if (!StepAdvances(angle, op.DegPerStep)) {
                Fail("The motor turns too slowly for a run (RPM = " + Figure(op.Rpm, 4) +
                     "): a step of 1 us no longer advances the angle near " + Figure(angle, 4) +
                     " deg");
            }
        }
    }
    const double predictedSteps =
        (static_cast<double>(op.EndAngle) - op.StartAngle) / op.DegPerStep;
    if (predictedSteps > static_cast<double>(kMaxRunSteps)) {
        Fail("The run would take about " + FormatFixed(std::ceil(predictedSteps), 18, 0) +
             " steps of 1 us (RPM = " + Figure(op.Rpm, 4) + "): runs of more than " +
             std::to_string(kMaxRunSteps) + " steps are refused");
    }
}

// The inputs every step of a run shares, widened once.
struct StepModel {
    float Timing;
    double EmfAmplitude;
    double ConductThreshold;
    double CurrentFactor;
    double LoadCurrent;   // Params[MaxCurrent]
    double BattImpedance; // Params[BattImpedance]
    float NominalVoltage;
    int HighInvert;
    bool HighSidePwm;
    bool LowSidePwm;
};

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

// Fills the switch levels, drive flags and voltages of record `r` at its angle.
void EmulateStep(const StepModel& m, int pwmOn, TSampleRec& r)
{
    constexpr double kDeg = kDegToRad;
    const double angle = r.Angle;
    std::array<double, 3> c{};
    std::array<double, 3> e{};
    std::array<int, 3> s{};
    int drivenCount = 0;
    for (int k = 0; k < 3; ++k) {
        const double offset = 120.0 * k;
        c[static_cast<std::size_t>(k)] = std::cos((offset + angle) * kDeg);
        const double commCos = CommutationCos(m.Timing, r.Angle, k);
        int sign = 0;
        if (std::fabs(commCos) > m.ConductThreshold) {
            sign = commCos > 0 ? 1 : -1;
        }
        if (m.HighSidePwm && sign == 1) {
            sign = pwmOn;
        }
        if (m.LowSidePwm && sign == -1) {
            sign = -pwmOn;
        }
        const auto high = static_cast<std::size_t>(2 * k);
        r.Switch[high] = (sign == 1 ? 1 : 0) ^ m.HighInvert;
        r.Switch[high + 1] = sign == -1 ? 1 : 0;
        e[static_cast<std::size_t>(k)] = -c[static_cast<std::size_t>(k)] * m.EmfAmplitude;
        r.Drive[k] = (r.Switch[high] | r.Switch[high + 1]) & pwmOn;
        s[static_cast<std::size_t>(k)] = sign;
        drivenCount += sign != 0 ? 1 : 0;
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

[[noreturn]] void FailInRun(std::int32_t step, float angle, const std::string& cause)
{
    Fail("The run stopped at step " + std::to_string(step) + " (angle " + Figure(angle, 4) +
         " deg): " + cause);
}

} // namespace

double CommutationCos(float timing, float angle, int k)
{
    constexpr double kDeg = kDegToRad;
    return std::cos((static_cast<double>(angle) + timing + 120.0 * k) * kDeg);
}

bool PhaseFloats(const OperatingPoint& op, float angle, int k)
{
    // Equality floats the phase.
    return std::fabs(CommutationCos(op.Timing, angle, k)) <=
           static_cast<double>(op.ConductThreshold);
}

int PwmOutputAt(const OperatingPoint& op, float time)
{
    if (op.PwmState >= 0) {
        return op.PwmState;
    }
    // The on part starts each period, and the comparison includes equality.
    const double periods = time / static_cast<double>(op.PwmPeriod);
    return periods - std::trunc(periods) <= static_cast<double>(op.Duty) ? 1 : 0;
}

OperatingPoint ComputeOperatingPoint(const TParams& params, const RunSettings& settings,
                                     int pwmState, float startAngle)
{
    CheckParamsFinite(params);
    if (!std::isfinite(startAngle)) {
        Fail("The start angle is not a finite number");
    }
    const double nominalVoltage = params[NominalVoltage];
    const double rpmPerVolt = params[RpmPerVolt];
    const double noLoadCurrent = params[NoLoadCurrent];

    OperatingPoint op;
    op.Duty = StoreOperatingValue(0.01 * params[PwmDuty], "duty cycle");
    if (op.Duty < 0.1) {
        op.Timing = params[Timing10];
    } else {
        op.Timing = StoreOperatingValue(
            params[Timing10] +
                (static_cast<double>(params[Timing100]) - params[Timing10]) * (op.Duty - 0.1) / 0.9,
            "timing");
    }

    if (params[MotorResistance] == 0) {
        Fail("Motor resistance is 0 Ohms: the stall current is undefined");
    }
    op.StallCurrent =
        StoreOperatingValue(nominalVoltage / params[MotorResistance], "stall current");

    if (op.StallCurrent == params[NoLoadCurrent]) {
        Fail("The stall current equals the no-load current (" + Figure(op.StallCurrent, 2) +
             " A): the load factor is undefined");
    }
    op.LoadFactor = StoreOperatingValue((params[MaxCurrent] - noLoadCurrent) /
                                            (op.StallCurrent - noLoadCurrent) * 1.8,
                                        "load factor");

    op.Rpm = StoreOperatingValue(nominalVoltage * rpmPerVolt * SpeedFactor(op.LoadFactor),
                                 "motor speed (RPM)");
    if (op.Duty > 0.009) {
        // At 0 % duty the speed is deliberately left unscaled.
        op.Rpm = StoreOperatingValue(static_cast<double>(op.Rpm) * op.Duty, "motor speed (RPM)");
    }

    if (params[RpmPerVolt] == 0) {
        Fail("Motor speed constant is 0 RPM/V: the back-EMF amplitude is undefined");
    }
    op.EmfAmplitude =
        StoreOperatingValue(op.Rpm / rpmPerVolt * 0.666667 * 0.9, "back-EMF amplitude");
    op.TimeStep = 1.0f;
    op.DegPerStep =
        StoreOperatingValue(static_cast<double>(op.TimeStep) * op.Rpm * 6e-6, "angle step");
    op.StartAngle = startAngle;
    op.EndAngle =
        pwmState >= 0 ? StoreOperatingValue(SingleAngleEnd(startAngle), "end angle") : 360.0f;

    if (params[PwmFrequency] == 0) {
        Fail("PWM frequency is 0 Hz: the PWM period is undefined");
    }
    op.PwmPeriod = StoreOperatingValue(1e6 / params[PwmFrequency], "PWM period");

    op.ConductThreshold = settings.Pattern120 ? kConductThreshold120 : kConductThreshold180;
    op.CurrentFactor = settings.Pattern120 ? kCurrentFactor120 : kCurrentFactor180;
    op.HighInvert = (settings.DriverKind + settings.MosfetKind) & 1;
    op.PwmState = pwmState < 0 ? -1 : (pwmState != 0 ? 1 : 0);

    CheckRunCanEnd(params, op);
    return op;
}

float SingleAngleEnd(float startAngle)
{
    return ToSingle(static_cast<double>(startAngle) + 0.0001);
}

RunSummary CalcPhases(const TParams& params, const RunSettings& settings, int pwmState,
                      float startAngle, SampleBuffer& buffer)
{
    const OperatingPoint op = ComputeOperatingPoint(params, settings, pwmState, startAngle);
    const StepModel model{
        op.Timing,
        op.EmfAmplitude,
        op.ConductThreshold,
        op.CurrentFactor,
        params[MaxCurrent],
        params[BattImpedance],
        params[NominalVoltage],
        op.HighInvert,
        settings.HighSidePwm,
        settings.LowSidePwm,
    };

    std::vector<TSampleRec>& samples = buffer.Samples;
    float time = 0;
    float angle = op.StartAngle;
    buffer.SampleCount = 0;
    while (angle < op.EndAngle) {
        if (buffer.SampleCount >= kHardStepLimit) {
            FailInRun(buffer.SampleCount, angle,
                      "the run exceeded " + std::to_string(kHardStepLimit) + " steps");
        }
        const auto index = static_cast<std::size_t>(buffer.SampleCount);
        if (samples.size() <= index) {
            // The vector's own capacity grows geometrically, so this stays linear overall.
            samples.resize(index + 200);
        }
        TSampleRec& r = samples[index];
        r.Time = time;
        r.Angle = angle;
        EmulateStep(model, PwmOutputAt(op, time), r);
        if (const char* field = NonFiniteField(r)) {
            FailInRun(buffer.SampleCount, angle,
                      std::string("the ") + field + " is not a finite number");
        }
        time += op.TimeStep;
        angle += op.DegPerStep;
        ++buffer.SampleCount;
    }
    return RunSummary{op.Rpm, op.Timing};
}

} // namespace engine
