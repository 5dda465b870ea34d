#include "dynamics/acceleration.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace kelm {

namespace {

constexpr double kGravity = 9.81;      // m/s²
constexpr double kAirDensity = 1.225;  // kg/m³
constexpr double kPi = 3.14159265358979323846;
constexpr double kKmh = 3.6;  // km/h per m/s
constexpr double kInf = std::numeric_limits<double>::infinity();

// A run that has not found its figures after this many steps stops; no sensible input comes
// near it (120 s at 0.05 s is 2400 steps), but an absurd one must still end soon.
constexpr std::size_t kMaxSteps = 400000;
// An acceleration this small (m/s²) moves no figure in the whole run: the speed is steady.  It
// also keeps an absurd car's arithmetic out of the slow subnormal numbers.
constexpr double kSteady = 1e-9;

// p0 + p1 v + p2 v².
struct Quadratic {
    double p0 = 0, p1 = 0, p2 = 0;
    double operator()(double v) const { return p0 + v * (p1 + v * p2); }
};

// The real roots of q in [lo, hi], ascending; returns how many (0 to 2).
int RootsIn(Quadratic q, double lo, double hi, std::array<double, 2>& out) {
    // Scaled so that squaring cannot overflow whatever the inputs.
    const double scale = std::max({std::abs(q.p0), std::abs(q.p1), std::abs(q.p2)});
    if (!(scale > 0) || !std::isfinite(scale)) return 0;
    const double a = q.p2 / scale, b = q.p1 / scale, c = q.p0 / scale;
    std::array<double, 2> r{};
    int n = 0;
    if (a == 0) {
        if (b == 0) return 0;
        r[n++] = -c / b;
    } else {
        const double disc = b * b - 4 * a * c;
        if (disc < 0) return 0;
        // The form without cancellation for either root.
        const double m = -0.5 * (b + std::copysign(std::sqrt(disc), b));
        if (m == 0) {
            r[n++] = 0;  // b = c = 0
        } else {
            r[n++] = m / a;
            r[n++] = c / m;
        }
        if (n == 2 && r[1] < r[0]) std::swap(r[0], r[1]);
    }
    int kept = 0;
    for (int i = 0; i < n; ++i) {
        if (r[i] >= lo && r[i] <= hi) out[kept++] = r[i];
    }
    return kept;
}

// The drive force of a gear is linear in v on each piece: F = f0 + f1 v for speeds above the
// previous piece's end up to `upTo`.
struct ForcePiece {
    double upTo = 0;
    double f0 = 0, f1 = 0;
};

struct GearModel {
    double ratio = 0;
    double rpmPerSpeed = 0;          // engine speed per road speed, rev/min per m/s
    double invMass = 0;              // 1 / (delta_k m)
    double limit = 0;                // road speed at n_lim, m/s
    double shiftAt = kInf;           // where the rule leaves the gear, m/s; none for the top gear
    double from = 0;                 // where the gear turns the engine at the curve's first speed
    std::vector<ForcePiece> pieces;  // ascending; the last reaches to infinity
    // Where the acceleration has a kink: the piece ends and where the drive meets the grip.
    // Steps are cut there, so that each integrates one smooth quadratic.
    std::vector<double> kinks;

    std::size_t PieceAt(double v, std::size_t& hint) const {
        std::size_t i = std::min(hint, pieces.size() - 1);
        while (i + 1 < pieces.size() && v > pieces[i].upTo) ++i;
        while (i > 0 && v <= pieces[i - 1].upTo) --i;
        hint = i;
        return i;
    }
};

struct Model {
    std::vector<GearModel> gears;
    double grip = 0;                    // N
    double c0 = 0, c2 = 0;              // resistance c0 + c2 v², N
    double openInvMass = 0;             // 1 / ((1 + delta_wheels) m), the clutch open
    double reach = 0;                   // above this speed no drive beats the resistance
    double firstRpm = 0, limitRpm = 0;  // the curve's first speed, n_lim
    double launch = 0;                  // the launch speed held within the curve

