// The reader against the fuzz target's independent model, on every one-line change of a saved
// file into a value near the allowed ones, a dropped or doubled line, and seeded byte changes:
// the same verdict and, when accepted, the same values.
#include "engine/scenario.h"
#include "engine/scenario_reader.h"
#include "fuzz/scenario_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line + '\n';
    }
    return text;
}

// "" when the reader and the model agree on `text`.
std::string Disagreement(const std::string& text)
{
    const std::optional<scenario_model::Reading> model = scenario_model::Read(text);
    try {
        const engine::Scenario read = engine::ParseScenario(text, "model.ini");
        if (!model) {
            return "accepted what the model refuses";
        }
        const std::string difference = scenario_model::Difference(*model, read);
        return difference.empty() ? "" : "reads " + difference + " differently";
    } catch (const engine::ScenarioError& error) {
        return model ? std::string("refused what the model accepts: ") + error.what() : "";
    }
}

void Mutate(const std::vector<std::string>& saved);

TEST(ScenarioModel, TheReaderAgreesWithTheModel)
{
    engine::Scenario plain;
    plain.Texts = engine::DefaultParamTexts();
    engine::Scenario circuit = plain; // a format 2 file
    circuit.Settings.Circuit.Model = engine::RunModel::Circuit;
    circuit.View = 4;
    for (const engine::Scenario& s : {plain, circuit}) {
        Mutate(Lines(engine::ScenarioText(s)));
    }
}

void Mutate(const std::vector<std::string>& saved)
{
    const std::vector<std::string> values{
        "0",         "1",     "2",        "3",        "4",   "-1",           "01",
        "on",        "off",   "On",       "120",      "180", "90",           "\"1,5\"",
        "\"a\\qb\"", "",      "1 # note", "1 2",      "on;", "999999999999", "static",
        "circuit",   "5",     "5.0",      "5.000001", "0.7", "10000",        "10000.5",
        ".",         "1.2.3", "-0"};
    int cases = 0;
    for (std::size_t i = 0; i < saved.size(); ++i) {
        std::vector<std::string> lines = saved;
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        EXPECT_EQ(Disagreement(Joined(lines)), "") << "without line " << i + 1;
        lines = saved;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), saved[i]);
        EXPECT_EQ(Disagreement(Joined(lines)), "") << "line " << i + 1 << " twice";
        const std::size_t equals = saved[i].find(" = ");
        for (const std::string& value :
             equals == std::string::npos ? std::vector<std::string>{} : values) {
            lines = saved;
            lines[i] = saved[i].substr(0, equals + 3) + value;
            EXPECT_EQ(Disagreement(Joined(lines)), "") << lines[i];
            ++cases;
        }
    }
    EXPECT_GT(cases, 400);

    std::mt19937 random(25);
    const std::string text = Joined(saved);
    const std::string bytes = "\0\t\r\n \"#;=[]\\01234onf"s; // the grammar's own characters
    for (int round = 0; round < 3000; ++round) {
        std::string changed = text;
        for (int edits = 1 + static_cast<int>(random() % 3); edits > 0; --edits) {
            changed[random() % changed.size()] = bytes[random() % bytes.size()];
        }
        EXPECT_EQ(Disagreement(changed), "") << changed;
    }
}

} // namespace
