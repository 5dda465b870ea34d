// Round trips over many random catalogs and settings: what the program writes, it reads
// back the same, and writing that again gives the same bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "base/numtext.h"
#include "catalog/catalogfile.h"
#include "file_test_support.h"
#include "recording_messages.h"
#include "settings/windowsettings.h"

namespace kelm {
namespace {

using testing::ReadBytes;
using testing::RecordingMessages;
using testing::TempFolder;

// A name the catalog file can hold: any bytes but line ends, the end-of-file mark at its
// start, and the marker lines.
std::string RandomName(std::mt19937& rng) {
    std::uniform_int_distribution<int> length(0, 40), byte(1, 255);
    std::string name;
    for (int n = length(rng); n > 0; --n) {
        char c = static_cast<char>(byte(rng));
        if (c == '\r' || c == '\n') c = ' ';
        name += c;
    }
    if (!name.empty() && name[0] == '\x1A') name[0] = 'x';
    if (name == "_" || name == "Riads" || name == "Paras" || name == "Koless") name += '.';
    return name;
}

double RandomNumber(std::mt19937& rng) {
    switch (std::uniform_int_distribution<int>(0, 4)(rng)) {
        case 0:
            return 0;
        case 1:
            return std::uniform_real_distribution<double>(0.5, 5)(rng);
        case 2:
            return std::uniform_real_distribution<double>(-1e6, 1e6)(rng);
        case 3:
            return std::ldexp(std::uniform_real_distribution<double>(1, 2)(rng),
                              std::uniform_int_distribution<int>(-1000, 1000)(rng));
        default:
            return 1.0 / std::uniform_int_distribution<int>(1, 1000)(rng);
    }
}

TEST(Properties, CatalogLoadSaveLoadIsStableForEitherSeparator) {
    RecordingMessages messages;
    TempFolder folder;
    std::mt19937 rng(20261208);
    for (int round = 0; round < 200; ++round) {
        GlobalNumberFormat().decimalSeparator = round % 2 ? '.' : ',';
        Catalog original;
        for (int i = std::uniform_int_distribution<int>(0, 8)(rng); i > 0; --i) {
            auto row = std::make_unique<Riad>();
            row->Name = RandomName(rng);
            for (double& r : row->Ratios) r = RandomNumber(rng);
            original.AppendRow(std::move(row));
        }
        for (int i = std::uniform_int_distribution<int>(0, 8)(rng); i > 0; --i) {
            original.AppendPair(std::make_unique<MainPair>(RandomNumber(rng)));
        }
        for (int i = std::uniform_int_distribution<int>(0, 8)(rng); i > 0; --i) {
            auto tyre = std::make_unique<Koles>();
            tyre->Name = RandomName(rng);
            tyre->Perimeter = static_cast<std::int32_t>(rng());
            original.AppendTyre(std::move(tyre));
        }
        const std::string first = folder / "first.dat", second = folder / "second.dat";
        SaveCatalog(original, first);
        Catalog loaded;
        LoadCatalog(loaded, first);
        ASSERT_EQ(loaded.Rows.Count(), original.Rows.Count());
        ASSERT_EQ(loaded.Pairs.Count(), original.Pairs.Count());
        ASSERT_EQ(loaded.Tyres.Count(), original.Tyres.Count());
        for (std::size_t i = 0; i < loaded.Rows.Count(); ++i) {
            EXPECT_EQ(loaded.Rows[i].Name, original.Rows[i].Name);
            for (int g = 0; g < 6; ++g) {
                EXPECT_EQ(FloatToStr(loaded.Rows[i].Ratios[g]),
                          FloatToStr(original.Rows[i].Ratios[g]));
            }
        }
        for (std::size_t i = 0; i < loaded.Tyres.Count(); ++i) {
            EXPECT_EQ(loaded.Tyres[i].Name, original.Tyres[i].Name);
            EXPECT_EQ(loaded.Tyres[i].Perimeter, original.Tyres[i].Perimeter);
        }
        SaveCatalog(loaded, second);
        ASSERT_EQ(ReadBytes(second), ReadBytes(first)) << "round " << round;
    }
    EXPECT_TRUE(messages.shown.empty());
    GlobalNumberFormat().decimalSeparator = ',';
}

TEST(Properties, SettingsSaveOpenSaveIsByteIdentical) {
    TempFolder folder;
    std::mt19937 rng(7);
    const auto flag = [&] { return rng() % 2 == 0; };
    const auto text = [&] {
        std::string t = RandomName(rng);
        if (t.size() > 2047) t.resize(2047);
        return t;
    };
    for (int round = 0; round < 200; ++round) {
        WindowSettings s;
        s.FormMax = flag();
        s.FormHeight = static_cast<std::int32_t>(rng());
        s.FormWidth = static_cast<std::int32_t>(rng());
        s.SE1 = static_cast<std::int32_t>(rng() % 100001);
        s.CB1 = flag(), s.CB2 = flag(), s.CB3 = flag(), s.CB4 = flag();
        s.ComboBox1 = text(), s.ComboBox2 = text(), s.ComboBox4 = text();
        s.ComboBox5 = text(), s.ComboBox7 = text(), s.ComboBox8 = text();
        s.ColorBox1 = static_cast<std::int32_t>(rng() & 0xFFFFFF);
        s.ColorBox2 = static_cast<std::int32_t>(rng() & 0xFFFFFF);
        const std::string path = folder / ("Kelm" + std::to_string(round % 3) + ".ini");
        WriteWindowSettings(path, s);
        const std::string first = ReadBytes(path);
        const WindowSettings read = ReadWindowSettings(path);
        ASSERT_EQ(read, s) << "round " << round;
        WriteWindowSettings(path, read);
        ASSERT_EQ(ReadBytes(path), first) << "round " << round;
    }
}

}  // namespace
}  // namespace kelm