    double Resistance(double v) const { return c0 + c2 * v * std::abs(v); }

    // Acceleration at road speed v with gear k engaged, or with the clutch open for k < 0.  The
    // force piece is the one at min(v, pieceCap): a gear that the run leaves at `pieceCap`
    // gives the method's trial points beyond it the force's smooth continuation, not the drop
    // to nothing above the curve's end that the car never meets.
    double Accel(int k, double v, std::size_t& hint, double pieceCap = kInf) const {
        if (k < 0) return -Resistance(v) * openInvMass;
        const GearModel& g = gears[static_cast<std::size_t>(k)];
        const ForcePiece& p = g.pieces[g.PieceAt(std::min(v, pieceCap), hint)];
        return (std::min(p.f0 + p.f1 * v, grip) - Resistance(v)) * g.invMass;
    }

    // |da/dv| at v: how fast a disturbance grows or dies, which bounds a stable step.
    double Stiffness(int k, double v, std::size_t& hint) const {
        if (k < 0) return 2 * c2 * std::abs(v) * openInvMass;
        const GearModel& g = gears[static_cast<std::size_t>(k)];
        const ForcePiece& p = g.pieces[g.PieceAt(v, hint)];
        const double drive = p.f0 + p.f1 * v < grip ? p.f1 : 0;
        return std::abs(drive - 2 * c2 * std::abs(v)) * g.invMass;
    }

    // Net force (drive less resistance) of gear k over [lo, hi] in ascending pieces on each of
    // which it is a quadratic, the grip limit included when `withGrip`.  `fn(a, b, q)` returns
    // true to stop the walk; so does this.
    template <class Fn>
    bool WalkNet(const GearModel& g, double lo, double hi, bool withGrip, Fn&& fn) const {
        double a = lo;
        for (const ForcePiece& p : g.pieces) {
            if (p.upTo < a || (p.upTo == a && a < hi)) continue;
            const double b = std::min(p.upTo, hi);
            const Quadratic drive{p.f0 - c0, p.f1, -c2}, held{grip - c0, 0, -c2};
            auto part = [&](double s, double e) {
                const double mid = s + 0.5 * (e - s);
                return fn(s, e, withGrip && p.f0 + p.f1 * mid > grip ? held : drive);
            };
            // The drive meets the grip at most once in a piece.
            const double split = p.f1 != 0 ? (grip - p.f0) / p.f1 : a;
            if (withGrip && split > a && split < b) {
                if (part(a, split) || part(split, b)) return true;
            } else if (part(a, b)) {
                return true;
            }
            if (b >= hi) return false;
            a = b;
        }
        return false;
    }

    // The highest speed in [lo, hi] where gear g's net force is at least 0.
    std::optional<double> HighestPulling(const GearModel& g, double lo, double hi) const {
        std::optional<double> found;
        WalkNet(g, lo, hi, true, [&](double a, double b, Quadratic q) {
            std::array<double, 2> r{};
            if (q(b) >= 0) {
                found = b;
            } else if (const int n = RootsIn(q, a, b, r); n > 0) {
                found = r[static_cast<std::size_t>(n) - 1];
            } else if (q(a) >= 0) {
                found = a;
            }
            return false;
        });
        return found;
    }

