#include "widgets/listorder.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelm {

bool ListLess(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// Each text is folded once into a key of bytes, and the keys are sorted: folding both
// texts in every comparison was several times slower, and a catalog of ten thousand
// names makes about a hundred and thirty thousand comparisons per list.  Keys are kept
// small, and the first eight bytes of each stand in its sort entry, so that most
// comparisons of a long list touch neither other memory nor memcmp.

namespace {

// Simple case folding as QChar::toCaseFolded gives it, asked once per 256 characters of
// the basic plane that occur: a call per letter made folding the largest part of a sort.
class Folder {
  public:
    char32_t Fold(char32_t u) {
        if (u < 0x80) return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
        if (u > 0xFFFF) return QChar::toCaseFolded(u);
        auto& block = blocks_[u >> 8];
        if (!block) {
            block = std::make_unique<std::array<char32_t, 256>>();
            for (char32_t k = 0; k < 256; ++k) (*block)[k] = QChar::toCaseFolded((u & 0xFF00) | k);
        }
        return (*block)[u & 0xFF];
    }

  private:
    std::array<std::unique_ptr<std::array<char32_t, 256>>, 256> blocks_;
};

// Writes the values QString::compare(..., Qt::CaseInsensitive) compares: unit by unit,
// each folded on its own, except a low surrogate after a high one, which stands for the
// folded code point of the pair.  Values compare as unsigned numbers; a text that is the
// start of another comes first.  Returns the end of what it wrote.
char32_t* WriteFolded(const QString& text, Folder& folder, char32_t* out) {
    const char16_t* const units = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    for (qsizetype k = 0; k < n; ++k) {
        char32_t u = units[k];
        if (QChar::isLowSurrogate(u) && k > 0 && QChar::isHighSurrogate(units[k - 1]))
            u = QChar::surrogateToUcs4(units[k - 1], char16_t(u));
        *out++ = folder.Fold(u);
    }
    return out;
}

// One-byte codes, in the values' order, for a list that has no more than 255 different
// values, all in the basic plane: the usual case, since a catalog's names hold few
// different letters.  Code 0 is never given.
class ByteCodes {
  public:
    bool Build(const char32_t* values, const char32_t* end) {
        std::array<std::uint64_t, 1024> present{};
        for (; values != end; ++values) {
            const char32_t u = *values;
            if (u > 0xFFFF) return false;
            present[u >> 6] |= std::uint64_t{1} << (u & 63);
        }
        unsigned next = 1;
        for (std::size_t w = 0; w < present.size(); ++w) {
            for (std::uint64_t bits = present[w]; bits != 0; bits &= bits - 1) {
                if (next > 255) return false;
                codes_[w * 64 + static_cast<std::size_t>(std::countr_zero(bits))] =
                    static_cast<char>(next++);
            }
        }
        return true;
    }
    char Code(char32_t u) const { return codes_[u]; }

  private:
    std::array<char, 0x10000> codes_{};
};

struct SortEntry {
    std::uint64_t head;  // the key's first eight bytes, high first, zeros after its end
    std::uint32_t start, length, index;
};

// Keys of bytes that compare as the values do: one code byte each, or each value high
// byte first in two bytes (three where one lies outside the basic plane).
std::string MakeKeys(const QStringList& items, std::vector<SortEntry>& entries) {
    std::size_t units = 0;
    for (const QString& item : items) units += static_cast<std::size_t>(item.size());
    std::vector<char32_t> values(units);
    std::vector<std::size_t> ends(static_cast<std::size_t>(items.size()));
    Folder folder;
    char32_t* written = values.data();
    for (qsizetype i = 0; i < items.size(); ++i) {
        written = WriteFolded(items[i], folder, written);
        ends[std::size_t(i)] = static_cast<std::size_t>(written - values.data());
    }

    auto codes = std::make_unique<ByteCodes>();
    const bool oneByte = codes->Build(values.data(), values.data() + values.size());
    const int width =
        oneByte                                                                            ? 1
        : std::any_of(values.begin(), values.end(), [](char32_t u) { return u > 0xFFFF; }) ? 3
                                                                                           : 2;
    std::string keys(static_cast<std::size_t>(width) * values.size(), '\0');
    char* const base = keys.data();
    char* out = base;
    std::size_t from = 0;
    for (std::size_t i = 0; i < ends.size(); ++i) {
        char* const start = out;
        for (; from < ends[i]; ++from) {
            const char32_t u = values[from];
            if (oneByte) {
                *out++ = codes->Code(u);
                continue;
            }
            if (width == 3) *out++ = static_cast<char>(u >> 16);
            *out++ = static_cast<char>((u >> 8) & 0xFF);
            *out++ = static_cast<char>(u & 0xFF);
        }
        const auto length = static_cast<std::uint32_t>(out - start);
        std::uint64_t head = 0;
        for (std::uint32_t k = 0; k < 8; ++k) {
            head = (head << 8) | (k < length ? static_cast<unsigned char>(start[k]) : 0u);
        }
        entries[i] = {head, static_cast<std::uint32_t>(start - base), length,
                      static_cast<std::uint32_t>(i)};
    }
    return keys;
}

}  // namespace

void SortLikeAList(QStringList& items) {
    std::vector<SortEntry> entries(static_cast<std::size_t>(items.size()));
    const std::string keys = MakeKeys(items, entries);
    const char* const base = keys.data();
    // Equal heads: the rest after eight bytes decides, and where that is equal too (both
    // keys end within their heads) the shorter key, the start of the other, comes first.
    const auto rest = [base](const SortEntry& e) {
        return e.length > 8 ? std::string_view(base + e.start + 8, e.length - 8)
                            : std::string_view();
    };
    // Stable: equal keys keep the order the texts came in.
    std::stable_sort(entries.begin(), entries.end(), [&](const SortEntry& a, const SortEntry& b) {
        if (a.head != b.head) return a.head < b.head;
        const int c = rest(a).compare(rest(b));
        return c != 0 ? c < 0 : a.length < b.length;
    });

    QStringList sorted;
    sorted.reserve(items.size());
    for (const SortEntry& e : entries) sorted.push_back(std::move(items[qsizetype(e.index)]));
    items = std::move(sorted);
}

}  // namespace kelm
