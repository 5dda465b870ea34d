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

// Appends the key QString::compare(..., Qt::CaseInsensitive) compares: unit by unit, each
// folded on its own, except a low surrogate after a high one, which stands for the folded
// code point of the pair.  Keys compare as unsigned values, a shorter key first when one
// is the start of the other, just as that comparison does.
void AppendFoldedKey(const QString& text, std::vector<char32_t>& keys) {
    char32_t last = 0;
    for (const QChar c : text) {
        char32_t u = c.unicode();
        if (u < 0x80) {
            keys.push_back(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
        } else {
            if (QChar::isLowSurrogate(u) && QChar::isHighSurrogate(last))
                u = QChar::surrogateToUcs4(char16_t(last), char16_t(u));
            keys.push_back(QChar::toCaseFolded(u));
        }
        last = c.unicode();
    }
}

}  // namespace

void SortLikeAList(QStringList& items) {
    // Folding every text once and comparing the folded keys is several times quicker than
    // folding both texts in every comparison; a catalog of ten thousand names makes about
    // a hundred and thirty thousand comparisons per list.  The keys lie in one buffer and
    // only positions move while sorting.
    const std::size_t n = static_cast<std::size_t>(items.size());
    std::vector<char32_t> keys;
    std::vector<std::size_t> starts(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        starts[i] = keys.size();
        AppendFoldedKey(items[qsizetype(i)], keys);
    }
    starts[n] = keys.size();
    const auto key = [&](std::size_t i) {
        return std::u32string_view(keys.data() + starts[i], starts[i + 1] - starts[i]);
    };
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) < key(b); });

    QStringList sorted;
    sorted.reserve(items.size());
    for (std::size_t i : order) sorted.push_back(std::move(items[qsizetype(i)]));
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