    // The lowest speed above v0 (where gear g pulls) at which its net force is 0 or less: where
    // the car stops gaining speed in that gear.  Infinity when none up to `hi`.
    double Ceiling(const GearModel& g, double v0, double hi) const {
        double found = kInf;
        WalkNet(g, v0, std::min(hi, reach), true, [&](double a, double b, Quadratic q) {
            if (a > v0 && q(a) <= 0) {
                found = a;
                return true;
            }
            std::array<double, 2> r{};
            for (int i = 0, n = RootsIn(q, a, b, r); i < n; ++i) {
                if (r[static_cast<std::size_t>(i)] > v0) {
                    found = r[static_cast<std::size_t>(i)];
                    return true;
                }
            }
            return false;
        });
        if (found == kInf && hi > reach) found = reach;
        return found;
    }
};

bool Finite(double v) { return std::isfinite(v); }

// The road speed where the rule leaves gear k (m/s), for every gear but the top one.
double BestShift(const Model& m, std::size_t k) {
    const GearModel& g = m.gears[k];
    const GearModel& next = m.gears[k + 1];
    // Where n_lim is out of any reach (a gear of next to no ratio), the search ends where no
    // drive beats the resistance.
    const double lo = next.from, hi = Finite(g.limit) ? g.limit : m.reach;
    if (!(lo < hi)) return g.limit;
    // Walk the pieces of both gears together: between the speeds where either passes a curve
    // point, a_{k+1} - a_k is one quadratic.
    std::size_t i = 0, j = 0;
    while (g.pieces[i].upTo <= lo && i + 1 < g.pieces.size()) ++i;
    while (next.pieces[j].upTo <= lo && j + 1 < next.pieces.size()) ++j;
    double a = lo;
    while (a < hi) {
        const ForcePiece& p = g.pieces[i];
        const ForcePiece& q = next.pieces[j];
        const double b = std::min({p.upTo, q.upTo, hi});
        const Quadratic d{(q.f0 - m.c0) * next.invMass - (p.f0 - m.c0) * g.invMass,
                          q.f1 * next.invMass - p.f1 * g.invMass,
                          -m.c2 * (next.invMass - g.invMass)};
        if (d(a) >= 0) return a;
        std::array<double, 2> r{};
        if (RootsIn(d, a, b, r) > 0 && r[0] < g.limit) return r[0];
        if (b >= hi) break;
        if (p.upTo <= b && i + 1 < g.pieces.size()) ++i;
        if (q.upTo <= b && j + 1 < next.pieces.size()) ++j;
        a = b;
    }
    return g.limit;
}

// The model of a computable input; false where the input cannot be driven.
bool BuildModel(const AccelerationInput& in, Model& m) {
    const Car& car = in.car;
    const auto& curve = in.engine.Torque;
    if (in.gears.empty() || curve.size() < Engine::kMinPoints) return false;
    for (double u : in.gears) {
        if (!(u > 0) || !Finite(u)) return false;
    }
    if (!(in.mainPair > 0) || !Finite(in.mainPair)) return false;
    if (!(in.perimeter > 0) || !Finite(in.perimeter)) return false;
    if (!Finite(in.maxRpm) || !Finite(in.launch)) return false;
    if (!(in.shiftTime >= 0) || !Finite(in.shiftTime)) return false;
    for (std::size_t i = 0; i < curve.size(); ++i) {
        if (!(curve[i].rpm > 0) || !Finite(curve[i].rpm) || !Finite(curve[i].torque)) return false;
        if (i > 0 && !(curve[i].rpm > curve[i - 1].rpm)) return false;
    }
    for (double v : {car.Mass, car.Cx, car.Area, car.Efficiency, car.Driven, car.Grip}) {
        if (!(v > 0) || !Finite(v)) return false;
    }
    for (double v : {car.Rolling, car.DeltaWheels, car.DeltaEngine}) {
        if (!(v >= 0) || !Finite(v)) return false;
    }

    m.firstRpm = curve.front().rpm;
    m.limitRpm = std::min(in.maxRpm, curve.back().rpm);
    if (m.limitRpm < m.firstRpm) return false;
    m.launch = std::clamp(in.launch, m.firstRpm, m.limitRpm);
    m.grip = car.Grip * car.Driven * car.Mass * kGravity;
    m.c0 = car.Rolling * car.Mass * kGravity;
    m.c2 = 0.5 * kAirDensity * car.Cx * car.Area;
    m.openInvMass = 1 / ((1 + car.DeltaWheels) * car.Mass);
    // Above this the resistance exceeds any drive the wheels can pass on.
    m.reach = std::sqrt(m.grip / m.c2);
    if (!Finite(m.grip) || !Finite(m.c2) || !(m.openInvMass > 0) || !Finite(m.reach)) return false;

    const double radius = in.perimeter / (2000 * kPi);
    m.gears.clear();
    m.gears.reserve(in.gears.size());
    for (std::size_t k = 0; k < in.gears.size(); ++k) {
        const double u = in.gears[k];
        GearModel g;
        g.ratio = u;
        g.rpmPerSpeed = 60000 * u * in.mainPair / in.perimeter;
        const double perNm = u * in.mainPair * car.Efficiency / radius;
        g.invMass = 1 / ((1 + car.DeltaWheels + car.DeltaEngine * u * u) * car.Mass);
        if (!(g.rpmPerSpeed > 0) || !Finite(g.rpmPerSpeed) || !Finite(perNm) || !(g.invMass > 0) ||
            !Finite(g.invMass))
            return false;
        const double c = g.rpmPerSpeed;
        g.limit = m.limitRpm / c;
        g.from = k == 0 ? 0 : m.firstRpm / c;
        // Below the first piece's end the engine turns at a fixed speed: the launch speed
        // while the clutch slips, or below the curve's start where the torque stays the first
        // point's.
        const double start = k == 0 ? m.launch : m.firstRpm;
        g.pieces.push_back({start / c, perNm * in.engine.TorqueAt(start), 0});
        for (std::size_t i = 1; i < curve.size(); ++i) {
            if (curve[i].rpm <= start) continue;
            const TorquePoint& p = curve[i - 1];
            const double slope = (curve[i].torque - p.torque) / (curve[i].rpm - p.rpm);
            g.pieces.push_back(
                {curve[i].rpm / c, perNm * (p.torque - slope * p.rpm), perNm * slope * c});
        }
        g.pieces.push_back({kInf, 0, 0});
        double lo = -kInf;
        for (const ForcePiece& p : g.pieces) {
            if (!Finite(p.f0) || !Finite(p.f1)) return false;
            const double grip = p.f1 != 0 ? (m.grip - p.f0) / p.f1 : -kInf;
            if (grip > lo && grip < p.upTo && grip > 0) g.kinks.push_back(grip);
            if (Finite(p.upTo) && p.upTo > 0) g.kinks.push_back(p.upTo);
            lo = p.upTo;
        }
        m.gears.push_back(std::move(g));
    }
    for (std::size_t k = 0; k + 1 < m.gears.size(); ++k) {
        m.gears[k].shiftAt = in.shift == ShiftRule::Max ? m.gears[k].limit : BestShift(m, k);
    }
    return true;
}

// A speed or distance the run waits for, and when it got there.
struct Mark {
    double at = 0;  // m/s or m
    bool needed = false;
    std::optional<double> time, speed;  // s, m/s
};

// One drive of the model: from a state, in a gear, until every needed mark is known (reached,
// or known to be out of reach) or the time limit.
class Run {
  public:
    Run(const Model& m, double step, double shiftTime)
        : m_(m), step_(step), shiftTime_(shiftTime), hints_(m.gears.size() + 1, 0) {}

