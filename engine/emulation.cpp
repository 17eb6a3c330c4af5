#include "engine/emulation.h"

#include "engine/circuit_model.h"
#include "engine/emulation_step.h"
#include "engine/format_fixed.h"
#include "engine/parallel_steps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <thread>

namespace engine {
namespace {

// The model's constants are single-precision numbers; they enter the double-precision
// arithmetic with their stored values, not with the decimals they were written as.
constexpr float kConductThreshold120 = 0.4999f;
constexpr float kCurrentFactor120 = 1.6548095f;
constexpr float kConductThreshold180 = 1e-6f;
constexpr float kCurrentFactor180 = 2.11186f;

// Belt and braces behind the refusal of long runs: a run whose angle steps round worse than
// predicted can take at most 1.5 times the predicted steps, so this bound is never reached
// by a run that was let through.
constexpr std::int64_t kHardStepLimit = 2 * kMaxRunSteps;

// The buffer's length grows in steps of this many records.
constexpr std::size_t kGrowthStep = 200;

constexpr float kInfinity = std::numeric_limits<float>::infinity();

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

[[noreturn]] void FailInRun(std::int32_t step, float angle, const std::string& cause)
{
    Fail("The run stopped at step " + std::to_string(step) + " (angle " + Figure(angle, 4) +
         " deg): " + cause);
}

// The buffer's length after a run of `count` steps that started at length `before`: grown in
// steps of 200 records as the run reaches the end, never shrunk.
std::size_t GrownLength(std::size_t before, std::int64_t count)
{
    const auto needed = static_cast<std::size_t>(count);
    if (needed <= before) {
        return before;
    }
    return before + (needed - before + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
}

// Makes `samples` `length` records long at once, the records it gains uninitialised, for a run
// that writes every record up to the old length too: they are not copied when the buffer
// moves. The old block goes only once the new one is there, so a buffer that cannot grow
// stays as it was.
void GrowForOverwrite(SampleVector& samples, std::size_t length)
{
    if (samples.capacity() < length) {
        SampleVector grown;
        grown.reserve(length);
        while (grown.size() < samples.size()) {
            grown.emplace_back(UninitialisedElement{});
        }
        samples.swap(grown);
    }
    while (samples.size() < length) {
        samples.emplace_back(UninitialisedElement{});
    }
}

unsigned ThreadsFor(const StepPlan& plan, const RunThreads& threads)
{
    const unsigned cores = threads.Count != 0 ? threads.Count : std::thread::hardware_concurrency();
    const std::int64_t byLength = plan.Count / std::max<std::int64_t>(threads.MinStepsPerThread, 1);
    const auto blocks = static_cast<std::int64_t>(plan.BlockStarts.size());
    return static_cast<unsigned>(
        std::clamp<std::int64_t>(std::min({static_cast<std::int64_t>(cores), byLength, blocks}), 1,
                                 std::numeric_limits<unsigned>::max()));
}

// The run's loop in one pass on the caller's thread, growing the buffer by 200 records as it
// reaches the end; a non-finite voltage stops it at its step and leaves the records after it.
void RunInOnePass(const StepModel& model, const StepPlan& plan, SampleBuffer& buffer)
{
    SampleVector& samples = buffer.Samples;
    const std::size_t before = samples.size();
    samples.reserve(GrownLength(before, plan.Count)); // one move at most, keeping every record
    StepClock clock = plan.BlockStarts.empty() ? StepClock{} : plan.BlockStarts[0];
    std::int64_t done = 0;
    while (done < plan.Count) {
        if (samples.size() <= static_cast<std::size_t>(done)) {
            samples.resize(static_cast<std::size_t>(done) + kGrowthStep);
        }
        const std::int64_t end = std::min<std::int64_t>(plan.Count, samples.size());
        const std::int64_t fault = EmulateSteps(model, samples.data(), done, end, clock);
        buffer.SampleCount = static_cast<std::int32_t>(fault);
        if (fault < end) {
            const TSampleRec& r = samples[static_cast<std::size_t>(fault)];
            FailInRun(buffer.SampleCount, r.Angle,
                      std::string("the ") + NonFiniteField(r) + " is not a finite number");
        }
        done = end;
    }
    if (plan.Unbounded) {
        FailInRun(buffer.SampleCount, clock.Angle,
                  "the run exceeded " + std::to_string(kHardStepLimit) + " steps");
    }
}

// The run in blocks on `threads` threads. Every record up to the new length is written, the
// new ones past the run zeroed as growing would have left them. Returns false, with the buffer
// at its old length, when a voltage was not finite after all; the one-pass run then finds the
// step.
bool RunInBlocks(const StepModel& model, const StepPlan& plan, unsigned threads,
                 SampleBuffer& buffer)
{
    SampleVector& samples = buffer.Samples;
    const std::size_t before = samples.size();
    const std::size_t length = GrownLength(before, plan.Count);
    GrowForOverwrite(samples, length);
    if (EmulateOnThreads(model, plan, samples.data(), threads) < plan.Count) {
        samples.resize(before);
        return false;
    }
    const std::size_t tail = std::max(before, static_cast<std::size_t>(plan.Count));
    std::fill(samples.begin() + static_cast<std::ptrdiff_t>(tail), samples.end(), TSampleRec{});
    buffer.SampleCount = static_cast<std::int32_t>(plan.Count);
    return true;
}

} // namespace

double CommutationCos(float timing, float angle, int k)
{
    return std::cos(CommutationArgument(timing, angle, k));
}

bool PhaseFloats(const OperatingPoint& op, float angle, int k)
{
    // Equality floats the phase.
    return std::fabs(CommutationCos(op.Timing, angle, k)) <=
           static_cast<double>(op.ConductThreshold);
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

namespace {

// The steps of the plan into the buffer, on threads where that is safe.
void RunPlannedSteps(const StepModel& model, const StepPlan& plan, const RunThreads& threads,
                     SampleBuffer& buffer)
{
    const unsigned threadCount = ThreadsFor(plan, threads);
    // Threads write their blocks in any order, so a run that could stop at a non-finite
    // voltage runs in one pass: it must leave the records after the stop as they were. Every
    // other run goes in blocks, on one thread too: growing without zeroing saves writing the
    // buffer twice.
    const bool canStop = plan.Unbounded || !VoltagesStayFinite(model);
    if (!canStop && RunInBlocks(model, plan, threadCount, buffer)) {
        return;
    }
    RunInOnePass(model, plan, buffer);
}

void CheckCircuitValues(const TParams& params, const CircuitSettings& circuit)
{
    if (!InductanceInRange(circuit.InductanceUh)) {
        Fail("The inductance of " + Figure(circuit.InductanceUh, 2) + " uH is outside 0 ... " +
             Figure(kMaxInductanceUh, 0) + " uH");
    }
    if (!DiodeDropInRange(circuit.DiodeDrop)) {
        Fail("The diode drop of " + Figure(circuit.DiodeDrop, 3) + " V is outside 0 ... " +
             Figure(kMaxDiodeDrop, 0) + " V");
    }
    if (!(params[MotorResistance] > 0)) {
        Fail("The circuit model needs a motor resistance above 0 Ohms");
    }
}

BridgeCircuit BridgeOf(const TParams& params, const CircuitSettings& circuit)
{
    return MakeBridgeCircuit(params[MotorResistance], circuit.InductanceUh, circuit.DiodeDrop,
                             params[NominalVoltage], params[BattImpedance]);
}

// The steps of a run, and with a circuit the inputs its solution needs.
RunSummary RunModelSteps(const OperatingPoint& op, const TParams& params,
                         const RunSettings& settings, SampleBuffer& buffer,
                         const RunThreads& threads, CircuitInputs* circuit)
{
    StepModel model = MakeStepModel(op, params, settings);
    buffer.SampleCount = 0;
    buffer.Currents.clear();
    const StepPlan plan =
        PlanSteps(model, op.StartAngle, op.EndAngle, threads.BlockSteps, kHardStepLimit);
    if (circuit != nullptr) {
        circuit->Bits.resize(static_cast<std::size_t>(plan.Count));
        circuit->Emf.resize(3 * static_cast<std::size_t>(plan.Count));
        model.CircuitBits = circuit->Bits.data();
        model.CircuitEmf = circuit->Emf.data();
    }
    RunPlannedSteps(model, plan, threads, buffer);
    return RunSummary{.Rpm = op.Rpm, .Timing = op.Timing};
}

// A full circuit run: the steps, the steady state, then the recorded revolution.
RunSummary RunFullCircuit(const OperatingPoint& op, const TParams& params,
                          const RunSettings& settings, const CircuitSettings& circuit,
                          SampleBuffer& buffer, const RunThreads& threads)
{
    // Kept between runs: a long run's inputs would otherwise cost their pages anew each time.
    thread_local CircuitInputs inputs;
    RunSummary summary = RunModelSteps(op, params, settings, buffer, threads, &inputs);
    summary.Model = RunModel::Circuit;
    const BridgeCircuit bridge = BridgeOf(params, circuit);
    const auto count = static_cast<std::int64_t>(inputs.Bits.size());
    try {
        buffer.Currents.resize(static_cast<std::size_t>(count));
        const SteadyState steady =
            RecordSteadyState(bridge, inputs, buffer.Samples.data(), buffer.Currents.data());
        summary.WarmUps = steady.WarmUps;
        summary.Settled = steady.Settled;
    } catch (...) {
        buffer.SampleCount = 0;
        buffer.Currents.clear();
        throw;
    }
    return summary;
}

// The instant of the full run's steady state nearest each step's angle, with the transistors
// of the single-angle run.
RunSummary RunSingleAngleCircuit(const OperatingPoint& op, const TParams& params,
                                 const RunSettings& settings, const CircuitSettings& circuit,
                                 SampleBuffer& buffer, const RunThreads& threads)
{
    const OperatingPoint fullOp = ComputeOperatingPoint(params, settings, -1, -0.5f);
    SampleBuffer full;
    const RunSummary fullSummary = RunFullCircuit(fullOp, params, settings, circuit, full, threads);
    CircuitInputs inputs;
    RunSummary summary = RunModelSteps(op, params, settings, buffer, threads, &inputs);
    summary.Model = RunModel::Circuit;
    summary.WarmUps = fullSummary.WarmUps;
    summary.Settled = fullSummary.Settled;
    const BridgeCircuit bridge = BridgeOf(params, circuit);
    const auto count = static_cast<std::size_t>(buffer.SampleCount);
    buffer.Currents.resize(count);
    const auto fullBegin = full.Samples.begin();
    const auto fullEnd = fullBegin + full.SampleCount;
    for (std::size_t n = 0; n < count; ++n) {
        TSampleRec& r = buffer.Samples[n];
        // The full run's steps are in increasing angle: the last one not past this angle.
        const auto after = std::upper_bound(
            fullBegin, fullEnd, r.Angle,
            [](float angle, const TSampleRec& s) { return angle < s.Angle; });
        const auto at = static_cast<std::size_t>(
            std::max<std::ptrdiff_t>(0, (after - fullBegin) - 1));
        std::array<double, 3> i{};
        for (int k = 0; k < 3; ++k) {
            i[k] = full.SampleCount > 0 ? full.Currents[at].I[k] : 0.0f;
        }
        const std::array<double, 3> atStart = i;
        CircuitStepOut out;
        CircuitStep(bridge, inputs.Bits[n], &inputs.Emf[3 * n], i, out);
        StoreCircuitStep(out, atStart, r, buffer.Currents[n]);
    }
    return summary;
}

} // namespace

RunSummary CalcPhases(const TParams& params, const RunSettings& settings, int pwmState,
                      float startAngle, SampleBuffer& buffer, const RunThreads& threads)
{
    const OperatingPoint op = ComputeOperatingPoint(params, settings, pwmState, startAngle);
    const CircuitSettings& circuit = settings.Circuit;
    if (circuit.Model != RunModel::Circuit) {
        return RunModelSteps(op, params, settings, buffer, threads, nullptr);
    }
    CheckCircuitValues(params, circuit);
    if (op.PwmState >= 0) {
        return RunSingleAngleCircuit(op, params, settings, circuit, buffer, threads);
    }
    return RunFullCircuit(op, params, settings, circuit, buffer, threads);
}

} // namespace engine
