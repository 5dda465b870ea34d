#include "widgets/uikit.h"

#include <gtest/gtest.h>

namespace kelm {
namespace {

TEST(UiKit, NamesCrossTheWidgetEdgeUnchanged) {
    const std::string bytes = "\xC1\xEB 85 165/70-13";  // "Бл 85 165/70-13" in Windows-1251
    EXPECT_EQ(FromCp1251(bytes), QString::fromUtf8("Бл 85 165/70-13"));
    EXPECT_EQ(ToCp1251(FromCp1251(bytes)), bytes);
    EXPECT_FALSE(ToCp1251(QString::fromUtf8("漢字")).has_value());
}

TEST(UiKit, EveryByteSurvivesTheWidgetEdge) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(ToCp1251(FromCp1251(all)), all);
}

}  // namespace
}  // namespace kelm
