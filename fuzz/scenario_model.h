#pragma once

// A second, independent reading of the scenario file's grammar and ranges, written from the
// file's description rather than from the reader: the fuzz target and a test hand both the
// same bytes and require the same verdict and the same values. The keys are data, so a new
// format adds rows (with the format they appear in) rather than code.

#include "engine/params.h"
#include "engine/scenario.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scenario_model {

enum class ValueKind {
    Text,   // any text in double quotes, with \" \\ \n \r \t
    Word,   // one of Words, bare
    Number, // digits and "." read as a decimal number from 0 to High, bare
};

struct KeyRule {
    std::string_view Section;
    std::string_view Name;
    ValueKind Kind;
    std::vector<std::string_view> Words; // for Word: the allowed words, in order
    int Since = 1;                       // the first format that has the key
    float High = 0;                      // for Number
};

inline constexpr int kNewestFormat = 2;

inline const std::vector<KeyRule>& Rules()
{
    static const std::vector<KeyRule> rules = [] {
        std::vector<KeyRule> r;
        for (std::string_view name :
             {"NominalVoltage", "BattImpedance", "RpmPerVolt", "MotorResistance", "NoLoadCurrent",
              "PwmFrequency", "Timing10", "Timing100", "MaxCurrent", "PwmDuty"}) {
            r.push_back({"parameters", name, ValueKind::Text, {}});
        }
        r.push_back({"bridge", "HSidePwm", ValueKind::Word, {"on", "off"}});
        r.push_back({"bridge", "LSidePwm", ValueKind::Word, {"on", "off"}});
        r.push_back({"bridge", "Driver", ValueKind::Word, {"0", "1"}});
        r.push_back({"bridge", "Mosfet", ValueKind::Word, {"0", "1"}});
        r.push_back({"bridge", "Pattern", ValueKind::Word, {"120", "180"}});
        // View 4, the currents, needs Model = circuit (checked at the end).
        r.push_back({"graph", "View", ValueKind::Word, {"0", "1", "2", "3", "4"}});
        r.push_back({"circuit", "Model", ValueKind::Word, {"static", "circuit"}, 2});
        r.push_back({"circuit", "Inductance", ValueKind::Number, {}, 2, 10000.0f});
        r.push_back({"circuit", "DiodeDrop", ValueKind::Number, {}, 2, 5.0f});
        return r;
    }();
    return rules;
}

// What an accepted file says: each key's text (Text) or the index of its word (Word).
struct Reading {
    int Format = 0;
    std::map<std::string, std::string> Texts;
    std::map<std::string, std::size_t> Words;
    std::map<std::string, float> Numbers;
};

