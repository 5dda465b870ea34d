// The rules of the torque table: the points it adds, the speeds it refuses, the spreadsheet
// text it reads and writes, and the preview it draws.
#include "dynamicsui/curveedit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/number_format.h"

namespace kelm {
namespace {

using Curve = std::vector<TorquePoint>;

const Curve kThree = {{1000, 95}, {2000, 112}, {3000, 121}};

class CommaTest : public ::testing::Test {
    testing::ScopedNumberFormat format_;
};

using PastedCurve = CommaTest;

TEST_F(PastedCurve, TwoPastedColumnsBecomeASortedCurve) {
    const struct {
        const char* what;
        const char* text;
        Curve points;
    } cases[] = {
        {"the header line skipped, decimal comma",
         "Обороты\tМомент\n1000\t95,5\n2000\t112\n",
         {{1000, 95.5}, {2000, 112}}},
        {"no header, decimal point, CR LF",
         "1000\t95.5\r\n2000\t112\r\n",
         {{1000, 95.5}, {2000, 112}}},
        {"out of order, blank lines, no last line end",
         "3000\t121\n\n1000\t95\n  \n2000\t112",
         {{1000, 95}, {2000, 112}, {3000, 121}}},
        {"further columns ignored",
         "1000\t95\t9,9\t13,5\n2000\t112\t23,5\t31,9\n",
         {{1000, 95}, {2000, 112}}},
        {"semicolons, as a Russian CSV file",
         "об/мин;Н·м\n1000;95,5\n2000;112\n",
         {{1000, 95.5}, {2000, 112}}},
        {"blanks between the numbers", "1000   95,5\n2000 112\n", {{1000, 95.5}, {2000, 112}}},
        {"three-digit numbers and further columns between blanks",
         "800 120\n5400 104 58,8 80,0\n",
         {{800, 120}, {5400, 104}}},
        {"a header of one caption",
         "Кривая момента\n1000\t95\n2000\t112\n",
         {{1000, 95}, {2000, 112}}},
        {"digit groups",
         "1\xC2\xA0"
         "000\t95\n2 000\t112\n",
         {{1000, 95}, {2000, 112}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CurveRead read = ReadCurveText(c.text);
        EXPECT_EQ(read.problem, "");
        EXPECT_EQ(read.points, c.points);
    }
}

TEST_F(PastedCurve, AWrongLineOrCurveIsNamedAndNothingIsRead) {
    std::string sixtyFive;
    for (int i = 1; i <= 65; ++i) sixtyFive += std::to_string(i * 100) + "\t100\n";
    const struct {
        const char* what;
        std::string text;
        std::string problem;
    } cases[] = {
        {"a line that is not two numbers", "1000\t95\nabc\t5\n2000\t100",
         "строка 2: «abc\t5» — не два числа (обороты и момент)"},
        {"a first point with a mistake is no header", "1000\t95x\n2000\t112\n3000\t121",
         "строка 1: «1000\t95x» — не два числа (обороты и момент)"},
        {"a first point in English digit groups", "1,000.5\t95\n2000\t112\n3000\t121",
         "строка 1: «1,000.5\t95» — не два числа (обороты и момент)"},
        {"digit groups and columns both parted by blanks", "1 000 95\n2 000 112\n",
         "строка 1: «1 000 95» — не понять, где кончаются обороты: пробелы и между числами, и "
         "между разрядами; разделите столбцы табуляцией или точкой с запятой"},
        {"a second header", "1000\t95\nОбороты\tМомент\n2000\t100",
         "строка 2: «Обороты\tМомент» — не два числа (обороты и момент)"},
        {"one cell only", "Обороты\tМомент\n1000\n2000\t100",
         "строка 2: «1000» — не два числа (обороты и момент)"},
        {"a speed out of range", "0\t95\n2000\t100",
         "строка 1: обороты 0 — вне пределов от 1 до 100000"},
        {"a torque out of range", "\n1000\t95\n2000\t-5",
         "строка 3: момент -5 — вне пределов от 0 до 100000"},
        {"a speed twice", "2000\t100\n1000\t95\n2000\t90",
         "обороты 2000 повторяются (строки 1 и 3)"},
        {"one point", "Обороты\tМомент\n1000\t95\n", "строк с точками 1, а нужно от 2 до 64"},
        {"too many points", sixtyFive, "строк с точками 65, а нужно от 2 до 64"},
        {"the header alone", "Обороты\tМомент\n",
         "нет ни одной строки с двумя числами (обороты и момент)"},
        {"nothing", "", "нет ни одной строки с двумя числами (обороты и момент)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CurveRead read = ReadCurveText(c.text);
        EXPECT_EQ(read.problem, c.problem);
        EXPECT_TRUE(read.points.empty());
    }
}

TEST_F(PastedCurve, OneCellIsANumberWhoseBlanksOnlyPartDigitGroups) {
    const struct {
        const char* text;
        std::optional<double> number;
    } cases[] = {
        {"1 000", 1000},
        {"-12 345 678,5", -12345678.5},
        {"800 95", std::nullopt},  // a speed and a torque, not 80095
        {"1000 000", std::nullopt},
        {"1 000 95", std::nullopt},
        {"1 0000", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadPastedNumber(c.text), c.number);
    }
}

TEST_F(PastedCurve, TheCopiedTableReadsBackToTheSameCurve) {
    const Curve curve = {{800.5, 0}, {1234.5678, 95.25}, {6000, 100000}, {100000, 0.001}};
    const std::string text = CurveText(curve);
    EXPECT_EQ(text.substr(0, text.find('\n')),
              "Обороты, об/мин\tМомент, Н·м\tМощность, кВт\tМощность, л.с.");
    EXPECT_NE(text.find("\n6000\t100000\t62831,8\t85427,4\n"), std::string::npos);
    EXPECT_EQ(ReadCurveText(text).points, curve);
}

TEST(CurveEdit, TheAddedPointGoesHalfwayOrBeyondTheLast) {
    const struct {
        const char* what;
        Curve curve;
        std::optional<std::size_t> after;
        std::optional<NewPoint> added;
        std::string problem;
    } cases[] = {
        {"between the first two, with the curve's torque", kThree, 0, NewPoint{1, {1500, 103.5}},
         ""},
        {"after the last: 500 further, its torque", kThree, 2, NewPoint{3, {3500, 121}}, ""},
        {"no point chosen: after the last", kThree, std::nullopt, NewPoint{3, {3500, 121}}, ""},
        {"a chosen row past the end: after the last", kThree, 9, NewPoint{3, {3500, 121}}, ""},
        {"the last at the highest speed: below it",
         {{99000, 10}, {100000, 20}},
         1,
         NewPoint{1, {99500, 15}},
         ""},
        {"up to the highest speed", {{1000, 10}, {99800, 20}}, 1, NewPoint{2, {100000, 20}}, ""},
        {"halfway is not a whole number", {{1, 1}, {2, 2}}, 0, NewPoint{1, {1.5, 1.5}}, ""},
        {"an empty curve", {}, std::nullopt, NewPoint{0, {1000, 100}}, ""},
        {"no speed between",
         {{1, 0}, {std::nextafter(1.0, 2.0), 0}},
         0,
         std::nullopt,
         "между точками 1 и 2 нет свободных оборотов"},
        {"one point at the highest speed",
         {{100000, 5}},
         0,
         std::nullopt,
         "выше последних оборотов точку добавить нельзя"},
        {"a full curve", Curve(Engine::kMaxPoints, {1000, 1}), 0, std::nullopt,
         "в кривой уже 64 точки, больше нельзя"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string problem;
        const auto added = PointToAdd(c.curve, c.after, &problem);
        ASSERT_EQ(added.has_value(), c.added.has_value());
        if (added) {
            EXPECT_EQ(added->place, c.added->place);
            EXPECT_EQ(added->point, c.added->point);
        }
        EXPECT_EQ(problem, c.problem);
    }
}

TEST_F(CommaTest, ASpeedIsRefusedOutOfRangeOrTwiceAndOtherwiseFindsItsPlace) {
    const struct {
        std::size_t row;
        double rpm;
        std::optional<std::string> problem;
        std::size_t place;
    } cases[] = {
        {0, 2500, std::nullopt, 1},
        {0, 3500, std::nullopt, 2},
        {2, 500, std::nullopt, 0},
        {1, 2000, std::nullopt, 1},  // its own speed again
        {1, 1500.5, std::nullopt, 1},
        {0, 3000, "3000 уже есть в точке 3: обороты точек не должны повторяться", 0},
        {2, 0.5, "0,5 — вне пределов от 1 до 100000", 0},
        {0, 100001, "100001 — вне пределов от 1 до 100000", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + " → " + std::to_string(c.rpm));
        EXPECT_EQ(SpeedProblem(kThree, c.row, c.rpm), c.problem);
        if (!c.problem) {
            EXPECT_EQ(SortedPlace(kThree, c.row, c.rpm), c.place);
        }
    }
    EXPECT_EQ(TorqueProblem(-1), "-1 — вне пределов от 0 до 100000");
    EXPECT_EQ(TorqueProblem(0), std::nullopt);
}

TEST(CurveEdit, ThePreviewShowsTorqueAndThePowerOfTheLinearCurveOnTheRightAxis) {
    Engine engine;
    engine.Torque = {{1000, 95},  {2000, 112}, {3000, 121}, {4000, 118},
                     {5000, 110}, {5400, 104}, {6000, 94}};
    const Plot plot = CurvePlot(engine.Torque);
    ASSERT_TRUE(plot.right);
    ASSERT_EQ(plot.series.size(), 3u);
    ASSERT_EQ(plot.legend.size(), 2u);
    EXPECT_EQ(plot.legend[0].text, "Момент, Н·м");
    EXPECT_EQ(plot.legend[1].text, "Мощность, кВт");
    const PlotSeries& power = plot.series[0];
    const PlotSeries& torque = plot.series[2];
    EXPECT_FALSE(plot.OnRight(torque));
    EXPECT_TRUE(plot.OnRight(power));
    ASSERT_EQ(torque.points.size(), engine.Torque.size());
    for (std::size_t i = 0; i < torque.points.size(); ++i) {
        EXPECT_EQ(torque.points[i], (ChartPoint{engine.Torque[i].rpm, engine.Torque[i].torque}));
    }
    // Between the points the power is the linear torque's: P = M(n)·n / 9549.3, drawn at
    // speeds between them, so its peak beyond the last but one point shows.
    EXPECT_GT(power.points.size(), 4 * engine.Torque.size());
    double peak = 0;
    for (const ChartPoint& p : power.points) {
        EXPECT_NEAR(p.y, engine.TorqueAt(p.x) * p.x / 9549.3, 1e-9) << p.x;
        peak = std::max(peak, p.y);
    }
    EXPECT_GT(peak, 59.0);  // above the 58.8 kW of the point at 5400 rev/min
    EXPECT_EQ(power.points.front().x, 1000);
    EXPECT_EQ(power.points.back().x, 6000);

    const Plot empty = CurvePlot({});
    for (const PlotSeries& s : empty.series) EXPECT_TRUE(s.points.empty());
}

TEST(CurveEdit, WordsAndNamesInMessages) {
    const std::pair<std::size_t, const char*> counts[] = {
        {1, "1 точка"},   {2, "2 точки"},     {4, "4 точки"},   {5, "5 точек"},
        {11, "11 точек"}, {12, "12 точек"},   {21, "21 точка"}, {22, "22 точки"},
        {64, "64 точки"}, {111, "111 точек"}, {0, "0 точек"},
    };
    for (const auto& [n, text] : counts) EXPECT_EQ(PointsText(n), text);

    EXPECT_EQ(ShortName("Седан", 5), "Седан");
    EXPECT_EQ(ShortName("Седан 1120", 5), "Седа…");  // cut between letters, not bytes
    EXPECT_EQ(ShortName(std::string(300, 'x')).size(), 59 + std::string("…").size());
}

}  // namespace
}  // namespace kelm
