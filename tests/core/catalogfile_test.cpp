#include "catalog/catalogfile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/numtext.h"
#include "catalog/textfile.h"
#include "file_test_support.h"
#include "recording_messages.h"

namespace kelm {
namespace {

namespace fs = std::filesystem;
using testing::CrLfLines;
using testing::ReadBytes;
using testing::RecordingMessages;
using testing::TempFolder;
using testing::WriteBytes;

const char* const kDiskText = "Не найден файл";
const char* const kDiskCaption = "Ошибка диска!";

std::string Cp(const std::string& utf8) { return *Utf8ToCp1251(utf8); }

// The example catalog: one five-speed row, two pairs, one tyre.
const std::vector<std::string> kExample = {"Riads",
                                           "_",
                                           Cp("Стандартный"),
                                           "3,5",
                                           "2",
                                           "1,4",
                                           "1",
                                           "0,8",
                                           "0",
                                           "Paras",
                                           "_",
                                           "3,9",
                                           "_",
                                           "4,1",
                                           "Koless",
                                           "_",
                                           Cp("Бл 85 165/70-13"),
                                           "1400"};

std::string LfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\n";
    return text;
}

std::vector<std::string> RowNames(const Catalog& c) {
    std::vector<std::string> names;
    for (const auto& r : c.Rows) names.push_back(r->Name);
    return names;
}

std::vector<double> PairValues(const Catalog& c) {
    std::vector<double> values;
    for (const auto& p : c.Pairs) values.push_back(*p);
    return values;
}

// A current reference designates nothing or a record that is in its list.
template <class T>
bool InListOrEmpty(const RecordList<T>& list, const T* current) {
    return current == nullptr || list.IndexOf(current) >= 0;
}

void ExpectNoDanglingReferences(const Catalog& c) {
    EXPECT_TRUE(InListOrEmpty(c.Rows, c.CurrentRow));
    EXPECT_TRUE(InListOrEmpty(c.Pairs, c.CurrentPair));
    EXPECT_TRUE(InListOrEmpty(c.Tyres, c.CurrentTyre));
}

class CatalogFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TakeIOError();
        GlobalNumberFormat().decimalSeparator = ',';
    }
    void TearDown() override { GlobalNumberFormat().decimalSeparator = ','; }

    // Loads the given bytes as the catalog file and returns what the error box would
    // have shown (empty when the load ended normally or silently).
    std::string LoadBytes(const std::string& bytes) {
        WriteBytes(path, bytes);
        std::string error;
        try {
            LoadCatalog(catalog, path);
        } catch (const ConvertError& e) {
            error = ErrorBoxText(e.what());
        }
        return error;
    }

    int DiskMessages() const {
        int n = 0;
        for (const auto& m : messages.shown) {
            if (m.text == kDiskText && m.caption == kDiskCaption && m.icon == MessageIcon::None)
                ++n;
        }
        return n;
    }

    TempFolder folder;
    std::string path = folder / "Kelm.dat";
    RecordingMessages messages;
    Catalog catalog;
};

TEST_F(CatalogFileTest, CheckIOReportsAPendingErrorOnceAndClearsIt) {
    EXPECT_FALSE(CheckIO());
    EXPECT_TRUE(messages.shown.empty());
    SetIOError(ENOSPC);
    SetIOError(EIO);
    EXPECT_TRUE(CheckIO());
    EXPECT_FALSE(CheckIO());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(DiskMessages(), 1);
}

TEST_F(CatalogFileTest, TheExampleLoadsAndLfOnlyLoadsTheSame) {
    for (const std::string& bytes : {CrLfLines(kExample), LfLines(kExample)}) {
        ASSERT_EQ(LoadBytes(bytes), "");
        EXPECT_TRUE(messages.shown.empty());
        ASSERT_EQ(catalog.Rows.Count(), 1u);
        EXPECT_EQ(catalog.Rows[0].Name, Cp("Стандартный"));
        EXPECT_EQ(catalog.Rows[0].Ratios, (std::array<double, 6>{3.5, 2, 1.4, 1, 0.8, 0}));
        EXPECT_EQ(PairValues(catalog), (std::vector<double>{3.9, 4.1}));
        ASSERT_EQ(catalog.Tyres.Count(), 1u);
        EXPECT_EQ(catalog.Tyres[0].Name, Cp("Бл 85 165/70-13"));
        EXPECT_EQ(catalog.Tyres[0].Perimeter, 1400);
        ExpectNoDanglingReferences(catalog);
    }
}

