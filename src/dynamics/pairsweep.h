#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

#include "dynamics/acceleration.h"

// Which main pair: one comparison set driven over every main pair of a range, a hundredth
// apart, and the pairs that do best.

namespace kelm {

// The figures of one pair; absent where the run cannot reach them (a gap in a curve).
struct PairSweepPoint {
    double pair = 0;
    std::optional<double> to100;     // s
    std::optional<double> time400;   // s
    std::optional<double> topSpeed;  // km/h
    std::optional<double> rpmAt110;  // rev/min at 110 km/h in top gear
};

// The pair that does best in one figure.
struct PairSweepBest {
    std::size_t index = 0;  // into PairSweep::points
    double pair = 0;
    double value = 0;
    bool atEdge = false;  // the first or the last pair of the range: a longer range may do better
};

struct PairSweep {
    std::vector<PairSweepPoint> points;  // ascending pairs
    // The shortest 0-100, the shortest 400 m, the highest top speed; the lowest pair on a tie;
    // none where no pair reaches the figure.
    std::optional<PairSweepBest> bestTo100, best400, bestTop;
};

// Pair i of a sweep that starts at `from`: (round(from x 100) + i) / 100, so that a pair of the
// sweep is the very double a single run of that pair takes (3.9 is 390 / 100.0).
double SweptPair(double from, std::size_t i);

// Drives `input` with every main pair from `from` to `to` (both taken to the hundredth, within
// 1.00 to 10.00; none when `from` is above `to`), each run as RunAcceleration does with
// RunExtent::PairSweep.  `progress`, when given, is called after each run with the runs done
// and the total, on the calling thread.  Stopping is checked between runs; a stopped sweep
// returns nothing, never part of a result.
std::optional<PairSweep> SweepMainPairs(
    const AccelerationInput& input, double from, double to, std::stop_token stop = {},
    const std::function<void(std::size_t done, std::size_t total)>& progress = {});

}  // namespace kelm
