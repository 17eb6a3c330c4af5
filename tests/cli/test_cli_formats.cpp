#include "cli/cli_options.h"
#include "tests/cli/run_in_process.h"
#include "tests/support/strict_csv.h"
#include "tests/support/vcd_reader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

// --format, --measure and --vcd: each output read back by a reader of its own.

namespace cli {
namespace {

using testing_support::ReadStrictCsv;
using testing_support::ReadVcd;
using Json = nlohmann::json;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) {
        fields.push_back(field);
    }
    return fields;
}

std::string ErrorOf(const std::vector<std::string>& args)
{
    const ParseResult result = ParseCommandLine(args);
    const auto* error = std::get_if<UsageError>(&result);
    return error != nullptr ? error->Message : "";
}

TEST(CliFormats, ChannelsAsCsvAreTheClassicValuesWithIndexTimeAndAngle)
{
    const std::vector<std::string> window{
        "--view", "2", "--view-window", "1000", "200", "--decimal-separator", ","};
    std::vector<std::string> classic = window;
    classic.push_back("--channels");
    std::vector<std::string> csv = classic;
    csv.insert(csv.end(), {"--format", "csv"});
    const Outcome c = RunCli(classic);
    const Outcome f = RunCli(csv);
    ASSERT_EQ(f.status, 0) << f.err;
    const auto records = ReadStrictCsv(f.out);
    ASSERT_EQ(records.size(), 201u);
    EXPECT_EQ(records[0],
              (std::vector<std::string>{"INDEX", "TIME (us)", "ANGLE (deg)", "HA", "LA", "HB", "LB",
                                        "HC", "LC", "CompA+ (V)", "CompA- (V)", "CompB+ (V)",
                                        "CompB- (V)", "CompC+ (V)", "CompC- (V)"}));
    const std::vector<std::string> classicLines = Lines(c.out);
    ASSERT_EQ(classicLines.size(), 6u + 200);
    for (std::size_t j = 0; j < 200; ++j) {
        const auto& record = records[j + 1];
        ASSERT_EQ(record[0], std::to_string(1000 + j));
        ASSERT_EQ(record[1], std::to_string(1000 + j)); // 1 us per sample
        // CSV writes '.' and every digit of the value, the classic form its 4 decimals.
        std::vector<std::string> expected = Fields(classicLines[6 + j]);
        ASSERT_EQ(record.size(), 9 + expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            std::replace(expected[k].begin(), expected[k].end(), ',', '.');
            ASSERT_NEAR(std::stod(record[9 + k]), std::stod(expected[k]), 5.001e-5) << j;
        }
    }
}

TEST(CliFormats, JsonIsOneDocumentWithAMemberPerOutput)
{
    const Outcome o =
        RunCli({"--format", "json", "--decimal-separator", ",", "--duty-scale", "5", "--params",
                "--summary", "--channels", "--measure", "--view-window", "0", "4000"});
    ASSERT_EQ(o.status, 0) << o.err;
    const Json doc = Json::parse(o.out);
    EXPECT_EQ(doc["params"][9]["TEXT"], "50");
    EXPECT_EQ(doc["params"][0]["VALUE"].get<float>(), 11.1f);
    EXPECT_EQ(doc["summary"]["RPM"], 6946);
    EXPECT_EQ(doc["summary"]["SAMPLES"], 8650);
    EXPECT_EQ(doc["channels"]["view"], 1);
    EXPECT_EQ(doc["channels"]["channels"][3]["name"], "Zero-wire");
    const Json& zeroWire = doc["channels"]["channels"][3];
    EXPECT_EQ(zeroWire["color"], "#FF00FF");
    EXPECT_LT(zeroWire["axis min (V)"].get<float>(), zeroWire["data min (V)"].get<float>());
    ASSERT_EQ(doc["channels"]["samples"].size(), 4000u);
    EXPECT_EQ(doc["channels"]["samples"][3999]["INDEX"], 3999);
    EXPECT_EQ(doc["measurements"]["samples"], 4000);
    EXPECT_NEAR(doc["measurements"]["PWM"]["frequency (Hz)"].get<double>(), 4000, 1);

    // A refused run still closes the document it began.
    const Outcome refused = RunCli({"--format", "json", "--set", "9=100", "--params", "--summary"});
    EXPECT_EQ(refused.status, kExitRunFailed);
    const Json partial = Json::parse(refused.out);
    EXPECT_EQ(partial["params"][8]["TEXT"], "64.9");
    EXPECT_FALSE(partial.contains("summary"));
}

