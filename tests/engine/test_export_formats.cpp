#include "engine/emulation.h"
#include "engine/format_fixed.h"
#include "engine/measurement_export.h"
#include "engine/params.h"
#include "engine/run_tables.h"
#include "engine/table_writer.h"
#include "engine/view_export.h"
#include "tests/support/strict_csv.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>

namespace engine {
namespace {

using testing_support::ReadStrictCsv;
using Json = nlohmann::json;

struct DefaultRun {
    SampleBuffer run;
    ChannelSet result;

    DefaultRun(int view, float duty = 100)
    {
        TParams params = DefaultParams();
        params[PwmDuty] = duty;
        CalcPhases(params, RunSettings{}, -1, -0.5f, run);
        PrepareRes(view, ChannelTexts{}, ',', run, result);
    }
};

std::string Table(TableFormat format, char separator, const auto& write)
{
    std::string text;
    TableWriter table(format, text, separator);
    write(table);
    return text;
}

void AwkwardTable(TableWriter& table)
{
    table.Header({"NAME", "VALUE", "COUNT", "NOTE"});
    const std::string awkward = "a,\"b\"\r\nc\td";
    const TableCell row1[] = {TableCell::Text(awkward), TableCell::Fixed(-1234.5678, 7, 2),
                              TableCell::Integer(-42), TableCell::Empty()};
    const TableCell row2[] = {TableCell::Text("\xC3\xA9t\xE9"), TableCell::Number("1.5e+20"),
                              TableCell::Integer(0), TableCell::Fixed(123456.7, 5, 3)};
    table.Row(row1);
    table.Row(row2);
    table.Finish();
}

TEST(TableFormats, EachFormatReadsBackToTheSameFields)
{
    // CSV: the awkward text survives quoting, numbers use '.' whatever the separator.
    const auto csv = ReadStrictCsv(Table(TableFormat::Csv, ',', AwkwardTable));
    ASSERT_EQ(csv.size(), 3u);
    EXPECT_EQ(csv[0], (std::vector<std::string>{"NAME", "VALUE", "COUNT", "NOTE"}));
    // Machines get 9 significant digits, not the 7 the TSV shows.
    EXPECT_EQ(csv[1], (std::vector<std::string>{"a,\"b\"\r\nc\td", "-1234.5678", "-42", ""}));
    EXPECT_EQ(csv[2][1], "1.5e+20");
    EXPECT_EQ(csv[2][3], "123456.7");

    // TSV: the user's separator, and a TAB or line break in a text becomes a blank.
    EXPECT_EQ(Table(TableFormat::Tsv, ',', AwkwardTable),
              "NAME\tVALUE\tCOUNT\tNOTE\n"
              "a,\"b\"  c d\t-1234,57\t-42\t\n"
              "\xC3\xA9t\xE9\t1,5e+20\t0\t1,2346E005\n");

    // JSON: records named by the header; a stray byte becomes U+FFFD, not a broken document.
    const Json json = Json::parse(Table(TableFormat::Json, ',', AwkwardTable));
    ASSERT_TRUE(json.is_array());
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0]["NAME"], "a,\"b\"\r\nc\td");
    EXPECT_DOUBLE_EQ(json[0]["VALUE"].get<double>(), -1234.5678);
    EXPECT_EQ(json[0]["COUNT"], -42);
    EXPECT_TRUE(json[0]["NOTE"].is_null());
    EXPECT_EQ(json[1]["NAME"], "\xC3\xA9t\xEF\xBF\xBD");
    EXPECT_DOUBLE_EQ(json[1]["VALUE"].get<double>(), 1.5e20);
    EXPECT_DOUBLE_EQ(json[1]["NOTE"].get<double>(), 123456.7);
}

