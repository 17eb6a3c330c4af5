#pragma once

#include "engine/emulation.h"
#include "engine/params.h"

#include <stdexcept>
#include <string>

// A scenario: what a user sets up in the window, kept in a small text file to share. The ten
// parameter box texts, the bridge settings and the selected view; nothing of a run.

namespace engine {

// The newest format this program reads and writes; files of a higher format are refused.
// Format 2 adds the [circuit] section (the model, the inductance and the diode drop) and
// view 4; a scenario without them is written in format 1, as before.
inline constexpr int kScenarioFormat = 2;
inline constexpr int kCircuitScenarioFormat = 2;

struct Scenario {
    ParamTexts Texts{}; // Edit1 ... Edit10 by tag; slot 0 unused
    RunSettings Settings;
    int View = 1; // the item of ComboBox1, or 4 (the currents) with the circuit model

    friend bool operator==(const Scenario&, const Scenario&) = default;
};

// The file's text: an INI-style "[scenario]" section with the format, then [parameters] with
// the box texts in quotes, [bridge] and [graph]; in format 2 [circuit] follows with
//   Model = static|circuit, Inductance = <uH>, DiodeDrop = <V>
// (decimal numbers with ".", the shortest that read back as the same value).
std::string ScenarioText(const Scenario& scenario);

// The format ScenarioText writes for `scenario`: 1 unless it needs the circuit's section.
int ScenarioFormatFor(const Scenario& scenario);
std::string ScenarioText(const Scenario& scenario);

// Writes the file as the exports are written. Throws FileWriteError.
void SaveScenario(const std::string& path, const Scenario& scenario);

// Applies the box texts as the user's own edits, in the order Edit1 ... Edit10: each typed
// into its box and read with the maximum-current rule, as when the box loses the focus. Runs
// nothing: the caller sets the bridge settings and the view and then recalculates once.
void ApplyScenarioTexts(const Scenario& scenario, TParams& params, ParamTexts& texts,
                        char separator);

} // namespace engine
