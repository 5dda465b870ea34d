#pragma once

#include <string>
#include <string_view>

namespace kelm {

// The editor's five-position number field: position 0 an optional digit, position 1 the
// decimal separator (fixed), positions 2 to 4 optional digits.  A blank position is a
// space, and the field's text always has all five characters, so "3,9  " is the field
// showing 3, the separator, 9 and two blanks.  The field is edited in overwrite mode.
//
// The editing rules live here, free of any widget, so that they can be checked on their
// own; the line edit only forwards keys and shows the result.
class NumberMask {
  public:
    static constexpr int kLength = 5;
    static constexpr int kSeparatorPos = 1;

    // What the line edit shows: the text, the cursor (0 to 5, between characters) and
    // the selected range [selStart, selStart + selLength).
    struct State {
        std::string text;
        int cursor = 0;
        int selStart = 0;
        int selLength = 0;
    };

    explicit NumberMask(char separator) : sep_(separator) {}

    char Separator() const { return sep_; }
    // All positions blank: " ,   ".
    std::string Blank() const;
    // Five characters with the separator in its place.
    bool IsWellFormed(std::string_view text) const;

    // How a number text is shown: a separator is appended when there is none; the part
    // before the first separator is cut to its first character (a blank when empty); the
    // part after it is cut or filled with blanks to three characters.  So "3,9" shows as
    // "3,9  ", "12,5" as "1,5  ", "3,5454" as "3,545" and "4" as "4,   ".
    std::string Format(std::string_view numberText) const;

    // Typing one character.  A digit overwrites the digit position at the cursor (the
    // cursor skips the separator); the separator typed before the decimals moves the
    // cursor to the first decimal, and is taken without effect right after it.  Anything else, and
    // a digit with no position left, is refused: false, and nothing changes.  A selection is
    // blanked first.
    bool Type(State& s, char c) const;
    // Backspace blanks the digit position before the cursor (skipping the separator) and
    // moves the cursor there; Delete blanks the one at the cursor.  A selection is
    // blanked instead.  False when there was nothing to blank.
    bool Backspace(State& s) const;
    bool Delete(State& s) const;
    // Blanks the digit positions of the selection; the cursor goes to its start.
    void BlankSelection(State& s) const;

  private:
    bool IsDigitPos(int pos) const { return pos >= 0 && pos < kLength && pos != kSeparatorPos; }

    char sep_;
};

}  // namespace kelm
