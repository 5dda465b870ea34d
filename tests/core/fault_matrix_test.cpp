// Hostile files and failing disks: for each, what the user is shown, and that no record
// that was on disk is lost.  (Full disk, missing folder, a directory as the path and a bad
// number line have their own tests beside the catalog file and settings tests.)
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/numtext.h"
#include "catalog/catalogfile.h"
#include "catalog/textfile.h"
#include "file_test_support.h"
#include "recording_messages.h"
#include "settings/inifile.h"
#include "settings/windowsettings.h"

namespace kelm {
namespace {

using testing::CrLfLines;
using testing::ReadBytes;
using testing::RecordingMessages;
using testing::TempFolder;
using testing::WriteBytes;

class FaultMatrix : public ::testing::Test {
  protected:
    void SetUp() override {
        TakeIOError();
        GlobalNumberFormat().decimalSeparator = ',';
    }

    // Loads the file and returns the error box text, "" for none, "silent" for the abort.
    std::string Load() {
        try {
            LoadCatalog(catalog, path);
        } catch (const ConvertError& e) {
            return ErrorBoxText(e.what());
        } catch (const SilentAbort&) {
            return "silent";
        }
        return "";
    }

    TempFolder folder;
    std::string path = folder / "Kelm.dat";
    RecordingMessages messages;
    Catalog catalog;
};

TEST_F(FaultMatrix, TenMegabyteLineIsOneNameAndSurvivesTheRoundTrip) {
    const std::string huge(10 * 1024 * 1024, '\xC0');  // ten million Cyrillic "А"
    WriteBytes(path,
               CrLfLines({"Riads", "_", huge, "1", "0", "0", "0", "0", "0", "Paras", "_", "3,9"}));
    EXPECT_EQ(Load(), "");
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(catalog.Rows.Count(), 1u);
    EXPECT_EQ(catalog.Rows[0].Name.size(), huge.size());
    SaveCatalog(catalog, path);
    Catalog again;
    LoadCatalog(again, path);
    ASSERT_EQ(again.Rows.Count(), 1u);
    EXPECT_EQ(again.Rows[0].Name, huge);
    EXPECT_EQ(again.Pairs.Count(), 1u);
}

TEST_F(FaultMatrix, FileOfOnlyCarriageReturnsIsAnEmptyCatalogWithoutMessage) {
    WriteBytes(path, std::string(100000, '\r'));
    EXPECT_EQ(Load(), "");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(catalog.Rows.Empty() && catalog.Pairs.Empty() && catalog.Tyres.Empty());
}

TEST_F(FaultMatrix, TruncatedFileKeepsEveryCompleteRecord) {
    const std::string whole =
        CrLfLines({"Riads", "_", "\xD0\xFF\xE4 1", "3,5", "2", "1,4", "1", "0,8", "0", "_",
                   "\xD0\xFF\xE4 2", "3,6", "2,1", "1,3", "1", "0,8", "0"});
    // Cut in the middle of the second row's fourth ratio, and again right inside a name.
    for (std::size_t cut : {whole.size() - 12, whole.find("\xD0\xFF\xE4 2") + 2}) {
        WriteBytes(path, whole.substr(0, cut));
        EXPECT_EQ(Load(), "");
        EXPECT_TRUE(messages.shown.empty());
        ASSERT_EQ(catalog.Rows.Count(), 1u);
        EXPECT_EQ(catalog.Rows[0].Name, "\xD0\xFF\xE4 1");
    }
}

TEST_F(FaultMatrix, BadNumberLineKeepsTheUnreadRecordsInTheBackup) {
    const std::string file = CrLfLines({"Paras", "_", "3,9", "_", "4;1", "_", "4,3", "_", "5,1"});
    WriteBytes(path, file);
    EXPECT_EQ(Load(), "'4;1' is not a valid floating point value.");
    EXPECT_EQ(catalog.Pairs.Count(), 1u);
    SaveCatalog(catalog, path);  // what the editor would do next
    EXPECT_EQ(ReadBytes(path + ".bak"), file);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(SettingsFaults, TenThousandKeysAreReadAndKept) {
    TempFolder folder;
    const std::string path = folder / "Kelm.ini";
    std::string text = "[" + SettingsSection() + "]\r\n";
    for (int i = 0; i < 10000; ++i)
        text += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
    text += "SE1=4500\r\n";
    WriteBytes(path, text);
    WindowSettings state = ReadWindowSettings(path);
    EXPECT_EQ(state.SE1, 4500);
    state.SE1 = 5000;
    WriteWindowSettings(path, state);
    const IniFile after = IniFile::Load(path);
    EXPECT_EQ(after.Value(SettingsSection(), "Key9999"), "9999");
    EXPECT_EQ(after.Value(SettingsSection(), "Key0"), "0");
    EXPECT_EQ(ReadWindowSettings(path).SE1, 5000);
}

TEST(SettingsFaults, HundredThousandCharacterValue) {
    TempFolder folder;
    const std::string path = folder / "Kelm.ini";
    const std::string longValue(100000, 'z');
    WriteBytes(path, "[" + SettingsSection() + "]\r\nComboBox1=" + longValue +
                         "\r\n[Other]\r\nNote=" + longValue + "\r\n");
    const WindowSettings state = ReadWindowSettings(path);
    EXPECT_EQ(state.ComboBox1, std::string(2047, 'z'));  // a list text is cut as it is read
    WriteWindowSettings(path, state);
    // Another program's entry is kept whole.
    EXPECT_EQ(IniFile::Load(path).Value("Other", "Note"), longValue);
    EXPECT_EQ(ReadWindowSettings(path), state);
}

}  // namespace
}  // namespace kelm
