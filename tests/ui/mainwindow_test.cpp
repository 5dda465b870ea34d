#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <filesystem>

#include "base/errors.h"
#include "chart/chartpanel.h"
#include "mainwindow/aboutbox.h"
#include "mainwindow_fixture.h"
#include "settings/inifile.h"
#include "widgets/pictures.h"

namespace kelm::testing {
namespace {

using MainWindow = MainWindowTest;

TEST_F(MainWindow, FirstStartTakesTheDefaultsAndCreatesNoSettingsFile) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(f->windowTitle(), "Form1");
    EXPECT_EQ(f->size(), QSize(640, 480));  // the defaults 600 x 400 are below the minimum
    EXPECT_EQ(f->minimumSize(), QSize(640, 480));
    EXPECT_EQ(f.SE1->Text(), "6000");
    EXPECT_TRUE(f.CB1->isChecked());
    EXPECT_FALSE(f.CB2->isChecked());
    EXPECT_TRUE(f.CB3->isChecked());
    EXPECT_TRUE(f.CB4->isChecked());
    EXPECT_EQ(f.ColorBox1->currentText(), "Red");
    EXPECT_EQ(f.ColorBox2->currentText(), "Blue");
    EXPECT_EQ(f.ComboBox1->currentText(), Ru("Стандартный"));
    EXPECT_EQ(f.ComboBox2->currentText(), Ru("Стандартный"));
    EXPECT_EQ(f.ComboBox4->currentText(), "3,9");
    EXPECT_EQ(f.ComboBox5->currentText(), "4,1");
    EXPECT_EQ(f.ComboBox7->currentText(), Ru("Бл 85 165/70-13"));
    EXPECT_EQ(f.ComboBox8->currentText(), Ru("Бл 85 165/70-13"));
    EXPECT_FALSE(std::filesystem::exists(SettingsPath()));

    // Lists in text order ignoring case; pairs as text, so 10,5 comes first.
    EXPECT_EQ(Items(f.ComboBox1), QStringList({Ru("спорт"), Ru("Стандартный")}));
    EXPECT_EQ(Items(f.ComboBox4), QStringList({"10,5", "3,9", "4,1"}));
    EXPECT_EQ(Items(f.ComboBox8), QStringList({Ru("Аб 175/70-13"), Ru("Бл 85 165/70-13")}));

    // The chart was drawn: set 1 with its shift curve in red, set 2 hidden.
    EXPECT_EQ(PointCount(0), 10u);  // five gears: the origin, 4 x 2 shift points, the last
    EXPECT_EQ(f->Chart()[0].GetColor(), colors::Red);
    EXPECT_TRUE(f->Chart()[1].LabelsVisible());
    EXPECT_EQ(PointCount(7), 0u);
}

TEST_F(MainWindow, FirstCloseWritesTheSeventeenLines) {
    WriteCatalog(SampleCatalogFile(','));
    Open();
    EXPECT_TRUE(CloseWindow());
    EXPECT_EQ(
        ReadBytes(SettingsPath()),
        Cp("[Параметры]\r\nFormMax=0\r\nFormHeight=480\r\nFormWidth=640\r\nSE1=6000\r\nCB1=1\r\n"
           "CB2=0\r\nCB3=1\r\nCB4=1\r\nComboBox1=Стандартный\r\nComboBox2=Стандартный\r\n"
           "ComboBox4=3,9\r\nComboBox5=4,1\r\nComboBox7=Бл 85 165/70-13\r\n"
           "ComboBox8=Бл 85 165/70-13\r\nColorBox1=255\r\nColorBox2=16711680\r\n"));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindow, WhatIsClosedIsWhatOpens) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    f->resize(900, 700);
    f.SE1->SetValue(7500);
    f.CB1->setChecked(false);
    f.CB2->setChecked(true);
    f.ComboBox1->setCurrentIndex(0);
    f.ComboBox5->setCurrentIndex(-1);
    f.ColorBox2->Select(static_cast<std::int32_t>(colors::Teal));
    const WindowSettings before = f->CurrentSettings();
    ASSERT_TRUE(CloseWindow());
    Form1 g = Open();
    EXPECT_EQ(g->CurrentSettings(), before);
    EXPECT_EQ(g->size(), QSize(900, 700));
    EXPECT_EQ(g.ComboBox5->currentIndex(), -1);  // an empty stored text selects nothing
    EXPECT_EQ(g.ColorBox2->currentText(), "Teal");
}

