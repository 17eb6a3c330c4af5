#pragma once

#include "cli/sweep_request.h"
#include "engine/crossing_detector.h"
#include "engine/emulation.h"
#include "engine/sample_window.h"
#include "graph/grid_size.h"

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
};

// "--current-scale POS": TrackBar1 moved to POS (1 ... 10).
struct MoveCurrentScale {
    int Position = 0;
};

// "--duty-scale POS": TrackBar2 moved to POS (0 ... 10).
struct MoveDutyScale {
    int Position = 0;
};

using ParamEdit = std::variant<SetBoxText, MoveCurrentScale, MoveDutyScale>;

inline constexpr int kMaxPictureSide = 8192;
inline constexpr int kMaxJobs = 256;

// The file name that stands for standard output in every option that writes a file.
inline constexpr std::string_view kStandardOutput = "-";

struct CliRequest {
    std::vector<ParamEdit> Edits; // applied in the order given
    bool Strict = false;          // a --set text read only in part is an error, not a warning
    engine::RunSettings Settings;
    std::optional<float> Angle;  // a single-angle run instead of the full run
    std::optional<int> PwmState; // unset: the PWM output follows "H-Side PWM", as the window does
    int View = 1;
    std::optional<char> Separator; // unset: the user's locale
    bool ShowParams = false;
    bool ShowSummary = false;
    bool ShowChannels = false;
    std::optional<std::string> LogPath;                // kStandardOutput or a file name
    std::optional<std::string> PngPath;                // kStandardOutput or a file name
    graph::GridSize PngSize = graph::kDefaultGridSize; // "--png-size WxH"
    bool PngSizeGiven = false;
    // "--view-window START LEN" (START 0 or more, LEN 1 or more): the samples --channels,
    // --png and --sweep look at; unset: the whole run.
    std::optional<engine::SampleWindow> Window;
    std::optional<SweepRequest> Sweep;
    std::optional<int> Jobs; // "--jobs N"; unset: the machine's cores
    bool ShowZc = false;     // the zero-crossing table, or its columns in the sweep
    engine::DetectorSettings Detector;
    bool DetectorGiven = false;
    bool ShowHelp = false;
    bool ShowVersion = false;

    bool HasOutput() const
    {
        return ShowParams || ShowSummary || ShowChannels || LogPath || PngPath || ShowZc;
    }
};

// A command line that cannot be run; the message says what is wrong with it.
struct UsageError {
    std::string Message;
};

using ParseResult = std::variant<CliRequest, UsageError>;

// `args` without the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& args);

} // namespace cli
