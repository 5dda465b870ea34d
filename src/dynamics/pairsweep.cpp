#include "dynamics/pairsweep.h"

#include <algorithm>
#include <cmath>

namespace kelm {

namespace {

// The pair range in hundredths, within what a run allows.
long Hundredths(double pair) {
    const double clamped =
        std::clamp(pair, RunSettings::kPairRange.min, RunSettings::kPairRange.max);
    return std::lround(clamped * 100);
}

// The best of one figure: the lowest value when `lowest`, else the highest.
template <class Get>
std::optional<PairSweepBest> Best(const std::vector<PairSweepPoint>& points, bool lowest, Get get) {
    std::optional<PairSweepBest> best;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const std::optional<double> v = get(points[i]);
        if (!v) continue;
        if (!best || (lowest ? *v < best->value : *v > best->value))
            best = PairSweepBest{i, points[i].pair, *v, false};
    }
    if (best) best->atEdge = best->index == 0 || best->index + 1 == points.size();
    return best;
}

}  // namespace

double SweptPair(double from, std::size_t i) {
    return static_cast<double>(Hundredths(from) + static_cast<long>(i)) / 100.0;
}

std::optional<PairSweep> SweepMainPairs(
    const AccelerationInput& input, double from, double to, std::stop_token stop,
    const std::function<void(std::size_t done, std::size_t total)>& progress) {
    PairSweep sweep;
    if (!std::isfinite(from) || !std::isfinite(to)) return sweep;
    const long first = Hundredths(from), last = Hundredths(to);
    if (first > last) return sweep;
    const auto total = static_cast<std::size_t>(last - first + 1);

    AccelerationInput run = input;
    const AccelerationOptions options{AccelerationOptions{}.step, RunExtent::PairSweep};
    std::vector<PairSweepPoint> points;
    points.reserve(total);
    for (std::size_t i = 0; i < total; ++i) {
        if (stop.stop_requested()) return std::nullopt;
        run.mainPair = SweptPair(from, i);
        const AccelerationResult r = RunAcceleration(run, options);
        points.push_back({run.mainPair, r.to100, r.time400, r.TopSpeedKmh(), r.rpmAt110});
        if (progress) progress(i + 1, total);
    }
    if (stop.stop_requested()) return std::nullopt;

    sweep.points = std::move(points);
    sweep.bestTo100 = Best(sweep.points, true, [](const PairSweepPoint& p) { return p.to100; });
    sweep.best400 = Best(sweep.points, true, [](const PairSweepPoint& p) { return p.time400; });
    sweep.bestTop = Best(sweep.points, false, [](const PairSweepPoint& p) { return p.topSpeed; });
    return sweep;
}

}  // namespace kelm