// Stored texts select the first item equal to them but for letter case, however many
// such items the list holds and wherever they stand.
TEST_F(MainWindow, StoredTextsSelectTheFirstItemEqualButForCase) {
    std::string rows = "Riads\r\n";
    for (const char* name : {"Бв", "Б", "а", "А", "б", "", "Я"}) {
        rows += std::string("_\r\n") + name + "\r\n3,5\r\n2\r\n1,4\r\n1\r\n0\r\n0\r\n";
    }
    WriteCatalog(Cp(rows + "Paras\r\n_\r\n3,9\r\nKoless\r\n_\r\nБл 85 165/70-13\r\n1800\r\n"));
    WriteSettings("ComboBox1=б\r\nComboBox2=А\r\nComboBox4=3,90\r\n");
    Form1 f = Open();
    EXPECT_EQ(Items(f.ComboBox1),
              QStringList({"", Ru("а"), Ru("А"), Ru("Б"), Ru("б"), Ru("Бв"), Ru("Я")}));
    EXPECT_EQ(f.ComboBox1->currentIndex(), 3);
    EXPECT_EQ(f.ComboBox2->currentIndex(), 1);
    EXPECT_EQ(f.ComboBox4->currentIndex(), -1);  // no item is the text 3,90

    WriteSettings("ComboBox1=\r\nComboBox2=бВ\r\nComboBox8=Я\r\n");
    Form1 g = Open();
    EXPECT_EQ(g.ComboBox1->currentIndex(), 0);  // the row without a name
    EXPECT_EQ(g.ComboBox2->currentIndex(), 5);
    EXPECT_EQ(g.ComboBox8->currentIndex(), -1);  // not a tyre
}

// A long list drops down a screenful of items at a time, however many the catalog holds.
TEST_F(MainWindow, LongListsDropDownAScreenfulAtATime) {
    std::string tyres = "Koless\r\n";
    for (int i = 0; i < 300; ++i) tyres += "_\r\nR" + std::to_string(1000 + i) + "\r\n1800\r\n";
    WriteCatalog(Cp("Riads\r\nParas\r\n") + tyres);
    Form1 f = Open();
    QComboBox* list = f.ComboBox7;
    ASSERT_EQ(list->count(), 300);
    list->showPopup();
    QAbstractItemView* view = list->view();
    ASSERT_TRUE(view->isVisible());
    const int row = view->sizeHintForRow(0);
    ASSERT_GT(row, 0);
    EXPECT_LE(view->viewport()->height(), list->maxVisibleItems() * row);
    EXPECT_EQ(view->sizeHintForRow(299), row);
    list->hidePopup();
    EXPECT_FALSE(view->isVisible());
}

// A name longer than its box is read whole in the drop-down, not cut short.
TEST_F(MainWindow, DropDownIsAsWideAsTheLongestName) {
    const std::string longName = "5-ступенчатая спортивная 3,36-2,07-1,43-1,03-0,84";
    WriteCatalog(Cp("Riads\r\n_\r\nА\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n_\r\n" + longName +
                    "\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\nParas\r\nKoless\r\n"));
    Form1 f = Open();
    QComboBox* list = f.ComboBox1;
    const int textWidth =
        QFontMetrics(list->view()->font()).horizontalAdvance(QString::fromUtf8(longName));
    ASSERT_GT(textWidth, list->width());
    list->showPopup();
    EXPECT_GE(list->view()->viewport()->width(), textWidth);
    list->hidePopup();
}

TEST_F(MainWindow, SettingsEdgeCases) {
    WriteCatalog(SampleCatalogFile(','));
    struct Case {
        const char* body;
        const char* se1;
    };
    for (const Case& c : {Case{"SE1=200000", "100000"}, Case{"SE1=-5", "0"},
                          Case{"SE1=abc", "6000"}, Case{"SE1=", "6000"}, Case{"SE1=0x1770", "6000"},
                          Case{"SE1=$1770", "6000"}, Case{"SE1=$FA0", "4000"}}) {
        WriteSettings(c.body);
        EXPECT_EQ(Open().SE1->Text(), c.se1) << c.body;
    }

    WriteSettings("CB2=2");
    EXPECT_TRUE(Open().CB2->isChecked());
    WriteSettings("CB2=yes");
    EXPECT_FALSE(Open().CB2->isChecked());

    WriteSettings("ComboBox1=стандартный\r\nComboBox4=3.9\r\nComboBox7=\r\n");
    Form1 f = Open();
    EXPECT_EQ(f.ComboBox1->currentText(), Ru("Стандартный"));
    EXPECT_EQ(f.ComboBox4->currentIndex(), -1);  // 3.9 is not the text 3,9
    EXPECT_EQ(f.ComboBox7->currentIndex(), -1);  // stored empty: nothing, not the default
    EXPECT_EQ(f.ComboBox8->currentText(), Ru("Бл 85 165/70-13"));  // missing: the default
    EXPECT_EQ(PointCount(0), 1u);  // set 1 has no pair: only its origin
    ASSERT_TRUE(CloseWindow());
    const IniFile ini = IniFile::Load(SettingsPath());
    EXPECT_EQ(ini.Value(SettingsSection(), "ComboBox4"), "");
    EXPECT_EQ(ini.Value(SettingsSection(), "ComboBox7"), "");

    WriteSettings("ComboBox1=\r\n");
    EXPECT_EQ(Open().ComboBox1->currentIndex(), -1);
    EXPECT_EQ(PointCount(0), 1u);  // no gear row: set 1 shows only its origin

    WriteSettings("FormHeight=100\r\nFormWidth=5000\r\nColorBox1=12345\r\n");
    Form1 g = Open();
    EXPECT_EQ(g->size(), QSize(5000, 480));
    EXPECT_EQ(g.ColorBox1->currentIndex(), -1);         // none of the sixteen: no entry picked
    EXPECT_EQ(g->Chart()[0].GetColor(), Color{12345});  // and the curves take it
    EXPECT_EQ(g->CurrentSettings().ColorBox1, 12345);
}

