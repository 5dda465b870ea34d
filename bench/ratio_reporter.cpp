#include "ratio_reporter.h"

#include <cstdio>
#include <ostream>

namespace kelm::bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
        if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
            medianNs_[r.benchmark_name()] = r.GetAdjustedRealTime() *
                                          (r.time_unit == benchmark::kMillisecond   ? 1e6
                                           : r.time_unit == benchmark::kMicrosecond ? 1e3
                                           : r.time_unit == benchmark::kSecond      ? 1e9
                                                                                    : 1.0);
        }
    }
}

double RatioReporter::MedianMs(const std::string& name) const {
    const auto it = medianNs_.find(name);
    return it == medianNs_.end() ? -1 : it->second / 1e6;
}

bool RatioReporter::PrintRatios(std::ostream& out) const {
    bool ok = true;
    char buf[512];
    out << "\n" << "figure                                   median ms   floor ms    ratio  target\n";
    for (const Ratio& r : ratios_) {
        const double a = MedianMs(r.name), f = MedianMs(r.floor);
        if (a < 0 || f < 0) continue;
        const double ratio = a / f;
        const bool met = r.limit <= 0 || ratio <= r.limit;
        ok = ok && met;
        std::snprintf(buf, sizeof buf, "%-40s %9.3f %10.3f %8.2f  %s %s\n", r.name.c_str(), a, f, ratio,
                      r.target.c_str(), r.limit <= 0 ? "" : met ? "met" : "MISSED");
        out << buf;
    }
    return ok;
}

}  // namespace kelm::bench
