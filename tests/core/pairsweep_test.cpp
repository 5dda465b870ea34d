#include "dynamics/pairsweep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stop_token>

#include "acceleration_examples.h"

namespace kelm {
namespace {

using testing::ExampleA;

TEST(PairSweep, ExampleAOverItsRange) {
    const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), 2.5, 6.0);
    ASSERT_TRUE(sweep);
    ASSERT_EQ(sweep->points.size(), 351u);
    // The set's own pair gives its single run's figures to the bit.
    const PairSweepPoint& own = sweep->points[140];
    const AccelerationResult single = RunAcceleration(ExampleA());
    EXPECT_EQ(own.pair, 3.9);
    EXPECT_TRUE(own.to100 == single.to100 && own.time400 == single.time400);
    EXPECT_TRUE(own.topSpeed == single.top->speed && own.rpmAt110 == single.rpmAt110);
    // The curves are flat near their best: a pair within 0.03, its figure to 0.01.
    for (auto [best, pair, value, atEdge] : {std::tuple{sweep->bestTop, 3.96, 159.37, false},
                                             {sweep->best400, 5.73, 20.73, false},
                                             {sweep->bestTo100, 6.00, 15.68, true}}) {
        ASSERT_TRUE(best);
        EXPECT_NEAR(best->pair, pair, 0.03 + 1e-9);
        EXPECT_NEAR(best->value, value, 0.01);
        EXPECT_EQ(best->atEdge, atEdge);
        EXPECT_EQ(sweep->points[best->index].pair, best->pair);
    }
}

TEST(PairSweep, FiguresOutOfReachAreGapsAndTheBestSkipsThem) {
    // From pair 6.51 even top gear reaches 6000 rev/min below 100 km/h (and from 5.92 below
    // 110 km/h, so that the engine speed at 110 is a gap too).
    const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), 6.0, 7.0);
    for (const PairSweepPoint& p : sweep->points) {
        EXPECT_EQ(p.to100.has_value(), p.pair <= 6.5) << p.pair;
        EXPECT_TRUE(p.time400 && p.topSpeed && !p.rpmAt110) << p.pair;
    }
    EXPECT_EQ(sweep->bestTo100->pair, 6.5);
    EXPECT_FALSE(sweep->bestTo100->atEdge);  // the edge of what the engine allows, not the range
}

TEST(PairSweep, RangeIsTakenToTheHundredthWithinItsLimits) {
    for (auto [from, to, count, first, last] : {std::tuple{2.5, 6.0, 351u, 2.5, 6.0},
                                                {3.899, 3.9049, 1u, 3.9, 3.9},
                                                {0.5, 1.2, 21u, 1.0, 1.2},
                                                {9.99, 20.0, 2u, 9.99, 10.0},
                                                {6.0, 2.5, 0u, 0.0, 0.0},
                                                {NAN, 6.0, 0u, 0.0, 0.0},
                                                {2.5, INFINITY, 0u, 0.0, 0.0}}) {
        const std::optional<PairSweep> sweep = SweepMainPairs(ExampleA(), from, to);
        ASSERT_EQ(sweep->points.size(), count) << from;
        EXPECT_TRUE(count || !(sweep->bestTo100 || sweep->best400 || sweep->bestTop));
        EXPECT_TRUE(!count ||
                    (sweep->points[0].pair == first && sweep->points.back().pair == last));
    }
}

TEST(PairSweep, AStoppedSweepLeavesNothingAndRunsNoFurther) {
    std::stop_source stop;
    std::size_t runs = 0, total = 0;
    auto progress = [&](std::size_t done, std::size_t all) {
        runs = done, total = all;
        if (done == all / 2) stop.request_stop();
    };
    EXPECT_FALSE(SweepMainPairs(ExampleA(), 2.5, 6.0, stop.get_token(), progress));
    EXPECT_EQ(runs, 175u);
    EXPECT_EQ(total, 351u);
    runs = 0;  // stopped before it starts: not a single run
    EXPECT_FALSE(SweepMainPairs(ExampleA(), 2.5, 6.0, stop.get_token(), progress));
    EXPECT_EQ(runs, 0u);
}

}  // namespace
}  // namespace kelm