TEST_F(CatalogFileTest, NoFileGivesOneMessageAnEmptyCatalogAndLaterTheThreeSectionLines) {
    catalog.AppendPair(std::make_unique<MainPair>(1.0));
    EXPECT_THROW(LoadCatalog(catalog, path), SilentAbort);
    EXPECT_EQ(DiskMessages(), 1);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(catalog.Pairs.Empty());

    SaveCatalog(catalog, path);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(ReadBytes(path), "Riads\r\nParas\r\nKoless\r\n");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});  // nothing to back up
}

TEST_F(CatalogFileTest, EmptyFileGivesAnEmptyCatalogWithoutMessage) {
    EXPECT_EQ(LoadBytes(""), "");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(catalog.Rows.Empty() && catalog.Pairs.Empty() && catalog.Tyres.Empty());
}

TEST_F(CatalogFileTest, SectionsInAnyOrderAndRepeatedLoadInFileOrderAndSaveInTheUsualOrder) {
    const std::vector<std::string> shuffled = {
        "Koless", "_",     "T1", "1800", "Riads",  "_", "R1", "1",    "2",     "3", "4",  "5",
        "6",      "Paras", "_",  "3,9",  "Koless", "_", "T2", "1900", "Paras", "_", "4,1"};
    ASSERT_EQ(LoadBytes(CrLfLines(shuffled)), "");
    EXPECT_EQ(RowNames(catalog), std::vector<std::string>{"R1"});
    EXPECT_EQ(PairValues(catalog), (std::vector<double>{3.9, 4.1}));
    ASSERT_EQ(catalog.Tyres.Count(), 2u);
    EXPECT_EQ(catalog.Tyres[1].Name, "T2");

    SaveCatalog(catalog, path);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadBytes(path),
              CrLfLines({"Riads", "_", "R1",  "1",      "2", "3",  "4",    "5", "6",  "Paras", "_",
                         "3,9",   "_", "4,1", "Koless", "_", "T1", "1800", "_", "T2", "1900"}));
}

