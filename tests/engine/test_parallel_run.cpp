// A run spread over threads leaves the buffer exactly as the one-pass run does: every record,
// the buffer's length and the stale records past the count.
#include "engine/emulation.h"
#include "engine/worker_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

namespace engine {
namespace {

// Many small blocks on more threads than the machine may have, whatever the run's length.
constexpr RunThreads kSplitEverything{.Count = 5, .MinStepsPerThread = 1, .BlockSteps = 61};

// What a run left: its summary or its error, and the whole buffer.
struct Outcome {
    RunSummary summary;
    std::string error;
    SampleBuffer buffer;
};

Outcome RunFrom(const SampleBuffer& before, const TParams& p, const RunSettings& s, int pwmState,
                float start, const RunThreads& threads)
{
    Outcome o{{}, {}, before};
    try {
        o.summary = CalcPhases(p, s, pwmState, start, o.buffer, threads);
    } catch (const EmulationError& error) {
        o.error = error.what();
    }
    return o;
}

void ExpectSame(const Outcome& a, const Outcome& b)
{
    EXPECT_EQ(a.error, b.error);
    EXPECT_EQ(a.summary.Rpm, b.summary.Rpm);
    ASSERT_EQ(a.buffer.SampleCount, b.buffer.SampleCount);
    ASSERT_EQ(a.buffer.Samples.size(), b.buffer.Samples.size());
    for (std::size_t i = 0; i < a.buffer.Samples.size(); ++i) {
        ASSERT_EQ(std::memcmp(&a.buffer.Samples[i], &b.buffer.Samples[i], sizeof(TSampleRec)), 0)
            << "record " << i << " of " << a.buffer.SampleCount;
    }
}

// A buffer left by an earlier, longer run, with a marked record past its count.
SampleBuffer EarlierRun(int records)
{
    SampleBuffer b;
    b.Samples.assign(static_cast<std::size_t>(records), TSampleRec{});
    for (std::size_t i = 0; i < b.Samples.size(); ++i) {
        b.Samples[i].Time = static_cast<float>(i);
        b.Samples[i].VZero = -1.5f;
    }
    b.SampleCount = records - 3;
    return b;
}

TEST(ParallelRun, EverySplitGivesTheOnePassBuffer)
{
    TParams slow = DefaultParams();
    slow[PwmDuty] = 7; // about 62,000 steps
    TParams overflowing = DefaultParams();
    overflowing[BattImpedance] = 2.4e37f; // stops inside the run
    RunSettings both;
    both.LowSidePwm = true;
    RunSettings pattern180;
    pattern180.Pattern120 = false;
    pattern180.DriverKind = 0;

    struct Case {
        const char* name;
        TParams params;
        RunSettings settings;
        int pwmState;
        float start;
    };
    const Case cases[] = {
        {"default", DefaultParams(), {}, -1, -0.5f},
        {"slow, both PWM sides", slow, both, -1, -0.5f},
        {"180-degree pattern", slow, pattern180, -1, -0.5f},
        {"single angle", DefaultParams(), {}, 1, 35.0f},
        {"stopped", overflowing, {}, -1, -0.5f},
    };
    // Into an empty buffer, into one that must grow and into one longer than the run.
    for (const int earlier : {0, 1000, 70000}) {
        const SampleBuffer before = EarlierRun(earlier);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " after " + std::to_string(earlier) + " records");
            const Outcome one =
                RunFrom(before, c.params, c.settings, c.pwmState, c.start, kOneLoop);
            ExpectSame(
                one, RunFrom(before, c.params, c.settings, c.pwmState, c.start, kSplitEverything));
            ExpectSame(one, RunFrom(before, c.params, c.settings, c.pwmState, c.start, {}));
        }
    }
}

TEST(ParallelRun, GrowingKeepsStaleRecordsAndZeroesTheNewTail)
{
    const SampleBuffer before = EarlierRun(300);
    const Outcome full = RunFrom(before, DefaultParams(), {}, -1, -0.5f, kSplitEverything);
    ASSERT_EQ(full.buffer.SampleCount, 4326);
    ASSERT_EQ(full.buffer.Samples.size(), 4500u); // 300 and 21 steps of 200
    for (std::size_t i = 4326; i < 4500; ++i) {
        ASSERT_EQ(full.buffer.Samples[i].Time, 0.0f) << i;
        ASSERT_EQ(full.buffer.Samples[i].VZero, 0.0f) << i;
    }
    const Outcome single = RunFrom(before, DefaultParams(), {}, 1, 30.0f, kSplitEverything);
    ASSERT_EQ(single.buffer.SampleCount, 1);
    ASSERT_EQ(single.buffer.Samples.size(), 300u);
    EXPECT_EQ(single.buffer.Samples[1].Time, 1.0f);
    EXPECT_EQ(single.buffer.Samples[299].VZero, -1.5f);
}

TEST(WorkerPool, EachItemIsTakenOnceAndNoneAfterStop)
{
    constexpr std::int64_t kItems = 1000;
    std::vector<std::atomic<int>> taken(kItems);
    {
        WorkerPool pool(kItems);
        const auto work = [&] {
            for (std::int64_t i = pool.Next(); i < pool.Count(); i = pool.Next()) {
                ++taken[static_cast<std::size_t>(i)];
            }
        };
        pool.Start(3, work);
        work();
    }
    EXPECT_EQ(std::count(taken.begin(), taken.end(), 1), kItems);

    WorkerPool stopped(kItems);
    EXPECT_EQ(stopped.Next(), 0);
    stopped.Stop();
    EXPECT_EQ(stopped.Next(), kItems);
}

} // namespace
} // namespace engine
