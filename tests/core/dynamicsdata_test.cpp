#include "dynamics/dynamicsdata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelm {
namespace {

std::string Repeat(std::string_view piece, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += piece;
    return s;
}

TEST(DynamicsRules, NamesAreNonEmptyUtf8OfAtMost255Characters) {
    EXPECT_FALSE(NameProblem("Седан 1120 кг"));
    EXPECT_FALSE(NameProblem(Repeat("ж", 255)));    // 510 bytes, 255 characters
    EXPECT_FALSE(NameProblem("\xF0\x9F\x9A\x97"));  // a character beyond the first plane
    const struct {
        std::string name;
        std::string text;
    } refused[] = {
        {"", "имя пустое"},
        {Repeat("ж", 256), "имя длиннее 255 знаков (256)"},
        {"\xC6\xE8\xE3\xF3\xEB\xE8", "имя не в кодировке UTF-8"},  // Windows-1251
        {"\xC0\xAF", "имя не в кодировке UTF-8"},                  // an overlong "/"
        {"\xED\xA0\x80", "имя не в кодировке UTF-8"},              // a surrogate
        {"\xF4\x90\x80\x80", "имя не в кодировке UTF-8"},          // beyond U+10FFFF
        {"ж\xD0", "имя не в кодировке UTF-8"},                     // cut inside a character
    };
    for (const auto& r : refused) {
        EXPECT_EQ(NameProblem(r.name), (FieldProblem{"name", r.text})) << r.name;
    }
}

TEST(DynamicsRules, CurvesHave2To64PointsInRangeWithRisingSpeeds) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<TorquePoint> many;
    for (int i = 1; i <= 65; ++i) many.push_back({i * 100.0, 100});
    const struct {
        std::vector<TorquePoint> curve;
        std::string text;  // empty: accepted
    } cases[] = {
        {{{1, 0}, {100000, 100000}}, ""},
        {{{1000, 95}}, "точек 1, а нужно от 2 до 64"},
        {{many.begin(), many.begin() + 64}, ""},
        {many, "точек 65, а нужно от 2 до 64"},
        {{{1000, 95}, {2000, 112}, {2000, 121}},
         "точка 3: обороты 2000 не больше, чем в точке 2 (2000): обороты должны возрастать"},
        {{{2000, 95}, {1000, 112}},
         "точка 2: обороты 1000 не больше, чем в точке 1 (2000): обороты должны возрастать"},
        {{{0.5, 95}, {1000, 112}}, "точка 1: обороты 0,5 — вне пределов от 1 до 100000"},
        {{{1000, 95}, {2000, -1}}, "точка 2: момент -1 — вне пределов от 0 до 100000"},
        {{{1000, nan}, {2000, 1}}, "точка 1: момент не число — вне пределов от 0 до 100000"},
    };
    for (const auto& c : cases) {
        const auto p = CurveProblem(c.curve);
        if (c.text.empty()) {
            EXPECT_FALSE(p) << p->Text;
        } else {
            EXPECT_EQ(p, (FieldProblem{"torque", c.text}));
        }
    }
}

TEST(DynamicsRules, EveryNumberOfACarAndARunIsHeldToItsRangeBothEndsIncluded) {
    for (const auto& f : CarFields()) {
        Car car;
        car.Name = "Седан";
        for (double v : {f.Range.min, f.Range.max}) {
            car.*f.Member = v;
            EXPECT_FALSE(CarProblem(car)) << f.Key << " " << v;
        }
        car.*f.Member = std::nextafter(f.Range.min, -1.0);
        const auto below = CarProblem(car);
        ASSERT_TRUE(below) << f.Key;
        EXPECT_EQ(below->Field, f.Key);
        car.*f.Member = std::nextafter(f.Range.max, 1e9);
        EXPECT_EQ(CarProblem(car)->Field, f.Key);
    }
    for (const auto& f : RunNumberFields()) {
        RunSettings run;
        run.PairFrom = run.PairTo = 1;  // so that either pair end may move alone
        if (f.Key == "pair_to") run.PairFrom = f.Range.min;
        if (f.Key == "pair_from") run.PairTo = f.Range.max;
        run.*f.Member = f.Range.max;
        EXPECT_FALSE(RunProblem(run)) << f.Key;
        run.*f.Member = std::nextafter(f.Range.max, 1e9);
        EXPECT_EQ(RunProblem(run)->Field, f.Key);
    }
    RunSettings upsideDown;
    upsideDown.PairFrom = 4.1;
    upsideDown.PairTo = 3.9;
    EXPECT_EQ(RunProblem(upsideDown),
              (FieldProblem{"pair_to", "3,9 меньше начала диапазона пар (4,1)"}));
}

DynamicsData TwoOfEach() {
    DynamicsData d;
    AddEngine(d);
    AddEngine(d);
    AddCar(d);
    AddCar(d);
    return d;
}

