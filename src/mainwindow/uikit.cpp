#include "mainwindow/uikit.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringEncoder>
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "base/cp1251.h"

namespace kelm {

QString FromCp1251(const std::string& bytes) {
    // Our own table, like ToCp1251: every byte comes back unchanged, and a catalog of ten
    // thousand names decodes without a codec lookup per name.  Every Windows-1251
    // character is one UTF-16 unit, so the text is written straight into the string.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    Cp1251ToUtf16(bytes, reinterpret_cast<char16_t*>(text.data()));
    return text;
}

namespace {

// The values QString::compare(..., Qt::CaseInsensitive) compares: unit by unit, each
// folded on its own, except a low surrogate after a high one, which stands for the folded
// code point of the pair.
template <class Sink>
void ForEachFolded(const QString& text, Sink sink) {
    char32_t last = 0;
    for (const QChar c : text) {
        char32_t u = c.unicode();
        if (u < 0x80) {
            if (u >= 'A' && u <= 'Z') u += 'a' - 'A';
        } else {
            if (QChar::isLowSurrogate(u) && QChar::isHighSurrogate(last))
                u = QChar::surrogateToUcs4(char16_t(last), char16_t(u));
            u = QChar::toCaseFolded(u);
        }
        last = c.unicode();
        sink(u);
    }
}

// Folds each text into its key: each folded value high byte first in `width` bytes, so
// that keys compare with memcmp, the shorter first on a tie, in the order the
// case-insensitive comparison gives the texts.  False when a value needs more bytes.
struct SortEntry {
    std::uint32_t start, length, index;
};

bool WriteKeys(const QStringList& items, int width, std::string& keys, std::vector<SortEntry>& entries) {
    const char32_t limit = width == 2 ? 0xFFFF : 0xFFFFFF;
    bool fits = true;
    char* const base = keys.data();
    char* out = base;
    for (qsizetype i = 0; i < items.size() && fits; ++i) {
        char* const start = out;
        ForEachFolded(items[i], [&](char32_t u) {
            fits = fits && u <= limit;
            if (width == 3) *out++ = static_cast<char>(u >> 16);
            *out++ = static_cast<char>((u >> 8) & 0xFF);
            *out++ = static_cast<char>(u & 0xFF);
        });
        entries[std::size_t(i)] = {std::uint32_t(start - base), std::uint32_t(out - start), std::uint32_t(i)};
    }
    return fits;
}

}  // namespace

void SortLikeAList(QStringList& items) {
    // Each text is folded once into a key of bytes, and keys compare with memcmp: folding
    // both texts in every comparison was several times slower, and a catalog of ten
    // thousand names makes about a hundred and thirty thousand comparisons per list.
    // Two bytes per value do for the basic plane, which is all Windows-1251 has; keys
    // are kept small so that a long list's keys stay in the cache.
    std::size_t units = 0;
    for (const QString& item : items) units += static_cast<std::size_t>(item.size());
    std::string keys;
    std::vector<SortEntry> entries(static_cast<std::size_t>(items.size()));
    for (int width : {2, 3}) {
        keys.assign(static_cast<std::size_t>(width) * units, '\0');
        if (WriteKeys(items, width, keys, entries)) break;
    }
    const char* const base = keys.data();
    const auto key = [base](const SortEntry& e) { return std::string_view(base + e.start, e.length); };
    // Equal keys keep the order the texts came in.
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const SortEntry& a, const SortEntry& b) { return key(a) < key(b); });

    QStringList sorted;
    sorted.reserve(items.size());
    for (const SortEntry& e : entries) sorted.push_back(std::move(items[qsizetype(e.index)]));
    items = std::move(sorted);
}

std::optional<std::string> ToCp1251(const QString& text) {
    // Our own table decides what Windows-1251 can hold: the system codec replaces
    // what it cannot encode instead of failing.
    return Utf8ToCp1251(text.toStdString());
}

std::string ToCp1251Lossy(const QString& text) {
    if (auto bytes = ToCp1251(text)) return *bytes;
    QStringEncoder encoder("windows-1251");
    if (encoder.isValid()) return QByteArray(encoder.encode(text)).toStdString();
    return {};
}

void QtMessages::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(FromUtf8(caption));
    box.setText(FromUtf8(text));
    box.setIcon(icon == MessageIcon::Error      ? QMessageBox::Critical
                : icon == MessageIcon::Question ? QMessageBox::Question
                                                : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtMessages::AskYesNo(const std::string& text, const std::string& caption) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(FromUtf8(caption));
    box.setText(FromUtf8(text));
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace kelm
