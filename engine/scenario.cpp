#include "engine/scenario.h"

#include "engine/byte_file.h"
#include "engine/channels.h"

#include <array>
#include <charconv>

namespace engine {

namespace {

void AppendQuoted(std::string& out, const std::string& text)
{
    out += '"';
    for (const char ch : text) {
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += ch;
        }
    }
    out += '"';
}

const char* OnOff(bool on)
{
    return on ? "on" : "off";
}

// A circuit value as the file holds it: the shortest decimal that reads back as the same
// float, with "." and without an exponent.
std::string CircuitNumber(float value)
{
    std::array<char, 64> digits{};
    const auto [end, error] =
        std::to_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
    return error == std::errc() ? std::string(digits.data(), end) : std::string("0");
}

} // namespace

int ScenarioFormatFor(const Scenario& scenario)
{
    const bool plain = scenario.Settings.Circuit.IsDefault() && scenario.View < kCurrentsView;
    return plain ? 1 : kCircuitScenarioFormat;
}

std::string ScenarioText(const Scenario& scenario)
{
    const int format = ScenarioFormatFor(scenario);
    std::string text = "# bldc-emu scenario: the parameter box texts and the window's settings\n"
                       "[scenario]\n"
                       "format = " +
                       std::to_string(format) + "\n\n[parameters]\n";
    for (int tag = 1; tag <= kParamCount; ++tag) {
        text += kParamNames[static_cast<std::size_t>(tag)];
        text += " = ";
        AppendQuoted(text, scenario.Texts[static_cast<std::size_t>(tag)]);
        text += '\n';
    }
    const RunSettings& s = scenario.Settings;
    text += "\n[bridge]\n";
    text += "HSidePwm = " + std::string(OnOff(s.HighSidePwm)) + "\n";
    text += "LSidePwm = " + std::string(OnOff(s.LowSidePwm)) + "\n";
    text +=
        "Driver = " + std::to_string(s.DriverKind) + "   # 0 \"2 Non Inv\", 1 \"Inv+Non Inv\"\n";
    text += "Mosfet = " + std::to_string(s.MosfetKind) + "   # 0 \"N + N\", 1 \"P + N\"\n";
    text += "Pattern = " + std::string(s.Pattern120 ? "120" : "180") + "\n";
    text += "\n[graph]\n";
    text += "View = " + std::to_string(scenario.View) + "\n";
    if (format >= kCircuitScenarioFormat) {
        const CircuitSettings& c = s.Circuit;
        text += "\n[circuit]\n";
        text += "Model = " + std::string(RunModelName(c.Model)) + "   # static or circuit\n";
        text += "Inductance = " + CircuitNumber(c.InductanceUh) + "   # uH per winding\n";
        text += "DiodeDrop = " + CircuitNumber(c.DiodeDrop) + "   # V\n";
    }
    return text;
}

void SaveScenario(const std::string& path, const Scenario& scenario)
{
    WriteFileBytes(path, ScenarioText(scenario));
}

void ApplyScenarioTexts(const Scenario& scenario, TParams& params, ParamTexts& texts,
                        char separator)
{
    for (int tag = 1; tag <= kParamCount; ++tag) {
        texts[static_cast<std::size_t>(tag)] = scenario.Texts[static_cast<std::size_t>(tag)];
        ChangeParam(params, texts, tag, true, separator);
    }
}

} // namespace engine
