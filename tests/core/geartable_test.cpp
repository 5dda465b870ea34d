#include "chart/geartable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "base/numtext.h"

namespace kelm {
namespace {

class GearTableTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = GlobalNumberFormat();
        GlobalNumberFormat().decimalSeparator = ',';
        GlobalNumberFormat().thousandSeparator = " ";
        AddRow("Std", {3.5, 2.0, 1.4, 1.0, 0.8, 0});
        catalog_.AppendPair(std::make_unique<MainPair>(3.9));
        AddTyre("T", 1800);
    }
    void TearDown() override { GlobalNumberFormat() = saved_; }

    void AddRow(const std::string& name, std::array<double, 6> ratios) {
        auto row = std::make_unique<Riad>();
        row->Name = name;
        row->Ratios = ratios;
        catalog_.AppendRow(std::move(row));
    }
    void AddTyre(const std::string& name, std::int32_t perimeter) {
        auto tyre = std::make_unique<Koles>();
        tyre->Name = name;
        tyre->Perimeter = perimeter;
        catalog_.AppendTyre(std::move(tyre));
    }
    static ComparisonSet Set(const std::string& row, const std::string& tyre = "T",
                             Color color = colors::Red) {
        return ComparisonSet{true, true, color, row, "3,9", tyre};
    }

    Catalog catalog_;
    ShiftChart chart_;
    GearTable table_;
    NumberFormat saved_;
};

TEST_F(GearTableTest, WorkedExampleNumbersAndCells) {
    Grafic(6000, Set("Std"), ComparisonSet{}, catalog_, chart_, &table_);
    EXPECT_EQ(table_.maxRpm, 6000);
    ASSERT_EQ(table_.blocks.size(), 1u);
    const GearTableBlock& b = table_.blocks[0];
    EXPECT_EQ(b.set, 1);
    EXPECT_EQ(b.color, colors::Red);
    EXPECT_EQ(b.rowName, "Std");
    ASSERT_EQ(b.rows.size(), 5u);  // gear 6 has ratio 0: no line, as on the chart
    for (int i = 0; i < 5; ++i) EXPECT_EQ(b.rows[static_cast<std::size_t>(i)].gear, i + 1);

    const GearTableRow& first = b.rows[0];
    EXPECT_FALSE(first.afterShift);
    EXPECT_FALSE(first.drop);
    EXPECT_NEAR(first.shiftSpeed, 47.4725, 1e-4);

    const GearTableRow& second = b.rows[1];
    EXPECT_EQ(*second.afterShift, 3428.5714285714284);
    EXPECT_NEAR(*second.drop, 2571.43, 0.005);

    const GearTableRow& fifth = b.rows[4];
    EXPECT_EQ(*fifth.afterShift, 4800.0);  // exactly, as the extended-precision rule gives
    EXPECT_EQ(*fifth.drop, 1200.0);
    EXPECT_NEAR(*fifth.at100, 2888.9, 0.05);
    EXPECT_EQ(fifth.shiftSpeed, 207.69230769230768);

    // On screen: one decimal for speeds, engine speeds whole and grouped.
    EXPECT_EQ(GearRowCells(first, true),
              (std::vector<std::string>{"1", "3,5", "13,65", "47,5", "", "", "12 639"}));
    EXPECT_EQ(GearRowCells(second, true),
              (std::vector<std::string>{"2", "2", "7,8", "83,1", "3 429", "2 571", "7 222"}));
    EXPECT_EQ(GearRowCells(fifth, false),
              (std::vector<std::string>{"5", "0,8", "3,12", "207,7", "4800", "1200", "2889"}));
    EXPECT_EQ(GearTableCaptions(6000)[3], "км/ч при 6000 об/мин");
}

// The table's numbers are the series' numbers, bit for bit, whatever the gearbox.
TEST_F(GearTableTest, EqualsTheChartSeriesBitForBit) {
    AddRow("NoThird", {3.5, 2.0, 0, 1.0, 0.8, 0.7});
    AddRow("Rising", {3.5, 4.0, 0, 0, 0, 0});
    AddRow("Odd", {3.17, 1.93, 1.31, 0.97, 0.78, 0.66});
    AddTyre("Big", 2011);
    for (const char* row : {"Std", "NoThird", "Rising", "Odd"}) {
        for (std::int32_t n : {6000, 7321, 0}) {
            Grafic(n, Set(row), Set(row, "Big", colors::Blue), catalog_, chart_, &table_);
            ASSERT_EQ(table_.blocks.size(), 2u) << row;
            for (const GearTableBlock& b : table_.blocks) {
                const std::size_t first = ShiftChart::FirstOfSet(b.set);
                const auto& speeds = chart_[first + 6].Points();
                // The shift-speed series in the order of adding (it may be resorted by x).
                std::vector<double> added;
                for (const GearTableRow& r : b.rows) added.push_back(r.shiftSpeed);
                ASSERT_EQ(speeds.size(), added.size() + 1) << row;
                for (double x : added) {
                    EXPECT_TRUE(std::any_of(speeds.begin(), speeds.end(),
                                            [&](const ChartPoint& p) { return p.x == x; }))
                        << row << " " << x;
                }
                for (std::size_t i = 1; i < b.rows.size(); ++i) {
                    const GearTableRow& r = b.rows[i];
                    const auto& line =
                        chart_[first + static_cast<std::size_t>(r.gear) - 1].Points();
                    ASSERT_EQ(line.size(), 2u) << row << " gear " << r.gear;
                    EXPECT_EQ(line[1].y, *r.afterShift) << row << " gear " << r.gear;
                    EXPECT_EQ(line[1].x, b.rows[i - 1].shiftSpeed) << row << " gear " << r.gear;
                    EXPECT_EQ(*r.drop, static_cast<double>(n) - line[1].y);
                }
            }
        }
    }
}