TEST_F(MainWindow, StoredMaximisedStateOpensMaximised) {
    WriteCatalog(SampleCatalogFile(','));
    WriteSettings("FormMax=1\r\nFormHeight=500\r\nFormWidth=700\r\n");
    Form1 f = Open();
    EXPECT_TRUE(f->isMaximized());
    ASSERT_TRUE(CloseWindow());
    const WindowSettings s = ReadWindowSettings(SettingsPath());
    EXPECT_TRUE(s.FormMax);
    EXPECT_EQ(s.FormWidth, f->width());
}

TEST_F(MainWindow, PointLocaleSelectsTheDefaultPairsToo) {
    GlobalNumberFormat().decimalSeparator = '.';
    WriteCatalog(SampleCatalogFile('.'));
    Form1 f = Open();
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_EQ(f.ComboBox4->currentText(), "3.9");
    EXPECT_EQ(f.ComboBox5->currentText(), "4.1");
    EXPECT_EQ(Items(f.ComboBox4), QStringList({"10.5", "3.9", "4.1"}));
}

TEST_F(MainWindow, CatalogThatFailsToLoadLeavesAUsableWindow) {
    // No catalog file: its own message, then start-up stops without another.
    Form1 f = Open();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Не найден файл");
    for (QComboBox* list :
         {f.ComboBox1, f.ComboBox2, f.ComboBox4, f.ComboBox5, f.ComboBox7, f.ComboBox8}) {
        EXPECT_EQ(list->count(), 0);
        EXPECT_EQ(list->currentIndex(), -1);
    }
    // Design state: the settings were not read.
    EXPECT_EQ(f.SE1->Text(), "6000");
    EXPECT_TRUE(f.CB1->isChecked());
    EXPECT_FALSE(f.CB2->isChecked() || f.CB3->isChecked() || f.CB4->isChecked());
    EXPECT_EQ(f.ColorBox1->Selected(), colors::Red);
    EXPECT_EQ(f.ColorBox2->Selected(), colors::Blue);
    EXPECT_EQ(f->size(), QSize(640, 480));
    for (std::size_t i = 0; i < ShiftChart::kSeriesCount; ++i)
        EXPECT_TRUE(f->Chart()[i].Points().empty());
    // The acceleration window names the sets as the panel shows them, in their colours.
    f.Razgon1->trigger();
    const QWidget* razgon = f->findChild<QWidget*>(QStringLiteral("RazgonForm"));
    ASSERT_NE(razgon, nullptr);
    const auto* label1 = razgon->findChild<QLabel*>(QStringLiteral("SetLabel1"));
    const auto* label2 = razgon->findChild<QLabel*>(QStringLiteral("SetLabel2"));
    ASSERT_TRUE(label1 && label2);
    EXPECT_EQ(label1->text(), Ru("Набор 1"));
    EXPECT_EQ(label2->text(), Ru("Набор 2 скрыт"));
    EXPECT_TRUE(label2->styleSheet().contains(QStringLiteral("#0000ff")));

    // Usable: a click draws (set 1 has only its origins) and raises nothing.
    QTest::mouseClick(f.CB2, Qt::LeftButton);
    EXPECT_TRUE(f.CB2->isChecked());
    EXPECT_EQ(PointCount(7), 1u);
    EXPECT_EQ(messages_.shown.size(), 1u);
    ASSERT_TRUE(CloseWindow());
    EXPECT_EQ(IniFile::Load(SettingsPath()).Value(SettingsSection(), "ComboBox1"), "");
}

