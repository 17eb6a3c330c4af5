// The speed figures: every benchmark as Google Benchmark prints it, then each goal's figure as
// a ratio to the cosine floor measured in the same run of this program (medians when run with
// --benchmark_repetitions).
#include "bench/engine/longest_run.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

struct Measured {
    double Ms = 0;      // real time per iteration
    double Counter = 0; // the "bytes" counter, where a benchmark sets one
};

// Passes everything on to the console and keeps each benchmark's real time: its median when
// there are repetitions, else its one run.
class FigureReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) {
                continue;
            }
            std::string name = run.run_name.str();
            if (const std::size_t suffix = name.find("/real_time"); suffix != std::string::npos) {
                name.erase(suffix);
            }
            if (median || figures_.count(name) == 0) {
                const double ms = run.GetAdjustedRealTime() /
                                  benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
                const auto bytes = run.counters.find("bytes");
                figures_[name] = {ms, bytes != run.counters.end() ? bytes->second.value : 0.0};
            }
        }
    }

    const Measured* Find(const std::string& name) const
    {
        const auto it = figures_.find(name);
        return it != figures_.end() ? &it->second : nullptr;
    }

private:
    std::map<std::string, Measured> figures_;
};

void PrintGoals(const FigureReporter& r)
{
    const Measured* floor = r.Find("BM_CosineFloor");
    if (floor == nullptr || floor->Ms <= 0) {
        std::printf("\n(the goals need BM_CosineFloor in the same run)\n");
        return;
    }
    const std::string cores = std::to_string(bench::Cores());
    std::printf("\nGoals on this machine (%s cores), as ratios to the cosine floor of this run:\n",
                cores.c_str());
    std::printf("  %-52s %9.1f ms  1.00\n", "cosine floor: six cosines per step, longest run",
                floor->Ms);
    const auto line = [&](const char* what, const std::string& name, const char* goal) {
        if (const Measured* m = r.Find(name)) {
            std::printf("  %-52s %9.1f ms  %4.2f  %s\n", what, m->Ms, m->Ms / floor->Ms, goal);
        }
    };
    line("1. longest run, new buffer, 1 core", "BM_LongestRunCold/cores:1", "goal <= 1.2");
    line(("2. longest run, new buffer, " + cores + " cores").c_str(),
         "BM_LongestRunCold/cores:" + cores, "goal <= 0.6 on 2 cores");
    line("   longest run, grown buffer, 1 core", "BM_LongestRunWarm/cores:1", "");
    line(("   longest run, grown buffer, " + cores + " cores").c_str(),
         "BM_LongestRunWarm/cores:" + cores, "");
    line("   circuit model, longest run, 20 uH, 1 core", "BM_CircuitLongestRun/cores:1",
         "goal <= 1.5");
    line(("   circuit model, longest run, 20 uH, " + cores + " cores").c_str(),
         "BM_CircuitLongestRun/cores:" + cores, "goal <= 0.8");
    if (const Measured* log = r.Find("BM_BuildSampleLogLongestRun"); log && log->Ms > 0) {
        const double rate = log->Counter / 1e6 / (log->Ms / 1e3);
        const std::string goal = "goal >= 400 MB/s: " + std::to_string(static_cast<int>(rate)) +
                                 " MB/s of " +
                                 std::to_string(static_cast<int>(log->Counter / 1e6)) + " MB";
        line("5. sample log of the longest run", "BM_BuildSampleLogLongestRun", goal.c_str());
    }
    const Measured* one = r.Find("BM_Sweep100DefaultRuns/jobs:1");
    const Measured* all = r.Find("BM_Sweep100DefaultRuns/jobs:" + cores);
    line("7. --sweep of 100 default runs, 1 job", "BM_Sweep100DefaultRuns/jobs:1", "");
    if (one != nullptr && all != nullptr && all->Ms > 0) {
        const std::string goal = "speed-up " + std::to_string(one->Ms / all->Ms).substr(0, 4) +
                                 " (goal >= 1.8 on 2 cores)";
        line(("   --sweep of 100 default runs, " + cores + " jobs").c_str(),
             "BM_Sweep100DefaultRuns/jobs:" + cores, goal.c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintGoals(reporter);
    benchmark::Shutdown();
    return 0;
}