TEST(TableFormats, ViewTableAsCsvAndJsonCarriesTheSamplesOfTheWindow)
{
    const DefaultRun d(2, 50);
    const int start = 2000;
    const int len = 300;
    const auto csv =
        ReadStrictCsv(BuildViewExport(d.run, d.result, {start, len}, ',', TableFormat::Csv));
    ASSERT_EQ(csv.size(), static_cast<std::size_t>(len) + 1);
    EXPECT_EQ(csv[0][0], "INDEX");
    EXPECT_EQ(csv[0][2], "ANGLE (deg)");
    EXPECT_EQ(csv[0][9], "CompA+ (V)");
    std::string json;
    {
        ChunkedText out([&json](std::string_view piece) { json += piece; });
        TableWriter table(TableFormat::Json, out.Text(), ',');
        WriteViewTable(d.run, d.result, {start, len}, table, out);
        out.Flush();
    }
    const Json records = Json::parse(json);
    ASSERT_EQ(records.size(), static_cast<std::size_t>(len));
    for (int j = 0; j < len; ++j) {
        const auto i = static_cast<std::size_t>(start + j);
        const auto& row = csv[static_cast<std::size_t>(j) + 1];
        ASSERT_EQ(row[0], std::to_string(i));
        // Every number reads back as exactly the stored float, in both formats.
        ASSERT_EQ(std::strtof(row[2].c_str(), nullptr), d.run.Samples[i].Angle);
        for (std::size_t k = 0; k < 6; ++k) {
            const float value = d.result.ChannelRows[i][k];
            ASSERT_EQ(std::strtof(row[9 + k].c_str(), nullptr), value) << i;
            const std::string key = d.result.Channels[k].Name + " (V)";
            ASSERT_EQ(records[static_cast<std::size_t>(j)][key].get<float>(), value);
        }
        ASSERT_EQ(records[static_cast<std::size_t>(j)]["HA"], d.run.Samples[i].Switch[0]);
    }
}

TEST(TableFormats, ParamsAndSummaryTables)
{
    TParams params = DefaultParams();
    params[RpmPerVolt] = 1390.5f; // the box shows 1390, the run uses 1390.5
    const auto csv =
        ReadStrictCsv(Table(TableFormat::Csv, ',', [&](auto& t) { WriteParamsTable(params, t); }));
    ASSERT_EQ(csv.size(), 11u);
    EXPECT_EQ(csv[1], (std::vector<std::string>{"1", "NominalVoltage", "11.1", "11.1", "V"}));
    EXPECT_EQ(csv[3], (std::vector<std::string>{"3", "RpmPerVolt", "1390", "1390.5", "RPM/V"}));
    EXPECT_EQ(csv[4][2], "0.0530");
    // The value reads back as exactly the stored float.
    for (int tag = 1; tag <= kParamCount; ++tag) {
        EXPECT_EQ(std::strtof(csv[static_cast<std::size_t>(tag)][3].c_str(), nullptr), params[tag]);
    }
    const std::string tsv =
        Table(TableFormat::Tsv, ',', [&](auto& t) { WriteParamsTable(params, t); });
    EXPECT_NE(tsv.find("\n2\tBattImpedance\t0,0342\t0,0342\tOhm\n"), std::string::npos) << tsv;

    const RunSummary summary{13892.4f, 25.0f};
    const Json json = Json::parse(
        Table(TableFormat::Json, ',', [&](auto& t) { WriteSummaryTable(summary, 4326, t); }));
    // One run's summary is an object, not a list of one.
    EXPECT_EQ(json, Json::parse(R"j({"RPM":13892,"TIMING (deg)":25.0,"SAMPLES":4326})j"));
}

