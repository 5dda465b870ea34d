#pragma once

#include <QTableWidget>

#include "dynamicsui/dynamicswindow.h"
#include "mainwindow_fixture.h"
#include "widgets/decimalspin.h"

// The acceleration window over the worked example's catalog, opened from the main window as
// the user opens it, for the tests of the window and of its tabs.
namespace kelm::testing {

// The catalog of the worked example, its numbers with the given decimal separator: its
// gear row, pair and tyre, and a five-speed row and another pair.
inline std::string ExampleCatalog(char sep) {
    const auto n = [sep](std::string v) {
        for (char& c : v) {
            if (c == ',') c = sep;
        }
        return v + "\r\n";
    };
    return Cp("Riads\r\n_\r\n4-ступ. классическая 3,67-2,10-1,36-1,00\r\n" + n("3,67") + n("2,1") +
              n("1,36") + n("1") + n("0") + n("0") + "_\r\n5-ступ. 3,67-2,10-1,36-1,00-0,82\r\n" +
              n("3,67") + n("2,1") + n("1,36") + n("1") + n("0,82") + n("0") + "Paras\r\n_\r\n" +
              n("3,9") + "_\r\n" + n("4,1") + "Koless\r\n_\r\n175/70 R13\r\n1807\r\n");
}

// The settings of example A in set 1: SE1 6000, set 2 hidden.
inline std::string ExampleSettings(char sep) {
    return "SE1=6000\r\nCB1=1\r\nCB2=0\r\nComboBox1=4-ступ. классическая 3,67-2,10-1,36-1,00\r\n"
           "ComboBox2=5-ступ. 3,67-2,10-1,36-1,00-0,82\r\nComboBox4=3" +
           std::string(1, sep) + "9\r\nComboBox5=4" + std::string(1, sep) +
           "1\r\nComboBox7=175/70 R13\r\nComboBox8=175/70 R13\r\n";
}

// The window's controls, found by their objectName.
struct RazgonForm : WindowControls<DynamicsWindow> {
    using WindowControls::WindowControls;
    QComboBox* EngineBox1 = Find<QComboBox>("EngineBox1");
    QComboBox* EngineBox2 = Find<QComboBox>("EngineBox2");
    QComboBox* CarBox2 = Find<QComboBox>("CarBox2");
    QComboBox* ShiftBox = Find<QComboBox>("ShiftBox");
    DecimalSpin* LaunchEdit = Find<DecimalSpin>("LaunchEdit");
    DecimalSpin* ShiftTimeEdit = Find<DecimalSpin>("ShiftTimeEdit");
    QTabWidget* Tabs1 = Find<QTabWidget>("Tabs1");
    ChartPanel* ChartRazgon = Find<ChartPanel>("ChartRazgon");
    ChartPanel* ChartBalance = Find<ChartPanel>("ChartBalance");
    QTableWidget* Grid1 = Find<QTableWidget>("Grid1");
    DecimalSpin* PairFromEdit = Find<DecimalSpin>("PairFromEdit");
    DecimalSpin* PairToEdit = Find<DecimalSpin>("PairToEdit");

    explicit operator bool() const { return form && Grid1 && EngineBox1; }
};

class DynamicsWindowTest : public MainWindowTest {
  protected:
    std::string DynamicsPath() const { return dir_ / "Kelm-dynamics.json"; }

    // The main window over the example's catalog and settings, its engines and cars in the
    // scratch folder (the sample's, until a test writes a file).
    Form1 OpenExample(char sep = ',') {
        WriteCatalog(ExampleCatalog(sep));
        WriteSettings(ExampleSettings(sep));
        Form1 f = Open();
        f->SetDynamicsPath(DynamicsPath());
        return f;
    }

    // Ctrl+D on the main window, as the user presses it there.
    RazgonForm PressCtrlD(const Form1& f) {
        f->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(f.form));
        QTest::keyClick(f.ComboBox2, Qt::Key_D, Qt::ControlModifier);
        return RazgonForm(f->findChild<DynamicsWindow*>(QStringLiteral("RazgonForm")));
    }

    // Opens the window and makes it the one the keys go to.  (Waiting for it to say it is
    // active is not enough: a window shares that with its parent while the parent still has
    // the keys.)
    RazgonForm OpenActive(const Form1& f) {
        RazgonForm d = PressCtrlD(f);
        if (!d) return d;
        d->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == d.form; }));
        return d;
    }

    // The user types over a number field's text (and stays in the field).
    static void TypeOver(DecimalSpin* field, const char* text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    }

    // A cell of the table by its row's caption; column 1 is set 1.
    static QString Cell(const QTableWidget* grid, const char* caption, int column) {
        for (int r = 0; r < grid->rowCount(); ++r) {
            const QTableWidgetItem* c = grid->item(r, 0);
            if (c && c->text() == Ru(caption)) {
                const QTableWidgetItem* item = grid->item(r, column);
                return item ? item->text() : QString();
            }
        }
        ADD_FAILURE() << "no row " << caption;
        return {};
    }
    // The whole text of a set's heading (the cell shows it wrapped).
    static QString Heading(const QTableWidget* grid, int column) {
        return grid->item(0, column)->toolTip();
    }
};

// Answers the chart's save dialog with Cancel from the test, and counts the calls.
class CountingSaveDialog : public SaveFileDialog {
  public:
    QString Exec(QWidget*, const QString&, const QString&, const QStringList&, QString&) override {
        ++calls;
        return {};
    }
    int calls = 0;
};

}  // namespace kelm::testing
