#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "catalog/catalog.h"
#include "chart/series.h"
#include "chart/shiftcurves.h"
#include "dynamics/dynamicsdata.h"
#include "dynamics/records.h"

// The acceleration of one comparison set: its gearing, engine and car driven from rest
// through the gears.  One computation yields every figure of the results table, the run's
// trace and the traction balance, so the table, both charts and the tests read the same
// numbers.
//
// The model, in SI units inside (road speed v in m/s, km/h in everything returned):
//   engine speed in gear k   n_k(v) = 60000 v u_k u0 / P        (P the perimeter in mm)
//   wheel radius             r = P / (2000 pi) m
//   torque                   the engine's curve, linear between its points, the first
//                            point's torque below its first speed, 0 above its last
//   shift limit              n_lim = min(maximum engine speed, curve's last speed)
//   drive force              F_k(v) = M(n_k(v)) u_k u0 eta / r; in first gear below the road
//                            speed at which n_1 reaches the launch speed the clutch slips and
//                            the engine turns at the launch speed (held between the curve's
//                            first speed and n_lim)
//   grip limit               mu (driven share) m g
//   resistance               F_r(v) = f m g + rho Cx A v^2 / 2    (g 9.81, rho 1.225)
//   rotating masses          delta_k = 1 + delta_wheels + delta_engine u_k^2
//   acceleration in gear k   a_k = (min(F_k, grip) - F_r) / (delta_k m)
//   clutch open (a shift)    a = -F_r / ((1 + delta_wheels) m), for the shift time
// Rule "max" leaves gear k where n_k reaches n_lim.  Rule "best" leaves it at the lowest road
// speed below that where gear k+1 turns the engine at least at the curve's first speed and
// accelerates at least as hard (both without the grip limit; first gear's force as the run
// has it, the slip included), found exactly: the difference of the two accelerations is a
// quadratic in v between the speeds where either gear passes a curve point, and its root is
// solved piece by piece.  A shift's moment is where the clutch opens.  A shift that ends above
// the next gear's shift speed is followed by the next at once.  In top gear the engine speed
// limit holds the car at n_lim.
//
// The run is integrated with the classic fourth-order Runge-Kutta method at a fixed step, the
// step cut at every figure's mark, shift and end of shift, and at every kink of the force (a
// curve point, the end of the slip, where the drive meets the grip), each moment found inside
// the step: every step integrates one smooth quadratic, and the figures agree with a quadrature
// of the same equations to 1e-7 s.
// Between shifts the acceleration depends on v alone, so the speed where the car would stop
// accelerating (or decelerating) is known beforehand: the run settles there instead of
// creeping towards it, and marks beyond it are known to be out of reach.

namespace kelm {

// What one comparison set drives.
struct AccelerationInput {
    std::vector<double> gears;  // ratios of the gears present, first gear first; each > 0
    double mainPair = 0;
    double perimeter = 0;  // rolling perimeter of the tyre, mm
    double maxRpm = 0;     // the maximum engine speed of the main window, rev/min
    Engine engine;
    Car car;
    ShiftRule shift = ShiftRule::Max;
    double launch = 2500;    // engine speed while the clutch slips at the start, rev/min
    double shiftTime = 0.5;  // clutch open during each shift, s

