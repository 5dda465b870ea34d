#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "base/colors.h"
#include "catalog/catalog.h"
#include "chart/series.h"

namespace kelm {

// What one comparison set of the main window asks for.
struct ComparisonSet {
    bool shown = false;
    bool labels = false;
    Color color = colors::Red;
    std::string rowName;   // gear row name (Windows-1251 bytes)
    std::string pairText;  // number text of the main pair
    std::string tyreName;  // tyre name (Windows-1251 bytes)
};

// 6e-5 in extended precision: turns millimetres per minute into km/h.
long double ExtendedK();

// One gear the gearbox has, as the shift computation leaves it.  Every number the chart
// and the gear table show comes from here, so the two always agree to the bit.
struct ShiftGear {
    int gear = 0;          // 1 to 6
    double ratio = 0;      // the gear's ratio in the row
    double total = 0;      // main pair x gear ratio
    double fromSpeed = 0;  // road speed of the upshift into this gear (0 for gear 1)
    // Engine speed right after that upshift; none for gear 1.
    std::optional<double> afterShift;
    // Road speed at which this gear reaches the maximum engine speed; none only when the
    // computation failed right before it.
    std::optional<double> shiftSpeed;
};

struct ShiftGears {
    std::vector<ShiftGear> gears;  // in ascending order, gears of ratio 0 left out
    std::exception_ptr failure;    // what stopped the computation; the gears before it stand
};

// What one comparison set came to in a run of Grafic.
enum class SetOutcome {
    Hidden,    // not shown: its series stay empty
    NotBuilt,  // shown, but the other set's error stopped the run before it
    NotFound,  // a lookup found no record: its series hold only the origins
    Failed,    // the computation stopped at an error, kept in gears.failure
    Computed,  // every gear the box has was computed
};

// A set as Grafic left it: what it asked for and, where its records were found, the tyre's
// perimeter and the gears computed (those before an error, where one stopped it).
struct SetGears {
    SetOutcome outcome = SetOutcome::NotBuilt;
    ComparisonSet input;
    std::int32_t perimeter = 0;
    ShiftGears gears;
};

// What a run of Grafic computed: set 1, then set 2.
struct ChartGears {
    std::int32_t maxRpm = 0;
    std::array<SetGears, 2> sets;
};

// The two sets as a run of Grafic starts them: each hidden or not built yet, nothing computed.
ChartGears UnbuiltGears(std::int32_t maxRpm, const ComparisonSet& set1, const ComparisonSet& set2);

// Drives the gearbox through its gears up to maxRpm.  Multiplications and divisions run
// in extended precision; the total ratio, the shift speed and the after-shift engine speed
// are stored as doubles.  A floating-point error (FloatDivByZeroError, FloatInvalidOpError,
// FloatOverflowError) ends the computation and is kept in `failure`, not thrown.
ShiftGears ComputeShiftGears(std::int32_t maxRpm, const std::array<double, 6>& ratios,
                             double mainPair, std::int32_t perimeter);

// The engine speed at a road speed in a gear of the given total ratio: (v / (P x K)) x
// total, the arithmetic of the after-shift speed.  Throws the floating-point errors.
double EngineSpeedAt(double roadSpeed, std::int32_t perimeter, double total);

// Empties all fourteen series, then builds set 1 and set 2 where they are shown.  An error
// of the computation (FloatDivByZeroError, FloatInvalidOpError, FloatOverflowError) stops
// the run where it happens: what was added stays, and set 2 is not built after set 1 fails.
// With `gears`, it is filled as the run goes, so that it tells each set's outcome, and the
// numbers the series got, also when an error ends the run.
void Grafic(std::int32_t maxRpm, const ComparisonSet& set1, const ComparisonSet& set2,
            Catalog& catalog, ShiftChart& chart, ChartGears* gears = nullptr);

// One comparison set (1 or 2) into its seven series: labels flags, colour, the origin in
// each, then the records looked up by the set's three texts and their shift points.  With
// `gears`, what the set came to is left there before any error is thrown.
void BuildComparisonSet(int set, std::int32_t maxRpm, const ComparisonSet& input, Catalog& catalog,
                        ShiftChart& chart, SetGears* gears = nullptr);

// The shift points of one gearbox into the set's series (origins not included), from
// ComputeShiftGears; its failure is thrown once the points computed before it are in.
void AddShiftPoints(int set, std::int32_t maxRpm, const ShiftGears& gears, ShiftChart& chart);
void AddShiftPoints(int set, std::int32_t maxRpm, const std::array<double, 6>& ratios,
                    double mainPair, std::int32_t perimeter, ShiftChart& chart);

}  // namespace kelm
