#include "chart/chartlayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/numtext.h"
#include "core/fixed_measure.h"

namespace kelm {
namespace {

using Lines = std::vector<std::string>;

using testing::FixedMeasure;

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

TEST_F(ChartLayout, FractionalTickStepsForAxesThatAskForDecimals) {
    struct Step {
        double range, maxLabels;
        int decimals;
        double step;
    };
    const Step steps[] = {
        {9, 18, 1, 0.5},                          // a main pair from 1 to 10 on a wide panel
        {9, 18, 0, 1},                            // whole numbers never go below 1
        {9, 1000, 1, 0.1},                        // nor one decimal below 0.1
        {9, 100, 2, 0.1},                         // 0.09 a label rounds up to the next round step
        {9, 1000, 2, 0.01},                       // two decimals go down to 0.01
        {0.35, 10, 2, 0.05}, {6000, 12, 2, 500},  // decimals change nothing where steps are large
    };
    for (const Step& c : steps)
        EXPECT_DOUBLE_EQ(TickStep(c.range, c.maxLabels, c.decimals), c.step)
            << c.range << " / " << c.maxLabels << ", " << c.decimals;

    struct Decimals {
        double step;
        int most, decimals;
    };
    const Decimals needs[] = {{0.5, 2, 1},  {1, 2, 0},         {20, 2, 0},  {0.05, 2, 2},
                              {0.05, 1, 1}, {0.1 + 0.2, 2, 1}, {0.01, 0, 0}};
    for (const Decimals& c : needs) EXPECT_EQ(TickDecimals(c.step, c.most), c.decimals) << c.step;
}

TEST_F(ChartLayout, AFractionalBottomAxisLabelsItsSteps) {
    GlobalNumberFormat().decimalSeparator = ',';
    const Plot plot(PlotAxis{"Главная пара", 2}, PlotAxis{"Время (с)"});
    const ChartGeometry g = LayOutChart(1200, 600, {1, 10, 0, 30}, measure_, plot);
    // About 1090 pixels for labels as wide as "10,00", 30 plus 20 between: steps of 0.5,
    // shown with the one decimal they need.
    ASSERT_EQ(g.xTicks.size(), 19u);
    EXPECT_EQ(g.xDecimals, 1);
    EXPECT_EQ(TickLabel(g.xTicks[5], g.xDecimals), "3,5");
    EXPECT_EQ(TickLabel(g.xTicks[4], g.xDecimals), "3,0");
    EXPECT_EQ(g.yDecimals, 0);  // the value axis asked for none
}

TEST_F(ChartLayout, ASecondValueAxisTakesItsRoomOnTheRight) {
    GlobalNumberFormat().thousandSeparator = " ";
    const AxisRanges ranges{0, 100, 0, 6000, 0, 200};
    const ChartGeometry one = LayOutChart(1000, 600, ranges, measure_, Plot({}, {}));
    const ChartGeometry two =
        LayOutChart(1000, 600, ranges, measure_, Plot({}, {}, PlotAxis{"Скорость (км/ч)"}));
    EXPECT_EQ(one.series.right, 970);

    ASSERT_TRUE(two.hasY2);
    // Tick 4, gap 2, widest label "200" 18, gap 4, the title's line 10.
    EXPECT_EQ(two.series.right, 970 - 38);
    EXPECT_EQ(two.series.left, one.series.left);
    // Both value axes span the same pixels, each over its own range.
    EXPECT_EQ(two.y2.from, two.y.from);
    EXPECT_EQ(two.y2.to, two.y.to);
    EXPECT_DOUBLE_EQ(two.y2.ToPixel(200), two.y.ToPixel(6000));
    EXPECT_DOUBLE_EQ(two.y2.ToPixel(50), two.y.ToPixel(1500));
    EXPECT_EQ(two.y2Ticks.back(), 200);
    EXPECT_EQ(two.Ranges(), ranges);
}

TEST_F(ChartLayout, AutomaticRangesOfAPlotSkipGapsAndFollowEachAxis) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const auto series = [](std::vector<ChartPoint> points, ValueAxis axis = ValueAxis::Left) {
        PlotSeries s;
        s.points = std::move(points);
        s.axis = axis;
        return s;
    };
    const PlotAxis x{"x", 0, 0, 10}, left{"y", 0, 0, 100}, right{"y2", 0, 0, 50};
    struct Case {
        const char* what;
        Plot plot;
        AxisRanges ranges;
    };
    Case cases[] = {
        {"no points: the empty ranges", Plot(x, left, right), {0, 10, 0, 100, 0, 50}},
        {"a gap counts for no axis", Plot(x, left), {1, 3, 5, 7}},
        {"right-axis points set the right range only", Plot(x, left, right), {1, 4, 5, 7, -2, 9}},
        {"without a right axis they are read on the left", Plot(x, left), {1, 4, -2, 9}},
        {"from zero", Plot(x, PlotAxis{"y", 0, 0, 100, true}), {1, 3, 0, 7}},
        {"one value: the empty span from it up", Plot(x, left), {2, 12, 5, 105}},
    };
    cases[1].plot.series = {series({{1, 5}, {2, nan}, {nan, 100}, {inf, 1}, {3, 7}})};
    cases[2].plot.series = {series({{1, 5}, {3, 7}}),
                            series({{4, -2}, {2, nan}, {2, 9}}, ValueAxis::Right)};
    cases[3].plot.series = cases[2].plot.series;
    cases[4].plot.series = {series({{1, 5}, {3, 7}})};
    cases[5].plot.series = {series({{2, 5}, {2, nan}})};
    for (const Case& c : cases) EXPECT_EQ(AutomaticRanges(c.plot), c.ranges) << c.what;

