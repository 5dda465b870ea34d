#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/colors.h"
#include "chart/shiftcurves.h"

// The numbers behind the chart, gear by gear: what the gear table window shows and what it
// puts on the clipboard.

namespace kelm {

struct GearTableRow {
    int gear = 0;
    double ratio = 0;
    double total = 0;                  // main pair x gear ratio
    double shiftSpeed = 0;             // km/h at which the gear reaches the maximum engine speed
    std::optional<double> afterShift;  // engine speed right after the upshift into it
    std::optional<double> drop;        // maximum engine speed minus afterShift
    std::optional<double> at100;       // engine speed at 100 km/h; none when it cannot be had
};

// One comparison set: its texts as the lists show them (Windows-1251), its colour, its gears.
struct GearTableBlock {
    int set = 1;
    Color color = 0;
    std::string rowName, pairText, tyreName;
    std::vector<GearTableRow> rows;
};

struct GearTable {
    std::int32_t maxRpm = 0;
    std::vector<GearTableBlock> blocks;  // set 1 before set 2; a set not computed has none
};

// The block of a set from the gears the chart was built from (a computation that ran to
// its end).
GearTableBlock MakeGearBlock(int set, const ComparisonSet& input, std::int32_t maxRpm,
                             std::int32_t perimeter, const ShiftGears& gears);

// Black or white, whichever reads better on a block heading of the set's colour.
Color HeadingTextColor(Color background);

// Column captions, UTF-8; the fourth names the maximum engine speed.
constexpr int kGearTableColumns = 7;
std::vector<std::string> GearTableCaptions(std::int32_t maxRpm);

// The heading of a block, UTF-8: gear row, pair and tyre.
std::string GearBlockTitle(const GearTableBlock& block);

// The cells of one row, UTF-8, with the user's decimal separator: speeds with one decimal,
// engine speeds as whole numbers, grouped like the chart's labels when `grouped`, plain
// for a spreadsheet otherwise; an empty text where the row has no value.
std::vector<std::string> GearRowCells(const GearTableRow& row, bool grouped);

// The whole table for the clipboard, with plain numbers: tab-separated lines (captions,
// then per block its title line and its rows), and an HTML <table> of the same cells.
std::string GearTableTsv(const GearTable& table);
std::string GearTableHtml(const GearTable& table);

}  // namespace kelm
