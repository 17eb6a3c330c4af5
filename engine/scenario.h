#pragma once

#include "engine/emulation.h"
#include "engine/params.h"

#include <stdexcept>
#include <string>

// A scenario: what a user sets up in the window, kept in a small text file to share. The ten
// parameter box texts, the bridge settings and the selected view; nothing of a run.

namespace engine {

// The format this program writes; files of a higher format are refused.
inline constexpr int kScenarioFormat = 1;

struct Scenario {
    ParamTexts Texts{}; // Edit1 ... Edit10 by tag; slot 0 unused
    RunSettings Settings;
    int View = 1; // the item of ComboBox1

    friend bool operator==(const Scenario&, const Scenario&) = default;
};

// The file's text: an INI-style "[scenario]" section with the format, then [parameters] with
// the box texts in quotes, [bridge] and [graph].
std::string ScenarioText(const Scenario& scenario);

// Writes the file as the exports are written. Throws FileWriteError.
void SaveScenario(const std::string& path, const Scenario& scenario);

// Applies the box texts as the user's own edits, in the order Edit1 ... Edit10: each typed
// into its box and read with the maximum-current rule, as when the box loses the focus. Runs
// nothing: the caller sets the bridge settings and the view and then recalculates once.
void ApplyScenarioTexts(const Scenario& scenario, TParams& params, ParamTexts& texts,
                        char separator);

} // namespace engine
