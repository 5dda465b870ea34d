// The catalog editor opened from the main window's "&Настройки..." and what the main
// window shows after it closes.
#include <QAction>
#include <QFile>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "editor/editor.h"
#include "editor_test_support.h"
#include "mainwindow_fixture.h"

namespace kelm::testing {
namespace {

class MainWindowEditor : public MainWindowTest {
  protected:
    // Opens the editor through the menu and lets `edit` act in it as the user would; the
    // editor is closed with its close box afterwards.  Returns once it has closed.
    void EditCatalog(const std::function<void(TForm2&)>& edit) {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<TForm2*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            ran = true;
            struct CloseAtEnd {
                TForm2* e;
                ~CloseAtEnd() { e->close(); }
            } closer{editor};
            edit(*editor);
        });
        Form1(*form_).N3->trigger();
        EXPECT_TRUE(ran);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }

    static void TypeName(TForm2& e, const char* list, const QString& text) {
        auto* box = e.findChild<QComboBox*>(QString::fromLatin1(list));
        box->lineEdit()->selectAll();
        TypeKeys(box, text);
    }
    static void TypeField(TForm2& e, const char* field, const QString& text) {
        auto* edit = e.findChild<MaskEdit*>(QString::fromLatin1(field));
        edit->selectAll();
        TypeKeys(edit, text);
    }
    static void Click(TForm2& e, const char* button) {
        QTest::mouseClick(e.findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    }
};

TEST_F(MainWindowEditor, SelectionsStayOnTheirItemsAndTheChartShowsTheEditedRow) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    ASSERT_EQ(f.ComboBox1->currentText(), Ru("Стандартный"));
    ASSERT_EQ(f.ComboBox1->currentIndex(), 1);
    const auto before = f->Chart()[0].Points();
    ASSERT_FALSE(before.empty());

    EditCatalog([&](TForm2& e) {
        EXPECT_EQ(e.findChild<QComboBox*>("ComboBox1")->count(), 2);  // filled from the catalog
        TypeName(e, "ComboBox1", Ru("Авто"));  // sorts before every other row
        Click(e, "Button1");
        TypeName(e, "ComboBox1", Ru("Стандартный"));
        TypeField(e, "ME1", "4");
        messages_.answers = {true};
        Click(e, "Button1");
    });

    EXPECT_EQ(Items(f.ComboBox1), QStringList({Ru("Авто"), Ru("спорт"), Ru("Стандартный")}));
    EXPECT_EQ(f.ComboBox1->currentText(), Ru("Стандартный"));  // not "спорт", now at its old place
    EXPECT_EQ(f.ComboBox2->currentText(), Ru("Стандартный"));
    EXPECT_EQ(f.ComboBox4->currentText(), "3,9");
    EXPECT_EQ(f.ComboBox7->currentText(), Ru("Бл 85 165/70-13"));
    // First gear is now 4 instead of 3.5: the chart was redrawn with it.
    const auto after = f->Chart()[0].Points();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_LT(after[1].x, before[1].x);
    EXPECT_DOUBLE_EQ(after[1].x * 4, before[1].x * 3.5);

    // The catalog file was written when the editor closed.
    QFile file(QString::fromStdString(CatalogPath()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains(QByteArray::fromStdString(Cp("Авто"))));
}

TEST_F(MainWindowEditor, DeletedItemsGiveWayByPositionAndTheirCurvesGo) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    f.CB2->click();  // show set 2 as well
    ASSERT_EQ(f.ComboBox8->currentText(), Ru("Бл 85 165/70-13"));
    ASSERT_FALSE(f->Chart()[7].Points().empty());

    EditCatalog([&](TForm2& e) {
        TypeName(e, "ComboBox3", Ru("Аб 175/70-13"));
        messages_.answers = {true, true};
        Click(e, "Button6");  // "Аб 175/70-13" goes
        Click(e, "Button6");  // then "Бл 85 165/70-13": no tyres left
        EXPECT_EQ(e.findChild<QComboBox*>("ComboBox3")->count(), 0);
    });

    EXPECT_EQ(f.ComboBox7->count(), 0);
    EXPECT_EQ(f.ComboBox8->currentIndex(), -1);
    // Without a tyre no set has a shift curve; nothing drawn from the deleted records.
    for (std::size_t series = 0; series < 14; ++series)
        EXPECT_LE(f->Chart()[series].Points().size(), 1u) << series;
    EXPECT_EQ(TheCatalog().CurrentTyre, nullptr);
}

TEST_F(MainWindowEditor, EscapeLeavesTheEditorOpenAndItsCloseBoxWritesTheFile) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    std::filesystem::remove(CatalogPath());
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* editor = QApplication::activeModalWidget();
        ASSERT_NE(editor, nullptr);
        ran = true;
        EXPECT_EQ(editor->windowTitle(), Ru("Настройка"));
        QTest::keyClick(editor, Qt::Key_Escape);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), editor);
        EXPECT_FALSE(std::filesystem::exists(CatalogPath()));
        editor->close();
    });
    f.N3->trigger();
    EXPECT_TRUE(ran);
    EXPECT_TRUE(std::filesystem::exists(CatalogPath()));
    EXPECT_EQ(f.ComboBox1->currentText(), Ru("Стандартный"));
}

}  // namespace
}  // namespace kelm::testing