TEST(CliFormats, MeasureIsAHeaderedTableAndSweepsTakeTheFormatToo)
{
    const Outcome tsv = RunCli({"--decimal-separator", ",", "--measure", "--duty-scale", "5"});
    ASSERT_EQ(tsv.status, 0) << tsv.err;
    const std::vector<std::string> lines = Lines(tsv.out);
    EXPECT_EQ(lines[0], "SIGNAL\tQUANTITY\tVALUE\tUNIT");
    EXPECT_EQ(lines[2], "\tsamples\t8650\t");
    EXPECT_NE(tsv.out.find("\nPWM\tfrequency\t4000,0\tHz\n"), std::string::npos) << tsv.out;
    EXPECT_EQ(
        RunCli({"--decimal-separator", ",", "--measure", "--duty-scale", "5", "--format", "tsv"})
            .out,
        tsv.out);

    const Outcome sweep =
        RunCli({"--format", "csv", "--decimal-separator", ",", "--sweep", "10=50:100:50"});
    EXPECT_EQ(sweep.status, 0) << sweep.err;
    const auto records = ReadStrictCsv(sweep.out);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0][0], "PwmDuty (%)");
    EXPECT_EQ(records[1][0], "50");
    EXPECT_EQ(records[2][2], "25.0");
    // With --zc the sweep's zero-crossing columns join the table.
    const Outcome zc = RunCli({"--format", "json", "--sweep", "10=50:100:50", "--zc"});
    ASSERT_EQ(zc.status, 0) << zc.err;
    const Json zcRows = Json::parse(zc.out)["sweep"];
    ASSERT_EQ(zcRows.size(), 2u);
    EXPECT_TRUE(zcRows[1]["ZC MEAN ERROR (deg)"].is_number());
    EXPECT_TRUE(zcRows[1]["ZC UNDETECTED"].is_number_integer());

    const Outcome failing = RunCli({"--format", "json", "--sweep", "3=0:1390:1390"});
    EXPECT_EQ(failing.status, kExitRunFailed);
    const Json rows = Json::parse(failing.out)["sweep"];
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0]["RPM"].is_null());
    EXPECT_FALSE(rows[0]["ERROR"].get<std::string>().empty());
    EXPECT_TRUE(rows[1]["ERROR"].is_null());
}

TEST(CliFormats, VcdReadsBackWithTheViewOnlyWhenOneIsChosen)
{
    const Outcome plain = RunCli({"--vcd", "-", "--view-window", "100", "50"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    const auto dump = ReadVcd(plain.out);
    EXPECT_EQ(dump.Variables.size(), 15u);
    ASSERT_EQ(dump.Steps.size(), 51u);
    EXPECT_EQ(dump.Steps.front().first, 100);
    EXPECT_EQ(dump.Steps.back().first, 150);

    // To a file, the same text.
    const std::string file = (std::filesystem::temp_directory_path() /
                              ("bldc-emu-" + std::to_string(::getpid()) + ".vcd"))
                                 .string();
    ASSERT_EQ(RunCli({"--vcd", file, "--view-window", "100", "50"}).status, 0);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), plain.out);
    std::filesystem::remove(file);

    const Outcome log = RunCli({"--decimal-separator", ".", "--log", "-"});
    const std::vector<std::string> logLines = Lines(log.out);
    const Outcome view = RunCli({"--vcd", "-", "--view", "3"});
    const auto full = ReadVcd(view.out);
    EXPECT_EQ(full.Variables.size(), 19u);
    const int compX = full.Find("bldc.view", "CompX-");
    const int a = full.Find("bldc", "A");
    ASSERT_EQ(full.Steps.size(), logLines.size()); // the samples and the closing time stamp
    for (std::size_t i = 0; i + 1 < full.Steps.size(); i += 97) {
        const std::vector<std::string> fields = Fields(logLines[i + 1]);
        EXPECT_NEAR(full.Steps[i].second[static_cast<std::size_t>(a)].Real, std::stod(fields[9]),
                    5e-4)
            << i;
        EXPECT_EQ(full.Steps[i].second[0].Bit, fields[3][0]) << i;
        EXPECT_GT(full.Changes[static_cast<std::size_t>(compX)], 1);
    }
}