    std::vector<Mark> speeds, distances;
    bool needShifts = false;
    std::vector<ShiftPoint> shifts;
    std::vector<TracePoint>* trace = nullptr;

    void Drive(double v0, std::size_t gear) {
        v_ = v0;
        Record();
        EnterGear(gear);
        std::size_t steps = 0;
        while (!Done() && t_ < kRunLimit && steps++ < kMaxSteps) {
            if (dir_ == 0 && !Settled()) break;
            if (dir_ != 0) Step();
        }
        Record();
    }
    double Time() const { return t_; }

  private:
    std::size_t& Hint() { return hints_[static_cast<std::size_t>(gear_ + 1)]; }
    double Accel(double v) { return m_.Accel(gear_, v, Hint(), pieceCap_); }
    bool InTop() const { return gear_ == static_cast<int>(m_.gears.size()) - 1; }

    struct Motion {
        double v, x;
    };
    Motion Rk4(double h) {
        const double k1 = Accel(v_);
        const double k2 = Accel(v_ + 0.5 * h * k1);
        const double k3 = Accel(v_ + 0.5 * h * k2);
        const double k4 = Accel(v_ + h * k3);
        return {v_ + h / 6 * (k1 + 2 * k2 + 2 * k3 + k4), x_ + h * (v_ + h / 6 * (k1 + k2 + k3))};
    }

