#pragma once

#include "cli/sweep_request.h"
#include "engine/crossing_detector.h"
#include "engine/emulation.h"
#include "engine/sample_window.h"
#include "engine/table_writer.h"
#include "graph/grid_size.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The command line of bldc-emu, read into a request without touching anything.

namespace cli {

// "--set N=TEXT": TEXT typed into EditN, then read as when the box loses the focus.
struct SetBoxText {
    int Tag = 0;
    std::string Text;
    std::string Origin; // what typed it, for messages; empty for --set N=TEXT
};

// "--current-scale POS": TrackBar1 moved to POS (1 ... 10).
struct MoveCurrentScale {
    int Position = 0;
};

// "--duty-scale POS": TrackBar2 moved to POS (0 ... 10).
struct MoveDutyScale {
    int Position = 0;
};

// "--save FILE": the scenario of the options before it. The bridge settings and the view are
// taken when the option is read; the box texts when the edits before it have been applied.
struct SaveScenarioFile {
    std::string Path;
    engine::RunSettings Settings;
    int View = 1;
};

// "--load FILE" becomes, at its place, the edits of the file's ten box texts and its settings.
using ParamEdit = std::variant<SetBoxText, MoveCurrentScale, MoveDutyScale, SaveScenarioFile>;

// The --ref- options: the parameter set of a second run, which --png draws under the live
// traces. It starts from the window's default parameters, as the live run does.
struct ReferenceRequest {
    std::vector<ParamEdit> Edits; // applied in the order given
    engine::RunSettings Settings;
};

inline constexpr int kMaxPictureSide = 8192;
inline constexpr int kMaxJobs = 256;

// The file name that stands for standard output in every option that writes a file, and for
// standard input in --load.
inline constexpr std::string_view kStandardOutput = "-";
inline constexpr std::string_view kStandardInput = "-";

struct CliRequest {
    std::vector<ParamEdit> Edits; // applied in the order given
    bool Strict = false;          // a --set text read only in part is an error, not a warning
    engine::RunSettings Settings;
    std::optional<float> Angle;  // a single-angle run instead of the full run
    std::optional<int> PwmState; // unset: the PWM output follows "H-Side PWM", as the window does
    int View = 1;
    bool ViewChosen = false;       // by --view or a loaded scenario: --vcd adds the view's channels
    std::optional<char> Separator; // unset: the user's locale
    // Unset: the classic outputs; set: tables with a header (TSV, CSV) or one JSON document.
    std::optional<engine::TableFormat> Format;
    bool ShowParams = false;
    bool ShowSummary = false;
    bool ShowChannels = false;
    bool ShowMeasure = false;
    std::optional<std::string> LogPath;                // kStandardOutput or a file name
    std::optional<std::string> VcdPath;                // kStandardOutput or a file name
    std::optional<std::string> PngPath;                // kStandardOutput or a file name
    graph::GridSize PngSize = graph::kDefaultGridSize; // "--png-size WxH"
    bool PngSizeGiven = false;
    // "--view-window START LEN" (START 0 or more, LEN 1 or more): the samples --channels,
    // --png, --measure, --vcd and --sweep look at; unset: the whole run.
    std::optional<engine::SampleWindow> Window;
    std::optional<ReferenceRequest> Reference;
    std::optional<SweepRequest> Sweep;
    std::optional<int> Jobs; // "--jobs N"; unset: the machine's cores
    bool ShowZc = false;     // the zero-crossing table, or its columns in the sweep
    engine::DetectorSettings Detector;
    bool DetectorGiven = false;
    bool ShowHelp = false;
    bool ShowVersion = false;

    bool HasOutput() const
    {
        return ShowParams || ShowSummary || ShowChannels || ShowMeasure || LogPath || PngPath ||
               VcdPath || ShowZc || SavesScenario();
    }
    // Whether an output needs the emulation run (the summary is printed when nothing is asked).
    bool NeedsRun() const
    {
        return ShowSummary || ShowChannels || ShowMeasure || LogPath || PngPath || VcdPath ||
               ShowZc || Sweep || !HasOutput();
    }
    bool SavesScenario() const
    {
        return std::any_of(Edits.begin(), Edits.end(), [](const ParamEdit& edit) {
            return std::holds_alternative<SaveScenarioFile>(edit);
        });
    }
};

// A command line that cannot be run; the message says what is wrong with it.
struct UsageError {
    std::string Message;
    bool BadFile = false; // a --load file that cannot be used: a failed file, not bad usage
};

using ParseResult = std::variant<CliRequest, UsageError>;

// `args` without the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

} // namespace cli
