#include "settings/windowsettings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/numtext.h"
#include "core/file_test_support.h"
#include "mainwindow/ravnenie.h"
#include "settings/inifile.h"

namespace kelm {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8).value(); }

class CommaScope {
  public:
    explicit CommaScope(char sep) : saved_(GlobalNumberFormat()) {
        GlobalNumberFormat().decimalSeparator = sep;
    }
    ~CommaScope() { GlobalNumberFormat() = saved_; }

  private:
    NumberFormat saved_;
};

// The settings file of a settings section holding the given lines.
std::string SectionFile(const std::string& body) { return "[" + Cp("Параметры") + "]\r\n" + body; }

TEST(IniFile, KeysAndSectionsIgnoreCaseAndValuesLoseBlanksAndQuotes) {
    const IniFile ini =
        IniFile::Parse("top=ignored\n[Other]\nKey=other\r\n[" + Cp("пАРАМЕТРЫ") +
                       "]\r\n ; note\n  key  =  value  \r\n"
                       "quoted=\"  spaced  \"\nsingle='x'\nhalf=\"x\nempty=\nkey=second\n");
    EXPECT_EQ(ini.Value(Cp("Параметры"), "KEY"), "value");
    EXPECT_EQ(ini.Value("other", "key"), "other");
    EXPECT_EQ(ini.Value(Cp("Параметры"), "quoted"), "  spaced  ");
    EXPECT_EQ(ini.Value(Cp("Параметры"), "single"), "x");
    EXPECT_EQ(ini.Value(Cp("Параметры"), "half"), "\"x");
    EXPECT_EQ(ini.Value(Cp("Параметры"), "empty"), "");
    EXPECT_FALSE(ini.Value(Cp("Параметры"), "top").has_value());
    EXPECT_FALSE(ini.Value(Cp("Параметры"), "missing").has_value());
    EXPECT_FALSE(ini.Value("None", "key").has_value());
}

TEST(IniFile, WritingReplacesAddsAndKeepsEverythingElse) {
    IniFile ini = IniFile::Parse("; my notes\n[A]\nx=1\ny=2\n\n[B]\nz=3\n");
    ini.SetValue("a", "Y", "20");
    ini.SetValue("A", "w", "new");
    ini.SetValue("C", "k", "v");
    EXPECT_EQ(ini.Text(),
              "; my notes\r\n[A]\r\nx=1\r\nY=20\r\nw=new\r\n\r\n[B]\r\nz=3\r\n[C]\r\nk=v\r\n");

    // Values that reading would change go out in quotes and come back unchanged.
    for (const std::string v : {" lead", "trail ", "\"both\"", "'one'", "", "\"", "a=b"}) {
        IniFile f;
        f.SetValue("S", "k", v);
        EXPECT_EQ(IniFile::Parse(f.Text()).Value("S", "k"), v) << v;
    }
}

TEST(IniFile, IntegerRules) {
    EXPECT_EQ(ReadIniIntegerText("640"), 640);
    EXPECT_EQ(ReadIniIntegerText("  -1"), -1);
    EXPECT_EQ(ReadIniIntegerText("+7"), 7);
    EXPECT_EQ(ReadIniIntegerText("0x1770"), 6000);
    EXPECT_EQ(ReadIniIntegerText("0X10"), 16);
    EXPECT_EQ(ReadIniIntegerText("$FA0"), 4000);
    EXPECT_EQ(ReadIniIntegerText("x10"), 16);
    EXPECT_EQ(ReadIniIntegerText("-$10"), -16);
    EXPECT_EQ(ReadIniIntegerText("2147483647"), 2147483647);
    EXPECT_EQ(ReadIniIntegerText("-2147483648"), -2147483647 - 1);
    for (const char* bad : {"", "0x", "abc", "12a", "2147483648", "1 2", "$", "yes", "3,5"}) {
        EXPECT_FALSE(ReadIniIntegerText(bad).has_value()) << bad;
    }
}

