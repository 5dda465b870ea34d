#include "dynamics/pairsweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stop_token>

#include "acceleration_examples.h"

namespace kelm {
namespace {

using testing::ExampleA;

TEST(PairSweep, FiguresAtTheSetsOwnPairAreItsSingleRunToTheBit) {
    const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), 2.5, 6.0);
    ASSERT_TRUE(sweep);
    const PairSweepPoint& p = sweep->points[140];
    ASSERT_EQ(p.pair, 3.9);
    const AccelerationResult single = RunAcceleration(ExampleA());
    EXPECT_EQ(p.to100, single.to100);
    EXPECT_EQ(p.time400, single.time400);
    EXPECT_EQ(p.topSpeed, single.top->speed);
    EXPECT_EQ(p.rpmAt110, single.rpmAt110);
}

TEST(PairSweep, BestPairsOfExampleA) {
    const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), 2.5, 6.0);
    ASSERT_TRUE(sweep);
    ASSERT_EQ(sweep->points.size(), 351u);
    // The curves are flat near their best: a pair within 0.03, its figure to 0.01.
    struct Want {
        const char* name;
        const std::optional<PairSweepBest>& best;
        double pair, value;
        bool atEdge;
    };
    for (const Want& w : {Want{"top speed", sweep->bestTop, 3.96, 159.37, false},
                          Want{"400 m", sweep->best400, 5.73, 20.73, false},
                          Want{"0-100", sweep->bestTo100, 6.00, 15.68, true}}) {
        ASSERT_TRUE(w.best) << w.name;
        EXPECT_NEAR(w.best->pair, w.pair, 0.03 + 1e-9) << w.name;
        EXPECT_NEAR(w.best->value, w.value, 0.01) << w.name;
        EXPECT_EQ(w.best->atEdge, w.atEdge) << w.name;
        EXPECT_EQ(sweep->points[w.best->index].pair, w.best->pair) << w.name;
    }
}

TEST(PairSweep, FiguresOutOfReachAreGapsAndTheBestSkipsThem) {
    // From pair 6.51 even top gear reaches 6000 rev/min below 100 km/h (and from 5.92 below
    // 110 km/h, so that the engine speed at 110 is a gap too).
    const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), 6.0, 7.0);
    ASSERT_TRUE(sweep);
    for (const PairSweepPoint& p : sweep->points) {
        EXPECT_EQ(p.to100.has_value(), p.pair <= 6.5) << p.pair;
        EXPECT_TRUE(p.time400 && p.topSpeed && !p.rpmAt110) << p.pair;
    }
    ASSERT_TRUE(sweep->bestTo100);
    EXPECT_EQ(sweep->bestTo100->pair, 6.5);
    EXPECT_FALSE(sweep->bestTo100->atEdge);  // the edge of what the engine allows, not the range
}

TEST(PairSweep, RangeIsTakenToTheHundredthWithinItsLimits) {
    struct Case {
        double from, to;
        std::size_t count;
        double first, last;
    };
    for (const Case& c : {Case{2.5, 6.0, 351, 2.5, 6.0}, Case{3.899, 3.9049, 1, 3.9, 3.9},
                          Case{0.5, 1.2, 21, 1.0, 1.2}, Case{9.99, 20, 2, 9.99, 10.0}}) {
        const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), c.from, c.to);
        ASSERT_TRUE(sweep);
        ASSERT_EQ(sweep->points.size(), c.count) << c.from;
        EXPECT_EQ(sweep->points.front().pair, c.first);
        EXPECT_EQ(sweep->points.back().pair, c.last);
    }
    for (auto [from, to] : {std::pair{6.0, 2.5}, {NAN, 6.0}, {2.5, INFINITY}}) {
        const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), from, to);
        ASSERT_TRUE(sweep);
        EXPECT_TRUE(sweep->points.empty());
        EXPECT_FALSE(sweep->bestTo100 || sweep->best400 || sweep->bestTop);
    }
}

TEST(PairSweep, AStoppedSweepLeavesNothingAndRunsNoFurther) {
    std::stop_source stop;
    std::size_t runs = 0, total = 0;
    const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), 2.5, 6.0, stop.get_token(),
                                                          [&](std::size_t done, std::size_t all) {
                                                              runs = done;
                                                              total = all;
                                                              if (done == all / 2)
                                                                  stop.request_stop();
                                                          });
    EXPECT_FALSE(sweep);
    EXPECT_EQ(total, 351u);
    EXPECT_EQ(runs, 175u);
    // Stopped before it starts: not a single run.
    runs = 0;
    EXPECT_FALSE(SweepMainPairs(ExampleA(), 2.5, 6.0, stop.get_token(),
                                [&](std::size_t done, std::size_t) { runs = done; }));
    EXPECT_EQ(runs, 0u);
}

}  // namespace
}  // namespace kelm