TEST_F(GearTableTest, FailingOrMissingSetsHaveNoBlock) {
    AddRow("Broken", {0, 2.0, 0, 0, 0, 0});
    // Set 1 fails: no block, and set 2, not built, has none either.
    EXPECT_THROW(Grafic(6000, Set("Broken"), Set("Std"), catalog_, chart_, &table_),
                 FloatDivByZeroError);
    EXPECT_TRUE(table_.blocks.empty());
    // Set 2 fails after set 1 was built: set 1's block stands.
    EXPECT_THROW(Grafic(6000, Set("Std"), Set("Broken"), catalog_, chart_, &table_),
                 FloatDivByZeroError);
    ASSERT_EQ(table_.blocks.size(), 1u);
    EXPECT_EQ(table_.blocks[0].set, 1);
    // A failure midway (perimeter 0, then 0/0 in gear 2) leaves no block either, and the
    // series keep what they got before it.
    AddTyre("Flat", 0);
    EXPECT_THROW(Grafic(6000, Set("Std", "Flat"), ComparisonSet{}, catalog_, chart_, &table_),
                 FloatInvalidOpError);
    EXPECT_TRUE(table_.blocks.empty());
    EXPECT_EQ(chart_[0].Points(), (std::vector<ChartPoint>{{0, 0}, {0, 6000}}));
    // A lookup that finds nothing and a hidden set: no block, no error.
    ComparisonSet hidden = Set("Std");
    hidden.shown = false;
    Grafic(6000, Set("Nobody"), hidden, catalog_, chart_, &table_);
    EXPECT_TRUE(table_.blocks.empty());
}

TEST_F(GearTableTest, ZeroPerimeterWithOneGearLeavesOnlyTheSpeedAt100Empty) {
    AddRow("One", {3.5, 0, 0, 0, 0, 0});
    AddTyre("Flat", 0);
    Grafic(6000, Set("One", "Flat"), ComparisonSet{}, catalog_, chart_, &table_);
    ASSERT_EQ(table_.blocks.size(), 1u);
    ASSERT_EQ(table_.blocks[0].rows.size(), 1u);
    EXPECT_FALSE(table_.blocks[0].rows[0].at100);
    EXPECT_EQ(GearRowCells(table_.blocks[0].rows[0], true).back(), "");
}

TEST_F(GearTableTest, ClipboardTextsHoldPlainNumbers) {
    GlobalNumberFormat().decimalSeparator = '.';
    catalog_.AppendPair(std::make_unique<MainPair>(4.1));
    AddRow("A<B & \"C\"", {3.5, 2.0, 0, 0, 0, 0});
    Grafic(6000, ComparisonSet{true, false, colors::Navy, "A<B & \"C\"", "4.1", "T"},
           ComparisonSet{true, false, colors::Yellow, "Std", "3.9", "T"}, catalog_, chart_,
           &table_);
    ASSERT_EQ(table_.blocks.size(), 2u);

    const std::string tsv = GearTableTsv(table_);
    EXPECT_EQ(tsv.substr(0, tsv.find("\r\n")),
              "Передача\tПередаточное число\tОбщее\tкм/ч при 6000 об/мин\t"
              "Обороты после переключения\tПровал оборотов\tОбороты при 100 км/ч");
    EXPECT_NE(tsv.find("\r\nA<B & \"C\"\t4.1\tT\r\n1\t3.5\t14.35\t45.2\t\t\t13287\r\n"
                       "2\t2\t8.2\t79.0\t3429\t2571\t7593\r\n"),
              std::string::npos)
        << tsv;
    EXPECT_NE(tsv.find("\r\nStd\t3.9\tT\r\n1\t3.5\t13.65\t47.5\t\t\t12639\r\n"), std::string::npos)
        << tsv;
    EXPECT_EQ(tsv.find("\xC2\xA0"), std::string::npos);  // no grouping anywhere

    const std::string html = GearTableHtml(table_);
    EXPECT_EQ(html.rfind("<table", 0), 0u);
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
