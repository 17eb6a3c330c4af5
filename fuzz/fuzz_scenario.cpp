// The scenario reader fed with any bytes: it accepts exactly the files an independent model of
// the grammar and the ranges accepts, with the same values; it refuses with one message that
// names the file and a line of the text, or hands back a scenario that its own text reads back
// to exactly; applying an accepted scenario leaves finite, non-negative parameters.
#include "engine/params.h"
#include "engine/scenario.h"
#include "engine/scenario_reader.h"
#include "fuzz/scenario_model.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

void Check(bool ok, const char* what, std::string_view detail = {})
{
    if (!ok) {
        std::fprintf(stderr, "check failed: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                     detail.data());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Lines end with LF, CR LF or CR.
    long lines = 1;
    for (std::size_t i = 0; i < size; ++i) {
        lines += text[i] == '\n' || (text[i] == '\r' && text.substr(i + 1, 1) != "\n") ? 1 : 0;
    }
    const std::optional<scenario_model::Reading> model = scenario_model::Read(text);
    engine::Scenario scenario;
    try {
        scenario = engine::ParseScenario(text, "fuzz.ini");
    } catch (const engine::ScenarioError& error) {
        Check(!model, "the reader refuses only what the model refuses", error.what());
        const std::string message = error.what();
        const std::string head = "Scenario \"fuzz.ini\", line ";
        Check(message.rfind(head, 0) == 0, "the message names the file", message);
        const long line = std::strtol(message.c_str() + head.size(), nullptr, 10);
        Check(line >= 1 && line <= lines, "the message names a line of the text", message);
        Check(message.find('\n') == std::string::npos, "the message is one line", message);
        return 0;
    }
    Check(model.has_value(), "the reader accepts only what the model accepts", text);
    const std::string difference = scenario_model::Difference(*model, scenario);
    Check(difference.empty(), "the reader reads the model's values", difference);
    const std::string saved = engine::ScenarioText(scenario);
    Check(engine::ParseScenario(saved, "saved.ini") == scenario, "the saved text reads back",
          saved);

    engine::TParams params;
    engine::ParamTexts texts = engine::DefaultParamTexts();
    engine::ReadStartupParams(params, texts, '.');
    engine::ApplyScenarioTexts(scenario, params, texts, ',');
    for (int tag = 1; tag <= engine::kParamCount; ++tag) {
        Check(std::isfinite(params[tag]) && params[tag] >= 0, "parameters are finite");
    }
    return 0;
}
