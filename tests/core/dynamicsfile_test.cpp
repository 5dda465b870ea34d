#include "dynamics/dynamicsfile.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdint>
#include <filesystem>
#include <random>

#include "dynamics/dynamicsjson.h"
#include "dynamics/sample.h"
#include "file_test_support.h"
#include "recording_messages.h"

namespace kelm {
namespace {

using testing::ReadBytes;
using testing::RecordingMessages;
using testing::TempFolder;
using testing::WriteBytes;

// Every double of the data by its bits: == on doubles cannot tell 0 from -0.
std::vector<std::uint64_t> Bits(const DynamicsData& d) {
    std::vector<std::uint64_t> bits;
    const auto add = [&](double v) { bits.push_back(std::bit_cast<std::uint64_t>(v)); };
    for (const auto& e : d.Engines) {
        for (const auto& p : e.Torque) add(p.rpm), add(p.torque);
    }
    for (const auto& c : d.Cars) {
        for (const auto& f : CarFields()) add(c.*f.Member);
    }
    for (const auto& f : RunNumberFields()) add(d.Run.*f.Member);
    return bits;
}

// Any double of the range: its ends, next to its ends, a short decimal, or any bit pattern
// that falls inside (17 significant digits, tiny fractions).
double AnyIn(ValueRange r, std::mt19937_64& rng) {
    switch (rng() % 6) {
        case 0:
            return r.min == 0 && rng() % 2 ? -0.0 : r.min;
        case 1:
            return r.max;
        case 2:
            return std::nextafter(r.min, r.max);
        case 3:
            return std::nextafter(r.max, r.min);
        case 4:
            return std::round(std::uniform_real_distribution<double>(r.min, r.max)(rng) * 1000) /
                   1000;
        default:
            return std::uniform_real_distribution<double>(r.min, r.max)(rng);
    }
}

std::string AnyName(std::mt19937_64& rng, std::size_t index) {
    static const char* const kPieces[] = {
        "Седан", " ", "\"", "\\", "\t", "\n", "л.с.", "\xF0\x9F\x9A\x97", "/", "\x01", "1,6", "é"};
    std::string name;
    for (std::size_t i = rng() % 6; i > 0; --i) name += kPieces[rng() % std::size(kPieces)];
    return name + std::to_string(index);  // unique in its list
}

DynamicsData AnyData(std::mt19937_64& rng) {
    DynamicsData d;
    for (std::size_t i = rng() % 4; i > 0; --i) {
        Stored<Engine> e;
        e.Name = AnyName(rng, i);
        const std::size_t points = Engine::kMinPoints + rng() % 8;
        double rpm = AnyIn({1, 100}, rng);
        for (std::size_t p = 0; p < points; ++p) {
            e.Torque.push_back({rpm, AnyIn(Engine::kTorqueRange, rng)});
            rpm = p + 2 == points ? Engine::kSpeedRange.max : std::nextafter(rpm * 1.7, 1e9);
        }
        d.Engines.push_back(std::move(e));
    }
    for (std::size_t i = rng() % 4; i > 0; --i) {
        Stored<Car> c;
        c.Name = AnyName(rng, i);
        for (const auto& f : CarFields()) c.*f.Member = AnyIn(f.Range, rng);
        if (rng() % 2) c.Extra = R"({"later":{"a":[1,-2.5e-300,"ж"],"b":null}})";
        d.Cars.push_back(std::move(c));
    }
    d.Run.Engine1 = AnyName(rng, 0);
    d.Run.Shift = rng() % 2 ? ShiftRule::Best : ShiftRule::Max;
    d.Run.Launch = AnyIn(RunSettings::kLaunchRange, rng);
    d.Run.ShiftTime = AnyIn(RunSettings::kShiftTimeRange, rng);
    d.Run.PairFrom = AnyIn({1, 5}, rng);
    d.Run.PairTo = AnyIn({5, 10}, rng);
    return d;
}

TEST(DynamicsText, SavedDataLoadsBackBitForBitAndSavesToTheSameBytes) {
    std::mt19937_64 rng(20);
    for (int i = 0; i < 300; ++i) {
        const DynamicsData data = AnyData(rng);
        ASSERT_FALSE(DataProblem(data)) << *DataProblem(data);
        const std::string text = DynamicsText(data);
        const DynamicsRead read = ReadDynamicsText(text);
        ASSERT_TRUE(read.Problems.empty()) << read.Problems[0] << "\n" << text;
        ASSERT_EQ(read.Data, data) << text;
        ASSERT_EQ(Bits(read.Data), Bits(data)) << text;
        ASSERT_EQ(DynamicsText(read.Data), text);
    }
}

TEST(DynamicsText, NumbersAreWrittenAsAPersonTypesThem) {
    // 100000 tops several ranges; the shortest forms would be "1e+05" and "5e-04".  Without
    // its exponent 1.5e-17 would take too many digits.
    for (const auto& [value, text] :
         {std::pair{100000.0, "100000"}, {0.0005, "0.0005"}, {1.5e-17, "1.5e-17"}}) {
        SCOPED_TRACE(text);
        DynamicsData data;
        data.Engines.push_back({{"A", {{1, value}, {2, 0}}}, {}});
        const std::string saved = DynamicsText(data);
        EXPECT_NE(saved.find(std::string("[1, ") + text + "]"), std::string::npos) << saved;
        EXPECT_EQ(Bits(ReadDynamicsText(saved).Data), Bits(data));
    }
}

// Restores the C library's locale at the end of a test.
struct CLocale {
    ~CLocale() { std::setlocale(LC_ALL, "C"); }
};

TEST(DynamicsText, NumbersKeepTheirPointAndValueUnderARussianLocale) {
    std::mt19937_64 rng(21);
    std::vector<DynamicsData> data;
    std::vector<std::string> texts;
    for (int i = 0; i < 50; ++i) {
        data.push_back(AnyData(rng));
        texts.push_back(DynamicsText(data.back()));
    }
    CLocale restore;
    ASSERT_TRUE(std::setlocale(LC_ALL, "ru_RU.UTF-8")) << "scripts/install-deps makes it";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    for (std::size_t i = 0; i < data.size(); ++i) {
        EXPECT_EQ(DynamicsText(data[i]), texts[i]);
        const DynamicsRead read = ReadDynamicsText(texts[i]);
        EXPECT_TRUE(read.Problems.empty());
        EXPECT_EQ(Bits(read.Data), Bits(data[i]));
    }
    EXPECT_EQ(ReadDynamicsText(SampleDynamicsText()).Data.Cars[0].Cx, 0.48);
}

TEST(DynamicsText, TheSampleIsInTheProgramsOwnLayoutWithTheWorkedExamplesRecords) {
    const DynamicsRead read = ReadDynamicsText(SampleDynamicsText());
    ASSERT_TRUE(read.Problems.empty()) << read.Problems[0];
    EXPECT_EQ(DynamicsText(read.Data), SampleDynamicsText());
    const DynamicsData& d = read.Data;
    EXPECT_GE(d.Engines.size(), 3u);
    EXPECT_GE(d.Cars.size(), 3u);
    const Engine* engine = d.FindEngine("1,6 л 80 л.с.");
    ASSERT_TRUE(engine);
    EXPECT_EQ(engine->Torque, (std::vector<TorquePoint>{{1000, 95},
                                                        {2000, 112},
                                                        {3000, 121},
                                                        {4000, 118},
                                                        {5000, 110},
                                                        {5400, 104},
                                                        {6000, 94}}));
    const Car* car = d.FindCar("Седан 1120 кг");
    ASSERT_TRUE(car);
    EXPECT_EQ(*car, (Car{"Седан 1120 кг", 1120, 0.48, 1.8, 0.015, 0.9, 0.5, 0.8, 0.04, 0.04}));
    for (const auto* name : {&d.Run.Engine1, &d.Run.Engine2}) EXPECT_TRUE(d.FindEngine(*name));
    for (const auto* name : {&d.Run.Car1, &d.Run.Car2}) EXPECT_TRUE(d.FindCar(*name));
}

TEST(DynamicsText, MembersThisVersionDoesNotKnowAreKeptAtEveryLevel) {
    const std::string text = R"({"format": "Kelm dynamics", "version": 1, "comment": "мой",
      "engines": [{"colour": "red", "name": "A", "torque": [[1000, 95], [2000, 112]],
                   "limits": {"rpm": [6000, 6500], "note": null, "big": 18446744073709551615}}],
      "cars": [{"name": "B", "mass": 1120, "cx": 0.48, "area": 1.8, "rolling": 0.015,
                "efficiency": 0.9, "driven": 0.5, "grip": 0.8, "tyres": {"front": 1.5e-7}}],
      "run": {"engine1": "A", "units": ["km/h", true]},
      "later": {"a": {"b": [{}, []]}}})";
    const DynamicsRead first = ReadDynamicsText(text);
    ASSERT_TRUE(first.Problems.empty()) << first.Problems[0];
    EXPECT_EQ(first.Data.Extra, R"({"comment":"мой","later":{"a":{"b":[{},[]]}}})");
    EXPECT_EQ(first.Data.Engines[0].Extra,
              R"({"colour":"red","limits":{"rpm":[6000,6500],"note":null,)"
              R"("big":18446744073709551615}})");
    EXPECT_EQ(first.Data.Cars[0].Extra, R"({"tyres":{"front":1.5e-07}})");
    EXPECT_EQ(first.Data.Cars[0].DeltaWheels, 0.04);  // not given: the default
    EXPECT_EQ(first.Data.Run.Extra, R"({"units":["km/h",true]})");

