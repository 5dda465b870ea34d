#pragma once

#include <QDialog>
#include <array>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;

namespace kelm {

class Catalog;
class MaskEdit;
class NameComboBox;
class PickComboBox;
class SpinEdit;

// The catalog editor, "Настройка": gear rows, main pairs and tyres are added, replaced and
// deleted here, acting at once on the catalog; there is no cancel.  Only the window's close
// command (its close box, or the system's close keystroke) closes the dialog, never
// Escape, and closing writes the whole catalog file.  The main window runs it with
//     TForm2 dlg(TheCatalog(), datPath, this); dlg.FormCreate();
// Every control carries its designer name as its objectName.
class TForm2 : public QDialog {
    Q_OBJECT
  public:
    TForm2(Catalog& catalog, std::string catalogPath, QWidget* parent = nullptr);
    ~TForm2() override;

    // Fills the dialog, then runs it modally; returns when the user has closed it.
    void FormCreate();
    // Writes the catalog file; runs on every close.
    void FormClose();

    // Fills the three lists from the catalog and shows the alphabetically first gear row
    // and tyre.  Meant for a new dialog whose lists are still empty.
    void ZapolnenieForm();
    // Shows the ratios of CurrentRow in ME1..ME6 (or "0,000" each when there is none).
    void Zapolnenie1();
    // Shows the perimeter of CurrentTyre in SE3 (or 0 when there is none).
    void Zapolnenie3();
    // The overwrite and the delete questions; true on Yes.
    bool ErrEstZapis();
    bool DeleteMsg();

    void Button1Click();  // add or replace a gear row
    void Button2Click();  // add a main pair
    void Button3Click();  // add or replace a tyre
    void Button4Click();  // delete a gear row
    void Button5Click();  // delete a main pair
    void Button6Click();  // delete a tyre
    void ComboBox1Change();
    void ComboBox2Change();
    void ComboBox3Change();
    void BitBtn1Click();  // perimeter calculator

  public slots:
    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    // A name the catalog file can hold; otherwise says why and returns false.
    bool NameCanBeStored(const QString& name);
    bool FindRowNamed(const QString& name);
    bool FindTyreNamed(const QString& name);
    void ShowNoRow();

    Catalog& catalog_;
    std::string catalogPath_;

    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    NameComboBox* ComboBox1 = nullptr;
    PickComboBox* ComboBox2 = nullptr;
    NameComboBox* ComboBox3 = nullptr;
    std::array<MaskEdit*, 6> ME{};  // ME1..ME6
    MaskEdit* ME21 = nullptr;
    SpinEdit* SE3 = nullptr;
    SpinEdit* SE4 = nullptr;
    SpinEdit* SE1 = nullptr;
    SpinEdit* SE2 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QPushButton* Button5 = nullptr;
    QPushButton* Button6 = nullptr;
    QPushButton* BitBtn1 = nullptr;
};

}  // namespace kelm