    bool operator==(const AccelerationInput&) const = default;
};

// The input of a comparison set from its catalog records, the way the shift chart takes them:
// gear 1 always, gears 2 to 6 where their ratio is not 0 (a gear 1 of ratio 0, or a negative
// ratio, is kept and makes the run not computable, as it fails the chart).
AccelerationInput MakeAccelerationInput(const Riad& row, MainPair pair, const Koles& tyre,
                                        std::int32_t maxRpm, const Engine& engine, const Car& car,
                                        const RunSettings& run);

// The input of comparison set `set` (1 or 2) of the main window: its gear row, pair and tyre
// looked up by the set's texts as the shift chart looks them up (the lookups leave the
// catalog's current records, as there), and the engine and car the run chooses for the set.
// Nothing where a lookup finds nothing or the set has no engine or car.
std::optional<AccelerationInput> ComparisonSetInput(int set, const ComparisonSet& input,
                                                    std::int32_t maxRpm, Catalog& catalog,
                                                    const DynamicsData& data);

// How far the run goes.  `Full` finds every figure; `PairSweep` stops as soon as the 0-100 time
// and the 400 m time are known and skips the 80-120 run, the trace and the traction balance.
// The figures both find are the same to the bit.
enum class RunExtent { Full, PairSweep };

struct AccelerationOptions {
    double step = 0.05;  // s, the integration step (cut at every event)
    RunExtent extent = RunExtent::Full;
};

// One point of the run, for drawing speed over time.
struct TracePoint {
    double time = 0;      // s
    double speed = 0;     // km/h
    double distance = 0;  // m
    int gear = 0;         // the gear engaged (1 = first); 0 while the clutch is open
};

// One shift as it happened in the run.
struct ShiftPoint {
    int from = 0;           // the gear left (1 = first); the next gear present is engaged
    double time = 0;        // s, where the clutch opens: the shift's moment
    double speed = 0;       // km/h, then
    double rpm = 0;         // engine speed in the gear left, then
    double endTime = 0;     // s, where the next gear is in (time + shift time)
    double endSpeed = 0;    // km/h, then
    double rpmAfter = 0;    // engine speed in the next gear, then
    bool complete = false;  // false: the run ended (its 120 s) with the clutch still open
};

// When each gear is left under the run's rule: its shift speed and the engine speed there.
struct GearPlan {
    int gear = 0;  // 1 = first
    double ratio = 0;
    double limitSpeed = 0;  // km/h at which the gear reaches n_lim
    // km/h and rev/min where the rule leaves the gear; none for the top gear.
    std::optional<double> shiftSpeed, shiftRpm;
};

struct TopSpeed {
    double speed = 0;  // km/h
    int gear = 0;      // 1 = first
    bool engineLimited =
        false;         // true: held at n_lim, where the drive still exceeds the resistance
    double force = 0;  // N, the resistance there (where the chart marks it)
};

// The drive force of one gear over road speed, without the grip limit: from where it turns
// the engine at the curve's first speed (from 0 in first gear, where the clutch slips) up to
// its n_lim speed.  The force is linear between the points, which fall on each curve point's
// speed (and, in first gear, on the end of the slip), so a polyline through them is exact.
struct TractionCurve {
    int gear = 0;
    std::vector<ChartPoint> points;  // x km/h, y N
};

struct TractionBalance {
    std::vector<TractionCurve> gears;
    double grip = 0;                     // N, the most the driven wheels pass on
    std::vector<ChartPoint> resistance;  // x km/h, y N, from 0 to beyond the top speed
};

struct AccelerationResult {
    // False when the input cannot be driven: no gears, a ratio, the pair or the perimeter not
    // above 0, an engine of fewer than two points or not rising, the maximum engine speed below
    // the curve, a car value out of sense, anything not finite.  Then every figure is absent.
    bool computable = false;

    // Each figure is absent where it cannot be reached (within the run's 120 s).
    std::optional<double> to60, to100;        // s, from rest
    std::optional<double> time400, speed400;  // s and km/h at 400 m from rest
    std::optional<double> time1000;           // s at 1000 m
    // s from a steady 80 to 120 km/h in top gear, no shift; absent too where top gear turns
    // the engine below the curve's first speed at 80 or beyond n_lim at 120.
    std::optional<double> from80to120;
    std::optional<TopSpeed> top;  // over all gears, up to n_lim in each
    // The top speed's figure alone, as the tables and the sweep give it.
    std::optional<double> TopSpeedKmh() const {
        return top ? std::optional(top->speed) : std::nullopt;
    }
    // Engine speed at 110 km/h in top gear; absent where that is beyond n_lim.
    std::optional<double> rpmAt110;

    std::vector<GearPlan> gears;     // every gear, first gear first
    std::vector<ShiftPoint> shifts;  // the shifts the run made, in order
    // Speed over time from rest to the run's end: a point at every step's end (at most 0.05 s
    // apart), which falls exactly on every shift's start and end and every figure's mark.
    std::vector<TracePoint> trace;
    TractionBalance balance;
    double duration = 0;  // s, where the run from rest ended (all its figures known, or 120 s)
};

// The longest a run goes on, s.
constexpr double kRunLimit = 120;

// Drives one comparison set.  Always returns, in bounded time (well under a millisecond for a
// sensible car), for any input.  It touches nothing shared: any thread may call it.
AccelerationResult RunAcceleration(const AccelerationInput& input,
                                   const AccelerationOptions& options = {});

}  // namespace kelm