    const std::string saved = DynamicsText(first.Data);
    const DynamicsRead again = ReadDynamicsText(saved);
    EXPECT_TRUE(again.Problems.empty());
    EXPECT_EQ(again.Data, first.Data);
    // Written after the known members of their own object, pretty-printed in place.
    EXPECT_NE(saved.find("      \"torque\": [\n        [1000, 95],\n        [2000, 112]\n"
                         "      ],\n      \"colour\": \"red\",\n      \"limits\": {\n"
                         "        \"rpm\": [\n          6000,"),
              std::string::npos)
        << saved;
}

// Each kind of bad input: what the message says, and which records are loaded.  Files are
// written as the fixture's Sample with one part replaced.
struct BadInput {
    const char* what;
    std::string text;
    std::vector<std::string> said;  // in the one message, after the file's path
    std::vector<std::string> engines, cars;
    double launch = 2500;  // the run's, which a cut-off file must not give as "2"
};

const std::string kEngineA = R"({"name": "A", "torque": [[1000, 95], [2000, 112]]})";
const std::string kEngineB = R"({"name": "B", "torque": [[1000, 95], [2000, 112]]})";
const std::string kCar =
    R"({"name": "C", "mass": 1120, "cx": 0.48, "area": 1.8, "rolling": 0.015,
        "efficiency": 0.9, "driven": 0.5, "grip": 0.8})";

