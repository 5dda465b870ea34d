#include "chart/shiftcurves.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "base/errors.h"
#include "base/numtext.h"

namespace kelm {
namespace {

using Points = std::vector<ChartPoint>;

class ShiftCurves : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = GlobalNumberFormat();
        GlobalNumberFormat().decimalSeparator = ',';
        SetRow("Std", {3.5, 2.0, 1.4, 1.0, 0.8, 0});
        catalog_.AppendPair(std::make_unique<MainPair>(3.9));
        auto tyre = std::make_unique<Koles>();
        tyre->Name = "T";
        tyre->Perimeter = 1800;
        catalog_.AppendTyre(std::move(tyre));
    }
    void TearDown() override { GlobalNumberFormat() = saved_; }

    void SetRow(const std::string& name, std::array<double, 6> ratios) {
        auto row = std::make_unique<Riad>();
        row->Name = name;
        row->Ratios = ratios;
        catalog_.AppendRow(std::move(row));
    }

    ComparisonSet Set(const std::string& row, Color color = colors::Red, bool labels = true) {
        return ComparisonSet{true, labels, color, row, "3,9", "T"};
    }

    // Rounds to 4 decimals, as the worked example lists its values.
    static Points Rounded(const Points& pts) {
        Points out;
        for (auto p : pts)
            out.push_back({std::round(p.x * 1e4) / 1e4, std::round(p.y * 1e4) / 1e4});
        return out;
    }

    Catalog catalog_;
    ShiftChart chart_;
    NumberFormat saved_;
};

TEST_F(ShiftCurves, WorkedExamplePointsAndExactDoubles) {
    Grafic(6000, Set("Std"), ComparisonSet{}, catalog_, chart_);
    const Points curve = {
        {0, 0},           {47.4725, 6000},  {47.4725, 3428.5714},  {83.0769, 6000},
        {83.0769, 4200},  {118.6813, 6000}, {118.6813, 4285.7143}, {166.1538, 6000},
        {166.1538, 4800}, {207.6923, 6000}};
    EXPECT_EQ(Rounded(chart_[0].Points()), curve);
    EXPECT_EQ(Rounded(chart_[1].Points()), (Points{{0, 0}, {47.4725, 3428.5714}}));
    EXPECT_EQ(Rounded(chart_[2].Points()), (Points{{0, 0}, {83.0769, 4200}}));
    EXPECT_EQ(Rounded(chart_[3].Points()), (Points{{0, 0}, {118.6813, 4285.7143}}));
    EXPECT_EQ(Rounded(chart_[4].Points()), (Points{{0, 0}, {166.1538, 4800}}));
    EXPECT_EQ(chart_[5].Points(), (Points{{0, 0}}));
    EXPECT_EQ(Rounded(chart_[6].Points()), (Points{{0, 0},
                                                   {47.4725, 6000},
                                                   {83.0769, 6000},
                                                   {118.6813, 6000},
                                                   {166.1538, 6000},
                                                   {207.6923, 6000}}));

    // Bit-exact results of the extended-precision rule.
    EXPECT_EQ(chart_[1].Points()[1].y, 3428.5714285714284);
    EXPECT_EQ(chart_[4].Points()[1].y, 4800.0);
    EXPECT_EQ(chart_[6].Points().back().x, 207.69230769230768);

    // Set 2 was not shown: its series are empty.
    for (std::size_t i = 7; i < 14; ++i) EXPECT_TRUE(chart_[i].Points().empty());
}

TEST_F(ShiftCurves, ConstantKIsTheExtendedValueNearestSixTimesTenToTheMinusFive) {
    EXPECT_EQ(ExtendedK(), 6e-5L);
}

TEST_F(ShiftCurves, MissingGearShiftsFromTheLastPresentGear) {
    SetRow("NoThird", {3.5, 2.0, 0, 1.0, 0.8, 0});
    Grafic(6000, Set("NoThird"), ComparisonSet{}, catalog_, chart_);
    EXPECT_EQ(chart_[2].Points(), (Points{{0, 0}}));
    EXPECT_EQ(Rounded(chart_[3].Points()), (Points{{0, 0}, {83.0769, 3000}}));
    EXPECT_EQ(Rounded(chart_[0].Points()), (Points{{0, 0},
                                                   {47.4725, 6000},
                                                   {47.4725, 3428.5714},
                                                   {83.0769, 6000},
                                                   {83.0769, 3000},
                                                   {166.1538, 6000},
                                                   {166.1538, 4800},
                                                   {207.6923, 6000}}));
}

TEST_F(ShiftCurves, RisingRatioIsPlacedByRoadSpeed) {
    SetRow("Rising", {3.5, 4.0, 0, 0, 0, 0});
    Grafic(6000, Set("Rising"), ComparisonSet{}, catalog_, chart_);
    EXPECT_EQ(Rounded(chart_[0].Points()),
              (Points{{0, 0}, {41.5385, 6000}, {47.4725, 6000}, {47.4725, 6857.1429}}));
}

TEST_F(ShiftCurves, ZeroSpeedGivesOriginsOnly) {
    Grafic(0, Set("Std"), ComparisonSet{}, catalog_, chart_);
    ASSERT_EQ(chart_[0].Points().size(), 10u);
    for (const auto& p : chart_[0].Points()) EXPECT_EQ(p, (ChartPoint{0, 0}));
}

