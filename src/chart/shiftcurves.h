#pragma once

#include <array>
#include <cstdint>
#include <string>

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

// Empties all fourteen series, then builds set 1 and set 2 where they are shown.  An error
// of the computation (FloatDivByZeroError, FloatInvalidOpError, FloatOverflowError) stops
// the run where it happens: what was added stays, and set 2 is not built after set 1 fails.
void Grafic(std::int32_t maxRpm, const ComparisonSet& set1, const ComparisonSet& set2,
            Catalog& catalog, ShiftChart& chart);

// One comparison set (1 or 2) into its seven series: labels flags, colour, the origin in
// each, then the records looked up by the set's three texts and their shift points.
void BuildComparisonSet(int set, std::int32_t maxRpm, const ComparisonSet& input, Catalog& catalog,
                        ShiftChart& chart);

// The shift points of one gearbox into the set's series (origins not included).
// Multiplications and divisions run in extended precision; the total ratio, the shift
// speed and the after-shift engine speed are stored as doubles.
void AddShiftPoints(int set, std::int32_t maxRpm, const std::array<double, 6>& ratios,
                    double mainPair, std::int32_t perimeter, ShiftChart& chart);

}  // namespace kelm
