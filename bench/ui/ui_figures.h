#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// The window's figures after Google Benchmark's own lines: each goal's time with its ratio to
// the cosine floor measured in the same run of ui_bench (medians with repetitions).

namespace bench {

class UiFigures : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void PrintGoals() const;

private:
    struct Figure {
        double RealMs = 0;
        double CpuMs = 0;
    };
    const Figure* Find(const std::string& name) const;

    std::map<std::string, Figure> figures_;
};

} // namespace bench
