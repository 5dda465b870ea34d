#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The data that turns gearing into acceleration: engines with their full-load torque curve,
// cars with the few numbers the road asks of them, and the choices of a run.  Names here are
// UTF-8, as the dynamics file keeps them (the catalog's names stay Windows-1251).

namespace kelm {

// Allowed values of one field, both ends included.
struct ValueRange {
    double min = 0;
    double max = 0;
    bool Contains(double v) const { return v >= min && v <= max; }  // false for NaN
};
// The allowed values as messages and hints give them: "от 100 до 100000".
std::string RangeText(ValueRange range);

// One point of a full-load torque curve.
struct TorquePoint {
    double rpm = 0;     // engine speed, rev/min
    double torque = 0;  // N·m
    bool operator==(const TorquePoint&) const = default;
};

struct Engine {
    std::string Name;
    std::vector<TorquePoint> Torque;  // engine speeds strictly rising

    static constexpr std::size_t kMinPoints = 2;
    static constexpr std::size_t kMaxPoints = 64;
    static constexpr ValueRange kSpeedRange{1, 100000};
    static constexpr ValueRange kTorqueRange{0, 100000};

    // Torque at `rpm` rev/min: linear between the points, the first point's torque below the
    // first speed, 0 above the last.  0 for a curve without points.
    double TorqueAt(double rpm) const;
    double FirstSpeed() const { return Torque.empty() ? 0 : Torque.front().rpm; }
    double LastSpeed() const { return Torque.empty() ? 0 : Torque.back().rpm; }

    bool operator==(const Engine&) const = default;
};

struct Car {
    std::string Name;
    double Mass = 1000;         // with driver, kg
    double Cx = 0.35;           // drag coefficient
    double Area = 2.0;          // frontal area, m²
    double Rolling = 0.015;     // rolling resistance coefficient
    double Efficiency = 0.9;    // driveline efficiency
    double Driven = 0.5;        // share of the weight on the driven wheels
    double Grip = 0.8;          // grip coefficient of the tyres
    double DeltaWheels = 0.04;  // rotating-mass coefficient of the wheels
    double DeltaEngine = 0.04;  // rotating-mass coefficient of the engine (times u_k²)

    static constexpr ValueRange kMassRange{100, 100000};
    static constexpr ValueRange kCxRange{0.05, 2};
    static constexpr ValueRange kAreaRange{0.1, 20};
    static constexpr ValueRange kRollingRange{0.001, 0.1};
    static constexpr ValueRange kEfficiencyRange{0.3, 1};
    static constexpr ValueRange kDrivenRange{0.05, 1};
    static constexpr ValueRange kGripRange{0.1, 2.5};
    static constexpr ValueRange kDeltaRange{0, 0.5};  // both rotating-mass coefficients

    bool operator==(const Car&) const = default;
};

// Names: not empty, at most this many characters (Unicode code points), unique in their
// list, compared byte for byte as the catalog compares.
constexpr std::size_t kMaxDynamicsNameLength = 255;

// When a gear is left.
enum class ShiftRule {
    Max,   // "max": at the shift limit (the lower of the maximum engine speed and the curve's end)
    Best,  // "best": where the next gear pulls at least as hard
};

// The choices of the acceleration window: which engine and car each comparison set uses (by
// name; empty or unknown: none), and how the run is driven.
struct RunSettings {
    std::string Engine1, Car1, Engine2, Car2;
    ShiftRule Shift = ShiftRule::Max;
    double Launch = 2500;    // engine speed held while the clutch slips at the start, rev/min
    double ShiftTime = 0.5;  // clutch open during a shift, s
    double PairFrom = 2.5;   // the range of main pairs swept, both ends included
    double PairTo = 6.0;

    static constexpr ValueRange kLaunchRange{0, 100000};
    static constexpr ValueRange kShiftTimeRange{0, 10};
    static constexpr ValueRange kPairRange{1, 10};

    bool operator==(const RunSettings&) const = default;
};

// The rules every record obeys, wherever it comes from (the file, the editor).  A problem
// names the field by its key in the file and says in Russian what is wrong with the value,
// with the allowed values; the caller says which record and how to show the field.
struct FieldProblem {
    std::string Field;  // "name", "torque", "mass", "launch", ...
    std::string Text;   // "50 — вне пределов от 100 до 100000"
    bool operator==(const FieldProblem&) const = default;
};

// The number of Unicode characters of a UTF-8 text; nothing when it is not valid UTF-8
// (a stray byte, an overlong form, a surrogate, beyond U+10FFFF).
std::optional<std::size_t> Utf8Length(std::string_view text);

// A name: not empty, valid UTF-8, at most kMaxDynamicsNameLength characters.  (Uniqueness
// is the list's business: DynamicsData.)
std::optional<FieldProblem> NameProblem(std::string_view name);

// A torque curve: kMinPoints to kMaxPoints points, each speed and torque in its range,
// speeds strictly rising.  The text names the point by its number, from 1.
std::optional<FieldProblem> CurveProblem(const std::vector<TorquePoint>& torque);

// One number of a record as the file and the editor know it: its key, its caption with the
// unit (as the editor labels it), where it lives in the record and what it may be.
template <class Record>
struct NumberField {
    std::string_view Key;
    std::string_view Label;
    double Record::*Member;
    ValueRange Range;
};

// The car's numbers, in the order the file writes them; the last two (the rotating-mass
// coefficients) may be missing from a file, and then keep their defaults.
std::span<const NumberField<Car>> CarFields();
constexpr std::size_t kCarRequiredFields = 7;
// The run's numbers: launch speed, shift time and the range of main pairs.
std::span<const NumberField<RunSettings>> RunNumberFields();

// Whether a number lies in its field's range; the problem names the value and the range.
std::optional<FieldProblem> NumberProblem(std::string_view key, double value, ValueRange range);

// The first problem of the record, in the order of its fields (the name first).
std::optional<FieldProblem> EngineProblem(const Engine& engine);
std::optional<FieldProblem> CarProblem(const Car& car);
// The run's numbers, and its range of pairs not upside down ("pair_to" below "pair_from").
std::optional<FieldProblem> RunProblem(const RunSettings& run);

// The file's words for the shift rule.
std::string_view ShiftRuleKey(ShiftRule rule);                    // "max", "best"
std::optional<ShiftRule> ShiftRuleFromKey(std::string_view key);  // nothing when unknown

}  // namespace kelm
