#include "widgets/spinedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

#include "base/numtext.h"

namespace kelm {

SpinEdit::SpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textChanged, this, &SpinEdit::Changed);
}

void SpinEdit::SetRange(int minValue, int maxValue) {
    min_ = minValue;
    max_ = std::max(minValue, maxValue);
}

bool SpinEdit::Typable(QChar c) const {
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == QChar(DecimalSeparator());
}

int SpinEdit::Value() const {
    const QString t = Text();
    // Only plain decimal digits with an optional sign count; the integer reader would take
    // hexadecimal too, which a pasted "$10" must not sneak in.
    for (QChar c : t) {
        if (!((c >= u'0' && c <= u'9') || c == u'+' || c == u'-')) return min_;
    }
    return TryStrToInt(t.toStdString()).value_or(min_);
}

void SpinEdit::SetValue(int value) {
    const int kept = std::clamp(value, min_, max_);
    lineEdit()->setText(QString::number(kept));
}

QString SpinEdit::Text() const { return lineEdit()->text(); }

void SpinEdit::stepBy(int steps) {
    const long long next =
        static_cast<long long>(Value()) + static_cast<long long>(steps) * increment_;
    SetValue(static_cast<int>(std::clamp<long long>(next, min_, max_)));
}

QAbstractSpinBox::StepEnabled SpinEdit::stepEnabled() const {
    // Like the classic spin edit the buttons always work; the range keeps the value.
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State SpinEdit::validate(QString& input, int&) const {
    if (input == Text()) return QValidator::Acceptable;  // what is already there stays
    if (input.size() > maxTyped_) return QValidator::Invalid;
    for (QChar c : input) {
        if (!Typable(c)) return QValidator::Invalid;
    }
    return QValidator::Acceptable;
}

void SpinEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool printable = typed.size() == 1 && typed.at(0).isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable) {
        const int after = Text().size() - lineEdit()->selectedText().size() + 1;
        if (!Typable(typed.at(0)) || after > maxTyped_) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QAbstractSpinBox::keyPressEvent(event);
}

}  // namespace kelm
