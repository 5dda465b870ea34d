#pragma once

#include <QAbstractSpinBox>

namespace kelm {

// An integer spin edit whose text is what the user typed: it may be empty or a lone "-"
// for a while, and the value is read from the text whenever it is asked for.
//
// - Value(): the text read as an integer; a text that is not one gives the minimum.
// - SetValue(): keeps the value within the range and writes its decimal text; when that
//   changes the text, Changed() is emitted at once (so a handler may re-enter itself).
// - The spin buttons, the arrow keys and the wheel add or subtract the increment within
//   the range.
// - Typing takes only digits, "+", "-" and the decimal separator, and at most MaxTyped()
//   characters; anything else is refused with a beep.  Longer texts set in code stay.
class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
  public:
    explicit SpinEdit(QWidget* parent = nullptr);

    void SetRange(int minValue, int maxValue);
    int MinValue() const { return min_; }
    int MaxValue() const { return max_; }
    void SetIncrement(int increment) { increment_ = increment; }
    int Increment() const { return increment_; }
    void SetMaxTyped(int chars) { maxTyped_ = chars; }
    int MaxTyped() const { return maxTyped_; }

    int Value() const;
    void SetValue(int value);
    QString Text() const;

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString&) const override {}

  signals:
    // The text changed: by typing, by a step or by SetValue.
    void Changed();

  protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool Typable(QChar c) const;

    int min_ = 0;
    int max_ = 100;
    int increment_ = 1;
    int maxTyped_ = 5;
};

}  // namespace kelm
