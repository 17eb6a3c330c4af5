#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The ten parameters, the lenient entry rule that reads a box's text, the normalised text
// written back, the maximum-current rule and the texts the two track bars give.

namespace engine {

enum ParamIndex : int {
    NominalVoltage = 1,
    BattImpedance = 2,
    RpmPerVolt = 3,
    MotorResistance = 4,
    NoLoadCurrent = 5,
    PwmFrequency = 6,
    Timing10 = 7,
    Timing100 = 8,
    MaxCurrent = 9,
    PwmDuty = 10,
};

inline constexpr int kParamCount = 10;

// The names of the slots, by tag ("NominalVoltage", ...); slot 0 is empty.
extern const std::array<const char*, kParamCount + 1> kParamNames;
// The unit of each box's value, by tag ("V", "Ohm", "RPM/V", ...); slot 0 is unused.
extern const std::array<const char*, kParamCount + 1> kParamUnits;

// Indexed 1 ... 10 by the tag of the parameter's edit box; slot 0 is unused.
struct TParams {
    std::array<float, kParamCount + 1> Slot{};

    float& operator[](int tag) { return Slot[static_cast<std::size_t>(tag)]; }
    float operator[](int tag) const { return Slot[static_cast<std::size_t>(tag)]; }
};

// The texts of Edit1 ... Edit10, indexed by tag; slot 0 is unused.
using ParamTexts = std::array<std::string, kParamCount + 1>;

// The form's default box texts ("11,1", "0,0342", ...).
ParamTexts DefaultParamTexts();

// The parameter set the default texts give when the start-up reads them.
TParams DefaultParams();

// How many leading characters of `text` the entry rule reads: digits and the first '.' or ',',
// up to the first other character. The rest of the text is ignored.
std::size_t EntryTextReadLength(std::string_view text);

// The characters the entry rule reads, with the first '.' or ',' written as `separator`.
std::string CleanEntryText(std::string_view text, char separator);

// The number a box's text stands for, or nothing when no number can be read (including a
// number beyond single precision).
std::optional<float> ReadEntryValue(std::string_view text);

// The text a box shows for `value` (fixed with 1, 2 or 4 decimals, or an integer, by tag).
// Integers round half to even; a float beyond the 64-bit range is written with its exact
// integer digits.
std::string NormalisedParamText(int tag, float value, char separator);

// Reads the box `tag` into `params`, applies the maximum-current rule when `recalc` is set
// (re-reading Edit9), and writes the normalised text back into `texts`. Tags outside 1 ... 10
// are left alone. Never runs the emulation. With a battery impedance of 0 there is no
// short-circuit bound: the maximum current is then bounded below only.
void ChangeParam(TParams& params, ParamTexts& texts, int tag, bool recalc, char separator);

// The start-up reading: ChangeParam(i, false) for i = 1 ... 10 on the boxes' current texts
// (DefaultParamTexts() at start).
void ReadStartupParams(TParams& params, ParamTexts& texts, char separator);

// Text TrackBar1 (1 ... 10) gives to Edit9; position 1 copies the no-load current's box text.
// Positions outside the scale count as its nearest end, for both track bars.
std::string CurrentScaleText(int position, std::string_view noLoadCurrentText);
// Text TrackBar2 (0 ... 10) gives to Edit10.
std::string DutyScaleText(int position);

} // namespace engine
