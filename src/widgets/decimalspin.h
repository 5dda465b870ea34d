#pragma once

#include <QDoubleSpinBox>

namespace kelm {

// A spin box of a number with decimals, shown and typed with the user's decimal separator
// (the program's number format, not Qt's locale), with no thousands separator.  Typing takes
// digits and the separator only; a text out of range is taken back to the last value when
// the field is left.
class DecimalSpinBox : public QDoubleSpinBox {
    Q_OBJECT
  public:
    explicit DecimalSpinBox(QWidget* parent = nullptr);

    QString textFromValue(double value) const override;
    double valueFromText(const QString& text) const override;
    QValidator::State validate(QString& input, int& pos) const override;
};

}  // namespace kelm