std::string File(const std::string& engines, const std::string& cars = kCar,
                 const std::string& run = R"({"engine1": "A", "launch": 2500})") {
    return "{\"format\": \"Kelm dynamics\", \"version\": 1,\n\"engines\": [" + engines +
           "],\n\"cars\": [" + cars + "],\n\"run\": " + run + "}\n";
}

std::string CarWith(const std::string& from, const std::string& to) {
    std::string car = kCar;
    car.replace(car.find(from), from.size(), to);
    return car;
}

std::string Nested(int depth) {
    return std::string(static_cast<std::size_t>(depth), '[') +
           std::string(static_cast<std::size_t>(depth), ']');
}

const std::vector<BadInput> kBadInputs = {
    {"not JSON", "Engines: A, B", {"строка 1, знак 1: ошибка в записи JSON"}, {}, {}},
    {"a missing field",
     File(kEngineA, CarWith(R"("mass": 1120, )", "")),
     {"автомобиль «C»: поле \"mass\": отсутствует"},
     {"A"},
     {}},
    {"an out-of-range value",
     File(kEngineA, CarWith("1120", "50")),
     {"автомобиль «C»: поле \"mass\": 50 — вне пределов от 100 до 100000"},
     {"A"},
     {}},
    {"speeds not rising",
     File(R"({"name": "A", "torque": [[1000, 95], [3000, 112], [2000, 121]]}, )" + kEngineB),
     {"двигатель «A»: поле \"torque\": точка 3: обороты 2000 не больше, чем в точке 2 (3000)"},
     {"B"},
     {"C"}},
    {"a name used twice",
     File(kEngineA + ", " + kEngineB + ", " + kEngineA),
     {"двигатель № 3: поле \"name\": имя «A» уже есть у записи № 1"},
     {"A", "B"},
     {"C"}},
    {"a truncated file",
     File(kEngineA + ", " + kEngineB).substr(0, File(kEngineA + ", " + kEngineB).find("112]]}]")),
     {"файл обрывается (строка 2", "двигатель «B»: запись оборвана"},
     {"A"},
     {}},
    {"a file cut inside a number of the run",
     File(kEngineA).substr(0, File(kEngineA).find("500}")),
     {"файл обрывается"},
     {"A"},
     {"C"}},
    {"a wrong type",
     File(kEngineA, CarWith("1120", "\"1120\"")),
     {"автомобиль «C»: поле \"mass\": нужно число"},
     {"A"},
     {}},
    {"a huge number",
     File(kEngineA + ", " + R"({"name": "B", "torque": [[1000, 1e400]]})"),
     {"строка 2, знак 97: число 1e400 слишком велико", "двигатель «B»: поле \"torque\""},
     {"A"},
     {"C"}},
    {"deep nesting",
     File(kEngineA, kCar, "{\"later\": " + Nested(100) + "}"),
     {"вложенность глубже 64 уровней"},
     {"A"},
     {"C"}},
    {"a member given twice",
     File(kEngineA, CarWith("\"cx\": 0.48", "\"cx\": 0.48, \"cx\": 0.5")),
     {"автомобиль «C»: поле \"cx\": повторяется"},
     {"A"},
     {}},
    {"text that is not UTF-8",
     File(kEngineA + ", " + R"({"name": ")" + std::string("\xC4\xE8\xE7\xE5\xEB\xFC") +
          R"(", "torque": [[1, 2], [3, 4]]})"),
     {"строка 2, знак 75: текст не в кодировке UTF-8", "двигатель № 2: запись оборвана"},
     {"A"},
     {}},
    {"a file of another program",
     R"({"name": "A", "torque": []})",
     {"нет поля \"format\"", "нет поля \"version\"", "нет поля \"engines\"", "нет поля \"cars\""},
     {},
     {}},
    // What a Windows editor leaves is read as it is meant: nothing to say, nothing to keep.
    {"a byte-order mark", "\xEF\xBB\xBF" + File(kEngineA), {}, {"A"}, {"C"}},
    {"CR LF line ends",
     "{\r\n\"format\": \"Kelm dynamics\",\r\n\"version\": 1,\r\n"
     "\"engines\": [" +
         kEngineA + "],\r\n\"cars\": [" + kCar + "]}\r\n",
     {},
     {"A"},
     {"C"}},
};