TEST_F(MainWindow, BadNumberInTheCatalogIsShownInTheErrorBox) {
    WriteCatalog(Cp("Riads\r\n_\r\nСтандартный\r\n3,5\r\nx\r\n"));
    Form1 f = Open();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "'x' is not a valid floating point value.");
    EXPECT_EQ(messages_.shown[0].caption, "Kelm");
    EXPECT_EQ(messages_.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(f.ComboBox1->count(), 0);
}

TEST_F(MainWindow, ChartErrorsAreReportedByEachHandler) {
    // A main pair of 0 makes the first division fail every time set 1 is drawn.
    WriteCatalog(
        Cp("Riads\r\n_\r\nСтандартный\r\n3,5\r\n2\r\n0\r\n0\r\n0\r\n0\r\n"
           "Paras\r\n_\r\n0\r\nKoless\r\n_\r\nБл 85 165/70-13\r\n1800\r\n"));
    WriteSettings("ComboBox4=0\r\n");
    Form1 f = Open();
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Floating point division by zero.");
    QTest::mouseClick(f.CB3, Qt::LeftButton);
    EXPECT_EQ(messages_.shown.size(), 2u);
    EXPECT_TRUE(f->isVisible());
}

TEST_F(MainWindow, UnwritableSettingsFileIsReportedOnceAndTheWindowStillCloses) {
    WriteCatalog(SampleCatalogFile(','));
    const std::string paths[] = {dir_ / "missing/Kelm.ini", dir_ / "folder.ini"};
    std::filesystem::create_directory(paths[1]);
    for (const std::string& ini : paths) {
        messages_.shown.clear();
        Form1 f = Open(ini);
        EXPECT_TRUE(CloseWindow()) << ini;
        EXPECT_FALSE(f->isVisible());
        ASSERT_EQ(messages_.shown.size(), 1u) << ini;
        EXPECT_EQ(messages_.shown[0].text, "I/O error 103.");
        EXPECT_EQ(messages_.shown[0].caption, "Kelm");
        EXPECT_EQ(messages_.shown[0].icon, MessageIcon::Error);
    }
    EXPECT_TRUE(std::filesystem::is_directory(paths[1]));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing"));
}

TEST_F(MainWindow, ExitClosesAndSaves) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    f.Exit1->trigger();
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(SettingsFileExists(SettingsPath()));
}

// Left edge of a control in panel client coordinates.
int Left(const Form1& f, const QWidget* w) { return w->x() - f.Panel2->contentsRect().x(); }

TEST_F(MainWindow, RavnenieFollowsThePanelWidth) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    struct Row {
        int W, se1, cb1, cb3, row, pair, tyre, color;
    };
    const Row rows[] = {
        {632, 23, 100, 157, 202, 331, 400, 585},  {800, 43, 136, 209, 270, 415, 500, 701},
        {1000, 63, 176, 269, 350, 515, 620, 841}, {625, 19, 96, 153, 198, 327, 396, 581},
        {620, 21, 97, 153, 197, 325, 393, 577},   {633, 23, 100, 157, 202, 331, 400, 585}};
    const auto check = [&](const Row& r) {
        EXPECT_EQ(Left(f, f.SE1), r.se1) << r.W;
        EXPECT_EQ(Left(f, f.CB1), r.cb1) << r.W;
        EXPECT_EQ(Left(f, f.CB2), r.cb1) << r.W;
        EXPECT_EQ(Left(f, f.CB3), r.cb3) << r.W;
        EXPECT_EQ(Left(f, f.CB4), r.cb3) << r.W;
        EXPECT_EQ(Left(f, f.ComboBox1), r.row) << r.W;
        EXPECT_EQ(Left(f, f.ComboBox2), r.row) << r.W;
        EXPECT_EQ(Left(f, f.ComboBox4), r.pair) << r.W;
        EXPECT_EQ(Left(f, f.ComboBox5), r.pair) << r.W;
        EXPECT_EQ(Left(f, f.ComboBox7), r.tyre) << r.W;
        EXPECT_EQ(Left(f, f.ComboBox8), r.tyre) << r.W;
        EXPECT_EQ(Left(f, f.ColorBox1), r.color) << r.W;
        EXPECT_EQ(Left(f, f.ColorBox2), r.color) << r.W;
    };
    // Through the window: the panel takes the whole width, and the rows follow a resize.
    for (int W : {800, 1000}) {
        f->resize(W, 600);
        QApplication::processEvents();
        ASSERT_EQ(f.Panel2->width(), W);
        ASSERT_EQ(f.Panel2->x(), 0);
        check(W == 800 ? rows[1] : rows[2]);
    }
    // Widths the window's minimum does not reach, as with a wider window frame.
    for (const Row& r : rows) {
        f.Panel2->resize(r.W, f.Panel2->height());
        f->Ravnenie();
        check(r);
    }
    // Vertical places and sizes never change.
    EXPECT_EQ(f.SE1->geometry().size(), QSize(65, 30));
    EXPECT_EQ(f.SE1->y() - f.Panel2->contentsRect().y(), 24);
    EXPECT_EQ(f.ComboBox8->y() - f.Panel2->contentsRect().y(), 48);
    EXPECT_EQ(f.ComboBox7->size(), QSize(173, 24));
    EXPECT_EQ(f.ColorBox2->size(), QSize(38, 22));
}

