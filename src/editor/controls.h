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
// What the user types, pastes or drops is held to MaxTyped() characters (a longer paste is
// cut), while a text the program puts there, an item or a completion, is shown whole: the
// catalog file holds names of any length, and a long one must still be found and replaced.
class NameComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit NameComboBox(QWidget* parent = nullptr);

    void SetMaxTyped(int count) { maxTyped_ = count; }
    int MaxTyped() const { return maxTyped_; }

  signals:
    // The user changed the text: typing (after completion), or picking an item.
    void UserChanged();

  protected:
    // Keys reach the line edit through the list (its focus proxy) or, from an input
    // method or a test, directly; both ways note whether a key typed text.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The list's line edit, which knows whether a change comes from the user.
    class NameEdit : public QLineEdit {
      public:
        explicit NameEdit(QWidget* parent) : QLineEdit(parent) {}
        // True while the user's own input (keys, input method, paste, drop) is handled.
        bool UserEditing() const { return userEditing_ > 0; }
        // The text as it was before the change that is being checked.
        const QString& Before() const { return before_; }
        void NoteText(const QString& text) { before_ = text; }
        // The program's own change in the middle of the user's (a completion).
        struct ProgramChange {
            NameEdit* edit;
            int saved;
            explicit ProgramChange(NameEdit* e) : edit(e), saved(e->userEditing_) {
                e->userEditing_ = 0;
            }
            ~ProgramChange() { edit->userEditing_ = saved; }
        };

      protected:
        bool event(QEvent* event) override;

      private:
        int userEditing_ = 0;
        QString before_;
    };

    // Cuts what the user put in so that the text is no longer than MaxTyped(), or than it
    // already was.
    class TypedLengthValidator : public QValidator {
      public:
        explicit TypedLengthValidator(const NameComboBox& list, QObject* parent)
            : QValidator(parent), list_(list) {}
        State validate(QString& input, int& pos) const override;

      private:
        const NameComboBox& list_;
    };

    void OnTextEdited(const QString& text);

    NameEdit* edit_ = nullptr;
    int maxTyped_ = 255;
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