std::vector<std::string> EngineNames(const DynamicsData& d) {
    std::vector<std::string> names;
    for (const auto& e : d.Engines) names.push_back(e.Name);
    return names;
}
std::vector<std::string> CarNames(const DynamicsData& d) {
    std::vector<std::string> names;
    for (const auto& c : d.Cars) names.push_back(c.Name);
    return names;
}

TEST(DynamicsFile, BadInputIsToldOnceLoadsTheValidRecordsAndIsKeptAtTheFirstSave) {
    for (const BadInput& bad : kBadInputs) {
        SCOPED_TRACE(bad.what);
        TempFolder dir;
        const std::string path = dir / "Kelm-dynamics.json";
        WriteBytes(path, bad.text);
        RecordingMessages messages;
        const DynamicsData data = LoadDynamics(path);
        EXPECT_EQ(EngineNames(data), bad.engines);
        EXPECT_EQ(CarNames(data), bad.cars);
        EXPECT_EQ(data.Run.Launch, bad.launch);
        if (bad.said.empty()) {
            EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text;
        } else {
            ASSERT_EQ(messages.shown.size(), 1u);
            const std::string& text = messages.shown[0].text;
            EXPECT_EQ(text.find("Файл двигателей и автомобилей " + path + " прочитан не весь:"), 0u)
                << text;
            for (const auto& piece : bad.said)
                EXPECT_NE(text.find(piece), std::string::npos) << text;
        }
        messages.shown.clear();

        ASSERT_TRUE(SaveDynamics(data, path));
        if (bad.said.empty()) {
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(dir.Names(), std::vector<std::string>{"Kelm-dynamics.json"});
        } else {
            // Nothing is lost: the file as it was is kept, and the user is told where.
            EXPECT_EQ(ReadBytes(path + ".bak"), bad.text);
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text,
                      "Прежнее содержимое файла двигателей и автомобилей сохранено в файле " +
                          path + ".bak: в нём были записи, которые не удалось прочитать.");
        }
        const DynamicsRead saved = ReadDynamicsText(ReadBytes(path));
        EXPECT_TRUE(saved.Problems.empty());
        EXPECT_EQ(saved.Data, data);
        // Once kept, the next save writes without keeping again.
        messages.shown.clear();
        WriteBytes(path + ".bak", "older");
        ASSERT_TRUE(SaveDynamics(data, path));
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(ReadBytes(path + ".bak"), "older");
    }
}

