#include "dynamics/dynamicsresults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "acceleration_examples.h"
#include "base/cp1251.h"
#include "chart/chartlayout.h"
#include "chart/geartable.h"
#include "core/fixed_measure.h"
#include "core/number_format.h"
#include "dynamics/dynamicsplots.h"

namespace kelm {
namespace {

const std::string kDash = "\xE2\x80\x94";

std::string Cp(const std::string& utf8) { return Utf8ToCp1251(utf8).value(); }

// A catalog with the gear rows, pairs and tyres of both worked examples (and a row of one
// gear of ratio 0), and the engines and cars of example A, "Седан 1120 кг", and B.
class DynamicsResultsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AddRow("4-ступ. классическая 3,67-2,10-1,36-1,00", {3.67, 2.10, 1.36, 1.00, 0, 0});
        AddRow("6-ступ. дизельная 3,77-2,04-1,32-0,95-0,76-0,63",
               {3.77, 2.04, 1.32, 0.95, 0.76, 0.63});
        AddRow("Без передач", {0, 0, 0, 0, 0, 0});
        for (double pair : {3.9, 3.55}) catalog_.AppendPair(std::make_unique<MainPair>(pair));
        AddTyre("175/70 R13", 1807);
        AddTyre("205/55 R16", 1985);

        const AccelerationInput a = testing::ExampleA(), b = testing::ExampleB(ShiftRule::Best);
        data_.Engines.push_back({{"1,6 л 80 л.с.", a.engine.Torque}, {}});
        data_.Engines.push_back({{"2,0 л турбодизель", b.engine.Torque}, {}});
        Stored<Car> sedan{a.car, {}}, estate{b.car, {}};
        sedan.Name = "Седан 1120 кг";
        estate.Name = "Универсал 1450 кг";
        data_.Cars = {sedan, estate};
        data_.Run.Engine1 = "1,6 л 80 л.с.";
        data_.Run.Car1 = "Седан 1120 кг";
        data_.Run.Engine2 = "2,0 л турбодизель";
        data_.Run.Car2 = "Универсал 1450 кг";
        data_.Run.Launch = 2500;
        data_.Run.ShiftTime = 0.5;
    }
    void AddRow(const std::string& name, std::array<double, 6> ratios) {
        catalog_.AppendRow(std::make_unique<Riad>(Riad{Cp(name), ratios}));
    }
    void AddTyre(const std::string& name, std::int32_t perimeter) {
        catalog_.AppendTyre(std::make_unique<Koles>(Koles{Cp(name), perimeter}));
    }

    static ComparisonSet ExampleA(bool shown = true) {
        return {shown, false,           colors::Red, Cp("4-ступ. классическая 3,67-2,10-1,36-1,00"),
                "3,9", Cp("175/70 R13")};
    }
    static ComparisonSet ExampleB(bool shown = true) {
        return {shown,        false,
                colors::Blue, Cp("6-ступ. дизельная 3,77-2,04-1,32-0,95-0,76-0,63"),
                "3,55",       Cp("205/55 R16")};
    }

    // The sets as the window drives them after a run of Grafic.
    DynamicsSets Drive(const ComparisonSet& set1, const ComparisonSet& set2,
                       std::int32_t maxRpm = 6000) {
        ShiftChart chart;
        ChartGears gears;
        try {
            Grafic(maxRpm, set1, set2, catalog_, chart, &gears);
        } catch (...) {
            // An error of the shift chart stops Grafic; the window drives the sets all the same.
        }
        return MakeDynamicsSets(gears, catalog_, data_);
    }

    // The table's cells by the caption of their row: {set 1, set 2}.
    static std::map<std::string, std::vector<std::string>> Cells(
        const std::vector<TableRow>& rows) {
        std::map<std::string, std::vector<std::string>> cells;
        for (const TableRow& row : rows) {
            std::vector<std::string>& c = cells[row.front().text];
            for (std::size_t i = 1; i < row.size(); ++i) c.push_back(row[i].text);
        }
        return cells;
    }

