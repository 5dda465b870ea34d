#include "chart/chartlayout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/numtext.h"

namespace kelm {
namespace {

using Lines = std::vector<std::string>;

// Every character 6 pixels wide (UTF-8 continuation bytes take no room), lines 10 high.
class FixedMeasure : public TextMeasure {
  public:
    double Width(std::string_view utf8) const override {
        double chars = 0;
        for (unsigned char c : utf8) chars += (c & 0xC0) != 0x80;
        return 6 * chars;
    }
    double LineHeight() const override { return 10; }
};

class ChartLayout : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = GlobalNumberFormat(); }
    void TearDown() override { GlobalNumberFormat() = saved_; }
    NumberFormat saved_;
    FixedMeasure measure_;
};

TEST_F(ChartLayout, MarginsAreRoundedShares) {
    EXPECT_EQ(PlottingArea(1000, 500), (PixelRect{20, 25, 970, 490}));
    // 1.5 and 1.5 round up, 2.25 and 0.6 to the nearest pixel.
    EXPECT_EQ(PlottingArea(75, 30), (PixelRect{2, 2, 73, 29}));
}

TEST_F(ChartLayout, TickStepsAreRoundAndWholeNumbers) {
    EXPECT_EQ(TickStep(6000, 12), 500);
    EXPECT_EQ(TickStep(6000, 10), 1000);  // 600 per label rounds up to the next round step
    EXPECT_EQ(TickStep(200, 10), 20);
    EXPECT_EQ(TickStep(208, 10), 50);
    EXPECT_EQ(TickStep(5, 10), 1);  // labels are whole numbers: no fractional steps
    EXPECT_EQ(TickStep(0, 10), 1);
    EXPECT_EQ(TickStep(300, 0), 500);  // no room at all still gives one step across

    EXPECT_EQ(TickValues(-3.5, 12, 5), (std::vector<double>{0, 5, 10}));
    EXPECT_EQ(TickValues(0, 6000, 1000),
              (std::vector<double>{0, 1000, 2000, 3000, 4000, 5000, 6000}));
    EXPECT_TRUE(TickValues(0.2, 0.8, 1).empty());
    // Where a step no longer changes a double, the list still ends.
    EXPECT_LE(TickValues(1e17, 1e17 + 64, 1).size(), 1000u);
}

TEST_F(ChartLayout, AxesFollowTheirShareOfTheSeriesRectangle) {
    GlobalNumberFormat().thousandSeparator = " ";
    const ChartGeometry g = LayOutChart(1000, 600, {0, 207.6923, 0, 6000}, measure_);
    EXPECT_EQ(g.area, (PixelRect{20, 30, 970, 588}));
    // Room below: tick 4, gap 2, one label line 10, gap 4, title 10.
    EXPECT_EQ(g.series.bottom, 558);
    // Room left: title 10, gap 4, widest label "6 000" 30, gap 2, tick 4.
    EXPECT_EQ(g.series.left, 70);
    EXPECT_EQ(g.series.top, g.area.top);
    EXPECT_EQ(g.series.right, g.area.right);

    EXPECT_EQ(g.y.from, g.series.bottom);
    EXPECT_EQ(g.y.to, g.series.top + std::round(0.03 * g.series.Height()));
    EXPECT_EQ(g.x.from, g.series.left);
    EXPECT_DOUBLE_EQ(g.x.to, g.series.left + 0.98 * g.series.Width());

    EXPECT_DOUBLE_EQ(g.x.ToPixel(0), g.x.from);
    EXPECT_DOUBLE_EQ(g.x.ToPixel(207.6923), g.x.to);
    EXPECT_DOUBLE_EQ(g.y.ToPixel(0), g.y.from);
    EXPECT_DOUBLE_EQ(g.y.ToPixel(6000), g.y.to);
    EXPECT_DOUBLE_EQ(g.y.ToValue(g.y.ToPixel(4285.7)), 4285.7);
    EXPECT_EQ(g.Ranges(), (AxisRanges{0, 207.6923, 0, 6000}));

    EXPECT_EQ(g.yTicks.front(), 0);
    EXPECT_EQ(g.yTicks.back(), 6000);
    EXPECT_EQ(g.yTicks[1] - g.yTicks[0], 500);
    // Neighbouring bottom labels never run into each other.
    for (std::size_t i = 1; i < g.xTicks.size(); ++i) {
        const double gap = g.x.ToPixel(g.xTicks[i]) - g.x.ToPixel(g.xTicks[i - 1]);
        EXPECT_GT(gap, measure_.Width(FormatGrouped(g.xTicks[i])));
    }
}