TEST_F(CatalogFileTest, IncompleteRecordsAreDroppedAndExtraLinesIgnored) {
    const std::vector<std::string> lines = {
        "ignored before any section",
        "_",
        "also ignored",
        "Riads",
        "_",
        "Cut short",
        "1",
        "2",  // the next "_" drops it
        "_",
        "Full",
        "1",
        "2",
        "3",
        "4",
        "5",
        "6",
        "7 eighth line",
        "more",
        "Paras",
        "9,9",  // no "_" in this section yet: writes nowhere
        "_",
        "3,9",
        "4,1",  // the second value is beyond the pair's one line
        "Koless",
        "_",
        "T",
        "1800",
        "1900",
        "Riads",
        "_",
        "Four gears only",
        "3,5",
        "2",
        "1,4",
        "1"};
    ASSERT_EQ(LoadBytes(CrLfLines(lines)), "");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(RowNames(catalog), std::vector<std::string>{"Full"});
    EXPECT_EQ(catalog.Rows[0].Ratios, (std::array<double, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(PairValues(catalog), std::vector<double>{3.9});
    ASSERT_EQ(catalog.Tyres.Count(), 1u);
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 1800);
    ExpectNoDanglingReferences(catalog);
}

TEST_F(CatalogFileTest, ASectionLineKeepsTheCounterAndTheRecordUnderConstruction) {
    // The row waits through the pairs section; the pair's line left the counter at 2, so
    // the row's lines go on with the first gear.
    const std::vector<std::string> lines = {
        "Riads", "_", "Interrupted", "Paras", "_", "3,9", "Riads", "1", "2", "3", "4", "5", "6",
        // Once appended, the row takes no more lines, and no new one starts without "_".
        "Paras", "_", "4,1", "Riads", "1", "2", "3", "4", "5", "6"};
    ASSERT_EQ(LoadBytes(CrLfLines(lines)), "");
    EXPECT_EQ(RowNames(catalog), std::vector<std::string>{"Interrupted"});
    EXPECT_EQ(catalog.Rows[0].Ratios, (std::array<double, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(PairValues(catalog), (std::vector<double>{3.9, 4.1}));
}

TEST_F(CatalogFileTest, NumberLinesFollowTheNumberTextRules) {
    ASSERT_EQ(LoadBytes(CrLfLines({"Paras", "_", "3,9 ", "_", " 4 ", "_", "1E-5", "_", ",",
                                   "Koless", "_", "A", " -12", "_", "B", "$10"})),
              "");
    EXPECT_EQ(PairValues(catalog), (std::vector<double>{3.9, 4, 1e-5, 0}));
    EXPECT_EQ(catalog.Tyres[0].Perimeter, -12);
    EXPECT_EQ(catalog.Tyres[1].Perimeter, 16);

    EXPECT_EQ(LoadBytes(CrLfLines({"Koless", "_", "A", "1800", "_", "B", "1800 "})),
              "'1800 ' is not a valid integer value.");
    ASSERT_EQ(catalog.Tyres.Count(), 1u);  // what was complete before stays
    ExpectNoDanglingReferences(catalog);

    EXPECT_EQ(LoadBytes(CrLfLines({"Koless", "_", "A", "2147483648"})),
              "'2147483648' is not a valid integer value.");
    EXPECT_EQ(LoadBytes(CrLfLines({"Riads", "_", "A", "3,5", ""})),
              "'' is not a valid floating point value.");
    EXPECT_EQ(catalog.CurrentRow, nullptr);  // the broken row is gone, and so is its reference
    EXPECT_EQ(LoadBytes(CrLfLines({"Paras", "_", "3,9,1"})),
              "'3,9,1' is not a valid floating point value.");
    // The line is quoted in UTF-8, not in the file's own bytes.
    EXPECT_EQ(LoadBytes(CrLfLines({"Paras", "_", Cp("три")})),
              "'три' is not a valid floating point value.");
    EXPECT_TRUE(messages.shown.empty());  // conversion errors are the caller's to show
}

TEST_F(CatalogFileTest, EitherDecimalSeparatorLoadsAndTheUsersOneIsWritten) {
    const std::string bytes = CrLfLines({"Paras", "_", "3,9", "_", "4.1"});
    for (char separator : {',', '.'}) {
        GlobalNumberFormat().decimalSeparator = separator;
        ASSERT_EQ(LoadBytes(bytes), "");
        EXPECT_EQ(PairValues(catalog), (std::vector<double>{3.9, 4.1}));
    }
    GlobalNumberFormat().decimalSeparator = '.';
    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path), CrLfLines({"Riads", "Paras", "_", "3.9", "_", "4.1", "Koless"}));
}

TEST_F(CatalogFileTest, SaveThenLoadGivesTheSameListsInTheSameOrder) {
    auto row = [](std::string name, std::array<double, 6> ratios) {
        auto r = std::make_unique<Riad>();
        r->Name = std::move(name);
        r->Ratios = ratios;
        return r;
    };
    catalog.AppendRow(row(Cp("Стандартный"), {3.636, 1.95, 1.357, 0.941, 0.784, 0}));
    catalog.AppendRow(row("", {1e20, -2.5, 0.000123, 1e-5, 1802, 4}));
    catalog.AppendRow(row("  blanks kept  ", {1, 1, 1, 1, 1, 1}));
    for (double v : {1.0 / 3, 4.1, 3.9}) catalog.AppendPair(std::make_unique<MainPair>(v));
    for (auto [name, perimeter] :
         {std::pair{std::string("B"), 1802}, {"A", -2147483647 - 1}, {"", 2147483647}}) {
        auto k = std::make_unique<Koles>();
        k->Name = name;
        k->Perimeter = perimeter;
        catalog.AppendTyre(std::move(k));
    }

    SaveCatalog(catalog, path);
    Catalog loaded;
    LoadCatalog(loaded, path);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(RowNames(loaded), RowNames(catalog));
    ASSERT_EQ(loaded.Rows.Count(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t g = 0; g < 6; ++g) {
            EXPECT_DOUBLE_EQ(loaded.Rows[i].Ratios[g], catalog.Rows[i].Ratios[g]);
        }
    }
    EXPECT_EQ(PairValues(loaded), (std::vector<double>{0.333333333333333, 4.1, 3.9}));
    ASSERT_EQ(loaded.Tyres.Count(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(loaded.Tyres[i].Name, catalog.Tyres[i].Name);
        EXPECT_EQ(loaded.Tyres[i].Perimeter, catalog.Tyres[i].Perimeter);
    }
    EXPECT_NE(ReadBytes(path).find("\r\n1E20\r\n-2,5\r\n0,000123\r\n1E-5\r\n1802\r\n"),
              std::string::npos);
}

TEST_F(CatalogFileTest, AMarkerNamedRecordIsLostOnTheWayBack) {
    auto r = std::make_unique<Riad>();
    r->Name = "Paras";
    r->Ratios = {3.5, 2, 1.4, 1, 0.8, 0};
    catalog.AppendRow(std::move(r));
    catalog.AppendPair(std::make_unique<MainPair>(4.1));
    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path), CrLfLines({"Riads", "_", "Paras", "3,5", "2", "1,4", "1", "0,8", "0",
                                          "Paras", "_", "4,1", "Koless"}));
    Catalog loaded;
    LoadCatalog(loaded, path);
    EXPECT_TRUE(loaded.Rows.Empty());
    EXPECT_EQ(PairValues(loaded), std::vector<double>{4.1});
}