    testing::ScopedNumberFormat format_;
    Catalog catalog_;
    DynamicsData data_;
};

TEST_F(DynamicsResultsTest, ExampleAsFiguresInTheTableAndOnTheClipboard) {
    data_.Run.Shift = ShiftRule::Best;  // set 2 is example B with rule "best"
    data_.Run.Launch = 2000;            // B's launch; A's figures stand for 2500 below
    const DynamicsSets b = Drive(ExampleA(false), ExampleB(), 4800);
    data_.Run.Shift = ShiftRule::Max;
    data_.Run.Launch = 2500;
    const DynamicsSets sets = Drive(ExampleA(), ExampleB(false));

    ASSERT_TRUE(sets[0].result && sets[0].result->computable);
    EXPECT_TRUE(sets[0].note.empty());
    EXPECT_EQ(sets[0].title, "4-ступ. классическая 3,67-2,10-1,36-1,00 · 3,9 · 175/70 R13");
    const auto cells = Cells(ResultRows(sets, true));
    const std::map<std::string, std::string> expected = {
        {"Двигатель", "1,6 л 80 л.с."},
        {"Автомобиль", "Седан 1120 кг"},
        {"Разгон 0–60 км/ч, с", "7,9"},
        {"Разгон 0–100 км/ч, с", "16,8"},
        {"400 м с места, с", "21,0"},
        {"Скорость в конце 400 м, км/ч", "113,9"},
        {"1000 м с места, с", "37,8"},
        {"80–120 км/ч на высшей передаче, с", "15,7"},
        {"Максимальная скорость, км/ч", "159,4"},
        {"Переключение 2→3, км/ч", "79,4"},
        {"Переключение 3→4, км/ч", "122,6"},
        {"Переключение 3→4, об/мин", "6 000"},  // grouped as the chart's labels
    };
    for (const auto& [caption, text] : expected) {
        ASSERT_TRUE(cells.count(caption)) << caption;
        EXPECT_EQ(cells.at(caption).at(0), text) << caption;
        EXPECT_EQ(cells.at(caption).at(1), "") << caption;  // set 2 is hidden: no figures
    }
    EXPECT_EQ(cells.size(), 1 + 2 + 7 + 2 * 3u);  // heading, engine, car, figures, three shifts
    EXPECT_EQ(cells.at("").at(1), "Набор 2 скрыт");

    // Example B's "best" shifts in the second column, each row of the six-speed box.
    const auto bCells = Cells(ResultRows(b, true));
    EXPECT_EQ(bCells.at("Разгон 0–100 км/ч, с").at(1), "11,1");
    EXPECT_EQ(bCells.at("Переключение 5→6, об/мин").at(1), "4 169");
    EXPECT_EQ(bCells.at("Переключение 1→2, об/мин").at(1), "4 207");
    EXPECT_EQ(bCells.at("Максимальная скорость, км/ч").at(1), "210,7");

    // The clipboard: captions in the first column, plain numbers, the set's colour.
    const std::string tsv = ResultsTsv(sets);
    EXPECT_EQ(tsv.rfind("\t4-ступ. классическая", 0), 0u) << tsv;
    EXPECT_NE(tsv.find("\r\nРазгон 0–60 км/ч, с\t7,9\t\r\n"), std::string::npos) << tsv;
    EXPECT_NE(tsv.find("\r\nПереключение 1→2, об/мин\t6000\t\r\n"), std::string::npos) << tsv;
    const std::string html = ResultsHtml(sets);
    EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
    EXPECT_NE(html.find("background:#ff0000;color:#ffffff\">4-ступ."), std::string::npos) << html;
    EXPECT_NE(html.find("<td align=\"right\">159,4</td>"), std::string::npos) << html;
}