TEST(WindowSettings, MissingFileGivesDefaultsAndCreatesNothing) {
    CommaScope comma(',');
    TempFolder dir;
    const std::string path = dir / "Kelm.ini";
    const WindowSettings s = ReadWindowSettings(path);
    EXPECT_FALSE(s.FormMax);
    EXPECT_EQ(s.FormHeight, 400);
    EXPECT_EQ(s.FormWidth, 600);
    EXPECT_EQ(s.SE1, 6000);
    EXPECT_TRUE(s.CB1 && !s.CB2 && s.CB3 && s.CB4);
    EXPECT_EQ(s.ComboBox1, Cp("Стандартный"));
    EXPECT_EQ(s.ComboBox2, Cp("Стандартный"));
    EXPECT_EQ(s.ComboBox4, "3,9");
    EXPECT_EQ(s.ComboBox5, "4,1");
    EXPECT_EQ(s.ComboBox7, Cp("Бл 85 165/70-13"));
    EXPECT_EQ(s.ComboBox8, Cp("Бл 85 165/70-13"));
    EXPECT_EQ(s.ColorBox1, 255);
    EXPECT_EQ(s.ColorBox2, 16711680);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(WindowSettings, PairDefaultsFollowTheUsersSeparator) {
    CommaScope point('.');
    const WindowSettings s = DefaultWindowSettings();
    EXPECT_EQ(s.ComboBox4, "3.9");
    EXPECT_EQ(s.ComboBox5, "4.1");
}

TEST(WindowSettings, NewFileHoldsTheSeventeenLinesInOrder) {
    CommaScope comma(',');
    TempFolder dir;
    const std::string path = dir / "Kelm.ini";
    WindowSettings s = DefaultWindowSettings();
    s.FormHeight = 480;
    s.FormWidth = 640;
    ASSERT_FALSE(SettingsFileExists(path));
    SaveWindowSettings(path, s);
    const std::string expected =
        Cp("[Параметры]\r\nFormMax=0\r\nFormHeight=480\r\nFormWidth=640\r\nSE1=6000\r\nCB1="
           "1\r\nCB2=0\r\n"
           "CB3=1\r\nCB4=1\r\nComboBox1=Стандартный\r\nComboBox2=Стандартный\r\nComboBox4=3,9\r\n"
           "ComboBox5=4,1\r\nComboBox7=Бл 85 165/70-13\r\nComboBox8=Бл 85 165/70-13\r\n"
           "ColorBox1=255\r\nColorBox2=16711680\r\n");
    EXPECT_EQ(ReadBytes(path), expected);
    EXPECT_EQ(ReadWindowSettings(path), s);
}

TEST(WindowSettings, RewriteKeepsForeignEntriesAndReadsBackTheSameState) {
    TempFolder dir;
    const std::string path = dir / "Kelm.ini";
    WriteBytes(path, "[Mine]\nkeep=me\n" + SectionFile("Extra=1\r\nSE1=7000\r\n"));
    WindowSettings s;
    s.FormMax = true;
    s.FormHeight = 1000;
    s.FormWidth = 1200;
    s.SE1 = 100000;
    s.CB1 = false;
    s.CB2 = true;
    s.ComboBox1 = " " + Cp("ряд с пробелами") + " ";
    s.ComboBox2 = "\"quoted\"";
    s.ComboBox4 = "";
    s.ComboBox7 = std::string(100, 'x');
    s.ColorBox1 = 12345;  // none of the pickers' colours: kept as it is
    s.ColorBox2 = -1;
    WriteWindowSettings(path, s);
    EXPECT_EQ(ReadWindowSettings(path), s);
    const IniFile ini = IniFile::Load(path);
    EXPECT_EQ(ini.Value("Mine", "keep"), "me");
    EXPECT_EQ(ini.Value(SettingsSection(), "Extra"), "1");
    EXPECT_EQ(ini.Value(SettingsSection(), "SE1"), "100000");
}

TEST(WindowSettings, ALinkedSettingsFileStaysALink) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "real");
    WriteBytes(dir / "real/Kelm.ini", SectionFile("SE1=1\r\n"));
    std::filesystem::create_symlink("real/Kelm.ini", dir / "Kelm.ini");
    WindowSettings s;
    s.SE1 = 2500;
    WriteWindowSettings(dir / "Kelm.ini", s);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "Kelm.ini"));
    EXPECT_EQ(ReadWindowSettings(dir / "real/Kelm.ini").SE1, 2500);
}

TEST(WindowSettings, ValueReadingRules) {
    CommaScope comma(',');
    TempFolder dir;
    const std::string path = dir / "Kelm.ini";
    const auto read = [&](const std::string& body) {
        WriteBytes(path, SectionFile(body));
        return ReadWindowSettings(path);
    };
    // Out-of-range speeds are read as they are; the spin edit keeps them within its range.
    EXPECT_EQ(read("SE1=200000").SE1, 200000);
    EXPECT_EQ(read("SE1=-5").SE1, -5);
    EXPECT_EQ(read("SE1=abc").SE1, 6000);
    EXPECT_EQ(read("SE1=").SE1, 6000);
    EXPECT_EQ(read("SE1=0x1770").SE1, 6000);
    EXPECT_EQ(read("SE1=$1770").SE1, 6000);
    EXPECT_EQ(read("SE1=0x1F40").SE1, 8000);
    EXPECT_TRUE(read("CB2=2").CB2);
    EXPECT_FALSE(read("CB2=yes").CB2);
    EXPECT_FALSE(read("CB1=0").CB1);
    EXPECT_TRUE(read("CB1=").CB1);
    EXPECT_EQ(read("ComboBox1=").ComboBox1, "");
    EXPECT_EQ(read("ComboBox2=").ComboBox1, Cp("Стандартный"));
    EXPECT_EQ(read("ComboBox4=3.9").ComboBox4, "3.9");
    EXPECT_EQ(read("FormMax=1\r\nFormHeight=10").FormHeight, 10);
    EXPECT_TRUE(read("FormMax=1").FormMax);
    EXPECT_EQ(read("ColorBox1=0x00FF00").ColorBox1, 65280);
    // A text value is cut at 2047 characters.
    EXPECT_EQ(read("ComboBox7=" + std::string(3000, 'a')).ComboBox7, std::string(2047, 'a'));
}