namespace detail {

inline bool Blank(char c)
{
    return c == ' ' || c == '\t';
}

inline std::string_view Strip(std::string_view s)
{
    while (!s.empty() && Blank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && Blank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// Nothing left, or a comment.
inline bool Rest(std::string_view s)
{
    s = Strip(s);
    return s.empty() || s.front() == '#' || s.front() == ';';
}

inline std::optional<std::string> Quoted(std::string_view v)
{
    if (v.empty() || v.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    std::size_t i = 1;
    while (i < v.size()) {
        const char c = v[i++];
        if (c == '"') {
            if (!Rest(v.substr(i))) {
                return std::nullopt;
            }
            return out;
        }
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i == v.size()) {
            return std::nullopt;
        }
        switch (v[i++]) {
        case '"':
            out.push_back('"');
            break;
        case '\\':
            out.push_back('\\');
            break;
        case 'n':
            out.push_back('\n');
            break;
        case 'r':
            out.push_back('\r');
            break;
        case 't':
            out.push_back('\t');
            break;
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

inline std::optional<std::string_view> Bare(std::string_view v)
{
    std::size_t n = 0;
    while (n < v.size() && !Blank(v[n]) && v[n] != '#' && v[n] != ';') {
        ++n;
    }
    if (n == 0 || !Rest(v.substr(n))) {
        return std::nullopt;
    }
    return v.substr(0, n);
}

} // namespace detail

// The reading of `text`, or nothing when the file must be refused.
inline std::optional<Reading> Read(std::string_view text)
{
    using namespace detail;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    lines.push_back(text.substr(start));

    Reading reading;
    std::string_view section;
    bool begun = false;
    std::vector<bool> seen(Rules().size(), false);
    for (std::string_view line : lines) {
        line = Strip(line);
        if (line.empty() || line.front() == '#' || line.front() == ';') {
            continue;
        }
        if (!begun) {
            if (line != "[scenario]") {
                return std::nullopt;
            }
            begun = true;
            section = "scenario";
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || reading.Format == 0) {
                return std::nullopt;
            }
            const std::string_view name = line.substr(1, line.size() - 2);
            const bool known = name == "parameters" || name == "bridge" || name == "graph" ||
                               (name == "circuit" && reading.Format >= 2);
            if (!known) {
                return std::nullopt;
            }
            section = name;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view name = Strip(line.substr(0, equals));
        const std::string_view value = Strip(line.substr(equals + 1));
        if (section == "scenario") {
            const std::optional<std::string_view> word = Bare(value);
            if (name != "format" || reading.Format != 0 || !word) {
                return std::nullopt;
            }
            long number = 0;
            for (const char c : *word) {
                if (c < '0' || c > '9') {
                    return std::nullopt;
                }
                number = std::min(number * 10 + (c - '0'), 1000L);
            }
            if (number < 1 || number > kNewestFormat) {
                return std::nullopt;
            }
            reading.Format = static_cast<int>(number);
            continue;
        }
        std::size_t k = 0;
        while (k < Rules().size() && !(Rules()[k].Section == section && Rules()[k].Name == name &&
                                       Rules()[k].Since <= reading.Format)) {
            ++k;
        }
        if (k == Rules().size() || seen[k]) {
            return std::nullopt;
        }
        seen[k] = true;
        const KeyRule& rule = Rules()[k];
        const std::string key(rule.Name);
        if (rule.Kind == ValueKind::Text) {
            const std::optional<std::string> quoted = Quoted(value);
            if (!quoted) {
                return std::nullopt;
            }
            reading.Texts[key] = *quoted;
            continue;
        }
        if (rule.Kind == ValueKind::Number) {
            const std::optional<std::string_view> word = Bare(value);
            if (!word || word->find_first_not_of("0123456789.") != std::string_view::npos ||
                std::count(word->begin(), word->end(), '.') > 1 ||
                word->find_first_of("0123456789") == std::string_view::npos) {
                return std::nullopt;
            }
            const float number = std::strtof(std::string(*word).c_str(), nullptr);
            if (!(number >= 0 && number <= rule.High)) {
                return std::nullopt;
            }
            reading.Numbers[key] = number;
            continue;
        }
        const std::optional<std::string_view> word = Bare(value);
        std::size_t w = 0;
        while (word && w < rule.Words.size() && rule.Words[w] != *word) {
            ++w;
        }
        if (!word || w == rule.Words.size()) {
            return std::nullopt;
        }
        reading.Words[key] = w;
    }
    if (reading.Format == 0) {
        return std::nullopt;
    }
    for (std::size_t k = 0; k < Rules().size(); ++k) {
        if (Rules()[k].Since <= reading.Format && !seen[k]) {
            return std::nullopt;
        }
    }
    const auto model = reading.Words.find("Model");
    if (reading.Words.at("View") == 4 && (model == reading.Words.end() || model->second != 1)) {
        return std::nullopt;
    }
    return reading;
}

// The first value in which the reader's scenario differs from the model's reading; empty
// when they agree.
inline std::string Difference(const Reading& model, const engine::Scenario& read)
{
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        const std::string name = engine::kParamNames[static_cast<std::size_t>(tag)];
        if (model.Texts.at(name) != read.Texts[static_cast<std::size_t>(tag)]) {
            return name;
        }
    }
    const engine::RunSettings& s = read.Settings;
    const std::array<std::pair<std::string, std::size_t>, 6> words{{
        {"HSidePwm", s.HighSidePwm ? 0 : 1},
        {"LSidePwm", s.LowSidePwm ? 0 : 1},
        {"Driver", static_cast<std::size_t>(s.DriverKind)},
        {"Mosfet", static_cast<std::size_t>(s.MosfetKind)},
        {"Pattern", s.Pattern120 ? 0 : 1},
        {"View", static_cast<std::size_t>(read.View)},
    }};
    for (const auto& [name, index] : words) {
        if (model.Words.at(name) != index) {
            return name;
        }
    }
    const engine::CircuitSettings& c = s.Circuit;
    if (model.Format < 2) {
        return c == engine::CircuitSettings{} ? "" : "the circuit settings of a format 1 file";
    }
    if (model.Words.at("Model") != (c.Model == engine::RunModel::Circuit ? 1u : 0u)) {
        return "Model";
    }
    if (model.Numbers.at("Inductance") != c.InductanceUh) {
        return "Inductance";
    }
    return model.Numbers.at("DiodeDrop") != c.DiodeDrop ? "DiodeDrop" : "";
}

} // namespace scenario_model