// What a set without figures says, in its column and its note.
TEST_F(DynamicsResultsTest, ASetWithoutFiguresSaysWhy) {
    const struct {
        const char* what;
        std::function<void(DynamicsData&, ComparisonSet&, std::int32_t&)> change;
        std::string title, engine, car, figure, note;
    } cases[] = {
        {"hidden", [](DynamicsData&, ComparisonSet& s, std::int32_t&) { s.shown = false; },
         "Набор 1 скрыт", "", "", "", ""},
        {"a record missing",
         [](DynamicsData&, ComparisonSet& s, std::int32_t&) { s.tyreName = "нет"; },
         "Набор 1: запись не найдена в каталоге", "1,6 л 80 л.с.", "Седан 1120 кг", "", ""},
        {"no engine chosen",
         [](DynamicsData& d, ComparisonSet&, std::int32_t&) { d.Run.Engine1.clear(); }, "",
         "не выбран", "Седан 1120 кг", kDash, "Выберите двигатель"},
        {"an unknown car",
         [](DynamicsData& d, ComparisonSet&, std::int32_t&) { d.Run.Car1 = "Купе"; }, "",
         "1,6 л 80 л.с.", "«Купе» — нет в списке", kDash, "Выберите автомобиль"},
        {"neither",
         [](DynamicsData& d, ComparisonSet&, std::int32_t&) {
             d.Run.Engine1 = "Мотор";
             d.Run.Car1.clear();
         },
         "", "«Мотор» — нет в списке", "не выбран", kDash, "Выберите двигатель и автомобиль"},
        {"the maximum engine speed below the curve",
         [](DynamicsData&, ComparisonSet&, std::int32_t& n) { n = 900; }, "", "1,6 л 80 л.с.",
         "Седан 1120 кг", kDash,
         "Разгон не рассчитан: максимальные обороты ниже начала характеристики двигателя "
         "(1 000 об/мин)"},
        {"a gear of ratio 0",
         [](DynamicsData&, ComparisonSet& s, std::int32_t&) { s.rowName = Cp("Без передач"); }, "",
         "1,6 л 80 л.с.", "Седан 1120 кг", kDash,
         "Разгон не рассчитан: передаточное число, пара или периметр шины не больше нуля"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DynamicsData saved = data_;
        ComparisonSet set1 = ExampleA();
        std::int32_t maxRpm = 6000;
        c.change(data_, set1, maxRpm);
        const DynamicsSets sets = Drive(set1, ExampleB(false), maxRpm);
        data_ = saved;

        const std::vector<TableRow> rows = ResultRows(sets, true);
        const auto cells = Cells(rows);
        if (!c.title.empty()) {
            EXPECT_EQ(cells.at("").at(0), c.title);
            EXPECT_TRUE(rows.front()[1].italic);  // a note, not a gearing
        }
        EXPECT_EQ(cells.at("Двигатель").at(0), c.engine);
        EXPECT_EQ(cells.at("Автомобиль").at(0), c.car);
        for (const char* figure : {"Разгон 0–100 км/ч, с", "Максимальная скорость, км/ч"})
            EXPECT_EQ(cells.at(figure).at(0), c.figure) << figure;
        EXPECT_EQ(sets[0].note, c.note);
        EXPECT_EQ(cells.count("Примечание") ? cells.at("Примечание").at(0) : "", c.note);
        EXPECT_FALSE(sets[0].result && sets[0].result->computable);
    }
}

TEST_F(DynamicsResultsTest, ShiftRowsFollowTheLongerGearboxAndAbsentShiftsAreDashes) {
    // Example A's four gears beside example B's six: the rows of five shifts, A's last two
    // empty.  B at A's engine: its run ends before the shift into sixth (every figure known).
    data_.Run.Engine2 = data_.Run.Engine1;
    const DynamicsSets sets = Drive(ExampleA(), ExampleB());
    const auto cells = Cells(ResultRows(sets, false));
    EXPECT_EQ(ResultShifts(sets), 5u);
    EXPECT_EQ(ResultCaptions(5).size(), 7 + 10u);
    EXPECT_EQ(cells.at("Переключение 3→4, км/ч").at(0), "122,6");
    EXPECT_EQ(cells.at("Переключение 4→5, км/ч").at(0), "");
    EXPECT_EQ(cells.at("Переключение 5→6, об/мин").at(0), "");
    ASSERT_LT(sets[1].result->shifts.size(), 5u);
    EXPECT_EQ(cells.at("Переключение 5→6, км/ч").at(1), kDash);
    EXPECT_EQ(cells.at("Переключение 1→2, об/мин").at(1), "6000");  // plain: no grouping
}

TEST_F(DynamicsResultsTest, ChartsDrawEachSetWithFiguresInItsColour) {
    const DynamicsSets both = Drive(ExampleA(), ExampleB());
    const Plot run = AccelerationPlot(both);
    ASSERT_EQ(run.series.size(), 4u);  // per set: the run, its shifts
    for (std::size_t i = 0; i < 2; ++i) {
        const DynamicsSet& s = both[i];
        const PlotSeries& line = run.series[2 * i];
        const PlotSeries& marks = run.series[2 * i + 1];
        EXPECT_EQ(line.color, s.color);
        // Fewer points than the run has, but its ends and every shift's start and end.
        const std::vector<TracePoint>& trace = s.result->trace;
        EXPECT_LT(line.points.size(), trace.size() / 3);
        std::vector<double> drawn;
        for (const ChartPoint& p : line.points) drawn.push_back(p.x);
        std::vector<double> needed = {trace.front().time, trace.back().time};
        for (const ShiftPoint& shift : s.result->shifts) {
            needed.push_back(shift.time);
            if (shift.complete) needed.push_back(shift.endTime);
        }
        for (double t : needed)
            EXPECT_NE(std::find(drawn.begin(), drawn.end(), t), drawn.end()) << t;
        for (std::size_t k = 1; k < line.points.size(); ++k)
            EXPECT_LE(line.points[k].x - line.points[k - 1].x, 0.2 + 1e-9);
        EXPECT_EQ(marks.line, LineStyle::None);
        ASSERT_EQ(marks.points.size(), s.result->shifts.size());
        EXPECT_EQ(marks.labels.front(), std::vector<std::string>{"1→2"});
        EXPECT_DOUBLE_EQ(marks.points.front().x, s.result->shifts.front().time);
    }

    const Plot balance = BalancePlot(both);
    const auto count = [&](LineStyle style, Color color) {
        return std::count_if(balance.series.begin(), balance.series.end(), [&](const auto& s) {
            return s.line == style && s.color == color && !s.points.empty();
        });
    };
    EXPECT_EQ(count(LineStyle::Solid, colors::Red), 4);   // A's gears
    EXPECT_EQ(count(LineStyle::Solid, colors::Blue), 6);  // B's gears
    EXPECT_EQ(count(LineStyle::Dashed, colors::Red), 2);  // grip and resistance
    ASSERT_EQ(balance.markers.size(), 2u);                // the top speeds
    EXPECT_DOUBLE_EQ(balance.markers[0].x, both[0].result->top->speed);

    // A set without figures is left out; with none at all, the charts are empty frames.
    data_.Run.Car2 = "нет";
    EXPECT_EQ(AccelerationPlot(Drive(ExampleA(), ExampleB())).series.size(), 2u);
    const DynamicsSets none = Drive(ExampleA(false), ExampleB(false));
    EXPECT_TRUE(AccelerationPlot(none).series.empty());
    EXPECT_TRUE(BalancePlot(none).series.empty());
    EXPECT_TRUE(BalancePlot(none).legend.empty());
}

TEST_F(DynamicsResultsTest, LegendNamesTheEngineAndCarWhereTheyFit) {
    const std::string long41 = std::string(41, 'x');
    const struct {
        std::string engine, car;
        std::vector<std::string> lines;
    } cases[] = {
        {"1,6 л 80 л.с.", "Седан 1120 кг", {"Набор 1: 1,6 л 80 л.с. · Седан 1120 кг"}},
        {"2,0 л турбодизель 137 л.с.",
         "Седан 1120 кг",
         {"Набор 1: 2,0 л турбодизель 137 л.с.", "Седан 1120 кг"}},
        {long41, "Седан 1120 кг", {"Набор 1"}},
        {"1,6 л 80 л.с.", long41, {"Набор 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.engine + " / " + c.car);
        DynamicsData saved = data_;
        data_.Engines[0].Name = c.engine;
        data_.Cars[0].Name = c.car;
        data_.Run.Engine1 = c.engine;
        data_.Run.Car1 = c.car;
        const Plot plot = AccelerationPlot(Drive(ExampleA(), ExampleB(false)));
        data_ = saved;
        ASSERT_EQ(plot.legend.size(), c.lines.size() + 1);  // and the shifts' dot
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_EQ(plot.legend[i].text, c.lines[i]);
            // A car's line of its own has no sample: it belongs to the line above.
            EXPECT_EQ(plot.legend[i].line, i == 0 ? LineStyle::Solid : LineStyle::None);
        }
    }
}

// The pair table's texts of one set's row, by the row's caption: {pair, 0-100, 400 m, top
// speed, engine speed at 110, note}.
std::vector<std::string> PairTexts(const std::vector<PairTableRow>& rows, int set,
                                   PairRowKind kind) {
    for (const PairTableRow& row : rows) {
        if (row.set != set || row.kind != kind) continue;
        std::vector<std::string> texts;
        for (std::size_t i = 1; i < row.cells.size(); ++i) texts.push_back(row.cells[i].text);
        return texts;
    }
    return {};
}

TEST_F(DynamicsResultsTest, PairTableGivesEachSetsOwnPairAndItsBestOnes) {
    const DynamicsSets sets = Drive(ExampleA(), ExampleB());
    ASSERT_TRUE(sets[0].input && sets[1].input);
    const PairSweep a = *SweepMainPairs(*sets[0].input, 2.5, 6.0);
    const PairSweep b = *SweepMainPairs(*sets[1].input, 2.5, 6.0);
    const std::vector<PairTableRow> rows = PairTable(sets, {&a, &b}, false);

    using K = PairRowKind;
    std::vector<std::pair<K, int>> layout;
    for (const PairTableRow& row : rows) {
        layout.push_back({row.kind, row.set});
        EXPECT_EQ(row.cells.size(), row.kind == K::Set ? 1u : std::size_t(kPairColumns));
    }
    const std::vector<std::pair<K, int>> expected = {
        {K::Columns, 0},   {K::Set, 1},     {K::Current, 1}, {K::BestTo100, 1},
        {K::Best400, 1},   {K::BestTop, 1}, {K::Set, 2},     {K::Current, 2},
        {K::BestTo100, 2}, {K::Best400, 2}, {K::BestTop, 2}};
    EXPECT_EQ(layout, expected);
    EXPECT_EQ(rows[1].cells[0].text,
              "Набор 1: 4-ступ. классическая 3,67-2,10-1,36-1,00 · 3,9 · 175/70 R13 — 1,6 л "
              "80 л.с. · Седан 1120 кг");
    EXPECT_EQ(rows[1].cells[0].background, colors::Red);
    EXPECT_EQ(rows[1].cells[0].span, kPairColumns);

    // Example A: its own pair's figures as the single run gives them; the best 0-100 at the
    // end of the range (beyond 5.92 top gear passes the engine's limit below 110 km/h).
    EXPECT_EQ(PairTexts(rows, 1, K::Current),
              (std::vector<std::string>{"3,90", "16,77", "21,03", "159,35", "3957", ""}));
    EXPECT_EQ(
        PairTexts(rows, 1, K::BestTo100),
        (std::vector<std::string>{"6,00", "15,68", "20,78", "108,42", kDash, "на краю диапазона"}));
    EXPECT_EQ(PairTexts(rows, 1, K::BestTop)[0], "3,96");
    EXPECT_EQ(PairTexts(rows, 1, K::BestTop)[3], "159,37");
    EXPECT_EQ(rows[3].pair, 6.0);  // what the button adds
    EXPECT_EQ(rows[2].pair, 3.9);
    const std::string tsv = PairTsv(sets, {&a, &b});
    EXPECT_NE(tsv.find("\r\nСейчас\t3,90\t16,77\t21,03\t159,35\t3957\t\r\n"), std::string::npos)
        << tsv;
    EXPECT_NE(PairHtml(sets, {&a, &b}).find("colspan=\"7\""), std::string::npos);

    const struct {
        const char* what;
        double from, to;
        K kind;
        std::vector<std::string> texts;
    } ranges[] = {
        {"the own pair beyond the range, the best top speed at its start",
         4.0,
         5.0,
         K::Current,
         {"3,90", "16,77", "21,03", "159,35", "3957", "вне диапазона"}},
        {"",
         4.0,
         5.0,
         K::BestTop,
         {"4,00", "16,64", "21,01", "159,36", "4058", "на краю диапазона"}},
        {"no pair of the range reaches 100 km/h",
         9.0,
         10.0,
         K::BestTo100,
         {kDash, kDash, kDash, kDash, kDash, "не достигается ни при одной паре диапазона"}},
    };
    for (const auto& r : ranges) {
        SCOPED_TRACE(r.what);
        const PairSweep s = *SweepMainPairs(*sets[0].input, r.from, r.to);
        EXPECT_EQ(PairTexts(PairTable(sets, {&s, nullptr}, false), 1, r.kind), r.texts);
    }

    // A sweep not made yet: the set's own figures, the best rows empty.
    const std::vector<PairTableRow> pending = PairTable(sets, {&a, nullptr}, false);
    EXPECT_EQ(PairTexts(pending, 2, K::Current)[0], "3,55");
    EXPECT_EQ(PairTexts(pending, 2, K::Best400), std::vector<std::string>(6));
}

TEST_F(DynamicsResultsTest, PairTableSaysWhyASetHasNoRows) {
    data_.Run.Car2 = "Купе";
    const DynamicsSets sets = Drive(ExampleA(false), ExampleB());
    const std::vector<PairTableRow> rows = PairTable(sets, {nullptr, nullptr}, true);
    ASSERT_EQ(rows.size(), 4u);  // captions, set 1 hidden, set 2 and its note
    EXPECT_EQ(rows[1].cells[0].text, "Набор 1 скрыт");
    EXPECT_EQ(rows[3].kind, PairRowKind::Note);
    EXPECT_EQ(rows[3].cells[0].text, "Выберите автомобиль");
    EXPECT_EQ(rows[3].cells[0].span, kPairColumns);
}

TEST_F(DynamicsResultsTest, PairPlotLeavesGapsAndMarksTheOwnAndBestPairs) {
    const DynamicsSets sets = Drive(ExampleA(), ExampleB());
    // From 6.51 on, even top gear reaches the engine's limit below 100 km/h.
    const PairSweep a = *SweepMainPairs(*sets[0].input, 6.0, 7.0);
    const Plot plot = PairPlot(sets, {&a, nullptr}, 6.0, 7.0);
    const auto series = [&](const std::string& name) -> const PlotSeries* {
        for (const PlotSeries& s : plot.series) {
            if (s.name == name) return &s;
        }
        ADD_FAILURE() << name;
        return nullptr;
    };
    const PlotSeries* to100 = series("Набор 1: 0–100 км/ч");
    ASSERT_TRUE(to100 && to100->points.size() == 101);
    for (const ChartPoint& p : to100->points)
        EXPECT_EQ(std::isnan(p.y), p.x > 6.505) << p.x;  // a gap, never a zero
    const PlotSeries* top = series("Набор 1: максимальная скорость");
    EXPECT_TRUE(plot.OnRight(*top));
    const PlotSeries* best = series("Набор 1: 0–100 км/ч: лучшая");
    ASSERT_EQ(best->points.size(), 1u);
    EXPECT_EQ(best->points[0].x, 6.5);
    EXPECT_EQ(best->labels, (std::vector<std::vector<std::string>>{{"6,50"}}));

    // No curve lies on its axis's floor, where the frame would hide it.
    const AxisRanges ranges = AutomaticRanges(plot);
    for (const PlotSeries& s : plot.series) {
        for (const ChartPoint& p : s.points) {
            if (std::isnan(p.y) || s.name.empty()) continue;
            EXPECT_GT(p.y, plot.OnRight(s) ? ranges.y2Min : ranges.yMin) << s.name;
        }
    }

    // Both sets' own pairs are marked; set 2 has no curves while its sweep is not made.
    ASSERT_EQ(plot.markers.size(), 2u);
    EXPECT_EQ(plot.markers[0].x, 3.9);
    EXPECT_EQ(plot.markers[0].caption, "Набор 1: 3,9");
    EXPECT_EQ(plot.markers[1].caption, "Набор 2: 3,55");
    EXPECT_EQ(series("Набор 2: сейчас")->points[0].y, *sets[1].result->to100);
    EXPECT_TRUE(std::none_of(plot.series.begin(), plot.series.end(),
                             [](const PlotSeries& s) { return s.name == "Набор 2: 0–100 км/ч"; }));
    // Nothing to draw: the range spans the axis.
    const Plot empty = PairPlot(Drive(ExampleA(false), ExampleB(false)), {}, 2.5, 6.0);
    EXPECT_TRUE(empty.series.empty() && empty.legend.empty());
    EXPECT_EQ(empty.x.emptyMin, 2.5);
    EXPECT_EQ(empty.x.emptyMax, 6.0);
}

// On a low chart the band above the curves grows to the legend's height: the legend, wherever
// it goes, covers no point of a curve.  A high chart keeps the band it had.
TEST_F(DynamicsResultsTest, ThePairLegendCoversNoCurveOnALowChart) {
    const DynamicsSets sets = Drive(ExampleA(), ExampleB());
    const PairSweep a = *SweepMainPairs(*sets[0].input, 2.5, 6.0);
    const PairSweep b = *SweepMainPairs(*sets[1].input, 2.5, 6.0);
    const Plot plot = PairPlot(sets, {&a, &b}, 2.5, 6.0);
    const testing::FixedMeasure text;
    const struct { double width, height; } sizes[] = {{500, 200}, {400, 280}, {700, 340}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.height);
        const ChartGeometry g =
            LayOutChart(size.width, size.height,
                        AutomaticRanges(plot, size.width, size.height, text), text, plot);
        ASSERT_TRUE(g.legend);
        for (const PlotSeries& s : plot.series) {
            const AxisScale& y = plot.OnRight(s) ? g.y2 : g.y;
            for (const ChartPoint& p : s.points) {
                const double px = g.x.ToPixel(p.x), py = y.ToPixel(p.y);
                if (s.name.empty() || std::isnan(p.y)) continue;
                EXPECT_FALSE(g.legend->Contains(px, py)) << s.name << " at " << p.x;
            }
        }
    }
    EXPECT_EQ(AutomaticRanges(plot, 1200, 700, text), AutomaticRanges(plot));
}

TEST(TableText, CellsKeepTheirPlaceInBothForms) {
    const std::vector<TableRow> rows = {
        {{.text = "a\tb\nc", .heading = true}, {.text = "<&\">", .align = CellAlign::Right}},
        {{.text = "x",
          .heading = true,
          .span = 2,
          .align = CellAlign::Left,
          .italic = true,
          .background = colors::Navy,
          .foreground = colors::White}},
    };
    EXPECT_EQ(TableTsv(rows), "a b c\t<&\">\r\nx\r\n");
    const std::string html = TableHtml(rows);
    EXPECT_NE(html.find("<tr><th>a\tb\nc</th><td align=\"right\">&lt;&amp;&quot;&gt;</td></tr>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<th colspan=\"2\" align=\"left\" "
                        "style=\"font-style:italic;background:#000080;color:#ffffff\">x</th>"),
              std::string::npos)
        << html;
}

}  // namespace
}  // namespace kelm