TEST_F(CatalogFileTest, LineBreaksInANameAreWrittenAsBlanks) {
    auto k = std::make_unique<Koles>();
    k->Name = "\x1Atwo\r\nlines\x1A";
    k->Perimeter = 1800;
    catalog.AppendTyre(std::move(k));
    SaveCatalog(catalog, path);
    Catalog loaded;
    LoadCatalog(loaded, path);
    ASSERT_EQ(loaded.Tyres.Count(), 1u);
    EXPECT_EQ(loaded.Tyres[0].Name,
              " two  lines\x1A");  // only a leading end mark could end the file
    EXPECT_EQ(loaded.Tyres[0].Perimeter, 1800);
}

TEST_F(CatalogFileTest, ADirectoryDoesNotLoadAndIsNotReplaced) {
    const std::string dir = folder / "Kelm.dat.d";
    fs::create_directory(dir);
    EXPECT_THROW(LoadCatalog(catalog, dir), SilentAbort);
    EXPECT_EQ(DiskMessages(), 1);

    fs::create_directory(dir + "/inside");
    SaveCatalog(catalog, dir);
    EXPECT_EQ(DiskMessages(), 2);
    EXPECT_TRUE(fs::is_directory(dir + "/inside"));
    EXPECT_FALSE(fs::exists(dir + ".tmp"));
}

TEST_F(CatalogFileTest, SavingIntoAMissingFolderShowsOneMessageAndCreatesNothing) {
    catalog.AppendPair(std::make_unique<MainPair>(3.9));
    SaveCatalog(catalog, folder / "missing/Kelm.dat");
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(DiskMessages(), 1);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(catalog.Pairs.Count(), 1u);
}

