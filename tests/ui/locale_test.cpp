#include <QLocale>

#include "dynamics/dynamicsjson.h"
#include "dynamicsui/curvetable.h"
#include "dynamicsui/dynamicseditor.h"
#include "mainwindow_fixture.h"
#include "widgets/decimalspin.h"
#include "widgets/numberformat.h"

namespace kelm::testing {
namespace {

TEST(NumberFormat, SeparatorsComeFromTheLocale) {
    const NumberFormat saved = GlobalNumberFormat();
    UseLocaleNumberFormat(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(GlobalNumberFormat().decimalSeparator, '.');
    EXPECT_EQ(GlobalNumberFormat().thousandSeparator, ",");
    EXPECT_EQ(FloatToStr(3.9), "3.9");
    UseLocaleNumberFormat(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(GlobalNumberFormat().decimalSeparator, ',');
    EXPECT_EQ(GlobalNumberFormat().thousandSeparator, "\xC2\xA0");  // a no-break space
    EXPECT_EQ(FormatGrouped(12345.4),
              "12\xC2\xA0"
              "345");
    GlobalNumberFormat() = saved;
}

using SystemLocale = UnderSystemLocale<MainWindowTest>;

TEST_F(SystemLocale, TheProgramsSeparatorSetUpTakesTheSystemsAndNumbersReadBack) {
    EXPECT_EQ(GlobalNumberFormat().decimalSeparator, separator_);
    const std::string text = FloatToStr(3.9);
    EXPECT_EQ(text, std::string("3") + separator_ + "9");
    EXPECT_EQ(StrToFloat(text), 3.9);
    EXPECT_EQ(StrToFloat("0" + std::string(1, separator_) + "000123"), 0.000123);
    EXPECT_EQ(StrToInt("-1802"), -1802);

    // The main window over a catalog in that separator selects the default pairs.
    WriteCatalog(SampleCatalogFile(separator_));
    Form1 f = Open();
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(f.ComboBox4->currentText(), QString::fromStdString(text));
    EXPECT_EQ(f.ComboBox5->currentText(), QString::fromStdString(FloatToStr(4.1)));
    EXPECT_EQ(PointCount(0), 10u);
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(ReadWindowSettings(SettingsPath()).ComboBox4, text);
}

TEST_F(SystemLocale, TheEnginesPowerAndTheCarsNumbersShowWithTheSystemsSeparator) {
    DynamicsData data = SampleDynamics();
    DynamicsEditor editor(data, dir_ / "Kelm-dynamics.json");
    editor.Select(DynamicsEditorPage::Engines, "1,6 л 80 л.с.");
    const QAbstractItemModel* table = editor.findChild<CurveTable*>("CurveGrid")->model();
    ASSERT_EQ(table->index(5, CurveModel::kSpeed).data().toString(), "5400");
    const QString sep(QChar::fromLatin1(separator_));
    EXPECT_EQ(table->index(5, CurveModel::kPowerKw).data().toString(), "58" + sep + "8");
    EXPECT_EQ(table->index(5, CurveModel::kPowerHp).data().toString(), "80" + sep + "0");
    editor.Select(DynamicsEditorPage::Cars, "Седан 1120 кг");
    EXPECT_EQ(editor.findChild<DecimalSpin*>("car_cx")->Text(), "0" + sep + "48");
}

}  // namespace
}  // namespace kelm::testing