TEST_F(ChartLayout, BottomLabelsBrokenAtPlainSpacesTakeMoreRoom) {
    GlobalNumberFormat().thousandSeparator = " ";
    const ChartGeometry twoLines = LayOutChart(1000, 600, {0, 3000, 0, 6000}, measure_);
    EXPECT_EQ(twoLines.series.bottom, 588 - (4 + 2 + 2 * 10 + 4 + 10));

    GlobalNumberFormat().thousandSeparator = "\xC2\xA0";  // a no-break space keeps one line
    const ChartGeometry oneLine = LayOutChart(1000, 600, {0, 3000, 0, 6000}, measure_);
    EXPECT_EQ(oneLine.series.bottom, 588 - (4 + 2 + 10 + 4 + 10));
}

TEST_F(ChartLayout, DegenerateRangesAndTinyPanelsStayFinite) {
    EXPECT_EQ(Widened({0, 0, 0, 0}), (AxisRanges{0, 1, 0, 1}));
    EXPECT_EQ(Widened({-5, 7, 3, 3}), (AxisRanges{-5, 7, 3, 4}));

    for (auto [w, h] : {std::pair{1.0, 1.0}, std::pair{30.0, 20.0}}) {
        const ChartGeometry g = LayOutChart(w, h, {0, 0, 0, 0}, measure_);
        for (double v : {g.x.ToPixel(0.5), g.y.ToPixel(0.5), g.x.ToValue(3), g.y.ToValue(3)})
            EXPECT_TRUE(std::isfinite(v)) << w << "x" << h;
    }
}

TEST_F(ChartLayout, DataRangesSpanEverySeries) {
    ShiftChart chart;
    EXPECT_FALSE(DataRanges(chart).has_value());
    chart[0].AddXY(0, 0);
    chart[3].AddXY(50, 7000);
    chart[13].AddXY(-10, 20);
    EXPECT_EQ(DataRanges(chart), (AxisRanges{-10, 50, 0, 7000}));
}

TEST_F(ChartLayout, AutomaticRangesFallBackToAnOrdinaryCarWithoutExtent) {
    ShiftChart chart;
    // No points at all, and only the origins of shown sets whose records were not found.
    EXPECT_EQ(AutomaticRanges(chart), kEmptyChartRanges);
    for (Series& s : chart) s.AddXY(0, 0);
    EXPECT_EQ(AutomaticRanges(chart), kEmptyChartRanges);
    EXPECT_GT(kEmptyChartRanges.xMax, kEmptyChartRanges.xMin);
    EXPECT_GT(kEmptyChartRanges.yMax, kEmptyChartRanges.yMin);
    // Only the axis without extent takes the empty chart's span, from the points' value up.
    chart[2].AddXY(40, 0);
    EXPECT_EQ(AutomaticRanges(chart), (AxisRanges{0, 40, 0, 8000}));
    chart[1].AddXY(-5, 3000);
    EXPECT_EQ(AutomaticRanges(chart), (AxisRanges{-5, 40, 0, 3000}));
}