TEST_F(CatalogFileTest, AFullDiskLeavesTheOldFileWholeAndShowsOneMessage) {
    const std::string old = CrLfLines(kExample);
    WriteBytes(path, old);
    for (int i = 0; i < 200; ++i) {
        auto r = std::make_unique<Riad>();
        r->Name = "Row " + std::to_string(i);
        r->Ratios = {3.5, 2, 1.4, 1, 0.8, 0};
        catalog.AppendRow(std::move(r));
    }
    const int shown = testing::RunWithFileSizeLimit(1024, [&] {
        RecordingMessages inChild;
        SaveCatalog(catalog, path);
        int disk = 0;
        for (const auto& m : inChild.shown) disk += m.text == kDiskText ? 1 : 0;
        return inChild.shown.size() == static_cast<std::size_t>(disk) ? disk : 100;
    });
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});

    // With room enough the same save goes through.
    SaveCatalog(catalog, path);
    EXPECT_TRUE(messages.shown.empty());
    LoadCatalog(catalog, path);
    EXPECT_EQ(catalog.Rows.Count(), 200u);
}

TEST_F(CatalogFileTest, AfterAnIncompleteLoadTheFirstSaveKeepsTheOldFileAsBak) {
    const std::string old =
        CrLfLines({"Riads", "_", "Good", "1", "2", "3",     "4", "5", "6", "_", "Bad", "1", "oops",
                   "3",     "4", "5",    "6", "_", "After", "1", "2", "3", "4", "5",   "6"});
    WriteBytes(path, old);
    WriteBytes(path + ".bak", "an older backup");
    EXPECT_THROW(LoadCatalog(catalog, path), ConvertError);
    EXPECT_EQ(RowNames(catalog), std::vector<std::string>{"Good"});

    SaveCatalog(catalog, path);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadBytes(path + ".bak"), old);
    EXPECT_EQ(ReadBytes(path),
              CrLfLines({"Riads", "_", "Good", "1", "2", "3", "4", "5", "6", "Paras", "Koless"}));
    // Only the first save afterwards: the backup is not overwritten by the next one.
    catalog.AppendPair(std::make_unique<MainPair>(3.9));
    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path + ".bak"), old);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Kelm.dat", "Kelm.dat.bak"}));

    // A complete load leaves nothing to keep.
    fs::remove(path + ".bak");
    LoadCatalog(catalog, path);
    SaveCatalog(catalog, path);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});
}

TEST_F(CatalogFileTest, AfterAFailedOpenOfAnExistingFileTheSaveKeepsItToo) {
    // The file could not be read at all (here: it was a directory at load time).
    fs::create_directory(path);
    EXPECT_THROW(LoadCatalog(catalog, path), SilentAbort);
    fs::remove(path);
    const std::string old = CrLfLines(kExample);
    WriteBytes(path, old);
    SaveCatalog(catalog, path);
    EXPECT_EQ(DiskMessages(), 1);
    EXPECT_EQ(ReadBytes(path + ".bak"), old);
}

TEST_F(CatalogFileTest, ABackupThatCannotBeWrittenStopsTheSave) {
    const std::string old = CrLfLines({"Paras", "_", "x"});
    WriteBytes(path, old);
    EXPECT_THROW(LoadCatalog(catalog, path), ConvertError);
    fs::create_directories(path + ".bak/full");  // a folder in the backup's place
    SaveCatalog(catalog, path);
    EXPECT_EQ(DiskMessages(), 1);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Kelm.dat", "Kelm.dat.bak"}));

    // The mark stays, so the next save, with the way clear, still keeps the old file.
    fs::remove_all(path + ".bak");
    SaveCatalog(catalog, path);
    EXPECT_EQ(DiskMessages(), 1);
    EXPECT_EQ(ReadBytes(path + ".bak"), old);
}

TEST_F(CatalogFileTest, AReadOnlyCatalogIsNotReplaced) {
    // No write bit at all marks the file read-only, for root as for anyone.
    const std::string old = CrLfLines(kExample);
    WriteBytes(path, old);
    fs::permissions(path, fs::perms::owner_read);
    catalog.AppendPair(std::make_unique<MainPair>(3.9));
    SaveCatalog(catalog, path);
    EXPECT_EQ(DiskMessages(), 1);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});
}