TEST_F(MainWindow, ControlsCarryTheirNamesHintsAndLooks) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    struct Expect {
        const char* name;
        QRect design;
        const char* hint;
    };
    const Expect all[] = {
        {"SE1", {8, 24, 65, 30}, "Максимальные обороты"},
        {"CB1", {80, 8, 45, 25}, "Показать / Спрятать"},
        {"CB3", {144, 8, 33, 24}, ""},
        {"ComboBox1", {196, 8, 117, 24}, "Ряд"},
        {"ComboBox4", {322, 8, 57, 24}, "Пара"},
        {"ComboBox7", {396, 8, 173, 24}, "Резина"},
        {"ColorBox1", {580, 8, 38, 22}, "Цвет графика"},
        {"CB2", {80, 48, 45, 25}, "Показать / Спрятать"},
        {"CB4", {144, 48, 33, 24}, ""},
        {"ComboBox2", {196, 48, 117, 24}, "Ряд"},
        {"ComboBox5", {322, 48, 57, 24}, "Пара"},
        {"ComboBox8", {396, 48, 173, 24}, "Резина"},
        {"ColorBox2", {580, 48, 38, 22}, "Цвет графика"},
    };
    for (const Expect& e : all) {
        auto* w = f.Panel2->findChild<QWidget*>(QString::fromLatin1(e.name));
        ASSERT_NE(w, nullptr) << e.name;
        EXPECT_EQ(w->size(), e.design.size()) << e.name;
        EXPECT_EQ(w->y() - f.Panel2->contentsRect().y(), e.design.y()) << e.name;
        EXPECT_EQ(w->toolTip(), Ru(e.hint)) << e.name;
    }
    EXPECT_EQ(f.Panel2->height(), 81);
    EXPECT_EQ(f.Panel2->frameWidth(), 1);
    EXPECT_EQ(f.Chart1->objectName(), "Chart1");
    EXPECT_EQ(f.Chart1->geometry().top(), f.Panel2->geometry().bottom() + 1);
    EXPECT_EQ(f.SE1->font().pixelSize(), 16);
    EXPECT_TRUE(f.SE1->font().bold());
    EXPECT_EQ(f.SE1->Increment(), 500);
    EXPECT_EQ(f.SE1->MaxValue(), 100000);
    for (QToolButton* b : {f.CB1, f.CB2, f.CB3, f.CB4}) {
        EXPECT_TRUE(b->isCheckable());
        EXPECT_FALSE(b->icon().isNull());
        // A drawn picture for the disabled look that differs from the normal one.
        const QImage normal = b->icon().pixmap(QSize(16, 16), QIcon::Normal).toImage();
        const QImage disabled = b->icon().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        EXPECT_NE(normal, disabled);
    }
    for (QComboBox* c : {f.ComboBox1, f.ComboBox5, f.ComboBox8}) EXPECT_FALSE(c->isEditable());
    ASSERT_EQ(f.ColorBox1->count(), 16);
    EXPECT_EQ(f.ColorBox1->itemText(8), "Silver");
    EXPECT_FALSE(f.ColorBox1->itemIcon(8).isNull());
    EXPECT_EQ(f.ColorBox1->itemIcon(8).pixmap(16, 16).toImage().pixelColor(8, 8),
              QColor(192, 192, 192));
    EXPECT_EQ(f.ColorBox2->itemIcon(3).pixmap(16, 16).toImage().pixelColor(0, 0),
              QColor(60, 60, 60));  // frame
    // The window icon, drawn from the program's picture when first asked for.
    const QIcon icon = f->windowIcon();
    EXPECT_EQ(icon.availableSizes(),
              (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}}));
    EXPECT_EQ(icon.pixmap(48, 48).toImage(), ProgramPicture(QSize(48, 48)).toImage());
}

// Whether an image shows any colour other than greys, among its visible pixels.
bool HasColour(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > 0 && (c.red() != c.green() || c.green() != c.blue())) return true;
        }
    }
    return false;
}