TEST(DynamicsFile, AFileOfALaterVersionIsReadAsFarAsUnderstoodAndNeverOverwritten) {
    TempFolder dir;
    const std::string path = dir / "Kelm-dynamics.json";
    const std::string text = R"({"format": "Kelm dynamics", "version": 2,
      "engines": [{"name": "A", "torque": [[1000, 95, 7.5], [2000, 112, 8]], "turbo": true}],
      "cars": [], "trailers": [{"name": "T"}]})";
    WriteBytes(path, text);
    RecordingMessages messages;
    DynamicsData data = LoadDynamics(path);
    ASSERT_EQ(data.Engines.size(), 1u);
    EXPECT_EQ(data.Engines[0].Torque, (std::vector<TorquePoint>{{1000, 95}, {2000, 112}}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text.find("Файл двигателей и автомобилей " + path +
                                          " записан более новой версией Kelm (версия файла 2)."),
              0u);

    AddCar(data);
    EXPECT_FALSE(SaveDynamics(data, path));
    EXPECT_FALSE(SaveDynamics(data, path));
    EXPECT_EQ(messages.shown.size(), 1u);  // told once, at the load
    EXPECT_EQ(ReadBytes(path), text);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Kelm-dynamics.json"});
}

TEST(DynamicsFile, WithoutAFileTheSampleServesAndTheFirstSaveWritesIt) {
    TempFolder dir;
    const std::string path = dir / "Kelm-dynamics.json";
    RecordingMessages messages;
    const DynamicsData data = LoadDynamics(path);
    EXPECT_EQ(data, SampleDynamics());
    EXPECT_TRUE(dir.Names().empty());
    ASSERT_TRUE(SaveDynamics(data, path));
    EXPECT_EQ(ReadBytes(path), SampleDynamicsText());
    EXPECT_TRUE(messages.shown.empty());
}

TEST(DynamicsFile, AFileChangedByAnotherProgramIsKeptBeforeTheSave) {
    TempFolder dir;
    const std::string path = dir / "Kelm-dynamics.json";
    RecordingMessages messages;
    DynamicsData data = LoadDynamics(path);  // no file yet: one that appears is another's
    const std::string theirs = File(kEngineB);
    WriteBytes(path, theirs);
    ASSERT_TRUE(SaveDynamics(data, path));
    EXPECT_EQ(ReadBytes(path + ".bak"), theirs);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Файл двигателей и автомобилей был изменён другой программой. Его прежнее "
              "содержимое сохранено в файле " +
                  path + ".bak.");
    // What this program wrote is what it knows now: the next save has nothing to keep.
    ASSERT_TRUE(SaveDynamics(data, path));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(ReadBytes(path + ".bak"), theirs);
}

TEST(DynamicsFile, ASaveThatCannotBeDoneSaysWhyAndChangesNothing) {
    TempFolder dir;
    RecordingMessages messages;
    const std::string missing = dir / "нет/Kelm-dynamics.json";
    EXPECT_FALSE(SaveDynamics(SampleDynamics(), missing));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Не удалось сохранить файл двигателей и автомобилей " +
                                          missing + ": папка «" + (dir / "нет") + "» не найдена.");

    // A folder in the file's place is told of at the load and left alone at the save.
    const std::string folder = dir / "Kelm-dynamics.json";
    std::filesystem::create_directory(folder);
    EXPECT_TRUE(LoadDynamics(folder).Engines.empty());
    EXPECT_FALSE(SaveDynamics(SampleDynamics(), folder));
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1].text, "Не удалось прочитать файл двигателей и автомобилей " +
                                          folder + ": под этим именем папка.");
    EXPECT_EQ(messages.shown[2].text, "Не удалось сохранить файл двигателей и автомобилей " +
                                          folder + ": под этим именем уже есть папка.");
    std::filesystem::remove(folder);
    messages.shown.clear();

    // Data that break a rule never reach the file.
    const std::string path = dir / "Kelm-dynamics.json";
    DynamicsData data = SampleDynamics();
    data.Cars[0].Mass = 50;
    EXPECT_FALSE(SaveDynamics(data, path));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              "Файл двигателей и автомобилей " + path +
                  " не сохранён: автомобиль «Седан 1120 кг»: поле \"mass\": 50 — вне пределов "
                  "от 100 до 100000.");
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace kelm
