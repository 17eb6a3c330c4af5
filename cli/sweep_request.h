#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

// "--sweep N=FROM:TO:STEP": one run per value FROM, FROM + STEP, ... up to TO typed into
// parameter box N.

namespace cli {

inline constexpr int kMaxSweepRuns = 10000;

// The circuit model's values a sweep can step instead of a box: "inductance=" (microhenries)
// and "diode-drop=" (volts), numbered after the ten boxes.
inline constexpr int kSweepInductance = 11;
inline constexpr int kSweepDiodeDrop = 12;

struct SweepRequest {
    int Tag = 0; // 1 ... 10 a parameter box, or kSweepInductance, kSweepDiodeDrop
    double From = 0;
    double To = 0;
    double Step = 0;
    int Decimals = 0; // the most decimals written in FROM, TO or STEP
    int Count = 0;    // 1 ... kMaxSweepRuns

    // The value of run `index` as its line shows it: FROM + index * STEP with Decimals
    // decimals and all its integer digits.
    std::string ValueText(int index, char separator) const;

    // The text run `index` types into the box: the value of its line, with a point, which the
    // box reads whatever the decimal separator.
    std::string TypedText(int index) const;

    bool SweepsCircuit() const { return Tag == kSweepInductance || Tag == kSweepDiodeDrop; }
    // "3" for box 3, "inductance" or "diode-drop" for the circuit's values.
    std::string Name() const;
};

// The sweep `value` asks for, or what a valid value looks like. Every value must be one the box
// reads in full, so that each line's results are those of the value it shows.
std::variant<SweepRequest, std::string> ParseSweep(std::string_view value);

} // namespace cli
