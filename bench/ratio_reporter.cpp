#include "ratio_reporter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ostream>

namespace kelm::bench {

namespace {

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

}  // namespace

double NLogNGrowth(double nSmall, double nLarge) {
    return (nLarge * std::log(nLarge)) / (nSmall * std::log(nSmall));
}

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
        if (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median") {
            // Targets name a benchmark as it is registered, whatever its timing.
            std::string name = r.benchmark_name();
            for (const char* timing : {"/manual_time", "/real_time"}) {
                if (const auto at = name.find(timing); at != std::string::npos)
                    name.erase(at, std::strlen(timing));
            }
            medianNs_[name] =
                r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond   ? 1e6
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
    const auto notMeasured = [&](const std::string& name) {
        std::snprintf(buf, sizeof buf, "%-44s not measured in this run\n", name.c_str());
        out << buf;
    };

    if (!ratios_.empty()) {
        out << "\nfigure                                       median ms   floor ms    ratio  "
               "target\n";
    }
    for (const Ratio& r : ratios_) {
        const double a = MedianMs(r.name), f = MedianMs(r.floor);
        if (a < 0 || f < 0) {
            notMeasured(r.name);
            continue;
        }
        const double ratio = a / f;
        const bool met = r.limit <= 0 || ratio <= r.limit;
        ok = ok && met;
        std::snprintf(buf, sizeof buf, "%-44s %9.3f %10.3f %8.2f  %s %s\n", r.name.c_str(), a, f,
                      ratio, r.target.c_str(), r.limit <= 0 ? "" : Verdict(met));
        out << buf;
    }

    if (!limits_.empty())
        out << "\nfigure                                       median ms  target\n";
    for (const Limit& l : limits_) {
        const double a = MedianMs(l.name);
        if (a < 0) {
            notMeasured(l.name);
            continue;
        }
        const bool met = a <= l.ms;
        ok = ok && met;
        std::snprintf(buf, sizeof buf, "%-44s %9.3f  <= %g ms %s\n", l.name.c_str(), a, l.ms,
                      Verdict(met));
        out << buf;
    }

    if (!growths_.empty()) {
        out << "\ngrowth                                       t(large)/t(small)  n log n growth  "
               "ratio  target\n";
    }
    for (const Growth& g : growths_) {
        const double small = MedianMs(g.small), large = MedianMs(g.large);
        const std::string name = g.small + " -> " + g.large;
        if (small < 0 || large < 0) {
            notMeasured(name);
            continue;
        }
        const double growth = large / small, bound = NLogNGrowth(g.nSmall, g.nLarge);
        const bool met = growth <= bound;
        ok = ok && met;
        std::snprintf(buf, sizeof buf, "%-44s %17.2f %15.2f %6.2f  <= 1 (n log n) %s\n",
                      name.c_str(), growth, bound, growth / bound, Verdict(met));
        out << buf;
    }
    return ok;
}

}  // namespace kelm::bench
