#include "dynamics/dynamicsresults.h"

#include <algorithm>

#include "base/numtext.h"
#include "chart/geartable.h"

namespace kelm {

namespace {

// Why a run of these records cannot be driven, as the set's note says it.
std::string NotDrivenNote(const AccelerationInput& in) {
    const bool positive =
        !in.gears.empty() && in.mainPair > 0 && in.perimeter > 0 &&
        std::all_of(in.gears.begin(), in.gears.end(), [](double u) { return u > 0; });
    if (!positive)
        return "Разгон не рассчитан: передаточное число, пара или периметр шины не больше нуля";
    if (in.maxRpm < in.engine.FirstSpeed())
        return "Разгон не рассчитан: максимальные обороты ниже начала характеристики двигателя (" +
               FormatGrouped(in.engine.FirstSpeed()) + " об/мин)";
    return "Разгон не рассчитан: двигатель или автомобиль не подходят для расчёта";
}

std::string ChoiceNote(const DynamicsSet& s) {
    if (!s.engineFound && !s.carFound) return "Выберите двигатель и автомобиль";
    if (!s.engineFound) return "Выберите двигатель";
    return "Выберите автомобиль";
}

// The engine's or car's cell: its name, or that there is none.
TableCell ChoiceCell(const std::string& name, bool found) {
    if (found) return {.text = name, .align = CellAlign::Left};
    return {.text = name.empty() ? "не выбран" : "«" + name + "» — нет в списке",
            .align = CellAlign::Left,
            .italic = true};
}

TableCell Caption(std::string text) { return {.text = std::move(text), .align = CellAlign::Left}; }

// The figures of a set in the order of ResultCaptions, before the shifts.
std::vector<std::optional<double>> Figures(const AccelerationResult& r) {
    return {r.to60, r.to100, r.time400, r.speed400, r.time1000, r.from80to120, r.TopSpeedKmh()};
}

const ShiftPoint* ShiftFrom(const AccelerationResult& r, int gear) {
    for (const ShiftPoint& s : r.shifts) {
        if (s.from == gear) return &s;
    }
    return nullptr;
}

}  // namespace

DynamicsSet MakeDynamicsSet(int set, const ChartGears& gears, Catalog& catalog,
                            const DynamicsData& data) {
    const SetGears& g = gears.sets[static_cast<std::size_t>(set - 1)];
    DynamicsSet out;
    out.set = set;
    out.color = g.input.color;
    out.shown = g.input.shown;
    out.engine = set == 1 ? data.Run.Engine1 : data.Run.Engine2;
    out.car = set == 1 ? data.Run.Car1 : data.Run.Car2;
    out.engineFound = data.FindEngine(out.engine) != nullptr;
    out.carFound = data.FindCar(out.car) != nullptr;
    if (!out.shown) {
        out.title = HiddenSetNote(set);
        return out;
    }
    const std::optional<AccelerationInput> input =
        ComparisonSetInput(set, g.input, gears.maxRpm, catalog, data);
    // Where there is no input, whether the gearing or the engine and car are missing.
    out.gearingFound =
        input || (catalog.FindRow(g.input.rowName) && catalog.FindPair(g.input.pairText) &&
                  catalog.FindTyre(g.input.tyreName));
    if (!out.gearingFound) {
        out.title = MissingRecordsNote(set);
        return out;
    }
    out.title = GearBlockTitle(
        {set, g.input.color, g.input.rowName, g.input.pairText, g.input.tyreName, {}, {}});
    if (!input) {
        out.note = ChoiceNote(out);
        return out;
    }
    out.input = input;
    out.result = RunAcceleration(*input);
    if (!out.result->computable) out.note = NotDrivenNote(*input);
    return out;
}

DynamicsSets MakeDynamicsSets(const ChartGears& gears, Catalog& catalog, const DynamicsData& data) {
    return {MakeDynamicsSet(1, gears, catalog, data), MakeDynamicsSet(2, gears, catalog, data)};
}

std::vector<std::string> ResultCaptions(std::size_t shifts) {
    std::vector<std::string> captions = {
        "Разгон 0–60 км/ч, с",          "Разгон 0–100 км/ч, с", "400 м с места, с",
        "Скорость в конце 400 м, км/ч", "1000 м с места, с",    "80–120 км/ч на высшей передаче, с",
        "Максимальная скорость, км/ч"};
    for (std::size_t i = 1; i <= shifts; ++i) {
        const std::string shift = "Переключение " + IntToStr(static_cast<int>(i)) + "→" +
                                  IntToStr(static_cast<int>(i + 1));
        captions.push_back(shift + ", км/ч");
        captions.push_back(shift + ", об/мин");
    }
    return captions;
}

std::size_t ResultShifts(const DynamicsSets& sets) {
    std::size_t most = 0;
    for (const DynamicsSet& s : sets) {
        if (s.result && s.result->computable && !s.result->gears.empty())
            most = std::max(most, s.result->gears.size() - 1);
    }
    return most;
}

std::vector<TableRow> ResultRows(const DynamicsSets& sets, bool grouped) {
    const std::size_t shifts = ResultShifts(sets);
    const std::vector<std::string> captions = ResultCaptions(shifts);
    std::vector<TableRow> rows;
    // Rows are filled through references to them: none may move.
    rows.reserve(3 + captions.size() + 1);

    TableRow& heading = rows.emplace_back();
    heading.push_back({.heading = true});
    for (const DynamicsSet& s : sets)
        heading.push_back(SetHeadingCell(s.title, s.color, !s.gearingFound));

    TableRow& engines = rows.emplace_back(TableRow{Caption("Двигатель")});
    TableRow& cars = rows.emplace_back(TableRow{Caption("Автомобиль")});
    for (const DynamicsSet& s : sets) {
        engines.push_back(s.shown ? ChoiceCell(s.engine, s.engineFound) : TableCell{});
        cars.push_back(s.shown ? ChoiceCell(s.car, s.carFound) : TableCell{});
    }

    const std::size_t first = rows.size();
    for (const std::string& c : captions) rows.push_back({Caption(c)});
    for (const DynamicsSet& s : sets) {
        // A shown set with its gearing but no figures has every figure absent.
        const bool figures = s.gearingFound;
        const AccelerationResult none;
        const AccelerationResult& r = s.result ? *s.result : none;
        std::vector<std::string> cells;
        for (const std::optional<double>& f : Figures(r))
            cells.push_back(TableFigure(f, 1, grouped));
        const std::size_t gears = r.computable ? r.gears.size() : 0;
        for (std::size_t i = 1; i <= shifts; ++i) {
            const ShiftPoint* shift = ShiftFrom(r, static_cast<int>(i));
            const bool made = !r.computable || i < gears;  // a shift the gearbox has
            cells.push_back(!made ? std::string()
                                  : TableFigure(shift ? std::optional(shift->speed) : std::nullopt,
                                                1, grouped));
            cells.push_back(
                !made ? std::string()
                      : TableFigure(shift ? std::optional(shift->rpm) : std::nullopt, 0, grouped));
        }
        for (std::size_t i = 0; i < captions.size(); ++i) {
            rows[first + i].push_back(
                {.text = figures ? cells[i] : std::string(), .align = CellAlign::Right});
        }
    }

    const bool notes =
        std::any_of(sets.begin(), sets.end(), [](const DynamicsSet& s) { return !s.note.empty(); });
    if (notes) {
        TableRow& note = rows.emplace_back(TableRow{Caption("Примечание")});
        for (const DynamicsSet& s : sets)
            note.push_back({.text = s.note, .align = CellAlign::Left, .italic = true});
    }
    return rows;
}

std::string ResultsTsv(const DynamicsSets& sets) { return TableTsv(ResultRows(sets, false)); }

std::string ResultsHtml(const DynamicsSets& sets) { return TableHtml(ResultRows(sets, false)); }

namespace {

// A pair as the table shows it: two decimals, as the sweep steps, or the set's own pair
// whole where the catalog gives it more.
std::string PairCell(double pair) {
    const std::string whole = FloatToStr(pair);
    const std::string two = TableFigure(pair, 2, false);
    return whole.size() > two.size() ? whole : two;
}

// The figures of one pair: the 0-100 and 400 m times, the top speed, the engine speed at 110.
std::vector<TableCell> PairFigureCells(const std::optional<double>& pair,
                                       const std::array<std::optional<double>, 4>& figures,
                                       bool grouped) {
    std::vector<TableCell> cells;
    cells.push_back({.text = pair ? PairCell(*pair) : "—", .align = CellAlign::Right});
    for (std::size_t i = 0; i < figures.size(); ++i) {
        cells.push_back({.text = TableFigure(figures[i], i + 1 < figures.size() ? 2 : 0, grouped),
                         .align = CellAlign::Right});
    }
    return cells;
}

TableCell NoteCell(std::string text) {
    return {.text = std::move(text), .align = CellAlign::Left, .italic = true};
}

}  // namespace

std::vector<PairTableRow> PairTable(const DynamicsSets& sets, const PairSweeps& sweeps,
                                    bool grouped) {
    std::vector<PairTableRow> rows;
    TableRow& columns = rows.emplace_back().cells;
    for (const char* c : {"", "Пара", "0–100 км/ч, с", "400 м, с", "Максимальная скорость, км/ч",
                          "Обороты при 110 км/ч на высшей передаче, об/мин", "Примечание"})
        columns.push_back({.text = c, .heading = true});

    for (const DynamicsSet& s : sets) {
        const bool figures = s.result && s.result->computable && s.input;
        // A hidden set's title, or one whose records are missing, names the set itself.
        std::string title = s.shown && s.gearingFound ? SetName(s.set) + ": " + s.title : s.title;
        if (figures) title += " — " + s.engine + " · " + s.car;
        rows.push_back({PairRowKind::Set,
                        s.set,
                        std::nullopt,
                        {SetHeadingCell(title, s.color, !s.gearingFound, kPairColumns)}});
        if (!figures) {
            if (s.shown && !s.note.empty()) {
                TableCell note = NoteCell(s.note);
                note.span = kPairColumns;
                rows.push_back({PairRowKind::Note, s.set, std::nullopt, {note}});
            }
            continue;
        }

        const AccelerationResult& r = *s.result;
        const PairSweep* sweep = sweeps[static_cast<std::size_t>(s.set - 1)];
        const double own = s.input->mainPair;
        PairTableRow& current =
            rows.emplace_back(PairTableRow{PairRowKind::Current, s.set, own, {Caption("Сейчас")}});
        for (TableCell& c :
             PairFigureCells(own, {r.to100, r.time400, r.TopSpeedKmh(), r.rpmAt110}, grouped))
            current.cells.push_back(std::move(c));
        // Pairs of the sweep are hundredths: the set's own is beyond the range where it lies
        // more than a rounding off the first or last.
        const bool outside =
            sweep && !sweep->points.empty() &&
            (own < sweep->points.front().pair - 1e-9 || own > sweep->points.back().pair + 1e-9);
        current.cells.push_back(NoteCell(outside ? "вне диапазона" : ""));

        const struct {
            PairRowKind kind;
            const char* caption;
            const std::optional<PairSweepBest>* best;
        } bests[] = {
            {PairRowKind::BestTo100, "Лучшая для 0–100", sweep ? &sweep->bestTo100 : nullptr},
            {PairRowKind::Best400, "Лучшая для 400 м", sweep ? &sweep->best400 : nullptr},
            {PairRowKind::BestTop, "Лучшая для максимальной скорости",
             sweep ? &sweep->bestTop : nullptr},
        };
        for (const auto& b : bests) {
            PairTableRow& row =
                rows.emplace_back(PairTableRow{b.kind, s.set, std::nullopt, {Caption(b.caption)}});
            if (!sweep) {  // not made yet
                row.cells.resize(kPairColumns, TableCell{.align = CellAlign::Right});
                row.cells.back().align = CellAlign::Left;
                continue;
            }
            if (!*b.best) {
                for (TableCell& c : PairFigureCells(std::nullopt, {}, grouped))
                    row.cells.push_back(std::move(c));
                row.cells.push_back(NoteCell("не достигается ни при одной паре диапазона"));
                continue;
            }
            const PairSweepBest& best = **b.best;
            const PairSweepPoint& p = sweep->points[best.index];
            row.pair = best.pair;
            for (TableCell& c :
                 PairFigureCells(best.pair, {p.to100, p.time400, p.topSpeed, p.rpmAt110}, grouped))
                row.cells.push_back(std::move(c));
            row.cells.push_back(NoteCell(best.atEdge ? "на краю диапазона" : ""));
        }
    }
    return rows;
}

namespace {

std::vector<TableRow> PairCells(const DynamicsSets& sets, const PairSweeps& sweeps) {
    std::vector<TableRow> cells;
    for (PairTableRow& row : PairTable(sets, sweeps, false)) cells.push_back(std::move(row.cells));
    return cells;
}

}  // namespace

std::string PairTsv(const DynamicsSets& sets, const PairSweeps& sweeps) {
    return TableTsv(PairCells(sets, sweeps));
}

std::string PairHtml(const DynamicsSets& sets, const PairSweeps& sweeps) {
    return TableHtml(PairCells(sets, sweeps));
}

}  // namespace kelm