TEST_F(CatalogFileTest, SaveKeepsPermissionsAndWritesThroughASymbolicLink) {
    fs::create_directory(folder / "real");
    const std::string real = folder / "real/catalog.dat";
    WriteBytes(real, CrLfLines(kExample));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, path);
    catalog.AppendPair(std::make_unique<MainPair>(3.9));
    SaveCatalog(catalog, path);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadBytes(real), CrLfLines({"Riads", "Paras", "_", "3,9", "Koless"}));
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// ---------------------------------------------------------------------------------------
// Two copies of the program editing one catalog

class CatalogChangedTest : public CatalogFileTest {
  protected:
    std::string ChangedText() const {
        return "Файл каталога был изменён другой программой. Его прежнее содержимое "
               "сохранено в файле " +
               path + ".bak.";
    }
    int ChangedMessages() const {
        int n = 0;
        for (const auto& m : messages.shown) {
            if (m.text == ChangedText() && m.caption == AppTitle() && m.icon == MessageIcon::None)
                ++n;
        }
        return n;
    }
};

TEST_F(CatalogChangedTest, TheOtherCopysSaveIsKeptAsBakAndTheUserToldOnce) {
    WriteBytes(path, CrLfLines(kExample));
    LoadCatalog(catalog, path);
    catalog.AppendPair(std::make_unique<MainPair>(5.1));

    // The second copy, a process of its own, loads the same file, adds a tyre and saves.
    const int child = testing::RunWithFileSizeLimit(RLIM_INFINITY, [&] {
        RecordingMessages inChild;
        Catalog other;
        LoadCatalog(other, path);
        auto tyre = std::make_unique<Koles>();
        tyre->Name = "Other";
        tyre->Perimeter = 1900;
        other.AppendTyre(std::move(tyre));
        SaveCatalog(other, path);
        return static_cast<int>(inChild.shown.size());
    });
    ASSERT_EQ(child, 0);
    const std::string theirs = ReadBytes(path);
    ASSERT_NE(theirs, CrLfLines(kExample));

    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path + ".bak"), theirs);
    std::vector<std::string> ours = kExample;
    ours.insert(ours.begin() + 14, {"_", "5,1"});
    EXPECT_EQ(ReadBytes(path), CrLfLines(ours));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(ChangedMessages(), 1);

    // Told once: the next save finds what this copy wrote and keeps nothing.
    fs::remove(path + ".bak");
    SaveCatalog(catalog, path);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});
}

TEST_F(CatalogChangedTest, AnEditThatKeepsTheSizeWithinTheSameSecondStillCounts) {
    WriteBytes(path, CrLfLines(kExample));
    LoadCatalog(catalog, path);
    std::vector<std::string> edited = kExample;
    edited[11] = "3,8";  // in place, same size, same inode
    WriteBytes(path, CrLfLines(edited));
    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path + ".bak"), CrLfLines(edited));
    EXPECT_EQ(ReadBytes(path), CrLfLines(kExample));
    EXPECT_EQ(ChangedMessages(), 1);
}

TEST_F(CatalogChangedTest, WithoutAnOutsideChangeNothingIsKeptAndNothingSaid) {
    WriteBytes(path, CrLfLines(kExample));
    LoadCatalog(catalog, path);
    SaveCatalog(catalog, path);
    catalog.AppendPair(std::make_unique<MainPair>(5.1));
    SaveCatalog(catalog, path);  // over the file this copy wrote itself
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});

    // Loading again takes what is there now as the known version.
    WriteBytes(path, CrLfLines(kExample));
    LoadCatalog(catalog, path);
    SaveCatalog(catalog, path);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});
}