TEST_F(ChartLayout, LabelTextsByRole) {
    GlobalNumberFormat().thousandSeparator = " ";
    EXPECT_EQ(SplitAtSpaces("1 234 567"), (Lines{"1", "234", "567"}));
    EXPECT_EQ(SplitAtSpaces("208"), (Lines{"208"}));
    EXPECT_EQ(SplitAtSpaces("1\xC2\xA0"
                            "000"),
              (Lines{"1\xC2\xA0"
                     "000"}));

    const ChartPoint p{1234.5, 3428.5714};
    EXPECT_EQ(PointLabelLines(SeriesRole::GearLine, p), (Lines{"3 429"}));       // y, one line
    EXPECT_EQ(PointLabelLines(SeriesRole::ShiftSpeed, p), (Lines{"1", "235"}));  // x, broken
    EXPECT_EQ(PointLabelLines(SeriesRole::ShiftCurve, p), (Lines{"1 235"}));
    EXPECT_EQ(PointLabelLines(SeriesRole::ShiftSpeed, {0, 0}), (Lines{"0"}));

    const AxisRanges view{0, 100, 0, 6000};
    EXPECT_TRUE(InView(view, {0, 0}));
    EXPECT_TRUE(InView(view, {100, 6000}));
    EXPECT_FALSE(InView(view, {100.001, 6000}));
    EXPECT_FALSE(InView(view, {50, -1}));

    // Centred on the point, lower edge 8 pixels above it.
    EXPECT_EQ(LabelBox(100, 200, 20, 2, 10), (PixelRect{88, 168, 112, 192}));
}

TEST_F(ChartLayout, DragGestures) {
    EXPECT_EQ(ClassifyDrag(0, 0, 16, 100), DragAction::None);
    EXPECT_EQ(ClassifyDrag(0, 0, 100, 16), DragAction::None);
    EXPECT_EQ(ClassifyDrag(50, 50, 34, 0), DragAction::None);
    EXPECT_EQ(ClassifyDrag(0, 0, 17, 17), DragAction::Zoom);
    EXPECT_EQ(ClassifyDrag(0, 0, -17, -17), DragAction::Unzoom);
    EXPECT_EQ(ClassifyDrag(0, 0, 17, -17), DragAction::Unzoom);
    EXPECT_EQ(ClassifyDrag(0, 0, -17, 17), DragAction::Unzoom);

    ChartGeometry g;
    g.x = {0, 100, 0, 1000};
    g.y = {0, 6000, 600, 0};
    EXPECT_EQ(RangesUnder(g, 100, 150, 500, 450), (AxisRanges{10, 50, 1500, 4500}));
}

TEST_F(ChartLayout, PrintedRectangleKeepsFifteenPercentMargins) {
    EXPECT_EQ(PrintRect(1000, 700), (DotRect{150, 105, 850, 595}));
    EXPECT_EQ(PrintRect(1010, 10), (DotRect{152, 2, 858, 8}));  // 151.5 and 1.5 round up
    EXPECT_EQ(PrintRect(9921, 7016), (DotRect{1488, 1052, 8433, 5964}));
}

TEST_F(ChartLayout, SegmentsAreCutToTheReachableBox) {
    const PixelRect box{0, 0, 100, 50};
    double x0 = 10.25, y0 = 5.5, x1 = 90.125, y1 = 45.75;
    ASSERT_TRUE(ClipSegment(box, x0, y0, x1, y1));
    EXPECT_EQ(x0, 10.25);
    EXPECT_EQ(y1, 45.75);

    x0 = -100, y0 = 25, x1 = 200, y1 = 25;
    ASSERT_TRUE(ClipSegment(box, x0, y0, x1, y1));
    EXPECT_DOUBLE_EQ(x0, 0);
    EXPECT_DOUBLE_EQ(x1, 100);

    // A zoom can put an end a trillion pixels away; what is left keeps the direction.
    x0 = 50, y0 = 25, x1 = 1e12, y1 = 1e12 + 25;
    ASSERT_TRUE(ClipSegment(box, x0, y0, x1, y1));
    EXPECT_NEAR(x1, 75, 1e-6);
    EXPECT_DOUBLE_EQ(y1, 50);

    x0 = -10, y0 = -10, x1 = 200, y1 = -1;
    EXPECT_FALSE(ClipSegment(box, x0, y0, x1, y1));
    x0 = 120, y0 = 0, x1 = 120, y1 = 50;
    EXPECT_FALSE(ClipSegment(box, x0, y0, x1, y1));
}

}  // namespace
}  // namespace kelm
