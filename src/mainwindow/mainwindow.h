#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <utility>

#include "chart/series.h"
#include "chart/shiftcurves.h"
#include "dynamics/dynamicsdata.h"
#include "settings/windowsettings.h"

class QAction;
class QComboBox;
class QFrame;
class QMenu;
class QStringListModel;
class QToolButton;

namespace kelm {

class ChartPanel;
class ColorBox;
class DynamicsWindow;
class GearTableWindow;
class SpinEdit;

// The main window: two comparison sets above the shift chart.  Every user change of a
// control the chart depends on redraws the chart; selections set from code raise no event.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    // The catalog file and the window settings file, whose places the program has chosen
    // (beside itself, or in the user's own folders).  Construction runs FormCreate: the catalog is
    // loaded, the lists filled, the settings applied and the chart drawn, before the window is
    // first shown.
    TForm1(std::string catalogPath, std::string settingsPath, QWidget* parent = nullptr);
    ~TForm1() override;

    // The design size, which is also the smallest the window may take.
    static constexpr int kMinWidth = 640;
    static constexpr int kMinHeight = 480;

    void FormCreate();
    void ZapolnenieForm();
    void Ravnenie();
    void Grafic();
    void OpenParametrs();
    void SaveParametrs();

    // The window's state as the settings file keeps it.
    WindowSettings CurrentSettings() const;

    const ShiftChart& Chart() const { return *chart_; }
    const std::string& CatalogPath() const { return catalogPath_; }
    const std::string& SettingsPath() const { return settingsPath_; }
    // The engines, cars and run choices of the dynamics file, for the windows that show or
    // edit them.  The file is read when they are first asked for, not at start-up: a user
    // who only compares gearing is never stopped by a message about it.  Shared by those
    // windows; each change is written back with SaveDynamics.
    void SetDynamicsPath(std::string path) { dynamicsPath_ = std::move(path); }
    const std::string& DynamicsPath() const { return dynamicsPath_; }
    DynamicsData& Dynamics();

    // Handlers.
    void SE1Change();
    void N3Click();
    void About1Click();
    void Exit1Click();
    void FormClose();
    void N1Click();
    void Print1Click();
    void SaveAs1Click();
    void Table1Click();     // opens the gear table, or brings it to the front
    void Razgon1Click();    // opens "Динамика разгона", or brings it to the front
    void Dynamics1Click();  // the engines and cars editor
    // A main pair the acceleration window found best for set 1 or 2: added to the catalog as
    // the catalog editor adds one (never a second time) and saved with the catalog, the lists
    // filled again, the pair chosen in the set and the chart drawn, which the windows follow.
    void AddPairToSet(int set, MainPair pair);

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The controls, under their designer names, which are also their objectNames: tests
    // and tools find them by name.
    QFrame* Panel2;
    SpinEdit* SE1;
    QToolButton* CB1;
    QToolButton* CB2;
    QToolButton* CB3;
    QToolButton* CB4;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    QComboBox* ComboBox4;
    QComboBox* ComboBox5;
    QComboBox* ComboBox7;
    QComboBox* ComboBox8;
    ColorBox* ColorBox1;
    ColorBox* ColorBox2;
    ChartPanel* Chart1;
    GearTableWindow* GearTable1 = nullptr;    // made at its first opening, then kept
    DynamicsWindow* DynamicsForm1 = nullptr;  // likewise

    QMenu* File1;
    QAction* SaveAs1;
    QAction* Print1;
    QAction* N2;
    QAction* Exit1;
    QMenu* Edit1;
    QAction* Copy1;
    QAction* Table1;
    QAction* Razgon1;
    QAction* Dynamics1;
    QAction* N3;
    QMenu* Help1;
    QAction* About1;

    // Whether a key event is the shortcut of Copy1 or Print1, which win over a text
    // field's own use of the keys (the spin edit's copies text).
    bool IsWindowShortcut(QEvent* event) const;
    // Watches the events of the controls that would otherwise take those keys (the text
    // fields) and of the panel, whose resizes lay its rows out.
    void WatchControls();
    void ShowFollowing(QWidget* window, bool first) const;
    // Set 1 or 2 as its controls on the panel choose it.
    ComparisonSet ChosenSet(int set) const;
    void BuildPanel(QWidget* client);
    void BuildMenu();
    void ConnectHandlers();
    // Runs a handler body, showing what it raises in the error box.
    template <class F>
    void Handle(F&& body);

    // The items of the two lists of each kind, shared by them: one model per kind, set
    // whole on each refill, instead of an item object per entry in each list.
    QStringListModel* rowItems_ = nullptr;
    QStringListModel* pairItems_ = nullptr;
    QStringListModel* tyreItems_ = nullptr;

    // The fourteen series, made before Chart1, which draws them and watches them for
    // changes.  Chart1, a child, would be destroyed by the QWidget base after the members:
    // the destructor deletes it first.  Kept on the heap so that a sanitizer build reports
    // any panel that still reaches them once they are gone.
    std::unique_ptr<ShiftChart> chart_;
    ChartGears gears_;  // what the last Grafic computed, for the gear table window
    std::string catalogPath_;
    std::string settingsPath_;
    std::string dynamicsPath_;
    std::unique_ptr<DynamicsData> dynamics_;  // read at the first Dynamics()
    bool placed_ = false;
};

}  // namespace kelm