TEST(WindowSettings, FailuresCarryTheirTextsAndLeaveTheOldFileWhole) {
    TempFolder dir;
    const std::string missingFolder = dir / "no/such/folder/Kelm.ini";
    try {
        SaveWindowSettings(missingFolder, WindowSettings{});
        FAIL() << "created a file in a missing folder";
    } catch (const InOutError& e) {
        EXPECT_STREQ(e.what(), "I/O error 103");
    }
    std::filesystem::create_directory(dir / "Kelm.ini");
    EXPECT_FALSE(SettingsFileExists(dir / "Kelm.ini"));
    EXPECT_EQ(ReadWindowSettings(dir / "Kelm.ini"), DefaultWindowSettings());  // read as missing
    EXPECT_THROW(SaveWindowSettings(dir / "Kelm.ini", WindowSettings{}), InOutError);

    try {
        WriteWindowSettings(missingFolder, WindowSettings{});
        FAIL() << "wrote into a missing folder";
    } catch (const KelmError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missingFolder);
    }

    // A write that fails half way (here: the file size limit, which binds root too) leaves
    // the old file as it was and no temporary file behind.
    const std::string path = dir / "Old.ini";
    const std::string old = SectionFile("SE1=1234\r\n");
    WriteBytes(path, old);
    const int result = testing::RunWithFileSizeLimit(1024, [&] {
        WindowSettings big;
        big.ComboBox1 = std::string(4000, 'n');
        try {
            WriteWindowSettings(path, big);
        } catch (const KelmError& e) {
            return std::string(e.what()) == "Unable to write to " + path ? 0 : 1;
        }
        return 2;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"Kelm.ini", "Old.ini"}));
}

// The file's mode says read-only even to root, which may write anything; CI runs as root.
TEST(WindowSettings, AReadOnlySettingsFileStaysAsItIs) {
    TempFolder dir;
    const std::string path = dir / "Kelm.ini";
    const std::string old = SectionFile("SE1=1234\r\n");
    WriteBytes(path, old);
    std::filesystem::permissions(
        path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    WindowSettings s;
    s.SE1 = 2500;
    try {
        WriteWindowSettings(path, s);
        FAIL() << "replaced a read-only settings file";
    } catch (const KelmError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Kelm.ini"});
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
}

TEST(WindowSettings, AFirstSaveThatFailsLeavesNoEmptyFile) {
    TempFolder dir;
    const std::string path = dir / "Kelm.ini";
    // The file size limit binds root too, as a full disk would.
    const int result = testing::RunWithFileSizeLimit(100, [&] {
        try {
            SaveWindowSettings(path, DefaultWindowSettings());
            return 1;
        } catch (const InOutError& e) {
            return e.code() == 103 ? 0 : 2;
        }
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(dir.Names().empty());
}

TEST(Ravnenie, DesignWidthsAndTruncatingGap) {
    const PanelWidths w;
    struct Row {
        int W, g;
        PanelLefts lefts;
    };
    const Row rows[] = {
        {632, 12, {23, 100, 157, 202, 331, 400, 585, 100, 157, 202, 331, 400, 585}},
        {800, 28, {43, 136, 209, 270, 415, 500, 701, 136, 209, 270, 415, 500, 701}},
        {1000, 48, {63, 176, 269, 350, 515, 620, 841, 176, 269, 350, 515, 620, 841}},
        // -7 div 10 is 0 and -12 div 10 is -1: truncation toward zero, not flooring.
        {625, 12, {19, 96, 153, 198, 327, 396, 581, 96, 153, 198, 327, 396, 581}},
        {620, 11, {21, 97, 153, 197, 325, 393, 577, 97, 153, 197, 325, 393, 577}},
        // An odd width: the middle is 316, as for 632.
        {633, 12, {23, 100, 157, 202, 331, 400, 585, 100, 157, 202, 331, 400, 585}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(RavnenieGap(r.W), r.g) << r.W;
        EXPECT_EQ(RavnenieLayout(r.W, 0, w), r.lefts) << r.W;
    }
    // The pair lists are measured from the panel's own edge, the rest from its left.
    const PanelLefts shifted = RavnenieLayout(632, 10, w);
    EXPECT_EQ(shifted.ComboBox4, 331);
    EXPECT_EQ(shifted.ComboBox1, 212);
    // Each row follows the widths of its own controls.
    PanelWidths wide = w;
    wide.ComboBox2 = 200;
    wide.ComboBox5 = 100;
    const PanelLefts l = RavnenieLayout(632, 0, wide);
    EXPECT_EQ(l.ComboBox1, 202);
    EXPECT_EQ(l.ComboBox2, 316 - 200 - 12 + 15);
    EXPECT_EQ(l.CB2, 316 - 200 - 33 - 45 - 36 + 15);
    EXPECT_EQ(l.ComboBox8, 316 + 100 + 12 + 15);
    EXPECT_EQ(l.ColorBox2, 316 + 100 + 173 + 24 + 15);
}

}  // namespace
}  // namespace kelm
