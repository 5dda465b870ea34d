#pragma once

#include <QAbstractSpinBox>
#include <optional>

namespace kelm {

// A spin box of a decimal number shown with the program's decimal separator (never the C
// library's or Qt's locale), for fields whose owner checks what the user typed and says
// why it refuses it.  Unlike QDoubleSpinBox it never quietly clamps or drops a typed value:
//
// - Value() is the value last set; the text the user types stays as typed until the owner
//   accepts it (SetValue) or refuses it (Revert), typically on editingFinished.
// - Typing takes digits, either decimal separator (a spreadsheet or the numeric keypad may
//   give the other one), "+", "-", an exponent and blanks; TypedValue() reads it.
// - The arrows, the Up and Down keys and the wheel step from the value shown within the
//   range, and emit Stepped().
// - A value is shown with the field's decimals ("0,48", "1,80", "1120"); a value that would
//   lose digits that way (a file may hold any) is shown whole.
class DecimalSpin : public QAbstractSpinBox {
    Q_OBJECT
  public:
    explicit DecimalSpin(QWidget* parent = nullptr);

    void SetRange(double min, double max);
    double Min() const { return min_; }
    double Max() const { return max_; }
    void SetDecimals(int decimals) { decimals_ = decimals; }
    int Decimals() const { return decimals_; }
    void SetStep(double step) { step_ = step; }

    double Value() const { return value_; }
    // Shows the value (not clamped: the owner decides what is allowed); no signal.
    void SetValue(double value);
    // Shows Value() again, dropping what was typed.
    void Revert() { SetValue(value_); }
    // Shows nothing (no record to show); the value stays.
    void Clear();
    QString Text() const;
    // Whether the text is other than what SetValue showed: the user typed something.
    bool Edited() const;
    // The text read as a number; nothing when it is not one.
    std::optional<double> TypedValue() const;
    // How a value is shown.
    QString TextOf(double value) const;

    // Wide enough for the longest value of the range with the field's decimals.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString&) const override {}

  signals:
    // The user stepped the value (arrows, keys, wheel); Value() holds the new one.
    void Stepped();

  protected:
    StepEnabled stepEnabled() const override;

  private:
    double min_ = 0;
    double max_ = 100;
    double step_ = 1;
    int decimals_ = 2;
    double value_ = 0;
};

}  // namespace kelm
