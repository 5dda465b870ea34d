#include "mainwindow/uikit.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringEncoder>
#include <algorithm>
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

struct SortEntry {
    const char* key;
    std::size_t length;
    qsizetype index;
};

}  // namespace

void SortLikeAList(QStringList& items) {
    // Each text is folded once into a key of bytes, each folded value high byte first in
    // two bytes (three where a value lies outside the basic plane), so that keys compare
    // with memcmp, the shorter first on a tie, in the order the case-insensitive
    // comparison gives the texts.  Folding both texts in every comparison was several
    // times slower: a catalog of ten thousand names makes about a hundred and thirty
    // thousand comparisons per list.  Equal keys keep the order the texts came in.
    const qsizetype n = items.size();
    std::size_t units = 0;
    char32_t highest = 0;
    for (const QString& item : items) {
        units += static_cast<std::size_t>(item.size());
        ForEachFolded(item, [&](char32_t u) { highest = std::max(highest, u); });
    }
    const int width = highest > 0xFFFF ? 3 : 2;
    std::string keys(static_cast<std::size_t>(width) * units, '\0');
    std::vector<SortEntry> entries(static_cast<std::size_t>(n));
    char* out = keys.data();
    for (qsizetype i = 0; i < n; ++i) {
        char* const start = out;
        ForEachFolded(items[i], [&](char32_t u) {
            if (width == 3) *out++ = static_cast<char>(u >> 16);
            *out++ = static_cast<char>((u >> 8) & 0xFF);
            *out++ = static_cast<char>(u & 0xFF);
        });
        entries[std::size_t(i)] = {start, static_cast<std::size_t>(out - start), i};
    }
    std::stable_sort(entries.begin(), entries.end(), [](const SortEntry& a, const SortEntry& b) {
        return std::string_view(a.key, a.length) < std::string_view(b.key, b.length);
    });

    QStringList sorted;
    sorted.reserve(n);
    for (const SortEntry& e : entries) sorted.push_back(std::move(items[e.index]));
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