TEST(Pictures, EachLookIsDrawnWhenAskedForAndCopiesShowTheSame) {
    for (const QIcon& icon : {ShowHideIcon(), LabelsIcon()}) {
        const QIcon copy = icon;  // as each toggle keeps its own
        const QImage normal = icon.pixmap(QSize(16, 16), QIcon::Normal).toImage();
        const QImage disabled = copy.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        ASSERT_FALSE(normal.isNull());
        EXPECT_TRUE(HasColour(normal));
        EXPECT_FALSE(HasColour(disabled));  // the greyed look
        EXPECT_EQ(normal.size(), disabled.size());
        // The looks a pointer over the button or a checked button ask for are the normal one.
        EXPECT_EQ(copy.pixmap(QSize(16, 16), QIcon::Active, QIcon::On).toImage(), normal);
        EXPECT_EQ(icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage(), disabled);
    }
    // The sign's number is drawn, not written: the sign shows dark strokes on its yellow
    // whatever fonts the machine has.
    const QImage sign = LabelsIcon().pixmap(QSize(36, 36)).toImage();
    int dark = 0;
    for (int y = 8; y < 20; ++y) {
        for (int x = 8; x < 28; ++x)
            dark += qGray(sign.pixel(x, y)) < 80 && qAlpha(sign.pixel(x, y)) > 200;
    }
    EXPECT_GT(dark, 10);
}

TEST_F(MainWindow, MenusAndShortcuts) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    EXPECT_EQ(f->menuBar()->objectName(), "MainMenu1");
    const QList<QAction*> top = f->menuBar()->actions();
    ASSERT_EQ(top.size(), 4);
    EXPECT_EQ(top[0]->text(), Ru("&Файл"));
    EXPECT_EQ(top[1]->text(), Ru("&Правка"));
    EXPECT_EQ(top[2], f.N3);
    EXPECT_EQ(top[2]->text(), Ru("&Настройки..."));
    EXPECT_EQ(top[2]->menu(), nullptr);
    EXPECT_EQ(top[3]->text(), Ru("&Помощь"));
    const QList<QAction*> file = f.File1->actions();
    ASSERT_EQ(file.size(), 4);
    EXPECT_EQ(file[0], f.SaveAs1);
    EXPECT_EQ(file[0]->text(), Ru("&Сохранить как..."));
    EXPECT_EQ(file[0]->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(file[1]->text(), Ru("&Печать..."));
    EXPECT_EQ(file[1]->shortcut(), QKeySequence("Ctrl+P"));
    EXPECT_TRUE(file[2]->isSeparator());
    EXPECT_EQ(file[3]->text(), Ru("Выход"));
    EXPECT_EQ(f.Copy1->text(), Ru("&Копировать"));
    EXPECT_EQ(f.Copy1->shortcut(), QKeySequence("Ctrl+C"));
    const QList<QAction*> edit = f.Edit1->actions();
    ASSERT_EQ(edit.size(), 4);
    EXPECT_EQ(edit[0], f.Copy1);
    EXPECT_EQ(edit[1], f.Table1);
    EXPECT_EQ(f.Table1->text(), Ru("&Таблица передач..."));
    EXPECT_EQ(f.Table1->shortcut(), QKeySequence("Ctrl+T"));
    EXPECT_EQ(edit[2], f.Razgon1);
    EXPECT_EQ(f.Razgon1->text(), Ru("&Динамика разгона..."));
    EXPECT_EQ(f.Razgon1->shortcut(), QKeySequence("Ctrl+D"));
    EXPECT_EQ(edit[3], f.Find<QAction>("Dynamics1"));
    EXPECT_EQ(f.About1->text(), Ru("&О программе..."));
}

TEST_F(MainWindow, ShortcutsCopyAndPrintTheChart) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form));
    CancellingPrinterSetup setup;
    f.Chart1->SetPrinterSetup(&setup);
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(f.ComboBox2, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasImage());
    QTest::keyClick(f.ComboBox2, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(setup.calls, 1);
    f.Print1->trigger();
    EXPECT_EQ(setup.calls, 2);
    f.Chart1->SetPrinterSetup(nullptr);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindow, CopyAndPrintKeysWinWhateverHasTheFocus) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form));
    CancellingPrinterSetup setup;
    f.Chart1->SetPrinterSetup(&setup);
    QClipboard* clipboard = QGuiApplication::clipboard();

    // A speed typed into SE1 and selected, so that its text field would copy "6500".
    f.SE1->setFocus();
    f.SE1->selectAll();
    QTest::keyClicks(f.SE1, "6500");
    ASSERT_EQ(f.SE1->Text(), "6500");
    f.SE1->selectAll();

    // The toggles and the chart take no focus from a click; code can still give it them.
    QWidget* const controls[] = {f.SE1, f.ComboBox1, f.ColorBox1, f.CB1, f.Chart1};
    int prints = 0;
    for (QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        if (control != f.SE1) control->setFocus();
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus == control || control->isAncestorOf(focus));
        clipboard->setText("before");
        QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* mime = clipboard->mimeData();
        EXPECT_FALSE(mime->hasText()) << mime->text().toStdString();
        EXPECT_TRUE(mime->hasImage());
        QTest::keyClick(focus, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(setup.calls, ++prints);
    }
    EXPECT_EQ(f.SE1->Text(), "6500");
    f.Chart1->SetPrinterSetup(nullptr);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindow, TheChartPanelGoesBeforeTheSeriesItWatches) {
    WriteCatalog(SampleCatalogFile(','));
    const Form1 window = Open();
    const Form1* f = &window;
    ASSERT_EQ(PointCount(0), 10u);
    // Read while the panel is being destroyed: the window's series must still be there.
    // (A panel left to the QWidget base would reach them after they are freed, which the
    // sanitizer build reports from the panel's destructor.)
    std::size_t pointsWhenThePanelWent = 0;
    QObject::connect(f->Chart1, &QObject::destroyed,
                     [&] { pointsWhenThePanelWent = f->form->Chart()[0].Points().size(); });
    form_.reset();
    EXPECT_EQ(pointsWhenThePanelWent, 10u);
}

