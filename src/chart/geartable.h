#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/colors.h"
#include "base/tabletext.h"
#include "chart/shiftcurves.h"

// The numbers behind the chart, gear by gear: what the gear table window shows and what it
// puts on the clipboard, made from the gears Grafic computed.

namespace kelm {

struct GearTableRow {
    ShiftGear gear;               // as the shift computation left it
    std::optional<double> drop;   // maximum engine speed minus the after-shift speed
    std::optional<double> at100;  // engine speed at 100 km/h; none where it cannot be had
};

// One comparison set: its texts as the lists show them (Windows-1251), its colour, and
// either its gears or the one line that says why it has none.
struct GearTableBlock {
    int set = 1;
    Color color = 0;
    std::string rowName, pairText, tyreName;
    std::string note;  // UTF-8; empty where the set has its gears
    std::vector<GearTableRow> rows;
};

struct GearTable {
    std::int32_t maxRpm = 0;
    std::vector<GearTableBlock> blocks;  // set 1, then set 2
};

// The table of a run of Grafic: the gears of each set computed to its end, and a note for
// a set that is hidden, whose records are not in the catalog, or that an error stopped.
GearTable MakeGearTable(const ChartGears& gears);

// Black or white, whichever reads better on a block heading of the set's colour.
Color HeadingTextColor(Color background);

// A set's heading cell for the clipboard's tables, spanning `span` columns: left-aligned on
// the set's colour, in italics where it says why the set has no numbers.
TableCell SetHeadingCell(std::string text, Color color, bool italic, int span = 1);

// Column captions, UTF-8; the fourth names the maximum engine speed, grouped in thousands
// like the chart's numbers when `grouped`.
constexpr int kGearTableColumns = 7;
std::vector<std::string> GearTableCaptions(std::int32_t maxRpm, bool grouped);

// The heading line of a block, UTF-8: gear row, pair and tyre; or the block's note.
std::string GearBlockTitle(const GearTableBlock& block);

// A figure of a table, UTF-8: `decimals` after the user's decimal separator (0: a whole
// number), thousands grouped like the chart's labels when `grouped`, plain for a spreadsheet
// otherwise; "—" where there is none, or it is not finite.
std::string TableFigure(std::optional<double> value, int decimals, bool grouped);

// "Набор 1", "Набор 2": how the tables and charts name a comparison set.
std::string SetName(int set);

// What a block says, UTF-8, of set 1 or 2 when it is hidden, or when the catalog does not
// hold one of its records; the acceleration window says the same.
std::string HiddenSetNote(int set);
std::string MissingRecordsNote(int set);

// The cells of one row, UTF-8, with the user's decimal separator: speeds with one decimal,
// engine speeds as whole numbers, grouped like the chart's labels when `grouped`, plain
// for a spreadsheet otherwise.  A value too large for plain digits is in exponent form; one
// that cannot be had (an infinite one) is "—"; gear 1 has no shift into it, and no text.
std::vector<std::string> GearRowCells(const GearTableRow& row, bool grouped);

// The whole table for the clipboard, with plain numbers: tab-separated lines (captions,
// then per block its heading line, one cell, and its rows), and an HTML page of the same
// cells that names its character set.
std::string GearTableTsv(const GearTable& table);
std::string GearTableHtml(const GearTable& table);

}  // namespace kelm
