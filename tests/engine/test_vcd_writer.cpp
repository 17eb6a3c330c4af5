#include "engine/emulation.h"
#include "engine/params.h"
#include "engine/vcd_writer.h"
#include "tests/support/vcd_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace engine {
namespace {

using testing_support::ReadVcd;
using testing_support::VcdDump;

struct HalfDutyRun {
    SampleBuffer run;
    ChannelSet result;

    explicit HalfDutyRun(int view)
    {
        TParams params = DefaultParams();
        params[PwmDuty] = 50;
        CalcPhases(params, RunSettings{}, -1, -0.5f, run);
        PrepareRes(view, ChannelTexts{}, '.', run, result);
    }
};

float AsFloat(double value)
{
    return static_cast<float>(value);
}

TEST(VcdWriter, EverySampleReadsBackAtItsMicrosecond)
{
    const HalfDutyRun d(2);
    const VcdDump dump = ReadVcd(BuildVcd(d.run, &d.result, {0, d.run.SampleCount}));
    EXPECT_EQ(dump.Timescale, "1 us");
    ASSERT_EQ(dump.Variables.size(), 6u + 3 + 5 + 1 + 6);
    const int ha = dump.Find("bldc", "HA");
    const int driveC = dump.Find("bldc", "DriveC");
    const int z = dump.Find("bldc", "Z");
    const int vbatt = dump.Find("bldc", "VBatt");
    const int angle = dump.Find("bldc", "ANGLE");
    const int compCMinus = dump.Find("bldc.view", "CompC-");
    EXPECT_FALSE(dump.Variables[static_cast<std::size_t>(ha)].Real);
    EXPECT_TRUE(dump.Variables[static_cast<std::size_t>(vbatt)].Real);

    // One time stamp per sample at its index, which is its time in microseconds, and one
    // more that ends the last sample.
    const auto n = static_cast<std::size_t>(d.run.SampleCount);
    ASSERT_EQ(dump.Steps.size(), n + 1);
    EXPECT_EQ(dump.Steps.back().first, d.run.SampleCount);
    for (std::size_t i = 0; i < n; ++i) {
        const TSampleRec& s = d.run.Samples[i];
        const auto& values = dump.Steps[i].second;
        ASSERT_EQ(dump.Steps[i].first, static_cast<std::int64_t>(i));
        ASSERT_EQ(s.Time, static_cast<float>(i));
        for (int k = 0; k < 6; ++k) {
            ASSERT_EQ(values[static_cast<std::size_t>(ha + k)].Bit, '0' + s.Switch[k]) << i;
        }
        ASSERT_EQ(values[static_cast<std::size_t>(driveC)].Bit, '0' + s.Drive[2]) << i;
        // Shortest round-trip texts: every value comes back as exactly the stored float.
        ASSERT_EQ(AsFloat(values[static_cast<std::size_t>(z)].Real), s.VZero) << i;
        ASSERT_EQ(AsFloat(values[static_cast<std::size_t>(vbatt)].Real), s.VBatt) << i;
        ASSERT_EQ(AsFloat(values[static_cast<std::size_t>(angle)].Real), s.Angle) << i;
        ASSERT_EQ(AsFloat(values[static_cast<std::size_t>(compCMinus)].Real),
                  d.result.ChannelRows[i][5])
            << i;
    }

    // Only changes are written: the first value plus one per level change.
    int haChanges = 1;
    int vbattChanges = 1;
    for (std::size_t i = 1; i < n; ++i) {
        haChanges += d.run.Samples[i].Switch[0] != d.run.Samples[i - 1].Switch[0] ? 1 : 0;
        vbattChanges += d.run.Samples[i].VBatt != d.run.Samples[i - 1].VBatt ? 1 : 0;
    }
    EXPECT_EQ(dump.Changes[static_cast<std::size_t>(ha)], haChanges);
    EXPECT_EQ(dump.Changes[static_cast<std::size_t>(vbatt)], vbattChanges);
    EXPECT_LT(haChanges, static_cast<int>(n) / 10);
}

TEST(VcdWriter, AWindowWithoutViewStartsAtItsFirstSample)
{
    HalfDutyRun d(3);
    d.result.Channels[0].Name = "Comp A"; // a blank would split the name for a viewer
    const VcdDump withView = ReadVcd(BuildVcd(d.run, &d.result, {100, 50}));
    EXPECT_NO_THROW(withView.Find("bldc.view", "Comp_A"));

    const VcdDump dump = ReadVcd(BuildVcd(d.run, nullptr, {d.run.SampleCount - 20, 1000}));
    EXPECT_EQ(dump.Variables.size(), 15u);
    ASSERT_EQ(dump.Steps.size(), 21u);
    EXPECT_EQ(dump.Steps.front().first, d.run.SampleCount - 20);
    EXPECT_EQ(dump.Steps.back().first, d.run.SampleCount);
    // Every variable gets its value at the first time stamp.
    for (const int changes : dump.Changes) {
        EXPECT_GE(changes, 1);
    }

    // The window's export: the whole run, written to a file piece by piece.
    const std::string path = ::testing::TempDir() + "/run.vcd";
    SaveVcd(path, d.run, &d.result);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              BuildVcd(d.run, &d.result, {0, d.run.SampleCount}));
    std::remove(path.c_str());

    // Nothing inside the run: the declarations alone, still a valid file.
    const VcdDump empty = ReadVcd(BuildVcd(d.run, nullptr, {d.run.SampleCount + 5, 10}));
    EXPECT_TRUE(empty.Steps.empty());
    EXPECT_EQ(empty.Variables.size(), 15u);
}

TEST(VcdWriter, HeaderSaysWhenWhatAndFromWhichSetUpWithoutRepeatingTheRunsVoltages)
{
    ::setenv("SOURCE_DATE_EPOCH", "86400", 1);
    const HalfDutyRun phases(1);
    Scenario setup;
    setup.Texts = DefaultParamTexts();
    setup.Texts[1] = "11,1 $end"; // a typed text cannot end the comment early
    const std::string text = BuildVcd(phases.run, &phases.result, {0, 10}, {setup});
    ::unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(text.rfind("$date 1970-01-02 00:00:00 UTC $end\n$version bldc-demo ", 0), 0u) << text;
    EXPECT_NE(text.find("  NominalVoltage = \"11,1 ?end\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("view channel Zero-wire is bldc.Z"), std::string::npos);
    // View 1 only repeats A, B, C and Z, view 0 VBatt: no view scope at all.
    EXPECT_EQ(ReadVcd(text).Variables.size(), 15u);
    const HalfDutyRun battery(0);
    EXPECT_EQ(ReadVcd(BuildVcd(battery.run, &battery.result, {0, 10})).Variables.size(), 15u);
    // The viewer's save file draws what the dump holds, the view's channels in a group.
    const std::string save = GtkwaveSaveText(&battery.result, "/tmp/a \"b\".vcd");
    EXPECT_EQ(save.find("-View"), std::string::npos);
    EXPECT_NE(save.find("[dumpfile] \"/tmp/a 'b'.vcd\"\n"), std::string::npos);
    const HalfDutyRun comparators(3);
    const std::string viewSave = GtkwaveSaveText(&comparators.result, "run.vcd");
    EXPECT_NE(viewSave.find("@800200\n-View\n@90028\nbldc.view.CompA+\n"), std::string::npos);
    EXPECT_NE(viewSave.find("@28\nbldc.LC\n@1000200\n-Switches\n"), std::string::npos);
}

} // namespace
} // namespace engine