TEST_F(MainWindow, UserChangesRedrawAndCodeChangesDoNot) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    ASSERT_EQ(PointCount(0), 10u);
    // CB1 twice: first without the curves of set 1, then with them again.
    QTest::mouseClick(f.CB1, Qt::LeftButton);
    EXPECT_FALSE(f.CB1->isChecked());
    EXPECT_EQ(PointCount(0), 0u);
    QTest::mouseClick(f.CB1, Qt::LeftButton);
    EXPECT_EQ(PointCount(0), 10u);

    // Code that sets a toggle or a selection draws nothing.
    f.CB1->setChecked(false);
    f.ComboBox1->setCurrentIndex(0);
    EXPECT_EQ(PointCount(0), 10u);

    // A pick with the keyboard is the user's: the chart follows the list (the sport row
    // has six gears).
    f->activateWindow();
    f.ComboBox1->setFocus();
    f.CB1->setChecked(true);
    f.ComboBox1->setCurrentIndex(1);
    QTest::keyClick(f.ComboBox1, Qt::Key_Up);
    EXPECT_EQ(f.ComboBox1->currentText(), Ru("спорт"));
    EXPECT_EQ(PointCount(0), 12u);

    QTest::keyClick(f.ColorBox1, Qt::Key_Down);
    EXPECT_EQ(f.ColorBox1->currentText(), "Lime");
    EXPECT_EQ(f->Chart()[0].GetColor(), colors::Lime);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindow, SpinEditTypingRules) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    SpinEdit* se = f.SE1;
    // The first key replaces the whole text.
    const auto retype = [&](const char* keys) {
        se->selectAll();
        QTest::keyClicks(se, keys);
    };
    retype("99999");
    EXPECT_EQ(se->Text(), "99999");
    QTest::keyClicks(se, "9");  // a sixth character is refused
    EXPECT_EQ(se->Text(), "99999");
    QTest::keyClick(se, Qt::Key_Up);  // the step reaches the maximum the keyboard cannot
    EXPECT_EQ(se->Text(), "100000");
    QTest::keyClick(se, Qt::Key_Up);
    EXPECT_EQ(se->Text(), "100000");
    QTest::keyClick(se, Qt::Key_Down);
    EXPECT_EQ(se->Text(), "99500");

    // Clearing gives 0 and draws with it: every point of set 1 at the origin.
    se->selectAll();
    QTest::keyClick(se, Qt::Key_Backspace);
    EXPECT_EQ(se->Text(), "0");
    ASSERT_EQ(PointCount(0), 10u);
    for (const ChartPoint& p : f->Chart()[0].Points()) EXPECT_EQ(p, (ChartPoint{0, 0}));

    // A lone minus stays and draws with 0; a negative number becomes 0.
    retype("4000");
    EXPECT_NE(f->Chart()[6].Points().back(), (ChartPoint{0, 0}));
    retype("-");
    EXPECT_EQ(se->Text(), "-");
    EXPECT_EQ(f->Chart()[6].Points().back(), (ChartPoint{0, 0}));
    QTest::keyClicks(se, "5");
    EXPECT_EQ(se->Text(), "0");

    // Only digits, signs and the decimal separator can be typed.
    retype("12a.b,");
    EXPECT_EQ(se->Text(), "12,");
    EXPECT_EQ(se->Value(), 0);
    retype("+700");
    EXPECT_EQ(se->Value(), 700);

    // Setting the value in code keeps it in range and goes through the change handling.
    se->SetValue(250000);
    EXPECT_EQ(se->Text(), "100000");
    se->SetValue(3000);
    EXPECT_EQ(f->Chart()[6].Points().back().y, 3000);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(MainWindow, KeyboardOrderBottomRowFirst) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    f->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form));
    EXPECT_EQ(QApplication::focusWidget(), f.ComboBox2);
    const QWidget* expected[] = {f.ComboBox5, f.ComboBox8, f.ColorBox2, f.ComboBox1,
                                 f.ComboBox4, f.ComboBox7, f.ColorBox1, f.SE1};
    for (const QWidget* w : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget* now = QApplication::focusWidget();
        // The spin edit's focus sits in its line edit.
        EXPECT_TRUE(now == w || now->parentWidget() == w) << w->objectName().toStdString();
    }
    for (const QToolButton* b : {f.CB1, f.CB2, f.CB3, f.CB4})
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindow, ZapolnenieFormKeepsSelectionsByTextElseByPosition) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    f.ComboBox7->setCurrentIndex(1);
    f.ComboBox4->setCurrentIndex(2);
    f.ComboBox5->setCurrentIndex(1);  // "3,9", about to go
    f.ComboBox1->setCurrentIndex(-1);
    Catalog& catalog = TheCatalog();
    auto row = std::make_unique<Riad>();
    row->Name = Cp("Авто");
    catalog.AppendRow(std::move(row));
    catalog.RemovePair(catalog.Pairs.At(0));  // two pairs left
    catalog.RemoveTyre(catalog.Tyres.At(0));
    catalog.RemoveTyre(catalog.Tyres.At(0));  // no tyres left
    const auto before = f->Chart()[0].Points();
    f->ZapolnenieForm();
    EXPECT_EQ(Items(f.ComboBox2), QStringList({Ru("Авто"), Ru("спорт"), Ru("Стандартный")}));
    EXPECT_EQ(f.ComboBox2->currentText(), Ru("Стандартный"));  // by text, now at position 2
    EXPECT_EQ(f.ComboBox1->currentIndex(), -1);                // nothing chosen, nothing selected
    EXPECT_EQ(f.ComboBox4->currentText(), "4,1");
    EXPECT_EQ(f.ComboBox5->currentIndex(), 1);  // its text is gone: by position
    EXPECT_EQ(f.ComboBox5->currentText(), "4,1");
    EXPECT_EQ(f.ComboBox7->count(), 0);
    EXPECT_EQ(f.ComboBox7->currentIndex(), -1);
    EXPECT_EQ(f->Chart()[0].Points(), before);  // refilling draws nothing
}