TEST_F(ShiftCurves, FailedLookupStillSetsColourAndLabels) {
    ComparisonSet s = Set("Nobody", colors::Navy, false);
    Grafic(6000, ComparisonSet{}, ComparisonSet{true, true, colors::Lime, "Std", "3,9", "T"},
           catalog_, chart_);
    Grafic(6000, s, ComparisonSet{}, catalog_, chart_);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(chart_[i].Points(), (Points{{0, 0}})) << i;
        EXPECT_EQ(chart_[i].GetColor(), colors::Navy);
        EXPECT_EQ(chart_[i].LabelsVisible(), false);
    }
    // Set 2 is hidden now: empty, but it keeps the colour of its last build.
    for (std::size_t i = 7; i < 14; ++i) {
        EXPECT_TRUE(chart_[i].Points().empty());
        EXPECT_EQ(chart_[i].GetColor(), colors::Lime);
    }
    // A miss on the pair or the tyre ends the set the same way.
    Grafic(6000, ComparisonSet{true, true, colors::Red, "Std", "3,90", "T"}, ComparisonSet{},
           catalog_, chart_);
    EXPECT_EQ(chart_[0].Points(), (Points{{0, 0}}));
}

TEST_F(ShiftCurves, LabelsFlagNeverReachesTheShiftCurve) {
    Grafic(6000, Set("Std", colors::Red, true), Set("Std", colors::Blue, true), catalog_, chart_);
    EXPECT_FALSE(chart_[0].LabelsVisible());
    EXPECT_FALSE(chart_[7].LabelsVisible());
    for (std::size_t i : {1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13})
        EXPECT_TRUE(chart_[i].LabelsVisible());
    EXPECT_EQ(chart_[7].GetColor(), colors::Blue);
    EXPECT_EQ(chart_[7].Points().size(), 10u);
}

TEST_F(ShiftCurves, DesignLooksBeforeTheFirstBuild) {
    EXPECT_EQ(chart_[0].GetColor(), colors::White);
    EXPECT_EQ(chart_[1].GetColor(), colors::Green);
    EXPECT_EQ(chart_[6].GetColor(), colors::White);
    EXPECT_FALSE(chart_[0].LabelsVisible());
    EXPECT_TRUE(chart_[13].LabelsVisible());
    EXPECT_EQ(chart_[13].Role(), SeriesRole::ShiftSpeed);
    EXPECT_EQ(chart_[8].Name(), "Series12");
}

TEST_F(ShiftCurves, ZeroFirstGearFailsAndSetTwoIsNotBuilt) {
    SetRow("Broken", {0, 2.0, 0, 0, 0, 0});
    try {
        Grafic(6000, Set("Broken"), Set("Std"), catalog_, chart_);
        FAIL() << "no error";
    } catch (const FloatDivByZeroError& e) {
        EXPECT_STREQ(e.what(), "Floating point division by zero");
    }
    for (std::size_t i = 0; i < 7; ++i) EXPECT_EQ(chart_[i].Points(), (Points{{0, 0}}));
    for (std::size_t i = 7; i < 14; ++i) EXPECT_TRUE(chart_[i].Points().empty());

    EXPECT_THROW(Grafic(0, Set("Broken"), ComparisonSet{}, catalog_, chart_), FloatInvalidOpError);
}

TEST_F(ShiftCurves, ZeroPerimeter) {
    std::array<double, 6> onlyFirst{3.5, 0, 0, 0, 0, 0};
    AddShiftPoints(1, 6000, onlyFirst, 3.9, 0, chart_);
    EXPECT_EQ(chart_[0].Points(), (Points{{0, 6000}}));
    EXPECT_EQ(chart_[6].Points(), (Points{{0, 6000}}));
    ShiftChart other;
    EXPECT_THROW(AddShiftPoints(1, 6000, {3.5, 2.0, 0, 0, 0, 0}, 3.9, 0, other),
                 FloatInvalidOpError);
    EXPECT_EQ(other[0].Points(), (Points{{0, 6000}}));
}

TEST_F(ShiftCurves, HugeRatiosReportOverflowInsteadOfDrawingInfinity) {
    ShiftChart c;
    EXPECT_THROW(AddShiftPoints(1, 6000, {1e300, 0, 0, 0, 0, 0}, 1e300, 1800, c),
                 FloatOverflowError);
}

TEST_F(ShiftCurves, NegativeValuesAreComputedAsTheyAre) {
    ShiftChart c;
    AddShiftPoints(1, 6000, {3.5, 0, 0, 0, 0, 0}, 3.9, -1800, c);
    ASSERT_EQ(c[0].Points().size(), 1u);
    EXPECT_NEAR(c[0].Points()[0].x, -47.4725, 1e-4);
}

TEST(SeriesModel, EqualXGoesAfterAndChangesAreSignalled) {
    Series s("S", SeriesRole::GearLine, 0, false);
    int changes = 0;
    s.SetOnChange([&] { ++changes; });
    s.AddXY(5, 1);
    s.AddXY(1, 2);
    s.AddXY(5, 3);
    s.AddXY(3, 4);
    EXPECT_EQ(s.Points(), (Points{{1, 2}, {3, 4}, {5, 1}, {5, 3}}));
    s.SetColor(colors::Red);
    s.Clear();
    EXPECT_TRUE(s.Points().empty());
    EXPECT_EQ(s.GetColor(), colors::Red);
    EXPECT_EQ(changes, 6);
}

}  // namespace
}  // namespace kelm
