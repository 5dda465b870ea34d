#include <gtest/gtest.h>

#include "base/colors.h"
#include "base/errors.h"
#include "base/paths.h"

namespace kelm {
namespace {

TEST(ErrorBoxText, FullStopOnlyAfterCharactersBeyondThePoint) {
    EXPECT_EQ(ErrorBoxText("I/O error 103"), "I/O error 103.");
    EXPECT_EQ(ErrorBoxText("'' is not a valid floating point value"),
              "'' is not a valid floating point value.");
    EXPECT_EQ(ErrorBoxText("Done!"), "Done!");
    EXPECT_EQ(ErrorBoxText("(see above)"), "(see above)");
    EXPECT_EQ(ErrorBoxText("end."), "end.");
    EXPECT_EQ(ErrorBoxText("a-"), "a-");
    EXPECT_EQ(ErrorBoxText("path/"), "path/.");
    EXPECT_EQ(ErrorBoxText(""), "");
    EXPECT_EQ(ErrorBoxText("\xD0\xBD"), "\xD0\xBD.");  // ends in a Cyrillic letter
}

TEST(ErrorTypes, CarryTheirExactTexts) {
    EXPECT_STREQ(FloatDivByZeroError().what(), "Floating point division by zero");
    EXPECT_STREQ(FloatInvalidOpError().what(), "Invalid floating point operation");
    EXPECT_STREQ(InOutError(103).what(), "I/O error 103");
}

TEST(Colors, LayoutAndTable) {
    EXPECT_EQ(colors::Red, MakeColor(255, 0, 0));
    EXPECT_EQ(colors::Blue, MakeColor(0, 0, 255));
    EXPECT_EQ(RedOf(colors::Olive), 128);
    EXPECT_EQ(GreenOf(colors::Olive), 128);
    EXPECT_EQ(BlueOf(colors::Olive), 0);
    ASSERT_EQ(kStandardColors.size(), 16u);
    EXPECT_EQ(kStandardColors[0].name, "Black");
    EXPECT_EQ(kStandardColors[8].name, "Silver");
    EXPECT_EQ(kStandardColors[8].value, 12632256u);
    EXPECT_EQ(kStandardColors[15].value, 16777215u);
    EXPECT_EQ(StandardColorIndex(16711680), 12u);
    EXPECT_FALSE(StandardColorIndex(12345).has_value());
}

TEST(Paths, ExtensionIsReplacedOnlyInTheFileName) {
    EXPECT_EQ(ChangeFileExt("/opt/kelm/Kelm", ".dat"), "/opt/kelm/Kelm.dat");
    EXPECT_EQ(ChangeFileExt("/opt/kelm/Kelm.exe", ".ini"), "/opt/kelm/Kelm.ini");
    EXPECT_EQ(ChangeFileExt("/home/a.b/Kelm", ".dat"), "/home/a.b/Kelm.dat");
    EXPECT_EQ(ChangeFileExt("C:\\a.b\\Kelm", ".dat"), "C:\\a.b\\Kelm.dat");
    EXPECT_EQ(ChangeFileExt("Kelm.tar.gz", ".dat"), "Kelm.tar.dat");
    EXPECT_EQ(ProgramTitle("/usr/bin/kelm"), "kelm");
    EXPECT_EQ(ProgramTitle("C:\\Prog\\KELM.exe"), "Kelm");
    EXPECT_EQ(ProgramTitle("/x/Kelm.v2.bin"), "Kelm");
}

}  // namespace
}  // namespace kelm

#include "base/cp1251.h"

namespace kelm {
namespace {

TEST(Cp1251, RoundTripsEveryByteAndRefusesWhatItCannotHold) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const auto back = Utf8ToCp1251(Cp1251ToUtf8(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
    EXPECT_EQ(Cp1251ToUtf8("\xC1\xEB 85"), "Бл 85");
    EXPECT_EQ(Utf8ToCp1251("Стандартный №1"),
              "\xD1\xF2\xE0\xED\xE4\xE0\xF0\xF2\xED\xFB\xE9 \xB9\x31");
    EXPECT_FALSE(Utf8ToCp1251("日本").has_value());
    EXPECT_FALSE(Utf8ToCp1251("\xD0").has_value());  // cut in the middle of a character
}

}  // namespace
}  // namespace kelm

#include "base/messages.h"
#include "recording_messages.h"

namespace kelm {
namespace {

TEST(RunHandler, ReportsErrorsInTheErrorBoxAndSwallowsTheSilentAbort) {
    testing::RecordingMessages messages;
    EXPECT_TRUE(RunHandler([] {}));
    EXPECT_FALSE(RunHandler([] { throw SilentAbort(); }));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(RunHandler([] { throw ConvertError("'' is not a valid floating point value"); }));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "'' is not a valid floating point value.");
    EXPECT_EQ(messages.shown[0].caption, "Kelm");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
}

}  // namespace
}  // namespace kelm
