#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/colors.h"
#include "base/tabletext.h"
#include "catalog/catalog.h"
#include "chart/shiftcurves.h"
#include "dynamics/acceleration.h"
#include "dynamics/dynamicsdata.h"
#include "dynamics/pairsweep.h"

// The acceleration window's figures: each comparison set of the main window driven with the
// engine and car the run chooses for it, and the table of results made from them.  The
// window's table, its clipboard texts and its charts all read these.

namespace kelm {

// One comparison set: which gearing, engine and car it drives, and what came of it.
struct DynamicsSet {
    int set = 1;  // 1 or 2
    Color color = colors::Red;
    bool shown = false;
    bool gearingFound = false;  // the catalog holds its gear row, pair and tyre
    // UTF-8: "gear row · pair · tyre" as the gear table heads the set, or what that table
    // says of a hidden set or one whose records are missing.
    std::string title;
    std::string engine, car;  // UTF-8: the run's choices for the set (empty: none)
    bool engineFound = false, carFound = false;
    // UTF-8: why a shown set has no figures (no engine or car chosen, the run cannot be
    // driven); empty where it has them, and for a hidden set.
    std::string note;
    // Shown sets whose gearing, engine and car are all found: what was driven, and what came
    // of it.
    std::optional<AccelerationInput> input;
    std::optional<AccelerationResult> result;
};

using DynamicsSets = std::array<DynamicsSet, 2>;

// Set 1 or 2 of a run of Grafic driven with the run's choices in `data`; the records are
// looked up again in the catalog, so a set that an error of the other one left unbuilt is
// driven too.
DynamicsSet MakeDynamicsSet(int set, const ChartGears& gears, Catalog& catalog,
                            const DynamicsData& data);
DynamicsSets MakeDynamicsSets(const ChartGears& gears, Catalog& catalog, const DynamicsData& data);

// The captions of the figures' rows, UTF-8: the seven figures, then two rows (road speed,
// engine speed) for each of `shifts` shifts, "Переключение 1→2, км/ч" and so on.
std::vector<std::string> ResultCaptions(std::size_t shifts);

// The most shifts a set's gearbox makes (its gears less one), over the sets with figures.
std::size_t ResultShifts(const DynamicsSets& sets);

// The results table: a heading row (the sets' titles in their colours), the engine and car
// rows, the figures' rows and, where a set has one, a note row; the captions in the first
// column, then a column per set.  Figures have one decimal, engine speeds none; `grouped`
// groups thousands as the chart's labels do (on screen), plain numbers otherwise (the
// clipboard); both with the user's decimal separator.  A figure that cannot be had is "—";
// a set without figures (hidden, its records missing) has empty cells, as has a shift its
// gearbox does not make.
std::vector<TableRow> ResultRows(const DynamicsSets& sets, bool grouped);

// The table for the clipboard, with plain numbers.
std::string ResultsTsv(const DynamicsSets& sets);
std::string ResultsHtml(const DynamicsSets& sets);

// "Главная пара": each set's sweep over the range of pairs (set 1, set 2), or none where it has
// not been made (the set has no figures, or its sweep is still running).
using PairSweeps = std::array<const PairSweep*, 2>;

// What a row of the pair table holds.
enum class PairRowKind {
    Columns,  // the columns' captions
    Set,      // a set's heading: its name, gearing, engine and car, in its colour
    Current,  // "Сейчас": the set's own pair, driven as the other tabs drive it
    BestTo100,
    Best400,
    BestTop,
    Note,  // why a shown set has no figures
};

struct PairTableRow {
    PairRowKind kind = PairRowKind::Columns;
    int set = 0;                 // 1 or 2; 0 for the captions
    std::optional<double> pair;  // the pair the row names, where it has one
    TableRow cells;              // kPairColumns of them, or one that spans them all
};

// Caption, pair, the four figures, a note.
constexpr int kPairColumns = 7;

// The pair table: the captions, then for each set its heading and either its four rows
// ("Сейчас" and the three best pairs: each pair with all four of its figures) or a note.
// Pairs have two decimals (more where the set's own pair has them), times and speeds two,
// engine speeds none, grouped as ResultRows groups them; "—" where a figure cannot be had.
// A best pair at an end of the range says so; the rows of a sweep not made yet are empty.
std::vector<PairTableRow> PairTable(const DynamicsSets& sets, const PairSweeps& sweeps,
                                    bool grouped);
std::string PairTsv(const DynamicsSets& sets, const PairSweeps& sweeps);
std::string PairHtml(const DynamicsSets& sets, const PairSweeps& sweeps);

}  // namespace kelm