TEST(CliFormats, StandardOutputHoldsOneDocument)
{
    EXPECT_EQ(ErrorOf({"--format", "csv", "--params", "--summary"}),
              "--format csv writes one table: give only one of --params, --summary, "
              "--channels, --measure and --zc");
    EXPECT_EQ(ErrorOf({"--format", "json", "--summary", "--log", "-"}),
              "with --format csv or json standard output holds that document alone: write "
              "--log, --vcd and --save to files");
    EXPECT_EQ(ErrorOf({"--vcd", "-", "--measure"}),
              "--vcd - fills standard output: it cannot be combined with --params, --summary, "
              "--channels, --measure, --zc, --log - or --save -");
    EXPECT_EQ(ErrorOf({"--format", "csv", "--zc", "--measure"}),
              "--format csv writes one table: give only one of --params, --summary, "
              "--channels, --measure and --zc");
    EXPECT_EQ(ErrorOf({"--gtkw", "run.gtkw", "--vcd", "-"}),
              "--gtkw writes a save file that opens the dump of --vcd: give --vcd FILE as well");
    EXPECT_EQ(ErrorOf({"--png", "-", "--measure"}),
              "--png - writes the picture to standard output: no other output can go there "
              "(write the others to files)");
    EXPECT_EQ(ErrorOf({"--format", "xml"}), "bad value 'xml' for --format: expected tsv, csv or "
                                            "json");
    EXPECT_EQ(ErrorOf({"--sweep", "1=1:2:1", "--measure"}),
              "--sweep prints a table of its own: it cannot be combined with --measure");
    EXPECT_EQ(ErrorOf({"--format", "json", "--params", "--summary", "--log", "l.txt"}), "");
}

TEST(CliFormats, ZeroCrossingsTakeTheFormatAndTheDumpComesWithItsSetUpAndSaveFile)
{
    const Outcome classic = RunCli({"--view", "2", "--zc"});
    const Outcome csv = RunCli({"--view", "2", "--zc", "--format", "csv"});
    const Outcome json = RunCli({"--view", "2", "--zc", "--summary", "--format", "json"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    ASSERT_EQ(json.status, 0) << json.err;
    const auto records = ReadStrictCsv(csv.out);
    ASSERT_EQ(records.size(), Lines(classic.out).size());
    EXPECT_EQ(records[0][2], "TRUE ANGLE (deg)");
    const Json doc = Json::parse(json.out);
    ASSERT_EQ(doc["zc"].size(), records.size() - 1);
    EXPECT_EQ(doc["zc"][0]["STATUS"], records[1][4]);
    EXPECT_EQ(doc["summary"]["SAMPLES"], 4326);

    const std::string dir = std::filesystem::temp_directory_path() /
                            ("bldc-emu-gtkw-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string vcd = dir + "/run.vcd";
    const std::string save = dir + "/run.gtkw";
    ASSERT_EQ(RunCli({"--set", "10=50", "--view", "3", "--vcd", vcd, "--gtkw", save}).status, 0);
    std::ifstream dumpFile(vcd);
    const std::string dump(std::istreambuf_iterator<char>(dumpFile), {});
    EXPECT_NE(dump.find("  PwmDuty = \"50\"\n"), std::string::npos);
    std::ifstream saveFile(save);
    const std::string saved(std::istreambuf_iterator<char>(saveFile), {});
    EXPECT_NE(saved.find("[dumpfile] \"" + vcd + "\"\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("bldc.view.CompX-\n"), std::string::npos);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace cli
