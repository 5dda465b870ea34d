#include "chart/geartable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/errors.h"
#include "base/numtext.h"
#include "core/number_format.h"

namespace kelm {
namespace {

class GearTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        AddRow("Std", {3.5, 2.0, 1.4, 1.0, 0.8, 0});
        catalog_.AppendPair(std::make_unique<MainPair>(3.9));
        AddTyre("T", 1800);
    }
    void AddRow(const std::string& name, std::array<double, 6> ratios) {
        catalog_.AppendRow(std::make_unique<Riad>(Riad{name, ratios}));
    }
    void AddTyre(const std::string& name, std::int32_t perimeter) {
        catalog_.AppendTyre(std::make_unique<Koles>(Koles{name, perimeter}));
    }
    static ComparisonSet Set(const std::string& row, const std::string& tyre = "T",
                             Color color = colors::Red) {
        return ComparisonSet{true, true, color, row, "3,9", tyre};
    }

    // Draws the two sets, then makes the table of what was computed, as the window does.
    void Draw(std::int32_t n, const ComparisonSet& set1, const ComparisonSet& set2) {
        try {
            Grafic(n, set1, set2, catalog_, chart_, &gears_);
        } catch (...) {
            table_ = MakeGearTable(gears_);  // the table follows a run that stops at an error
            throw;
        }
        table_ = MakeGearTable(gears_);
    }

    testing::ScopedNumberFormat format_;
    Catalog catalog_;
    ShiftChart chart_;
    ChartGears gears_;
    GearTable table_;
};

TEST_F(GearTableTest, WorkedExampleNumbersAndCells) {
    Draw(6000, Set("Std"), ComparisonSet{});
    EXPECT_EQ(table_.maxRpm, 6000);
    ASSERT_EQ(table_.blocks.size(), 2u);
    const GearTableBlock& b = table_.blocks[0];
    EXPECT_EQ(b.set, 1);
    EXPECT_EQ(b.color, colors::Red);
    EXPECT_EQ(b.rowName, "Std");
    EXPECT_EQ(b.note, "");
    ASSERT_EQ(b.rows.size(), 5u);  // gear 6 has ratio 0: no line, as on the chart
    for (int i = 0; i < 5; ++i) EXPECT_EQ(b.rows[static_cast<std::size_t>(i)].gear.gear, i + 1);

    const GearTableRow& first = b.rows[0];
    EXPECT_FALSE(first.gear.afterShift);
    EXPECT_FALSE(first.drop);
    EXPECT_NEAR(*first.gear.shiftSpeed, 47.4725, 1e-4);

    const GearTableRow& second = b.rows[1];
    EXPECT_EQ(*second.gear.afterShift, 3428.5714285714284);
    EXPECT_NEAR(*second.drop, 2571.43, 0.005);

    const GearTableRow& fifth = b.rows[4];
    EXPECT_EQ(*fifth.gear.afterShift, 4800.0);  // exactly, as the extended-precision rule gives
    EXPECT_EQ(*fifth.drop, 1200.0);
    EXPECT_NEAR(*fifth.at100, 2888.9, 0.05);
    EXPECT_EQ(*fifth.gear.shiftSpeed, 207.69230769230768);

    // On screen: one decimal for speeds, engine speeds whole and grouped.
    EXPECT_EQ(GearRowCells(first, true),
              (std::vector<std::string>{"1", "3,5", "13,65", "47,5", "", "", "12 639"}));
    EXPECT_EQ(GearRowCells(second, true),
              (std::vector<std::string>{"2", "2", "7,8", "83,1", "3 429", "2 571", "7 222"}));
    EXPECT_EQ(GearRowCells(fifth, false),
              (std::vector<std::string>{"5", "0,8", "3,12", "207,7", "4800", "1200", "2889"}));
    // The caption groups its engine speed as the chart does; the clipboard's is plain.
    EXPECT_EQ(GearTableCaptions(6000, true)[3], "км/ч при 6 000 об/мин");
    EXPECT_EQ(GearTableCaptions(6000, false)[3], "км/ч при 6000 об/мин");
}

