#include "dynamics/acceleration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "acceleration_examples.h"

namespace kelm {
namespace {

using testing::ExampleA;
using testing::ExampleB;

constexpr double kPi = 3.14159265358979323846;

// Every figure of a result that a table row shows, by name; absent ones are none.
std::vector<std::pair<std::string, std::optional<double>>> Figures(const AccelerationResult& r) {
    return {{"0-60", r.to60},
            {"0-100", r.to100},
            {"400 m", r.time400},
            {"speed at 400 m", r.speed400},
            {"1000 m", r.time1000},
            {"80-120", r.from80to120},
            {"top speed", r.top ? std::optional(r.top->speed) : std::nullopt},
            {"rpm at 110", r.rpmAt110}};
}

// An independent solution of the same equations, sharing nothing with the run but the
// engine's torque lookup: between shifts the speed is the variable of integration
// (dt = dv / a, dx = v dv / a, by adaptive Simpson), and the coast with the clutch open has its
// closed form.  It drives the gears it is given the shift speeds of, assuming each is reached.
class Reference {
  public:
    explicit Reference(const AccelerationInput& in) : in_(in) {
        const Car& c = in.car;
        grip_ = c.Grip * c.Driven * c.Mass * 9.81;
        c0_ = c.Rolling * c.Mass * 9.81;
        c2_ = 0.5 * 1.225 * c.Cx * c.Area;
        launch_ = std::clamp(in.launch, in.engine.FirstSpeed(),
                             std::min(in.maxRpm, in.engine.LastSpeed()));
    }

    double Rpm(std::size_t k, double v) const {
        return 60000 * v * in_.gears[k] * in_.mainPair / in_.perimeter;
    }
    double Accel(std::size_t k, double v, bool withGrip = true) const {
        const double n = k == 0 ? std::max(Rpm(0, v), launch_) : Rpm(k, v);
        const double u = in_.gears[k];
        double drive = in_.engine.TorqueAt(n) * u * in_.mainPair * in_.car.Efficiency /
                       (in_.perimeter / (2000 * kPi));
        if (withGrip) drive = std::min(drive, grip_);
        const double delta = 1 + in_.car.DeltaWheels + in_.car.DeltaEngine * u * u;
        return (drive - c0_ - c2_ * v * v) / (delta * in_.car.Mass);
    }

    struct Marks {
        std::optional<double> to60, to100, time400, speed400, time1000;
        std::vector<double> shiftTimes;
    };
    // From rest; `shiftAt` holds the shift speeds (m/s) of every gear but the last.
    Marks FromRest(const std::vector<double>& shiftAt) const {
        Marks f;
        double t = 0, x = 0, v = 0;
        const std::size_t last = in_.gears.size() - 1;
        for (std::size_t k = 0; k <= last; ++k) {
            const double end = k < last ? shiftAt[k] : Settles(k, v) * (1 - 1e-9);
            auto dt = [&](double w) { return 1 / Accel(k, w); };
            auto dx = [&](double w) { return w / Accel(k, w); };
            for (auto [mark, out] : {std::pair{60 / 3.6, &f.to60}, {100 / 3.6, &f.to100}}) {
                if (!*out && mark > v && mark <= end) *out = t + Integral(dt, v, mark);
            }
            for (auto [mark, time, speed] :
                 {std::tuple{400.0, &f.time400, &f.speed400}, {1000.0, &f.time1000, nullptr}}) {
                if (*time || x + Integral(dx, v, end) < mark) continue;
                double lo = v, hi = end, xlo = x;  // the speed at the mark, by bisection
                for (int i = 0; i < 60; ++i) {
                    const double mid = 0.5 * (lo + hi), xmid = xlo + Integral(dx, lo, mid);
                    if (xmid < mark) {
                        lo = mid;
                        xlo = xmid;
                    } else {
                        hi = mid;
                    }
                }
                *time = t + Integral(dt, v, hi);
                if (speed) *speed = hi * 3.6;
            }
            if (k == last) break;
            t += Integral(dt, v, end);
            x += Integral(dx, v, end);
            f.shiftTimes.push_back(t);
            // The coast: v = s tan(theta0 - w tau), x = (m'/c2) ln(cos(theta0 - w tau) / cos
            // theta0).
            const double mass = (1 + in_.car.DeltaWheels) * in_.car.Mass;
            const double s = std::sqrt(c0_ / c2_), w = std::sqrt(c0_ * c2_) / mass;
            const double theta = std::atan(end / s), T = in_.shiftTime;
            EXPECT_LT(w * T, theta) << "the reference assumes the car keeps rolling";
            t += T;
            x += mass / c2_ * std::log(std::cos(theta - w * T) / std::cos(theta));
            v = s * std::tan(theta - w * T);
        }
        return f;
    }
    // The speed above v where gear k stops gaining.
    double Settles(std::size_t k, double v) const {
        double hi = v;
        while (Accel(k, hi) > 0) hi += 0.01;
        double lo = hi - 0.01;
        for (int i = 0; i < 100; ++i) (Accel(k, 0.5 * (lo + hi)) > 0 ? lo : hi) = 0.5 * (lo + hi);
        return lo;
    }
    double FromSpeedInTop(double from, double to) const {
        const std::size_t top = in_.gears.size() - 1;
        return Integral([&](double w) { return 1 / Accel(top, w); }, from, to);
    }