TEST(DynamicsEditing, NewAndCopiedRecordsGetTheLowestFreeNumber) {
    DynamicsData d = TwoOfEach();
    EXPECT_EQ(d.Engines[0].Name, "Новый двигатель");
    EXPECT_EQ(d.Engines[1].Name, "Новый двигатель (2)");
    EXPECT_EQ(d.Cars[1].Name, "Новый автомобиль (2)");
    EXPECT_FALSE(DataProblem(d));  // new records are valid as they are

    d.Engines[0].Torque = {{1000, 95}, {6000, 94}};
    d.Engines[0].Extra = R"({"colour":"red"})";
    // The copy goes right after its original and keeps everything but the name.
    EXPECT_EQ(CopyEngine(d, 0), 1u);
    EXPECT_EQ(d.Engines[1].Name, "Новый двигатель (3)");
    EXPECT_EQ(d.Engines[1].Torque, d.Engines[0].Torque);
    EXPECT_EQ(d.Engines[1].Extra, d.Engines[0].Extra);
    // A copy of a numbered name is numbered afresh, not "(2) (2)".
    EXPECT_EQ(CopyEngine(d, 2), 3u);
    EXPECT_EQ(d.Engines[3].Name, "Новый двигатель (4)");

    // At the length limit the name is shortened, by whole characters, to make room.
    ASSERT_FALSE(RenameCar(d, 0, Repeat("ж", 255)));
    const std::size_t copy = CopyCar(d, 0);
    EXPECT_EQ(d.Cars[copy].Name, Repeat("ж", 251) + " (2)");
    EXPECT_FALSE(DataProblem(d));
}

TEST(DynamicsEditing, RenameKeepsNamesUniqueAndTheRunFollows) {
    DynamicsData d = TwoOfEach();
    d.Run.Engine1 = d.Run.Engine2 = d.Engines[0].Name;
    d.Run.Car2 = d.Cars[1].Name;

    EXPECT_FALSE(RenameEngine(d, 0, "1,6 л 80 л.с."));
    EXPECT_EQ(d.Run.Engine1, "1,6 л 80 л.с.");
    EXPECT_EQ(d.Run.Engine2, "1,6 л 80 л.с.");
    EXPECT_EQ(d.FindEngine("1,6 л 80 л.с."), &d.Engines[0]);
    EXPECT_FALSE(RenameEngine(d, 0, "1,6 л 80 л.с."));  // its own name: no change

    const auto taken = RenameEngine(d, 1, "1,6 л 80 л.с.");
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->Text, "имя «1,6 л 80 л.с.» уже есть у другого двигателя");
    EXPECT_EQ(d.Engines[1].Name, "Новый двигатель (2)");
    for (const char* blank : {"", " ", "  \t "}) {
        const auto refused = RenameCar(d, 1, blank);
        ASSERT_TRUE(refused) << '"' << blank << '"';
        EXPECT_EQ(refused->Text, "имя пустое");
    }

    // Names compare byte for byte: a different case or a trailing blank is another name.
    EXPECT_FALSE(RenameEngine(d, 1, "1,6 Л 80 л.с."));
    EXPECT_FALSE(RenameCar(d, 1, "Новый автомобиль "));
    EXPECT_EQ(d.Run.Car2, "Новый автомобиль ");
    EXPECT_EQ(d.CarIndex("Новый автомобиль"), 0u);
}

TEST(DynamicsEditing, DeletingARecordTheRunUsesLeavesThatChoiceEmpty) {
    DynamicsData d = TwoOfEach();
    d.Run.Engine1 = d.Engines[1].Name;
    d.Run.Engine2 = d.Engines[0].Name;
    d.Run.Car1 = d.Cars[0].Name;
    DeleteEngine(d, 1);
    DeleteCar(d, 0);
    EXPECT_EQ(d.Run.Engine1, "");
    EXPECT_EQ(d.Run.Engine2, "Новый двигатель");
    EXPECT_EQ(d.Run.Car1, "");
    ASSERT_EQ(d.Cars.size(), 1u);
    EXPECT_EQ(d.Cars[0].Name, "Новый автомобиль (2)");
}

TEST(DynamicsEditing, DataWithARuleBrokenBehindTheOperationsIsNotWritable) {
    DynamicsData d = TwoOfEach();
    d.Cars[1].Name = d.Cars[0].Name;
    EXPECT_EQ(DataProblem(d), "автомобиль № 2: имя «Новый автомобиль» повторяется");
    d.Cars.pop_back();
    d.Engines[1].Torque.clear();
    EXPECT_EQ(DataProblem(d),
              "двигатель «Новый двигатель (2)»: поле \"torque\": точек 0, а нужно от 2 до 64");
    d.Engines.pop_back();
    d.Run.ShiftTime = 11;
    EXPECT_EQ(DataProblem(d), "выбор расчёта: поле \"shift_time\": 11 — вне пределов от 0 до 10");
}

}  // namespace
}  // namespace kelm