    // The part of a step of length h at which the speed (or the distance) reaches `target`,
    // crossing it upwards when sign is +1, downwards when -1.  Newton's method on the step's
    // own polynomial, kept inside the bracket.
    double Solve(double h, bool distance, double target, double sign) {
        auto gap = [&](Motion mo) { return sign * ((distance ? mo.x : mo.v) - target); };
        double lo = 0, hi = h;
        double glo = gap({v_, x_}), ghi = gap(Rk4(h));
        double s = ghi > glo ? h * (-glo) / (ghi - glo) : h;
        for (int i = 0; i < 60; ++i) {
            const Motion mo = Rk4(s);
            const double gs = gap(mo);
            if (gs == 0) return s;
            if (gs > 0) {
                hi = s;
                ghi = gs;
            } else {
                lo = s;
                glo = gs;
            }
            const double slope = sign * (distance ? mo.v : Accel(mo.v));
            double next = s - gs / slope;
            if (!(next > lo && next < hi)) next = lo + 0.5 * (hi - lo);
            if (std::abs(next - s) <= 1e-15 * h) return next;
            if (hi - lo <= 1e-15 * h) return hi;
            s = next;
        }
        return hi;
    }

    // The kink the speed meets next in the gear engaged, in the direction it moves: +-infinity
    // for none.
    double NextKink() const {
        const double none = dir_ > 0 ? kInf : -kInf;
        if (gear_ < 0) return none;
        const std::vector<double>& k = m_.gears[static_cast<std::size_t>(gear_)].kinks;
        if (dir_ > 0) {
            const auto it = std::upper_bound(k.begin(), k.end(), v_);
            return it == k.end() || *it >= stop_ ? none : *it;
        }
        const auto it = std::lower_bound(k.begin(), k.end(), v_);
        return it == k.begin() ? none : *(it - 1);
    }

    void EnterGear(std::size_t k) {
        gear_ = static_cast<int>(k);
        const GearModel& g = m_.gears[k];
        stop_ = InTop() ? g.limit : g.shiftAt;
        pieceCap_ = kInf;
        if (!InTop() && v_ >= stop_) return StartShift();
        const double a = Accel(v_);
        if (v_ < stop_) pieceCap_ = stop_;
        if (a > kSteady && !(InTop() && v_ >= stop_)) {
            dir_ = 1;
            bound_ = m_.Ceiling(g, v_, stop_);
        } else if (a < -kSteady) {
            dir_ = -1;
            bound_ = m_.HighestPulling(g, 0, v_).value_or(0);
        } else {
            dir_ = 0;
        }
    }

    void StartShift() {
        const GearModel& g = m_.gears[static_cast<std::size_t>(gear_)];
        shifts.push_back({gear_ + 1, t_, v_ * kKmh, v_ * g.rpmPerSpeed, 0, 0, 0, false});
        Record();
        next_ = static_cast<std::size_t>(gear_) + 1;
        gear_ = -1;
        pieceCap_ = kInf;
        shiftEnd_ = t_ + shiftTime_;
        dir_ = -1;
        bound_ = 0;
        if (t_ >= shiftEnd_) EndShift();
    }

    void EndShift() {
        ShiftPoint& s = shifts.back();
        s.endTime = t_;
        s.endSpeed = v_ * kKmh;
        s.rpmAfter = v_ * m_.gears[next_].rpmPerSpeed;
        s.complete = true;
        gear_ = static_cast<int>(next_);
        Record();
        EnterGear(next_);
    }

