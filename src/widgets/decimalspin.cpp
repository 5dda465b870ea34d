#include "widgets/decimalspin.h"

#include "base/numtext.h"

namespace kelm {

DecimalSpinBox::DecimalSpinBox(QWidget* parent) : QDoubleSpinBox(parent) {
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
}

QString DecimalSpinBox::textFromValue(double value) const {
    return QString::fromStdString(FormatFixed(value, decimals(), ""));
}

double DecimalSpinBox::valueFromText(const QString& text) const {
    return TryStrToFloat(text.trimmed().toStdString(), DecimalSeparator()).value_or(value());
}

QValidator::State DecimalSpinBox::validate(QString& input, int&) const {
    const QString text = input.trimmed();
    const QChar separator = QChar(DecimalSeparator());
    int decimalsTyped = -1;
    for (QChar c : text) {
        if (c == separator) {
            if (decimalsTyped >= 0) return QValidator::Invalid;
            decimalsTyped = 0;
        } else if (c >= u'0' && c <= u'9') {
            if (decimalsTyped >= 0 && ++decimalsTyped > decimals()) return QValidator::Invalid;
        } else {
            return QValidator::Invalid;
        }
    }
    const std::optional<double> v = TryStrToFloat(text.toStdString(), DecimalSeparator());
    if (text.isEmpty() || text == separator || !v) return QValidator::Intermediate;
    return *v >= minimum() && *v <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
}

}  // namespace kelm