// The table's numbers are the series' numbers, bit for bit, whatever the gearbox.
TEST_F(GearTableTest, EqualsTheChartSeriesBitForBit) {
    AddRow("NoThird", {3.5, 2.0, 0, 1.0, 0.8, 0.7});
    AddRow("Rising", {3.5, 4.0, 0, 0, 0, 0});
    AddRow("Odd", {3.17, 1.93, 1.31, 0.97, 0.78, 0.66});
    AddTyre("Big", 2011);
    for (const char* row : {"Std", "NoThird", "Rising", "Odd"}) {
        for (std::int32_t n : {6000, 7321, 0}) {
            Draw(n, Set(row), Set(row, "Big", colors::Blue));
            ASSERT_EQ(table_.blocks.size(), 2u) << row;
            for (const GearTableBlock& b : table_.blocks) {
                const std::size_t first = ShiftChart::FirstOfSet(b.set);
                const auto& speeds = chart_[first + 6].Points();
                // The shift-speed series in the order of adding (it may be resorted by x).
                std::vector<double> added;
                for (const GearTableRow& r : b.rows) added.push_back(*r.gear.shiftSpeed);
                ASSERT_EQ(speeds.size(), added.size() + 1) << row;
                for (double x : added) {
                    EXPECT_TRUE(std::any_of(speeds.begin(), speeds.end(),
                                            [&](const ChartPoint& p) { return p.x == x; }))
                        << row << " " << x;
                }
                for (std::size_t i = 1; i < b.rows.size(); ++i) {
                    const GearTableRow& r = b.rows[i];
                    const int gear = r.gear.gear;
                    const auto& line = chart_[first + static_cast<std::size_t>(gear) - 1].Points();
                    ASSERT_EQ(line.size(), 2u) << row << " gear " << gear;
                    EXPECT_EQ(line[1].y, *r.gear.afterShift) << row << " gear " << gear;
                    EXPECT_EQ(line[1].x, *b.rows[i - 1].gear.shiftSpeed) << row << " gear " << gear;
                    EXPECT_EQ(*r.drop, static_cast<double>(n) - line[1].y);
                }
            }
        }
    }
}

// A set without numbers is one line that says why, whatever stopped it.
TEST_F(GearTableTest, SetsWithoutNumbersSayWhyInOneLine) {
    AddRow("Broken", {0, 2.0, 0, 0, 0, 0});
    AddTyre("Flat", 0);
    ComparisonSet hidden = Set("Std");
    hidden.shown = false;
    const struct {
        const char* what;
        ComparisonSet set1, set2;
        const char* note1;
        const char* note2;
        std::size_t gears1, gears2;
    } cases[] = {
        {"hidden", Set("Std"), hidden, "", "Набор 2 скрыт", 5, 0},
        {"both hidden", hidden, hidden, "Набор 1 скрыт", "Набор 2 скрыт", 0, 0},
        {"a name the catalog lacks", Set("Nobody"), Set("Std", "Nowhere"),
         "Набор 1: запись не найдена в каталоге", "Набор 2: запись не найдена в каталоге", 0, 0},
        {"set 1 fails, set 2 is not built", Set("Broken"), Set("Std"),
         "Набор 1 не рассчитан: Floating point division by zero.",
         "Набор 2 не рассчитан: расчёт остановлен ошибкой в наборе 1", 0, 0},
        {"set 1 fails, set 2 is hidden", Set("Broken"), hidden,
         "Набор 1 не рассчитан: Floating point division by zero.", "Набор 2 скрыт", 0, 0},
        {"set 2 fails midway (0/0 in gear 2)", Set("Std"), Set("Std", "Flat"), "",
         "Набор 2 не рассчитан: Invalid floating point operation.", 5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool fails = std::string(c.what).find("fails") != std::string::npos;
        if (fails)
            EXPECT_THROW(Draw(6000, c.set1, c.set2), KelmError);
        else
            Draw(6000, c.set1, c.set2);
        ASSERT_EQ(table_.blocks.size(), 2u);
        EXPECT_EQ(table_.blocks[0].note, c.note1);
        EXPECT_EQ(table_.blocks[1].note, c.note2);
        EXPECT_EQ(table_.blocks[0].rows.size(), c.gears1);
        EXPECT_EQ(table_.blocks[1].rows.size(), c.gears2);
        // The note is the block's heading: one line, one cell, on the clipboard too.
        const std::string tsv = GearTableTsv(table_);
        for (const GearTableBlock& b : table_.blocks) {
            if (!b.note.empty()) {
                EXPECT_NE(tsv.find("\r\n" + b.note + "\r\n"), std::string::npos);
            }
        }
    }
    // What the series kept before the error of the last case stands.
    EXPECT_EQ(chart_[7].Points(), (std::vector<ChartPoint>{{0, 0}, {0, 6000}}));
}

TEST_F(GearTableTest, ZeroPerimeterWithOneGearHasNoSpeedAt100) {
    AddRow("One", {3.5, 0, 0, 0, 0, 0});
    AddTyre("Flat", 0);
    Draw(6000, Set("One", "Flat"), ComparisonSet{});
    ASSERT_EQ(table_.blocks[0].rows.size(), 1u);
    EXPECT_FALSE(table_.blocks[0].rows[0].at100);
    EXPECT_EQ(GearRowCells(table_.blocks[0].rows[0], true).back(), "—");
}

// Any finite value is a number, however large; what cannot be had is "—".  Speeds of
// 1000 km/h and more are grouped on screen, as the chart's labels are.
TEST_F(GearTableTest, EveryValueIsANumberOrADash) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double speed, afterShift;
        bool grouped;
        const char* speedText;
        const char* afterShiftText;
    } cases[] = {
        {1093.31, 4800, true, "1 093,3", "4 800"},
        {1093.31, 4800, false, "1093,3", "4800"},
        {inf, inf, true, "—", "—"},
        {nan, -inf, false, "—", "—"},
    };
    for (const auto& c : cases) {
        GearTableRow row{ShiftGear{2, 1e-60, 3.9e-60, 0, c.afterShift, c.speed}, 1200, 0};
        const std::vector<std::string> cells = GearRowCells(row, c.grouped);
        EXPECT_EQ(cells[1], "1E-60");
        EXPECT_EQ(cells[3], c.speedText) << c.speed;
        EXPECT_EQ(cells[4], c.afterShiftText) << c.afterShift;
    }

    // Through the computation: a ratio of 1E-60 reaches about 1.7e62 km/h.
    AddRow("Tiny", {1e-60, 0, 0, 0, 0, 0});
    Draw(6000, Set("Tiny"), ComparisonSet{});
    ASSERT_EQ(table_.blocks[0].rows.size(), 1u);
    const std::vector<std::string> cells = GearRowCells(table_.blocks[0].rows[0], true);
    EXPECT_EQ(cells[3], "1,66153846153846E62");
    EXPECT_EQ(GearTableTsv(table_).find('\0'), std::string::npos);
}