    // Whether the run will never leave its gear again: decelerating or settled in it, or
    // stopped short of its shift speed, or in top gear.
    bool Stuck() const {
        if (gear_ < 0) return false;
        return InTop() || dir_ <= 0 || bound_ <= stop_;
    }
    // The highest speed the rest of the run can reach, when it is stuck.
    bool OutOfReach(double speed) const {
        if (dir_ <= 0) return speed > v_;
        return bound_ <= stop_ ? speed >= bound_ : speed > stop_;
    }

    bool Done() const {
        const bool stuck = Stuck();
        for (const Mark& s : speeds) {
            if (s.needed && !s.time && !(stuck && OutOfReach(s.at))) return false;
        }
        for (const Mark& d : distances) {
            if (d.needed && !d.time && !(stuck && dir_ == 0 && v_ <= 0)) return false;
        }
        return !needShifts || stuck;
    }

    // Handles a run that no longer changes speed; false when it ends the drive.
    bool Settled() {
        if (gear_ < 0) {  // at rest with the clutch open: the next gear comes in
            t_ = std::min(shiftEnd_, kRunLimit);
            Record();
            if (t_ >= shiftEnd_) EndShift();
            return true;
        }
        // At a steady speed only distances are still to come.
        double end = t_;
        for (Mark& d : distances) {
            if (d.time || !(v_ > 0)) continue;
            const double at = t_ + (d.at - x_) / v_;
            if (at <= kRunLimit) {
                d.time = at;
                d.speed = v_;
                end = std::max(end, at);
            }
        }
        bool open = false;
        for (const Mark& d : distances) open = open || (d.needed && !d.time);
        if (open) end = kRunLimit;
        x_ += (end - t_) * v_;
        t_ = end;
        return false;
    }

    void Step() {
        double h = step_;
        double cut = kInf;  // the time a full step ends at exactly: the shift's end, the limit
        if (gear_ < 0 && shiftEnd_ - t_ <= h) {
            h = shiftEnd_ - t_;
            cut = shiftEnd_;
        }
        if (kRunLimit - t_ <= h) {
            h = kRunLimit - t_;
            cut = kRunLimit;
        }
        // A step short enough for the method to stay stable where the speed settles fast.
        const double stiff = m_.Stiffness(gear_, v_, Hint());
        if (stiff * h > 0.5) {
            h = 0.5 / stiff;
            cut = kInf;
        }
        Motion mo = Rk4(h);
        // The local stiffness misses what a step meets further on (from rest, where the drag
        // has no slope yet): a step that moves the speed the wrong way, or the car backwards,
        // was unstable.  It only happens to a car so light for its drag that it reaches where
        // its speed settles at once.
        if (!std::isfinite(mo.v) || !std::isfinite(mo.x) || mo.x < x_ ||
            (dir_ > 0 ? mo.v < v_ : mo.v > v_)) {
            v_ = std::isfinite(bound_) ? bound_ : v_;
            dir_ = 0;
            return;
        }

        // The events inside the step, each with the part of the step where it falls.
        double first = h;
        std::array<double, 9> when{};
        when.fill(kInf);
        enum { kStop = 0, kBound = 1, kSpeed0 = 2, kDist0 = 5, kKink = 8 };
        const double kink = NextKink();
        if (dir_ > 0 ? mo.v > kink : mo.v < kink)
            when[kKink] = Solve(h, false, kink, dir_ > 0 ? 1 : -1);
        if (dir_ > 0) {
            if (stop_ < bound_ && mo.v >= stop_) when[kStop] = Solve(h, false, stop_, 1);
            if (mo.v >= bound_) when[kBound] = Solve(h, false, bound_, 1);
            for (std::size_t i = 0; i < speeds.size() && i < 3; ++i) {
                const Mark& s = speeds[i];
                if (!s.time && s.at < bound_ && mo.v >= s.at)
                    when[kSpeed0 + i] = Solve(h, false, s.at, 1);
            }
        } else if (mo.v <= bound_) {
            when[kBound] = Solve(h, false, bound_, -1);
        }
        for (std::size_t i = 0; i < distances.size() && i < 3; ++i) {
            if (!distances[i].time && mo.x >= distances[i].at)
                when[kDist0 + i] = Solve(h, true, distances[i].at, 1);
        }
        for (double w : when) first = std::min(first, w);
        if (first < h) mo = Rk4(first);
        t_ = first == h && cut < kInf ? cut : t_ + first;
        v_ = mo.v;
        x_ = mo.x;

        const double tie = first * (1 + 1e-12) + 1e-15;
        for (std::size_t i = 0; i < speeds.size() && i < 3; ++i) {
            if (when[kSpeed0 + i] <= tie) speeds[i].time = t_;
        }
        for (std::size_t i = 0; i < distances.size() && i < 3; ++i) {
            if (when[kDist0 + i] <= tie) {
                distances[i].time = t_;
                distances[i].speed = v_;
            }
        }
        const bool stop = when[kStop] <= tie;
        if (when[kKink] <= tie) v_ = kink;
        // Settled where the speed stops changing (within what a double tells from it).
        const bool settle =
            !stop && (when[kBound] <= tie ||
                      (bound_ < kInf && std::abs(v_ - bound_) <= 1e-9 * std::max(bound_, 1.0)));
        if (stop) v_ = stop_;
        if (settle) {
            v_ = bound_;
            dir_ = 0;
        }
        Record();
        if (stop) {
            if (InTop()) {
                dir_ = 0;  // held at n_lim
            } else {
                StartShift();
            }
        } else if (gear_ < 0 && t_ >= shiftEnd_) {
            EndShift();
        }
    }

