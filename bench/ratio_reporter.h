#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace kelm::bench {

// Prints Google Benchmark's own table, then each figure against the floor measured in the
// same run, by median.  Machines are noisy; ratios are what the targets speak of.  Besides
// ratios it checks figures against an absolute time and the growth of a figure between
// two sizes against n log n.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    struct Ratio {
        std::string name, floor, target;  // target: e.g. "<= 1.5"
        double limit;                     // 0: report only
    };
    // A figure that must stay under a time of its own, whatever the machine's noise.
    struct Limit {
        std::string name;
        double ms;
    };
    // The same operation at two sizes: t(large)/t(small) may grow no faster than
    // (nLarge log nLarge)/(nSmall log nSmall).
    struct Growth {
        std::string small, large;
        double nSmall, nLarge;
    };

    explicit RatioReporter(std::vector<Ratio> ratios, std::vector<Limit> limits = {},
                           std::vector<Growth> growths = {})
        : ratios_(std::move(ratios)), limits_(std::move(limits)), growths_(std::move(growths)) {}

    void ReportRuns(const std::vector<Run>& runs) override;
    // Prints the ratio, limit and growth tables; returns false when a target was missed.
    // A figure left out of the run (by --benchmark_filter) is listed as not measured.
    bool PrintRatios(std::ostream& out) const;
    double MedianMs(const std::string& name) const;

  private:
    std::vector<Ratio> ratios_;
    std::vector<Limit> limits_;
    std::vector<Growth> growths_;
    std::map<std::string, double> medianNs_;
};

// (n log n at nLarge) / (n log n at nSmall).
double NLogNGrowth(double nSmall, double nLarge);

}  // namespace kelm::bench
