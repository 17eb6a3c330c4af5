#include "bench/ui/ui_figures.h"

#include <cstdio>

namespace bench {

void UiFigures::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred)
            continue;
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median)
            continue;
        std::string name = run.run_name.str();
        for (const char* suffix : {"/process_time", "/real_time", "/iterations:"})
            if (const std::size_t at = name.find(suffix); at != std::string::npos)
                name.erase(at);
        if (median || figures_.count(name) == 0) {
            const double scale = benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e-3;
            figures_[name] = {run.GetAdjustedRealTime() / scale, run.GetAdjustedCPUTime() / scale};
        }
    }
}

const UiFigures::Figure* UiFigures::Find(const std::string& name) const
{
    const auto it = figures_.find(name);
    return it != figures_.end() ? &it->second : nullptr;
}

void UiFigures::PrintGoals() const
{
    const Figure* floor = Find("BM_CosineFloor");
    if (floor == nullptr || floor->RealMs <= 0) {
        std::printf("\n(the goals need BM_CosineFloor in the same run)\n");
        return;
    }
    std::printf("\nThe window's goals, as ratios to the cosine floor of this run:\n");
    std::printf("  %-46s %9.2f ms        1.00\n", "cosine floor: six cosines per step, longest run",
                floor->RealMs);
    const auto line = [&](const char* what, const char* name, bool cpu, const char* goal) {
        if (const Figure* f = Find(name)) {
            const double ms = cpu ? f->CpuMs : f->RealMs;
            std::printf("  %-46s %9.2f ms %s  %5.3f  %s\n", what, ms, cpu ? "CPU " : "real",
                        ms / floor->RealMs, goal);
        }
    };
    line("3. full repaint, longest run, view 2", "FullPaint/long_run_view2", false,
         "goal <= 12 ms");
    line("   the same, sample by sample", "FullPaintPerSample/long_run_view2", false, "");
    line("   edges and envelope a run adds", "BuildSummaries/long_run_view2", false, "");
    line("   grid repaint, longest run admitted, view 1", "BM_GridRepaint", false, "");
    line("   bldc-emu --png's paint of it", "PngPaint/longest_run_view1", false,
         "goal <= the window's + 10 ms");
    if (const Figure* window = Find("BM_GridRepaint"))
        if (const Figure* png = Find("PngPaint/longest_run_view1"))
            std::printf("  %-46s %9.2f ms\n", "     beyond the window's",
                        png->RealMs - window->RealMs);
    line("   --png's paint sample by sample (before)", "PngPaintPerSample/longest_run_view1", false,
         "");
    line("   edges and envelope that run adds", "BuildSummaries/longest_run_view1", false, "");
    line("4. pointer move, longest run", "BM_PointerMove/long_run_view2", false, "goal <= 2 ms");
    line("   pointer move, the grid painting again", "BM_PointerMove/long_run_view2_grid_repaints",
         false, "");
    line("6. first reaction to the longest run", "BM_FirstReactionLongestRun", true,
         "goal <= 200 ms CPU");
}

} // namespace bench
