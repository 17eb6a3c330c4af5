#pragma once

#include "engine/channels.h"
#include "engine/circuit_measurements.h"
#include "engine/json_writer.h"
#include "engine/measurements.h"
#include "engine/table_writer.h"

// The measurements of a view window as the readout shows them, for files and scripts: volts
// with 3 decimals, duty in percent with 1, frequencies and periods in Hz and us with 1, the
// commutation angle in degrees with 3.

namespace engine {

// A long table with one quantity per row: SIGNAL, QUANTITY, VALUE, UNIT. The window comes
// first ("first sample", "samples"), then min, max, mean and RMS of each channel, duty and
// edges of each switch, and the PWM and commutation frequency and period. A quantity the
// window does not show (no PWM, too few commutations) has an empty VALUE (null in JSON).
// With `circuit`, rows of the phase currents (mean, RMS, peak), the battery's current and power,
// the losses, the back-EMF power and the efficiency follow.
void WriteMeasurementTable(const ViewMeasurements& m, const ChannelSet& result, TableWriter& table,
                           const CircuitMeasurements* circuit = nullptr);

// One JSON object: "first", "samples", "channels" and "switches" (arrays of named records),
// "pwm" and "commutation" (objects, or null when the window does not show them).
// With `circuit`, a member "circuit" holds the same quantities as the table's rows.
void WriteMeasurementJson(const ViewMeasurements& m, const ChannelSet& result, JsonWriter& json,
                          const CircuitMeasurements* circuit = nullptr);

} // namespace engine