    EXPECT_FALSE(DataExtents(Plot(x, left)).x.has_value());
    EXPECT_EQ(DataExtents(cases[2].plot).y2, (ValueExtent{-2, 9}));
}

TEST_F(ChartLayout, MarkerCaptionsStandBesideTheirLinesWithoutOverlapping) {
    Plot plot;
    plot.markers = {{.x = 50, .caption = "abc"},    // right of its line
                    {.x = 51, .caption = "def"},    // would overlap the first: below it
                    {.x = 99.5, .caption = "ghi"},  // no room on the right: on the left
                    {.x = 150, .caption = "jkl"},   // out of view
                    {.x = 20},                      // no caption
                    {.x = 20, .caption = "mno"}};   // clear of the others: at the top
    const ChartGeometry g = LayOutChart(1000, 600, {0, 100, 0, 10}, measure_, plot);
    ASSERT_EQ(g.markerCaptions.size(), plot.markers.size());
    const double px = g.x.ToPixel(50), top = g.y.to, h = 10 + 2 * kLabelPadding;
    const double w = 18 + 2 * kLabelPadding;
    EXPECT_EQ(g.markerCaptions[0], (PixelRect{px + 3, top, px + 3 + w, top + h}));
    ASSERT_TRUE(g.markerCaptions[1]);
    EXPECT_GE(g.markerCaptions[1]->top, top + h);
    EXPECT_EQ(g.markerCaptions[1]->left, g.x.ToPixel(51) + 3);
    ASSERT_TRUE(g.markerCaptions[2]);
    EXPECT_EQ(g.markerCaptions[2]->right, g.x.ToPixel(99.5) - 3);
    EXPECT_EQ(g.markerCaptions[2]->top, top);
    EXPECT_FALSE(g.markerCaptions[3]);
    EXPECT_FALSE(g.markerCaptions[4]);
    EXPECT_EQ(g.markerCaptions[5]->top, top);
}

TEST_F(ChartLayout, TheLegendGoesWhereItHidesLeast) {
    Plot plot;
    plot.legend = {{.text = "ab"}, {.text = "abcd"}};
    // Padding 4, sample 24, padding 4, widest text 24, padding 4; two lines and padding.
    EXPECT_EQ(LegendSize(plot.legend, measure_), (std::pair<double, double>{60, 28}));
    const AxisRanges r{0, 100, 0, 100};
    const auto place = [&](const Plot& p) {
        return *LayOutChart(1000, 600, r, measure_, p).legend;
    };
    const ChartGeometry g = LayOutChart(1000, 600, r, measure_, plot);
    const double right = g.x.to - kLegendInset - 60, left = g.x.from + kLegendInset;
    const double top = g.y.to + kLegendInset, bottom = g.y.from - kLegendInset - 28;
    const PixelRect topRight{right, top, right + 60, top + 28};
    const PixelRect topLeft{left, top, left + 60, top + 28};
    const PixelRect bottomRight{right, bottom, right + 60, bottom + 28};

    EXPECT_EQ(place(plot), topRight);  // nothing to hide: the first corner
    PlotSeries high;                   // a line along the top hides under each top place
    high.points = {{0, 95}, {100, 95}};
    plot.series = {high};
    EXPECT_EQ(place(plot), bottomRight);
    PlotSeries falling;  // and one from the top left corner to the bottom right
    falling.points = {{0, 100}, {100, 0}};
    plot.series.push_back(falling);
    EXPECT_EQ(place(plot), (PixelRect{left, bottom, left + 60, bottom + 28}));
    // A gap in the line hides nothing: the top right is free again when the line along the
    // top breaks there.
    plot.series = {high};
    plot.series[0].points = {{0, 95}, {80, 95}, {90, std::nan("")}, {100, 95}};
    EXPECT_EQ(place(plot), topRight);
    // A marker counts too.
    plot.series.clear();
    plot.markers = {{.x = 97}};
    EXPECT_EQ(place(plot), topLeft);
    plot.markers.clear();
    // A place the window fixes is kept, whatever it hides.
    plot.legendPlace = LegendPlace::BottomLeft;
    EXPECT_EQ(place(plot), (PixelRect{left, bottom, left + 60, bottom + 28}));
    // No entries, no legend.
    EXPECT_FALSE(LayOutChart(1000, 600, r, measure_, Plot()).legend.has_value());
}

}  // namespace
}  // namespace kelm