TEST_F(MainWindow, AboutBoxEachTimeModalAndClosedWithEnter) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    // Away from the middle of the screen, where the box goes all the same.
    f->move(0, 0);
    int shown = 0;
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            ++shown;
            const QPoint middle = box->screen()->geometry().center();
            EXPECT_LE((box->frameGeometry().center() - middle).manhattanLength(), 1);
            EXPECT_GT((f->geometry().center() - middle).manhattanLength(), 50);
            EXPECT_EQ(box->font().family(), "MS Sans Serif");
            EXPECT_EQ(box->font().pixelSize(), 11);
            // Whatever face stands in for it, the text is 11 pixels high.
            EXPECT_EQ(QFontInfo(box->Comments->font()).pixelSize(), 11);
            EXPECT_EQ(box->Version->font(), box->font());
            EXPECT_EQ(box->Label3->font().pixelSize(), 13);
            EXPECT_EQ(box->Label3->font().family(), "MS Sans Serif");
            EXPECT_EQ(box->windowTitle(), "About");
            EXPECT_EQ(box->size(), QSize(298, 213));
            EXPECT_EQ(box->minimumSize(), box->maximumSize());
            EXPECT_EQ(box->Label3->text(), "Kelm");
            EXPECT_EQ(box->Label2->text(), "0.9");
            EXPECT_EQ(box->ProductName->text(), "Product Name");
            EXPECT_EQ(box->Version->text(), "Version");
            EXPECT_EQ(box->Comments->text(), "Comments");
            EXPECT_EQ(box->ProgramIcon->geometry(), QRect(8, 8, 121, 81));
            EXPECT_GE(box->Label3->x(), 216);  // never over its caption
            EXPECT_GT(box->Label3->x(), box->ProductName->geometry().right());
            EXPECT_GT(box->Label2->x(), box->Version->geometry().right());
            EXPECT_EQ(box->Panel1->geometry(), QRect(8, 8, 281, 161));
            EXPECT_EQ(box->OKButton->geometry(), QRect(111, 180, 75, 25));
            EXPECT_TRUE(box->OKButton->isDefault());
            QTest::keyClick(box, Qt::Key_Return);
        });
        f.About1->trigger();  // returns once the box is closed
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(shown, 2);
}

}  // namespace
}  // namespace kelm::testing