    void Record() {
        if (!trace) return;
        const TracePoint p{t_, v_ * kKmh, x_, gear_ + 1};
        if (!trace->empty() && trace->back().time == p.time && trace->back().gear == p.gear &&
            trace->back().speed == p.speed)
            return;
        trace->push_back(p);
    }

    const Model& m_;
    double step_;
    double shiftTime_;
    std::vector<std::size_t> hints_;
    double t_ = 0, v_ = 0, x_ = 0;
    int gear_ = 0;          // the gear engaged, or -1 with the clutch open
    std::size_t next_ = 0;  // the gear that comes in at the shift's end
    double shiftEnd_ = 0;
    double stop_ = kInf;      // the speed that ends the gear: its shift, or n_lim in top
    double pieceCap_ = kInf;  // see Model::Accel
    double bound_ = kInf;     // where the speed settles in this gear (or with the clutch open)
    int dir_ = 0;             // +1 gaining speed, -1 losing it, 0 steady
};

}  // namespace

AccelerationInput MakeAccelerationInput(const Riad& row, MainPair pair, const Koles& tyre,
                                        std::int32_t maxRpm, const Engine& engine, const Car& car,
                                        const RunSettings& run) {
    AccelerationInput in;
    for (std::size_t g = 0; g < row.Ratios.size(); ++g) {
        const double u = row.Ratios[g];
        if (g == 0 || u < 0 || u > 0) in.gears.push_back(u);
    }
    in.mainPair = pair;
    in.perimeter = tyre.Perimeter;
    in.maxRpm = maxRpm;
    in.engine = engine;
    in.car = car;
    in.shift = run.Shift;
    in.launch = run.Launch;
    in.shiftTime = run.ShiftTime;
    return in;
}

std::optional<AccelerationInput> ComparisonSetInput(int set, const ComparisonSet& input,
                                                    std::int32_t maxRpm, Catalog& catalog,
                                                    const DynamicsData& data) {
    const RunSettings& run = data.Run;
    const Engine* engine = data.FindEngine(set == 1 ? run.Engine1 : run.Engine2);
    const Car* car = data.FindCar(set == 1 ? run.Car1 : run.Car2);
    if (!engine || !car || !catalog.FindRow(input.rowName) || !catalog.FindPair(input.pairText) ||
        !catalog.FindTyre(input.tyreName))
        return std::nullopt;
    return MakeAccelerationInput(*catalog.CurrentRow, *catalog.CurrentPair, *catalog.CurrentTyre,
                                 maxRpm, *engine, *car, run);
}

