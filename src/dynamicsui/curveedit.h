#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chart/plot.h"
#include "dynamics/records.h"

// The rules of the engine editor's torque table, without widgets: the power it shows beside
// each point, the points it adds, the speeds it refuses, the text it copies to and reads
// from a spreadsheet, and the preview chart.  The table keeps an engine's curve valid after
// every edit (sorted by speed, no speed twice, 2 to 64 points), so the curve in memory may be
// written to the file at any moment.  Also how those windows refuse a typed number.

namespace kelm {

// Power in kW at a point: P = M·n / 9549.3 (N·m and rev/min).
double PowerKw(const TorquePoint& point);
// Metric horsepower of a power in kW: 1 л.с. = 0.7355 kW.
double KwToHp(double kw);

// The table's columns, with their units, as their captions read.
inline constexpr std::string_view kSpeedCaption = "Обороты, об/мин";
inline constexpr std::string_view kTorqueCaption = "Момент, Н·м";
inline constexpr std::string_view kPowerKwCaption = "Мощность, кВт";
inline constexpr std::string_view kPowerHpCaption = "Мощность, л.с.";

// What a field refuses that is not a number at all: "«abc» — не число, а нужно от 1 до 100000".
std::string NotANumber(std::string_view typed, ValueRange range);

// What a record's number field refuses, after the field's caption: `typed` where it is no
// number (`value` none), or a number the field does not allow; nothing where it is taken.
template <class Record>
std::optional<std::string> FieldRefusal(const NumberField<Record>& field, std::string_view typed,
                                        std::optional<double> value) {
    if (!value) return std::string(field.Label) + ": " + NotANumber(typed, field.Range);
    if (auto problem = NumberProblem(field.Key, *value, field.Range))
        return std::string(field.Label) + ": " + problem->Text;
    return std::nullopt;
}

// The one error box, "Недопустимое значение", in which the windows of engines, cars and
// acceleration say why they refused a typed value.
void SayRefused(const std::string& text);

// "1 точка", "2 точки", "7 точек".
std::string PointsText(std::size_t count);

// Why the speed of point `row` may not become `rpm`: out of its range, or the speed of
// another point.  The text names the value and the rule, not the field.
std::optional<std::string> SpeedProblem(const std::vector<TorquePoint>& curve, std::size_t row,
                                        double rpm);
// Why a torque may not be `torque`: out of its range.
std::optional<std::string> TorqueProblem(double torque);

// Where point `row` goes once its speed is `rpm`, in a curve kept sorted by speed.
std::size_t SortedPlace(const std::vector<TorquePoint>& curve, std::size_t row, double rpm);

// The point "Добавить точку" puts after point `after` (after the last one when there is no
// point chosen): halfway to the next point, with the torque the curve has there; after the
// last point, 500 rev/min further with the last torque (up to the highest speed allowed);
// before the first point where the last is at the highest speed.  Nothing when the curve
// is full (kMaxPoints) or no speed is free there; `problem` then says why.
struct NewPoint {
    std::size_t place = 0;  // the index it takes
    TorquePoint point;
};
std::optional<NewPoint> PointToAdd(const std::vector<TorquePoint>& curve,
                                   std::optional<std::size_t> after, std::string* problem);

// The curve as spreadsheet text: a header line with the four captions, then one line per
// point, tab-separated, numbers with the user's decimal separator and no digit grouping.
std::string CurveText(const std::vector<TorquePoint>& curve);

// Reads pasted spreadsheet text: one point per line, the speed and the torque in the first
// two cells (tab-, semicolon- or blank-separated; further cells, such as the power, are
// ignored), a decimal comma or point.  A first line with no number in its first two cells
// is a header and is skipped; blank lines are skipped.  Blank-separated cells that might be
// digit groups of one number ("1 000 95") are refused rather than guessed.  The points are
// sorted by speed.  On success the points make a valid curve; otherwise `problem` says, in
// Russian, which line is wrong and why, or what the curve as a whole lacks.
// One pasted number, as a spreadsheet's single cell gives it ("115,5", "1 000"): blanks
// inside it may only part groups of three digits.  Nothing for anything else, "800 95"
// among them, which is two numbers and no digit groups.
std::optional<double> ReadPastedNumber(std::string_view text);

struct CurveRead {
    std::vector<TorquePoint> points;
    std::string problem;  // empty on success
};
CurveRead ReadCurveText(std::string_view text);

// The preview: torque (N·m, left axis) and power (kW, right axis) over engine speed, with
// a legend.  The power between the points follows the linear torque between them, so it is
// drawn through intermediate speeds too.
Plot CurvePlot(const std::vector<TorquePoint>& curve);

// A name shortened for a message: at most `max` characters, "…" in place of the rest.
std::string ShortName(std::string_view name, std::size_t max = 60);

}  // namespace kelm
