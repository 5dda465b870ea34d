#pragma once

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QValidator>
#include <string>

#include "editor/numbermask.h"

namespace kelm {

// Inserts the text at its place in a list kept sorted as text, letter case ignored (so
// "10,5" comes before "3,9"), after any items that compare equal.  The selection and the edit text
// are left as they were.  Returns the position.
int InsertSortedItem(QComboBox* list, const QString& text);
// Adds many texts in the order that inserting them one by one would give, sorting them
// once; for filling a list.
void AddSortedItems(QComboBox* list, QStringList texts);

// The masked number field: five positions, an optional digit, the decimal separator, three
// optional digits; blanks read as spaces.  Keys are handled by NumberMask; every other
// way in (the context menu, paste, drops) is held to the same five-position form.
class MaskEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit MaskEdit(QWidget* parent = nullptr);

    const NumberMask& Mask() const { return mask_; }
    // The field's five characters, blank positions as spaces.
    std::string Text() const;
    // Shows a number text by the field's rules (NumberMask::Format).
    void SetNumberText(const std::string& numberText);
    // The field's text read as a number; a ConvertError when it cannot be read.
    double Value() const;

    // Typing a text, one character after the other as from the keyboard, skipping what
    // the field refuses (used for paste).  True when every character was taken.
    bool TypeText(const QString& text);
    void CutSelection();
    void PasteClipboard();
    void BlankSelectedPositions();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    NumberMask::State Current() const;
    void Show(const NumberMask::State& state);

    class FormValidator : public QValidator {
      public:
        explicit FormValidator(const NumberMask& mask, QObject* parent)
            : QValidator(parent), mask_(mask) {}
        State validate(QString& input, int& pos) const override;

      private:
        const NumberMask& mask_;
    };

    NumberMask mask_;
};

// An editable, sorted drop-down list of names.  Typing completes the text to the first
// item that begins with it (letter case ignored) and selects the completed part, so that
// typing on replaces it; deleting does not complete.
class NameComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit NameComboBox(QWidget* parent = nullptr);

  signals:
    // The user changed the text: typing (after completion), or picking an item.
    void UserChanged();

  protected:
    // Keys reach the line edit through the list (its focus proxy) or, from an input
    // method or a test, directly; both ways note whether a key typed text.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OnTextEdited(const QString& text);

    bool typing_ = false;
};

// A pick-only, sorted drop-down list.  Letters typed jump to the first item that begins
// with them; keys less than kTypeAheadMs apart extend the search text, a longer pause
// starts it anew.  In the open popup the same keys move the highlight, and the pick is
// made as usual with Enter or a click.
class PickComboBox : public QComboBox {
    Q_OBJECT
  public:
    static constexpr qint64 kTypeAheadMs = 500;
    explicit PickComboBox(QWidget* parent = nullptr);

  signals:
    // The user picked an item (popup, arrow keys, wheel or typing).
    void UserChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The item the typed text leads to, or -1.
    int TypeAhead(const QString& typed);

    QString search_;
    QElapsedTimer sinceLastKey_;
};

}  // namespace kelm
