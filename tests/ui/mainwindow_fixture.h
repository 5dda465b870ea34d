#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLocale>
#include <QMenu>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "base/cp1251.h"
#include "base/numtext.h"
#include "catalog/catalog.h"
#include "chart/chartpanel.h"
#include "core/file_test_support.h"
#include "core/recording_messages.h"
#include "mainwindow/mainwindow.h"
#include "widgets/colorbox.h"
#include "widgets/numberformat.h"
#include "widgets/spinedit.h"

namespace kelm::testing {

inline std::string Cp(std::string_view utf8) { return Utf8ToCp1251(utf8).value(); }
inline QString Ru(const char* utf8) { return QString::fromUtf8(utf8); }

// The sample catalog of these tests, as the catalog file holds it, with the given decimal
// separator: two gear rows, the pairs 3.9, 4.1 and 10.5, two tyres.
inline std::string SampleCatalogFile(char sep) {
    std::string text =
        "Riads\r\n_\r\nСтандартный\r\n3,5\r\n2\r\n1,4\r\n1\r\n0,8\r\n0\r\n"
        "_\r\nспорт\r\n3,2\r\n2,1\r\n1,5\r\n1,1\r\n0,9\r\n0,7\r\n"
        "Paras\r\n_\r\n3,9\r\n_\r\n4,1\r\n_\r\n10,5\r\n"
        "Koless\r\n_\r\nБл 85 165/70-13\r\n1800\r\n_\r\nАб 175/70-13\r\n1850\r\n";
    for (char& c : text) {
        if (c == ',') c = sep;
    }
    return Cp(text);
}

// Answers the printer setup dialog with Cancel and counts the calls.
class CancellingPrinterSetup : public PrinterSetup {
  public:
    bool Exec(QPrinter&, QWidget*) override {
        ++calls;
        return false;
    }
    int calls = 0;
};

// A window's controls, found by their objectName as a user's tools find them (none where
// the window was not opened), and the window itself behind "->".
template <class Window>
struct WindowControls {
    explicit WindowControls(Window* window) : form(window) {}

    template <class T>
    T* Find(const char* name) const {
        T* found = form ? form->template findChild<T*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    Window* operator->() const { return form; }

    Window* form;
};

// The main window's controls.
struct Form1 : WindowControls<TForm1> {
    explicit Form1(TForm1& window) : WindowControls(&window) {}
    QFrame* Panel2 = Find<QFrame>("Panel2");
    SpinEdit* SE1 = Find<SpinEdit>("SE1");
    QToolButton* CB1 = Find<QToolButton>("CB1");
    QToolButton* CB2 = Find<QToolButton>("CB2");
    QToolButton* CB3 = Find<QToolButton>("CB3");
    QToolButton* CB4 = Find<QToolButton>("CB4");
    QComboBox* ComboBox1 = Find<QComboBox>("ComboBox1");
    QComboBox* ComboBox2 = Find<QComboBox>("ComboBox2");
    QComboBox* ComboBox4 = Find<QComboBox>("ComboBox4");
    QComboBox* ComboBox5 = Find<QComboBox>("ComboBox5");
    QComboBox* ComboBox7 = Find<QComboBox>("ComboBox7");
    QComboBox* ComboBox8 = Find<QComboBox>("ComboBox8");
    ColorBox* ColorBox1 = Find<ColorBox>("ColorBox1");
    ColorBox* ColorBox2 = Find<ColorBox>("ColorBox2");
    ChartPanel* Chart1 = Find<ChartPanel>("Chart1");
    QMenu* File1 = Find<QMenu>("File1");
    QAction* SaveAs1 = Find<QAction>("SaveAs1");
    QAction* Print1 = Find<QAction>("Print1");
    QAction* N2 = Find<QAction>("N2");
    QAction* Exit1 = Find<QAction>("Exit1");
    QMenu* Edit1 = Find<QMenu>("Edit1");
    QAction* Copy1 = Find<QAction>("Copy1");
    QAction* Table1 = Find<QAction>("Table1");
    QAction* Razgon1 = Find<QAction>("Razgon1");
    QAction* N3 = Find<QAction>("N3");
    QMenu* Help1 = Find<QMenu>("Help1");
    QAction* About1 = Find<QAction>("About1");

    operator TForm1&() const { return *form; }
};

// A main window over a catalog and a settings file in a scratch folder, with the message
// boxes recorded.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedFormat_ = GlobalNumberFormat();
        GlobalNumberFormat().decimalSeparator = ',';
    }
    void TearDown() override {
        form_.reset();
        TheCatalog().ClearCatalog();
        GlobalNumberFormat() = savedFormat_;
    }

    std::string CatalogPath() const { return dir_ / "Kelm.dat"; }
    std::string SettingsPath() const { return dir_ / "Kelm.ini"; }

    void WriteCatalog(const std::string& bytes) { WriteBytes(CatalogPath(), bytes); }
    void WriteSettings(const std::string& utf8Body) {
        WriteBytes(SettingsPath(), Cp("[Параметры]\r\n" + utf8Body));
    }

    // Creates the window (which loads everything) and shows it.
    Form1 Open(const std::string& settingsPath = {}) {
        form_ = std::make_unique<TForm1>(CatalogPath(),
                                         settingsPath.empty() ? SettingsPath() : settingsPath);
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        return Form1(*form_);
    }

    // Closes the window as its close button does; true when it closed.
    bool CloseWindow() { return form_->close(); }

    // Points of one series of the chart.
    std::size_t PointCount(std::size_t series) const {
        return form_->Chart()[series].Points().size();
    }

    static QStringList Items(const QComboBox* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
        return out;
    }

    TempFolder dir_;
    RecordingMessages messages_;
    std::unique_ptr<TForm1> form_;
    NumberFormat savedFormat_;
};

// A fixture whose tests run only in ctest entries of their own, under LC_ALL=ru_RU.UTF-8 and
// LC_ALL=C.UTF-8 (KELM_LOCALE_TEST names the separator expected), with the program's number
// format taken from the system's locale as at start-up; in the plain run they have nothing
// to check.
template <class Fixture>
class UnderSystemLocale : public Fixture {
  protected:
    void SetUp() override {
        Fixture::SetUp();
        const QByteArray expected = qgetenv("KELM_LOCALE_TEST");
        if (expected.size() != 1) GTEST_SKIP() << "runs only under its own locale";
        separator_ = expected.at(0);
        UseLocaleNumberFormat(QLocale::system());
    }
    char separator_ = 0;  // the system's decimal separator
};

}  // namespace kelm::testing