TEST_F(GearTableTest, ClipboardTextsHoldPlainNumbers) {
    GlobalNumberFormat().decimalSeparator = '.';
    catalog_.AppendPair(std::make_unique<MainPair>(4.1));
    AddRow("A<B & \"C\"", {3.5, 2.0, 0, 0, 0, 0});
    Draw(6000, ComparisonSet{true, false, colors::Navy, "A<B & \"C\"", "4.1", "T"},
         ComparisonSet{true, false, colors::Yellow, "Std", "3.9", "T"});
    ASSERT_EQ(table_.blocks.size(), 2u);

    // Each block's heading is a line of one cell: no text lands under a numeric column.
    const std::string tsv = GearTableTsv(table_);
    EXPECT_EQ(tsv.substr(0, tsv.find("\r\n")),
              "Передача\tПередаточное число\tОбщее\tкм/ч при 6000 об/мин\t"
              "Обороты после переключения\tПровал оборотов\tОбороты при 100 км/ч");
    EXPECT_NE(tsv.find("\r\nA<B & \"C\" · 4.1 · T\r\n1\t3.5\t14.35\t45.2\t\t\t13287\r\n"
                       "2\t2\t8.2\t79.0\t3429\t2571\t7593\r\n"),
              std::string::npos)
        << tsv;
    EXPECT_NE(tsv.find("\r\nStd · 3.9 · T\r\n1\t3.5\t13.65\t47.5\t\t\t12639\r\n"),
              std::string::npos)
        << tsv;
    EXPECT_EQ(tsv.find("\xC2\xA0"), std::string::npos);  // no grouping anywhere

    const std::string html = GearTableHtml(table_);
    EXPECT_EQ(html.rfind("<html><head><meta http-equiv=\"Content-Type\" "
                         "content=\"text/html; charset=utf-8\"></head>",
                         0),
              0u)
        << html;
    EXPECT_NE(html.find("<th>км/ч при 6000 об/мин</th>"), std::string::npos);
    EXPECT_NE(html.find("background:#000080;color:#ffffff\">A&lt;B &amp; &quot;C&quot; · 4.1 · T"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("background:#ffff00;color:#000000\">Std · 3.9 · T"), std::string::npos);
    EXPECT_NE(html.find("<td align=\"right\">3429</td>"), std::string::npos);
    EXPECT_NE(html.find("</table>"), std::string::npos);
}

}  // namespace
}  // namespace kelm