TEST_F(CatalogChangedTest, AFileThatAppearedAfterTheLoadCountsAsChanged) {
    EXPECT_THROW(LoadCatalog(catalog, path), SilentAbort);  // the first start: no file
    ASSERT_EQ(DiskMessages(), 1);
    WriteBytes(path, CrLfLines(kExample));  // another copy saved meanwhile
    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path + ".bak"), CrLfLines(kExample));
    EXPECT_EQ(ReadBytes(path), CrLfLines({"Riads", "Paras", "Koless"}));
    EXPECT_EQ(ChangedMessages(), 1);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(CatalogChangedTest, BytesAfterAnEndOfFileMarkArePartOfTheVersion) {
    // Longer than one read, so the lines stop well before the bytes that change.
    const std::string head = CrLfLines(kExample) + "\x1A" + std::string(300000, 'n');
    WriteBytes(path, head + "otes of the other copy");
    LoadCatalog(catalog, path);
    EXPECT_EQ(catalog.Tyres.Count(), 1u);
    SaveCatalog(catalog, path);  // unchanged: the notes go without a word
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"Kelm.dat"});

    WriteBytes(path, head + "otes of the other copy");
    LoadCatalog(catalog, path);
    WriteBytes(path, head + "otes of the other kopy");
    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path + ".bak"), head + "otes of the other kopy");
    EXPECT_EQ(ChangedMessages(), 1);
}

TEST_F(CatalogChangedTest, AfterABadNumberTheChangedFileIsKeptAndTheUserTold) {
    // The load stopped early, but the version it knows is the whole file.
    const std::string old = CrLfLines({"Paras", "_", "x", "_", "4,1"});
    WriteBytes(path, old);
    EXPECT_THROW(LoadCatalog(catalog, path), ConvertError);
    SaveCatalog(catalog, path);
    EXPECT_TRUE(messages.shown.empty());  // the unread part is kept, as it was
    EXPECT_EQ(ReadBytes(path + ".bak"), old);

    WriteBytes(path, old);
    EXPECT_THROW(LoadCatalog(catalog, path), ConvertError);
    const std::string other = CrLfLines({"Paras", "_", "x", "_", "4,2"});
    WriteBytes(path, other);
    SaveCatalog(catalog, path);
    EXPECT_EQ(ReadBytes(path + ".bak"), other);
    EXPECT_EQ(ChangedMessages(), 1);
}

// ---------------------------------------------------------------------------------------
// The sample catalog shipped with the program

const std::string kSourceDir = KELM_SOURCE_DIR;

TEST_F(CatalogFileTest, TheSampleCatalogLoadsCleanlyAndRoundTripsByteForByte) {
    const std::string sample = kSourceDir + "/data/Kelm.dat";
    const std::string bytes = ReadBytes(sample);
    LoadCatalog(catalog, sample);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_GE(catalog.Rows.Count(), 5u);
    EXPECT_EQ(catalog.Rows[0].Name, Cp("Стандартный"));
    EXPECT_EQ(PairValues(catalog).at(0), 3.9);
    EXPECT_EQ(PairValues(catalog).at(1), 4.1);
    EXPECT_EQ(catalog.Tyres[0].Name, Cp("Бл 85 165/70-13"));
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 1400);
    bool fiveSpeed = false, sixSpeed = false;
    for (const auto& r : catalog.Rows) {
        const auto gears =
            std::count_if(r->Ratios.begin(), r->Ratios.end(), [](double x) { return x > 0; });
        fiveSpeed = fiveSpeed || gears == 5;
        sixSpeed = sixSpeed || gears == 6;
    }
    EXPECT_TRUE(fiveSpeed && sixSpeed);
    EXPECT_GE(catalog.Pairs.Count(), 4u);
    EXPECT_GE(catalog.Tyres.Count(), 4u);

    SaveCatalog(catalog, path);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(SampleCatalogCopy, IsPutBesideTheProgramOnlyWhenNoneIsThere) {
    TempFolder folder;
    const std::string destination = folder / "bin/Kelm.dat";
    const std::string command = std::string("\"") + KELM_CMAKE_COMMAND + "\" -DSOURCE=\"" +
                                kSourceDir + "/data/Kelm.dat\" -DDESTINATION=\"" + destination +
                                "\" -P \"" + kSourceDir + "/data/copy_if_missing.cmake\"";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(destination), ReadBytes(kSourceDir + "/data/Kelm.dat"));

    WriteBytes(destination, "the user's own catalog");
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadBytes(destination), "the user's own catalog");
}

}  // namespace
}  // namespace kelm
