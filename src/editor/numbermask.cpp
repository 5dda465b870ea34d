#include "editor/numbermask.h"

#include <algorithm>

namespace kelm {

std::string NumberMask::Blank() const {
    std::string text(kLength, ' ');
    text[kSeparatorPos] = sep_;
    return text;
}

bool NumberMask::IsWellFormed(std::string_view text) const {
    return text.size() == static_cast<std::size_t>(kLength) && text[kSeparatorPos] == sep_;
}

std::string NumberMask::Format(std::string_view numberText) const {
    std::string text(numberText);
    std::size_t sepAt = text.find(sep_);
    if (sepAt == std::string::npos) {
        sepAt = text.size();
        text += sep_;
    }
    std::string out;
    out += sepAt == 0 ? ' ' : text[0];
    out += sep_;
    std::string decimals = text.substr(sepAt + 1, 3);
    decimals.resize(3, ' ');
    return out + decimals;
}

void NumberMask::BlankSelection(State& s) const {
    const int from = std::clamp(s.selStart, 0, kLength);
    const int to = std::clamp(s.selStart + s.selLength, from, kLength);
    for (int pos = from; pos < to; ++pos) {
        if (IsDigitPos(pos)) s.text[static_cast<std::size_t>(pos)] = ' ';
    }
    s.cursor = from;
    s.selStart = from;
    s.selLength = 0;
}

bool NumberMask::Type(State& s, char c) const {
    const int at = s.selLength > 0 ? s.selStart : s.cursor;
    if (c == sep_) {
        // Typed before the decimals it moves there; typed right after the separator (as
        // when "4,1" is typed and the cursor has already skipped it) it is taken as is.
        if (at > kSeparatorPos + 1) return false;
        if (s.selLength > 0) BlankSelection(s);
        s.cursor = kSeparatorPos + 1;
        return true;
    }
    if (c < '0' || c > '9') return false;
    const int pos = at == kSeparatorPos ? kSeparatorPos + 1 : at;
    if (!IsDigitPos(pos)) return false;
    if (s.selLength > 0) BlankSelection(s);
    s.text[static_cast<std::size_t>(pos)] = c;
    s.cursor = pos + 1 == kSeparatorPos ? kSeparatorPos + 1 : pos + 1;
    return true;
}

bool NumberMask::Backspace(State& s) const {
    if (s.selLength > 0) {
        BlankSelection(s);
        return true;
    }
    if (s.cursor <= 0) return false;
    int pos = std::min(s.cursor, kLength) - 1;
    if (pos == kSeparatorPos) --pos;
    s.text[static_cast<std::size_t>(pos)] = ' ';
    s.cursor = pos;
    return true;
}

bool NumberMask::Delete(State& s) const {
    if (s.selLength > 0) {
        BlankSelection(s);
        return true;
    }
    const int pos = s.cursor == kSeparatorPos ? kSeparatorPos + 1 : s.cursor;
    if (!IsDigitPos(pos)) return false;
    s.text[static_cast<std::size_t>(pos)] = ' ';
    s.cursor = pos;
    return true;
}

}  // namespace kelm