TEST(TableFormats, SweepRowsKeepTheirWidthWhenARunFails)
{
    const DefaultRun d(1);
    SweepRow good{"20.5", {2778.0f, 5.0f}, 4326, {{-1, 2}, {-3, 4}, {-5, 6}, {-7, 8}}, {}, {}};
    good.Zc = SweepZc{1.25, std::nullopt, 3};
    SweepRow bad;
    bad.Value = "0";
    bad.Failure = "The motor does not turn, at this operating point";
    for (const bool zc : {false, true}) {
        const auto csv = ReadStrictCsv(Table(TableFormat::Csv, ',', [&](auto& t) {
            t.Header(SweepColumns(d.result, zc, PwmDuty));
            WriteSweepRow(good, 4, zc, t);
            WriteSweepRow(bad, 4, zc, t);
        }));
        ASSERT_EQ(csv.size(), 3u);
        ASSERT_EQ(csv[0].size(), zc ? 16u : 13u);
        EXPECT_EQ(csv[0][0], "PwmDuty (%)");
        EXPECT_EQ(csv[0][2], "TIMING (deg)");
        EXPECT_EQ(csv[0][4], "A MIN (V)");
        EXPECT_EQ(csv[0][11], "Zero-wire MAX (V)");
        EXPECT_EQ(csv[0].back(), "ERROR");
        EXPECT_EQ(csv[1][0], "20.5");
        EXPECT_EQ(csv[1][5], "2");
        EXPECT_EQ(csv[1].back(), "");
        EXPECT_EQ(csv[2][1], "");
        EXPECT_EQ(csv[2].back(), bad.Failure);
        if (zc) {
            EXPECT_EQ(csv[0][12], "ZC MEAN ERROR (deg)");
            EXPECT_EQ((std::vector<std::string>(csv[1].begin() + 12, csv[1].end() - 1)),
                      (std::vector<std::string>{"1.25", "", "3"}));
        }
    }
}

TEST(TableFormats, MeasurementsAsTheReadoutShowsThem)
{
    const DefaultRun d(1, 50);
    const ViewMeasurements m = MeasureView(d.run, d.result, {0, d.run.SampleCount});
    ASSERT_TRUE(m.PwmPeriodUs && m.CommutationPeriodUs);
    const auto csv = ReadStrictCsv(
        Table(TableFormat::Csv, ',', [&](auto& t) { WriteMeasurementTable(m, d.result, t); }));
    // Window, 4 channels x 4, 6 switches x 2, PWM x 2, commutation x 3.
    ASSERT_EQ(csv.size(), 1u + 2 + 16 + 12 + 2 + 3);
    EXPECT_EQ(csv[3][1], "min");
    EXPECT_EQ(std::strtof(csv[3][2].c_str(), nullptr), m.Channels[0].Min);
    EXPECT_EQ(csv[19][0], "HA");
    EXPECT_EQ(csv[19][1], "duty");
    EXPECT_NEAR(std::strtod(csv[19][2].c_str(), nullptr), m.Switches[0].Duty * 100, 1e-6);
    EXPECT_EQ(csv[31][3], "Hz");
    // The tab-separated table keeps the readout's digits.
    const std::string tsv =
        Table(TableFormat::Tsv, '.', [&](auto& t) { WriteMeasurementTable(m, d.result, t); });
    EXPECT_NE(tsv.find("\nHA\tduty\t" + FormatFixed(m.Switches[0].Duty * 100, 6, 1) + "\t%\n"),
              std::string::npos);

    std::string text;
    JsonWriter json(text);
    WriteMeasurementJson(m, d.result, json);
    const Json doc = Json::parse(text);
    EXPECT_EQ(doc["samples"], d.run.SampleCount);
    EXPECT_EQ(doc["channels"][3]["name"], "Zero-wire");
    EXPECT_NEAR(doc["channels"][3]["RMS (V)"].get<double>(), m.Channels[3].Rms, 1e-6);
    EXPECT_EQ(doc["switches"][5]["edges"], m.Switches[5].Edges);
    EXPECT_NEAR(doc["PWM"]["frequency (Hz)"].get<double>(), 4000, 50);
    EXPECT_NEAR(doc["commutation"]["angle (deg)"].get<double>(), 60, 1);

    // At full duty there is no PWM: an empty value and null, never a made-up number.
    const DefaultRun full(1, 100);
    const ViewMeasurements f = MeasureView(full.run, full.result, {0, full.run.SampleCount});
    const auto fullCsv = ReadStrictCsv(
        Table(TableFormat::Csv, ',', [&](auto& t) { WriteMeasurementTable(f, full.result, t); }));
    EXPECT_EQ(fullCsv[31][2], "");
    text.clear();
    JsonWriter fullJson(text);
    WriteMeasurementJson(f, full.result, fullJson);
    EXPECT_TRUE(Json::parse(text)["PWM"].is_null());
}

} // namespace
} // namespace engine
