#pragma once

#include <QDialog>
#include <array>
#include <string>
#include <string_view>

#include "chart/plot.h"
#include "dynamics/dynamicsdata.h"

class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QTabWidget;
class QVBoxLayout;

namespace kelm {

class ChartPanel;
class CurveModel;
class CurveTable;
class DecimalSpin;

enum class DynamicsEditorPage { Engines, Cars };

// Runs the dialog modally on the data; closing it saves the file (SaveDynamics). True when the data
// changed.
bool RunDynamicsEditor(QWidget* parent, DynamicsData& data, const std::string& path,
                       DynamicsEditorPage page = DynamicsEditorPage::Engines,
                       std::string_view select = {});

// "Двигатели и автомобили": the engines with their torque curves and the cars with their
// numbers, each list in the user's order.  Every change acts at once on the data, and only
// a change that keeps the records valid is taken: a refused value is said in one message
// that names the field and what it allows, and the field shows the stored value again.  So
// the data may be written whenever the dialog closes, which it does through its close box
// or "Закрыть" (never Escape, which would drop what is being typed), saving the file.  A
// value still being typed when the dialog is closed is taken first; refused, it keeps the
// dialog open.  Controls carry objectNames for tests and tools.
class DynamicsEditor : public QDialog {
    Q_OBJECT
  public:
    DynamicsEditor(DynamicsData& data, std::string path, QWidget* parent = nullptr);
    ~DynamicsEditor() override;

    // Shows the page and selects the record of that name there (the first when there is
    // none of that name).
    void Select(DynamicsEditorPage page, std::string_view name);

    // Takes what is still being typed (a name, a car's number, a cell of the curve); false
    // when some of it was refused.
    bool CommitEdits();
    // Writes the file; runs when the dialog closes.
    void FormClose();

    // What the preview chart shows.
    const Plot& Preview() const { return plot_.Get(); }

    // The delete question; true on "Да".
    bool DeleteMsg(bool car, const std::string& name);

  public slots:
    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What the two pages have alike: the list of names, the buttons under it, the name
    // field and the record's side.
    struct Page {
        bool car = false;
        QListWidget* List = nullptr;
        QPushButton* AddButton = nullptr;
        QPushButton* CopyButton = nullptr;
        QPushButton* RenameButton = nullptr;
        QPushButton* DeleteButton = nullptr;
        QLineEdit* Name = nullptr;
        QWidget* Record = nullptr;
    };

    // A page, its record's side filled by one of the two below.
    QWidget* BuildPage(Page& page);
    void BuildEngineRecord(QVBoxLayout* column);
    void BuildCarRecord(QVBoxLayout* column);
    Page& PageOf(bool car) { return car ? cars_ : engines_; }

    // The records of a page, by position.
    std::size_t Count(bool car) const;
    const std::string& NameAt(bool car, std::size_t row) const;
    int Row(bool car) const;  // the selected record, or -1

    // The list shows record `row` (or none, -1), and the record's side shows it.
    void SelectRow(bool car, int row);
    void ShowRecord(bool car);
    void ShowCurve();  // the preview, after each change of the curve

    void AddClick(bool car);
    void CopyClick(bool car);
    void RenameClick(bool car);
    void DeleteClick(bool car);
    bool CommitName(bool car);
    bool CommitCarField(std::size_t field);
    // One message for a refused value or name.
    void Refuse(const std::string& text);
    // The table and the preview side by side where there is room, one above the other
    // where there is not.
    void ArrangeCurve();
    void StretchCurve(Qt::Orientation orientation);
    // The car's captions beside their fields where there is room, above them where not.
    void ArrangeCarNumbers();

    DynamicsData& data_;
    std::string path_;
    int refusals_ = 0;  // refusals so far, so that CommitEdits can tell whether one happened

    QTabWidget* Tabs = nullptr;
    Page engines_{false};
    Page cars_{true};
    QPushButton* CloseButton = nullptr;
    QSplitter* CurveSplit = nullptr;
    CurveModel* Curve = nullptr;
    CurveTable* CurveGrid = nullptr;
    QPushButton* AddPoint = nullptr;
    QPushButton* DeletePoint = nullptr;
    QPushButton* PastePoints = nullptr;
    PlotModel plot_;  // before the chart panel, which draws it
    ChartPanel* CurveChart = nullptr;
    QFormLayout* CarForm = nullptr;
    std::array<DecimalSpin*, 9> CarSpins{};  // in the order of CarFields()
};

}  // namespace kelm
