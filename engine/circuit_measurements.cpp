#include "engine/circuit_measurements.h"

#include "engine/emulation_step.h"

#include <algorithm>
#include <cmath>

namespace engine {

std::optional<CircuitMeasurements> MeasureCircuit(const SampleBuffer& run, const TParams& params,
                                                  const RunSettings& settings,
                                                  const SampleWindow& window)
{
    const SampleWindow measured = CutToRun(window, run.RecordCount());
    if (!run.HasCurrents() || measured.Empty()) {
        return std::nullopt;
    }
    const OperatingPoint op = ComputeOperatingPoint(params, settings, -1, -0.5f);
    const double amplitude = op.EmfAmplitude;
    const double resistance = params[MotorResistance];
    const double nominal = params[NominalVoltage];
    const double drop = settings.Circuit.DiodeDrop;

    CircuitMeasurements m;
    m.Measured = measured;
    std::array<double, 3> sum{};
    std::array<double, 3> squares{};
    std::array<double, 3> stepSquares{};
    double battery = 0;
    double impedanceLoss = 0;
    double emf = 0;
    double diode = 0;
    const std::int64_t records = run.RecordCount();
    for (std::int64_t n = measured.Start; n < measured.End(); ++n) {
        const TSampleRec& r = run.Samples[static_cast<std::size_t>(n)];
        const TCurrentRec& c = run.Currents[static_cast<std::size_t>(n)];
        // The step's currents run from its own to the next sample's; the step after the last
        // one of a revolution is its first again, as the steady state repeats.
        const std::int64_t next = n + 1 < records ? n + 1 : (records > 1 ? 0 : n);
        const TCurrentRec& after = run.Currents[static_cast<std::size_t>(next)];
        double stepBattery = 0;
        for (int k = 0; k < 3; ++k) {
            const double i = c.I[k];
            const double iEnd = after.I[k];
            // Over a step the current is smooth (an exponential): the trapezoid of its ends
            // integrates it, where the value at the start alone would miss the rise of every
            // switching edge.
            const double mean = (i + iEnd) / 2;
            sum[k] += i;
            squares[k] += i * i;
            stepSquares[k] += (i * i + iEnd * iEnd) / 2;
            m.Phases[k].Peak = std::max(m.Phases[k].Peak, std::fabs(i));
            const double e = amplitude * std::cos((120.0 * k + r.Angle) * kDegToRad);
            emf += e * mean;
            const bool highOn = (r.Switch[2 * k] ^ op.HighInvert) != 0;
            const bool lowOn = r.Switch[2 * k + 1] != 0;
            if (!highOn && !lowOn && i != 0) {
                // A current without a transistor takes a diode, down to zero.
                diode += drop * std::fabs(mean);
            }
            if (highOn || (!lowOn && i < 0)) {
                stepBattery += mean;
            }
        }
        battery += stepBattery;
        impedanceLoss += (static_cast<double>(r.VBatt) - nominal) * -stepBattery;
    }
    const double count = measured.Len;
    double copper = 0;
    for (int k = 0; k < 3; ++k) {
        m.Phases[k].Mean = sum[k] / count;
        m.Phases[k].Rms = std::sqrt(squares[k] / count);
        copper += resistance * stepSquares[k] / count;
    }
    m.BatteryCurrent = battery / count;
    m.BatteryPower = nominal * m.BatteryCurrent;
    m.CopperLoss = copper;
    m.BackEmfPower = emf / count;
    m.DiodeLoss = diode / count;
    m.ImpedanceLoss = impedanceLoss / count;
    if (m.BatteryPower > 0) {
        m.Efficiency = m.BackEmfPower / m.BatteryPower;
    }
    return m;
}

} // namespace engine
