#include "widgets/decimalspin.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>
#include <algorithm>
#include <cmath>

#include "base/numtext.h"
#include "widgets/coreedge.h"

namespace kelm {

namespace {

// Long enough for any value of a field with its decimals, short enough to stop a stuck key.
constexpr int kMaxTyped = 24;

bool Typable(QChar c) {
    // The exponent too: a tiny value from the file shows as "1E-7" and must stay editable.
    return (c >= u'0' && c <= u'9') || c == u',' || c == u'.' || c == u'+' || c == u'-' ||
           c == u'e' || c == u'E' || c == u' ' || c == QChar(0x00A0);
}

}  // namespace

DecimalSpin::DecimalSpin(QWidget* parent) : QAbstractSpinBox(parent) {
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lineEdit()->setMaxLength(kMaxTyped);
}

void DecimalSpin::SetRange(double min, double max) {
    min_ = min;
    max_ = std::max(min, max);
}

QString DecimalSpin::TextOf(double value) const {
    const std::string fixed = FormatFixed(value, decimals_, "");
    // Shown with the field's decimals only where that loses nothing.
    if (TryStrToFloat(fixed, DecimalSeparator()) == value) return FromUtf8(fixed);
    return FromUtf8(FloatToStr(value));
}

void DecimalSpin::SetValue(double value) {
    value_ = value;
    lineEdit()->setText(TextOf(value));
}

void DecimalSpin::Clear() { lineEdit()->clear(); }

QString DecimalSpin::Text() const { return lineEdit()->text(); }

bool DecimalSpin::Edited() const { return lineEdit()->text() != TextOf(value_); }

std::optional<double> DecimalSpin::TypedValue() const {
    return ReadTypedNumber(lineEdit()->text().toStdString());
}

QSize DecimalSpin::sizeHint() const {
    ensurePolished();
    const QFontMetrics metrics(font());
    int width = 0;
    for (double v : {min_, max_}) width = std::max(width, metrics.horizontalAdvance(TextOf(v)));
    // Room for the cursor and a blank, as Qt's own spin boxes keep.
    width += metrics.horizontalAdvance(QLatin1Char(' ')) + 2;
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option,
                                     QSize(width, lineEdit()->sizeHint().height()), this);
}

void DecimalSpin::stepBy(int steps) {
    // From what is shown, typed or not; a text that is no number steps from the value.
    const double from = TypedValue().value_or(value_);
    double next = from + steps * step_;
    // On the step's grid, so that 0,485 + 0,01 does not carry its odd digit along.
    const double scale = std::pow(10.0, decimals_);
    next = std::round(next * scale) / scale;
    SetValue(std::clamp(next, min_, max_));
    lineEdit()->selectAll();
    emit Stepped();
}

QAbstractSpinBox::StepEnabled DecimalSpin::stepEnabled() const {
    const double shown = TypedValue().value_or(value_);
    StepEnabled enabled = StepNone;
    if (shown < max_) enabled |= StepUpEnabled;
    if (shown > min_) enabled |= StepDownEnabled;
    return enabled;
}

QValidator::State DecimalSpin::validate(QString& input, int&) const {
    for (QChar c : input) {
        if (!Typable(c)) return QValidator::Invalid;
    }
    // Anything else may become a number yet; the owner reads it when the field is left.
    return ReadTypedNumber(input.toStdString()) ? QValidator::Acceptable : QValidator::Intermediate;
}

}  // namespace kelm