AccelerationResult RunAcceleration(const AccelerationInput& input,
                                   const AccelerationOptions& options) {
    AccelerationResult out;
    Model m;
    if (!BuildModel(input, m)) return out;
    out.computable = true;
    const double step = options.step > 0 && Finite(options.step) ? options.step : 0.05;
    const bool full = options.extent == RunExtent::Full;
    const GearModel& top = m.gears.back();

    for (std::size_t k = 0; k < m.gears.size(); ++k) {
        const GearModel& g = m.gears[k];
        GearPlan plan{static_cast<int>(k) + 1, g.ratio, g.limit * kKmh, {}, {}};
        if (k + 1 < m.gears.size()) {
            plan.shiftSpeed = g.shiftAt * kKmh;
            plan.shiftRpm = g.shiftAt * g.rpmPerSpeed;
        }
        out.gears.push_back(plan);
    }

    // The top speed: over all gears, the highest speed up to n_lim where the drive (held to
    // the grip) still meets the resistance.
    for (std::size_t k = 0; k < m.gears.size(); ++k) {
        const GearModel& g = m.gears[k];
        const double hi = std::min(g.limit, m.reach);
        const std::optional<double> v = m.HighestPulling(g, 0, hi);
        if (v && (!out.top || *v * kKmh >= out.top->speed)) {
            out.top = TopSpeed{*v * kKmh, static_cast<int>(k) + 1, *v >= g.limit, m.Resistance(*v)};
        }
    }
    if (110 / kKmh <= top.limit) out.rpmAt110 = 110 / kKmh * top.rpmPerSpeed;

    // From rest.
    Run run(m, step, input.shiftTime);
    run.speeds = {{60 / kKmh, full, {}, {}}, {100 / kKmh, true, {}, {}}};
    run.distances = {{400, true, {}, {}}, {1000, full, {}, {}}};
    run.needShifts = full;
    if (full) run.trace = &out.trace;
    run.Drive(0, 0);
    out.to60 = run.speeds[0].time;
    out.to100 = run.speeds[1].time;
    out.time400 = run.distances[0].time;
    if (run.distances[0].speed) out.speed400 = *run.distances[0].speed * kKmh;
    out.time1000 = run.distances[1].time;
    out.shifts = std::move(run.shifts);
    out.duration = run.Time();
    if (!full) return out;

    // 80 to 120 km/h in top gear, where top gear pulls the engine within its curve there.
    const double v80 = 80 / kKmh, v120 = 120 / kKmh;
    if (v80 * top.rpmPerSpeed >= m.firstRpm && v120 <= top.limit) {
        Run elastic(m, step, input.shiftTime);
        elastic.speeds = {{v120, true, {}, {}}};
        elastic.Drive(v80, m.gears.size() - 1);
        out.from80to120 = elastic.speeds[0].time;
    }

    // The traction balance.
    out.balance.grip = m.grip;
    double right = out.top ? out.top->speed / kKmh : 0;
    for (std::size_t k = 0; k < m.gears.size(); ++k) {
        const GearModel& g = m.gears[k];
        TractionCurve curve{static_cast<int>(k) + 1, {}};
        const double end = std::min(g.limit, m.reach * 4);
        std::size_t hint = 0;
        auto add = [&](double v) {
            const ForcePiece& p = g.pieces[g.PieceAt(v, hint)];
            curve.points.push_back({v * kKmh, p.f0 + p.f1 * v});
        };
        add(g.from);
        for (const ForcePiece& p : g.pieces) {
            if (p.upTo > g.from && p.upTo < end) add(p.upTo);
        }
        if (end > g.from) add(end);
        right = std::max(right, end);
        out.balance.gears.push_back(std::move(curve));
    }
    right = std::min(right, m.reach) * 1.1;
    constexpr int kResistancePoints = 64;
    for (int i = 0; i <= kResistancePoints; ++i) {
        const double v = right * i / kResistancePoints;
        out.balance.resistance.push_back({v * kKmh, m.Resistance(v)});
    }
    return out;
}

}  // namespace kelm