  private:
    template <class F>
    static double Simpson(F f, double a, double fa, double b, double fb, double m, double fm,
                          double whole, double tol, int depth) {
        const double lm = 0.5 * (a + m), rm = 0.5 * (m + b);
        const double flm = f(lm), frm = f(rm);
        const double left = (m - a) / 6 * (fa + 4 * flm + fm);
        const double right = (b - m) / 6 * (fm + 4 * frm + fb);
        const double error = std::abs(left + right - whole);
        if (depth <= 0 || error <= 15 * tol || error <= 1e-13 * std::abs(left + right))
            return left + right + (left + right - whole) / 15;
        return Simpson(f, a, fa, m, fm, lm, flm, left, tol / 2, depth - 1) +
               Simpson(f, m, fm, b, fb, rm, frm, right, tol / 2, depth - 1);
    }
    template <class F>
    static double Integral(F f, double a, double b) {
        if (!(b > a)) return 0;
        const double m = 0.5 * (a + b), fa = f(a), fb = f(b), fm = f(m);
        return Simpson(f, a, fa, b, fb, m, fm, (b - a) / 6 * (fa + 4 * fm + fb), 1e-10, 30);
    }

    const AccelerationInput& in_;
    double grip_, c0_, c2_, launch_;
};

// The worked examples, with the figures as they are published (rounded to 0.01).
struct Published {
    std::string name;
    std::function<std::optional<double>(const AccelerationResult&)> figure;
    double value;
};

void ExpectPublished(const AccelerationInput& in, const std::vector<Published>& table) {
    const AccelerationResult r = RunAcceleration(in);
    ASSERT_TRUE(r.computable);
    for (const Published& p : table) {
        const std::optional<double> got = p.figure(r);
        ASSERT_TRUE(got) << p.name;
        // Rounded to 0.01, and correct to 0.01 of the exact solution: within 0.01 of the figure.
        EXPECT_NEAR(*got, p.value, 0.01) << p.name;
    }
}

auto Shift(std::size_t i, bool rpm = false) {
    return [i, rpm](const AccelerationResult& r) -> std::optional<double> {
        if (i >= r.shifts.size()) return std::nullopt;
        return rpm ? r.shifts[i].rpm : r.shifts[i].speed;
    };
}

TEST(Acceleration, WorkedExampleA) {
    ExpectPublished(ExampleA(), {
                                    {"0-60", [](auto& r) { return r.to60; }, 7.89},
                                    {"0-100", [](auto& r) { return r.to100; }, 16.77},
                                    {"400 m", [](auto& r) { return r.time400; }, 21.03},
                                    {"speed at 400 m", [](auto& r) { return r.speed400; }, 113.87},
                                    // Published as 37.84; see below.
                                    {"1000 m", [](auto& r) { return r.time1000; }, 37.818},
                                    {"80-120", [](auto& r) { return r.from80to120; }, 15.66},
                                    {"shift 1-2", Shift(0), 45.45},
                                    {"shift 2-3", Shift(1), 79.43},
                                    {"shift 3-4", Shift(2), 122.65},
                                    {"rpm 1-2", Shift(0, true), 6000},
                                    {"rpm 2-3", Shift(1, true), 6000},
                                    {"rpm 3-4", Shift(2, true), 6000},
                                });
    const AccelerationResult r = RunAcceleration(ExampleA());
    ASSERT_TRUE(r.top);
    EXPECT_NEAR(r.top->speed, 159.35, 0.01);
    EXPECT_EQ(r.top->gear, 4);
    EXPECT_FALSE(r.top->engineLimited);
    EXPECT_EQ(r.shifts.size(), 3u);
    // The 1000 m time as published, 37.84 s, is 0.022 s from the solution of the equations; the
    // independent solution below agrees with this run's 37.818 s to a thousandth.
    EXPECT_GT(std::abs(*r.time1000 - 37.84), 0.015);
}

TEST(Acceleration, WorkedExampleB) {
    ExpectPublished(ExampleB(ShiftRule::Best),
                    {
                        {"0-100", [](auto& r) { return r.to100; }, 11.14},
                        {"400 m", [](auto& r) { return r.time400; }, 18.21},
                        {"speed at 400 m", [](auto& r) { return r.speed400; }, 132.29},
                        {"top speed", [](auto& r) { return r.top->speed; }, 210.67},
                        {"top gear", [](auto& r) { return r.top->gear; }, 6},
                        {"shift 1-2", Shift(0), 37.44},
                        {"shift 2-3", Shift(1), 71.48},
                        {"shift 3-4", Shift(2), 108.66},
                        {"shift 4-5", Shift(3), 148.01},
                        {"shift 5-6", Shift(4), 184.05},
                        // Published to 0.1 rev/min as 4207.3, 4346.1, 4275.3, 4191.2 and
                        // 4169.2; the fourth is 0.054 from the exact root (see the test of the
                        // best shift below), so these are the exact ones, to 0.01.
                        {"rpm 1-2", Shift(0, true), 4207.28},
                        {"rpm 2-3", Shift(1, true), 4346.11},
                        {"rpm 3-4", Shift(2, true), 4275.30},
                        {"rpm 4-5", Shift(3, true), 4191.15},
                        {"rpm 5-6", Shift(4, true), 4169.23},
                    });
    ExpectPublished(ExampleB(ShiftRule::Max),
                    {
                        {"0-100", [](auto& r) { return r.to100; }, 11.38},
                        {"400 m", [](auto& r) { return r.time400; }, 18.26},
                    });
}

TEST(Acceleration, RunAgreesWithAnIndependentSolutionOfTheSameEquations) {
    for (const AccelerationInput& in :
         {ExampleA(), ExampleB(ShiftRule::Best), ExampleB(ShiftRule::Max)}) {
        const AccelerationResult r = RunAcceleration(in);
        const Reference ref(in);
        std::vector<double> shiftAt;
        for (const GearPlan& g : r.gears) {
            if (g.shiftSpeed) shiftAt.push_back(*g.shiftSpeed / 3.6);
        }
        // Rule "max" in B never leaves fifth gear: it settles below its shift speed.  The
        // reference then drives the gears up to that one.
        AccelerationInput driven = in;
        driven.gears.resize(r.shifts.size() + 1);
        shiftAt.resize(r.shifts.size());
        const Reference::Marks want = Reference(driven).FromRest(shiftAt);
        for (auto [got, exact] : {std::pair{r.to60, want.to60},
                                  {r.to100, want.to100},
                                  {r.time400, want.time400},
                                  {r.speed400, want.speed400},
                                  {r.time1000, want.time1000}}) {
            ASSERT_TRUE(got && exact);
            EXPECT_NEAR(*got, *exact, 1e-4);
        }
        ASSERT_EQ(r.shifts.size(), want.shiftTimes.size());
        for (std::size_t i = 0; i < r.shifts.size(); ++i)
            EXPECT_NEAR(r.shifts[i].time, want.shiftTimes[i], 1e-4);
        EXPECT_NEAR(*r.from80to120, ref.FromSpeedInTop(80 / 3.6, 120 / 3.6), 1e-4);
    }
}

TEST(Acceleration, BestShiftIsTheLowestSpeedWhereTheNextGearPullsHarderTo001Rpm) {
    const AccelerationInput in = ExampleB(ShiftRule::Best);
    const Reference ref(in);
    const AccelerationResult r = RunAcceleration(in);
    for (std::size_t k = 0; k + 1 < in.gears.size(); ++k) {
        const double at = *r.gears[k].shiftSpeed / 3.6;
        const double dv = 0.01 / ref.Rpm(k, 1);  // 0.01 rev/min in gear k
        auto gain = [&](double v) { return ref.Accel(k + 1, v, false) - ref.Accel(k, v, false); };
        EXPECT_GE(gain(at + dv), 0) << "gear " << k + 1;
        // Below it, from where gear k+1 turns the engine at the curve's first speed, it pulls
        // less everywhere.
        const double from = in.engine.FirstSpeed() / ref.Rpm(k + 1, 1);
        for (int i = 0; i <= 1000; ++i)
            ASSERT_LT(gain(from + (at - dv - from) * i / 1000), 0) << "gear " << k + 1;
    }
}

// Inputs that cannot be driven: every figure is absent, and there is nothing to draw.
TEST(Acceleration, InputsThatCannotBeDrivenHaveNoFigures) {
    const std::vector<std::pair<std::string, std::function<void(AccelerationInput&)>>> cases = {
        {"no gears", [](auto& in) { in.gears.clear(); }},
        {"gear 1 of ratio 0", [](auto& in) { in.gears[0] = 0; }},
        {"a negative ratio", [](auto& in) { in.gears[2] = -1.36; }},
        {"pair 0", [](auto& in) { in.mainPair = 0; }},
        {"negative pair", [](auto& in) { in.mainPair = -3.9; }},
        {"perimeter 0", [](auto& in) { in.perimeter = 0; }},
        {"negative perimeter", [](auto& in) { in.perimeter = -1807; }},
        {"SE1 below the curve", [](auto& in) { in.maxRpm = 999; }},
        {"an engine of one point", [](auto& in) { in.engine.Torque.resize(1); }},
        {"speeds not rising", [](auto& in) { in.engine.Torque[3].rpm = 2000; }},
        {"mass NaN", [](auto& in) { in.car.Mass = std::nan(""); }},
        {"mass 0", [](auto& in) { in.car.Mass = 0; }},
        {"negative shift time", [](auto& in) { in.shiftTime = -0.5; }},
        {"infinite launch speed", [](auto& in) { in.launch = INFINITY; }},
    };
    for (const auto& [what, change] : cases) {
        AccelerationInput in = ExampleA();
        change(in);
        const AccelerationResult r = RunAcceleration(in);
        EXPECT_FALSE(r.computable) << what;
        for (const auto& [name, figure] : Figures(r)) EXPECT_FALSE(figure) << what << ": " << name;
        EXPECT_TRUE(r.shifts.empty() && r.trace.empty() && r.gears.empty()) << what;
        EXPECT_TRUE(r.balance.gears.empty() && r.balance.resistance.empty()) << what;
    }
}

// Figures the car cannot reach are absent; the rest stand.
TEST(Acceleration, FiguresOutOfReachAreAbsent) {
    struct Case {
        std::string what;
        std::function<void(AccelerationInput&)> change;
        std::vector<std::string> absent;
    };
    const std::vector<Case> cases = {
        {"too weak for 60: a lorry's mass on the saloon's engine",
         [](auto& in) { in.car.Mass = 20000; },
         {"0-60", "0-100", "1000 m", "80-120"}},
        {"top gear turns the engine below the curve at 80 (2878 rev/min, from 3000)",
         [](auto& in) {
             in.engine.Torque.erase(in.engine.Torque.begin(), in.engine.Torque.begin() + 2);
         },
         {"80-120"}},
        {"120 km/h beyond n_lim in top gear", [](auto& in) { in.maxRpm = 4300; }, {"80-120"}},
        {"drag too high for 100",
         [](auto& in) { in.car.Cx = 2, in.car.Area = 4; },
         {"0-100", "80-120"}},
    };
    for (const Case& c : cases) {
        AccelerationInput in = ExampleA();
        c.change(in);
        const AccelerationResult r = RunAcceleration(in);
        ASSERT_TRUE(r.computable) << c.what;
        for (const auto& [name, figure] : Figures(r)) {
            const bool absent = std::count(c.absent.begin(), c.absent.end(), name) > 0;
            EXPECT_EQ(figure.has_value(), !absent) << c.what << ": " << name;
        }
    }
}

TEST(Acceleration, EngineSpeedLimitHoldsTheTopSpeed) {
    AccelerationInput in = ExampleA();
    in.maxRpm = 4300;
    const AccelerationResult r = RunAcceleration(in);
    ASSERT_TRUE(r.top);
    EXPECT_TRUE(r.top->engineLimited);
    EXPECT_EQ(r.top->gear, 4);
    EXPECT_NEAR(r.top->speed, 4300 * 1807 / (60000 * 1.0 * 3.9) * 3.6, 1e-9);
    EXPECT_EQ(r.gears.back().limitSpeed, r.top->speed);
    // The run reaches it and holds it: no point of the trace beyond it.
    double fastest = 0;
    for (const TracePoint& p : r.trace) fastest = std::max(fastest, p.speed);
    EXPECT_NEAR(fastest, r.top->speed, 1e-9);
}

TEST(Acceleration, AShiftThatEndsAboveTheNextShiftSpeedIsFollowedAtOnce) {
    AccelerationInput in = ExampleA();
    in.gears = {3.67, 3.8, 1.36, 1.00};  // second gear's shift speed lies below the first's
    const AccelerationResult r = RunAcceleration(in);
    ASSERT_GE(r.shifts.size(), 2u);
    EXPECT_EQ(r.shifts[1].time, r.shifts[0].endTime);
    EXPECT_EQ(r.shifts[1].speed, r.shifts[0].endSpeed);
    EXPECT_GT(r.shifts[1].rpm, 6000);
}

// What the two charts draw comes from the same run as the figures.
TEST(Acceleration, TraceAndTractionBalanceDrawTheRunOfTheFigures) {
    const AccelerationInput in = ExampleA();
    const AccelerationResult r = RunAcceleration(in);
    const std::vector<TracePoint>& trace = r.trace;
    ASSERT_GT(trace.size(), 500u);
    EXPECT_EQ(trace.front().time, 0);
    EXPECT_EQ(trace.back().time, r.duration);
    EXPECT_GE(trace.back().distance, 1000 - 1e-6);
    for (std::size_t i = 1; i < trace.size(); ++i) {
        ASSERT_GE(trace[i].time, trace[i - 1].time);
        ASSERT_LE(trace[i].time - trace[i - 1].time, 0.05 + 1e-9);
        ASSERT_GE(trace[i].distance, trace[i - 1].distance);
    }
    // Each shift's start and end are points of the trace, in the gears on either side.
    for (const ShiftPoint& s : r.shifts) {
        auto at = [&](double t, double speed, int gear) {
            return std::any_of(trace.begin(), trace.end(), [&](const TracePoint& p) {
                return p.time == t && p.speed == speed && p.gear == gear;
            });
        };
        EXPECT_TRUE(at(s.time, s.speed, s.from));
        EXPECT_TRUE(at(s.endTime, s.endSpeed, s.from + 1));
        EXPECT_TRUE(s.complete);
        EXPECT_DOUBLE_EQ(s.endTime - s.time, in.shiftTime);
    }

    const TractionBalance& b = r.balance;
    EXPECT_NEAR(b.grip, 0.8 * 0.5 * 1120 * 9.81, 1e-9);
    ASSERT_EQ(b.gears.size(), 4u);
    const double radius = in.perimeter / (2000 * kPi);
    for (std::size_t k = 0; k < 4; ++k) {
        const auto& pts = b.gears[k].points;
        const double kmhPerRpm = in.perimeter * 60 / (1e6 * in.gears[k] * in.mainPair);
        // From the curve's first speed (from rest in first gear) to n_lim; a point at each curve
        // point's speed between, where the force is that point's torque through the gear.
        EXPECT_NEAR(pts.front().x, k == 0 ? 0 : 1000 * kmhPerRpm, 1e-9);
        EXPECT_NEAR(pts.back().x, 6000 * kmhPerRpm, 1e-9);
        for (const TorquePoint& c : in.engine.Torque) {
            if (k == 0 && c.rpm <= 2500) continue;
            const auto hit = std::find_if(pts.begin(), pts.end(), [&](const ChartPoint& p) {
                return std::abs(p.x - c.rpm * kmhPerRpm) < 1e-9;
            });
            ASSERT_NE(hit, pts.end()) << "gear " << k + 1 << " at " << c.rpm;
            EXPECT_NEAR(hit->y, c.torque * in.gears[k] * in.mainPair * 0.9 / radius, 1e-6);
        }
    }
    // The slip holds the launch speed's torque in first gear.
    EXPECT_NEAR(b.gears[0].points[0].y, b.gears[0].points[1].y, 1e-9);
    EXPECT_EQ(b.resistance.front().x, 0);
    EXPECT_GT(b.resistance.back().x, r.top->speed);
}

TEST(Acceleration, InputFromTheCatalogTakesTheGearsAsTheShiftChartDoes) {
    const Riad row{"Ряд", {3.5, 2.0, 0, 1.0, 0, 0.7}};
    RunSettings run;
    run.Shift = ShiftRule::Best;
    run.Launch = 1800;
    run.ShiftTime = 0.3;
    const AccelerationInput in = MakeAccelerationInput(row, 4.1, Koles{"Шина", 1800}, 5500,
                                                       ExampleA().engine, ExampleA().car, run);
    EXPECT_EQ(in.gears, (std::vector<double>{3.5, 2.0, 1.0, 0.7}));
    EXPECT_EQ(in.mainPair, 4.1);
    EXPECT_EQ(in.perimeter, 1800);
    EXPECT_EQ(in.maxRpm, 5500);
    EXPECT_EQ(in.shift, ShiftRule::Best);
    EXPECT_EQ(in.launch, 1800);
    EXPECT_EQ(in.shiftTime, 0.3);
    // A first gear of ratio 0 fails the shift chart; it is kept, and the run cannot be made.
    const Riad broken{"Ряд", {0, 2.0, 1.4, 1.0, 0, 0}};
    EXPECT_FALSE(RunAcceleration(MakeAccelerationInput(broken, 3.9, Koles{"Шина", 1800}, 6000,
                                                       ExampleA().engine, ExampleA().car, run))
                     .computable);
}

// Absurd but finite inputs: each run ends within its 120 s, and whatever it gives is a number.
TEST(Acceleration, AbsurdInputsEndWithinTheirBoundWithNothingMadeUp) {
    const std::vector<std::pair<std::string, std::function<void(AccelerationInput&)>>> cases = {
        {"ratio 1e-60",
         [](auto& in) {
             in.gears = {1e-60, 1e-61};
         }},
        {"ratio 1e60",
         [](auto& in) {
             in.gears = {1e60, 1};
         }},
        {"mass 1e6", [](auto& in) { in.car.Mass = 1e6; }},
        {"mass 1e-6", [](auto& in) { in.car.Mass = 1e-6; }},
        {"torque 1e300", [](auto& in) { in.engine.Torque[3].torque = 1e300; }},
        {"a cliff in the curve", [](auto& in) { in.engine.Torque[3].rpm = 3000.000001; }},
        {"perimeter 1e-6", [](auto& in) { in.perimeter = 1e-6; }},
        {"pair 1e-300", [](auto& in) { in.mainPair = 1e-300; }},
        {"shift time 1e6", [](auto& in) { in.shiftTime = 1e6; }},
        {"engine inertia 1e300", [](auto& in) { in.car.DeltaEngine = 1e300; }},
        {"no drag", [](auto& in) { in.car.Cx = 1e-300; }},
        {"negative torque",
         [](auto& in) {
             in.engine.Torque = {{1000, -5}, {6000, -5}};
         }},
        {"ratios rising",
         [](auto& in) {
             in.gears = {1, 2, 3, 4};
         }},
        {"no rolling, long shifts",
         [](auto& in) {
             in.car.Rolling = 0;
             in.shiftTime = 100;
         }},
    };
    for (const auto& [what, change] : cases) {
        for (ShiftRule rule : {ShiftRule::Max, ShiftRule::Best}) {
            AccelerationInput in = ExampleA();
            change(in);
            in.shift = rule;
            const AccelerationResult r = RunAcceleration(in);
            EXPECT_LE(r.duration, kRunLimit) << what;
            for (const auto& [name, figure] : Figures(r)) {
                if (figure) {
                    EXPECT_TRUE(std::isfinite(*figure) && *figure >= 0) << what << name;
                }
            }
            for (const TracePoint& p : r.trace) {
                ASSERT_TRUE(std::isfinite(p.speed) && std::isfinite(p.distance)) << what;
                ASSERT_TRUE(p.time >= 0 && p.time <= kRunLimit && p.speed >= 0) << what;
            }
            if (r.time400 && r.top) {
                EXPECT_LE(*r.speed400, r.top->speed + 1e-6) << what;
            }
        }
    }
}

// Whatever keeps it from moving, a car that cannot gain speed has nothing more to show: its run
// ends at once, with its one point.
TEST(Acceleration, ACarThatCannotMoveEndsItsRunAtOnce) {
    const std::vector<std::pair<std::string, std::function<void(AccelerationInput&)>>> cases = {
        {"rolling resistance above the drive", [](auto& in) { in.car.Mass = 1e6; }},
        {"no torque",
         [](auto& in) {
             in.engine.Torque = {{1000, 0}, {6000, 0}};
         }},
        {"an engine too heavy to turn", [](auto& in) { in.car.DeltaEngine = 1e300; }},
    };
    for (const auto& [what, change] : cases) {
        AccelerationInput in = ExampleA();
        change(in);
        const AccelerationResult r = RunAcceleration(in);
        ASSERT_TRUE(r.computable) << what;
        EXPECT_EQ(r.duration, 0) << what;
        EXPECT_EQ(r.trace.size(), 1u) << what;
        EXPECT_FALSE(r.to60 || r.time400 || r.time1000) << what;
    }
}

// A random car, gearbox and engine of sensible values.
AccelerationInput RandomInput(std::mt19937& rng) {
    auto real = [&](double a, double b) {
        return std::uniform_real_distribution<double>(a, b)(rng);
    };
    AccelerationInput in;
    const int gears = std::uniform_int_distribution<int>(1, 6)(rng);
    const double first = real(2.5, 4.5), top = real(0.6, 1.1);
    for (int k = 0; k < gears; ++k)
        in.gears.push_back(gears == 1 ? first : first * std::pow(top / first, k / (gears - 1.0)));
    in.mainPair = real(2.5, 5.5);
    in.perimeter = real(1500, 2200);
    in.maxRpm = real(3000, 8000);
    const int points = std::uniform_int_distribution<int>(2, 10)(rng);
    const double from = real(600, 1500), to = real(3500, 8000);
    for (int i = 0; i < points; ++i)
        in.engine.Torque.push_back({from + (to - from) * i / (points - 1), real(50, 500)});
    in.car = {.Name = "",
              .Mass = real(600, 3000),
              .Cx = real(0.25, 0.5),
              .Area = real(1.5, 3),
              .Rolling = real(0.008, 0.02),
              .Efficiency = real(0.8, 0.95),
              .Driven = real(0.4, 0.7),
              .Grip = real(0.6, 1.2),
              .DeltaWheels = real(0, 0.1),
              .DeltaEngine = real(0, 0.1)};
    in.shift = rng() % 2 ? ShiftRule::Max : ShiftRule::Best;
    in.launch = real(1000, 4000);
    in.shiftTime = real(0, 1);
    return in;
}

TEST(AccelerationProperties, HalvingTheStepChangesNoFigureByMoreThanAHundredth) {
    std::mt19937 rng(2108);
    std::vector<AccelerationInput> inputs = {ExampleA(), ExampleB(ShiftRule::Best),
                                             ExampleB(ShiftRule::Max)};
    for (int i = 0; i < 200; ++i) inputs.push_back(RandomInput(rng));
    for (const AccelerationInput& in : inputs) {
        const AccelerationResult a = RunAcceleration(in);
        const AccelerationResult b = RunAcceleration(in, {AccelerationOptions{}.step / 2});
        const auto fa = Figures(a), fb = Figures(b);
        for (std::size_t i = 0; i < fa.size(); ++i) {
            ASSERT_EQ(fa[i].second.has_value(), fb[i].second.has_value()) << fa[i].first;
            if (fa[i].second) {
                EXPECT_NEAR(*fa[i].second, *fb[i].second, 0.01) << fa[i].first;
            }
        }
        ASSERT_EQ(a.shifts.size(), b.shifts.size());
        for (std::size_t i = 0; i < a.shifts.size(); ++i)
            EXPECT_NEAR(a.shifts[i].time, b.shifts[i].time, 0.01);
    }
}

// Mass alone slows a car in these equations only where the grip does not grow with it (the
// grip force is mass times a coefficient, the drag is not): a heavier car given the same grip
// force at its wheels is never quicker.
TEST(AccelerationProperties, AHeavierCarWithTheSameGripForceIsNeverQuicker) {
    std::mt19937 rng(2109);
    for (int i = 0; i < 300; ++i) {
        const AccelerationInput light = RandomInput(rng);
        AccelerationInput heavy = light;
        const double factor = std::uniform_real_distribution<double>(1.05, 2)(rng);
        heavy.car.Mass *= factor;
        heavy.car.Grip /= factor;
        const AccelerationResult a = RunAcceleration(light), b = RunAcceleration(heavy);
        for (auto [l, h] : {std::pair{a.to60, b.to60},
                            {a.to100, b.to100},
                            {a.time400, b.time400},
                            {a.time1000, b.time1000},
                            {a.from80to120, b.from80to120}}) {
            if (h) {
                ASSERT_TRUE(l) << "round " << i;
                EXPECT_GE(*h, *l - 0.01) << "round " << i;
            }
        }
    }
}

TEST(AccelerationProperties, EveryRunEndsWithinItsBoundAndInOrder) {
    std::mt19937 rng(2110);
    for (int i = 0; i < 300; ++i) {
        const AccelerationInput in = RandomInput(rng);
        const AccelerationResult r = RunAcceleration(in);
        ASSERT_TRUE(r.computable);
        EXPECT_LE(r.duration, kRunLimit);
        for (const auto& [name, figure] : Figures(r)) {
            if (figure && name != "speed at 400 m" && name != "top speed" && name != "rpm at 110") {
                EXPECT_LE(*figure, kRunLimit) << name;
            }
        }
        if (r.to100) {
            ASSERT_TRUE(r.to60);
            EXPECT_LT(*r.to60, *r.to100);
        }
        if (r.time1000) {
            EXPECT_LT(*r.time400, *r.time1000);
        }
        EXPECT_LE(r.shifts.size(), in.gears.size() - 1);
        for (std::size_t s = 0; s < r.shifts.size(); ++s) {
            EXPECT_EQ(r.shifts[s].from, static_cast<int>(s) + 1);
            if (s > 0) {
                EXPECT_GE(r.shifts[s].time, r.shifts[s - 1].endTime);
            }
        }
        // The sweep's shorter run finds the same figures to the bit.
        const AccelerationResult q =
            RunAcceleration(in, {AccelerationOptions{}.step, RunExtent::PairSweep});
        EXPECT_EQ(q.to100, r.to100);
        EXPECT_EQ(q.time400, r.time400);
        EXPECT_LE(q.duration, r.duration);
    }
}

}  // namespace
}  // namespace kelm
