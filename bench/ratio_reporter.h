#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelm::bench {

// Prints Google Benchmark's own table, then each figure against the floor measured in the
// same run, by median.  Machines are noisy; ratios are what the targets speak of.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    struct Ratio {
        std::string name, floor, target;  // target: e.g. "<= 1.5"
        double limit;                     // 0: report only
    };

    explicit RatioReporter(std::vector<Ratio> ratios) : ratios_(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    // Prints the ratio table; returns false when a target was missed.
    bool PrintRatios(std::ostream& out) const;
    double MedianMs(const std::string& name) const;

private:
    std::vector<Ratio> ratios_;
    std::map<std::string, double> medianNs_;
};

}  // namespace kelm::bench
