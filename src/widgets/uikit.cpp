#include "widgets/uikit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QStringEncoder>
#include <QTranslator>
#include <algorithm>

#include "base/cp1251.h"

namespace kelm {

std::optional<QPoint> PlaceBesideIn(const QRect& room, const QRect& main, const QSize& size) {
    constexpr int kGap = 8;
    const int lowest = std::max(room.top(), room.bottom() + 1 - size.height());
    const int top = std::clamp(main.top(), room.top(), lowest);
    if (main.right() + kGap + size.width() <= room.right()) {
        return QPoint(main.right() + 1 + kGap, top);
    }
    if (main.left() - kGap - size.width() >= room.left()) {
        return QPoint(main.left() - kGap - size.width(), top);
    }
    return std::nullopt;
}

QColor ToQColor(Color color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

QString FromCp1251(const std::string& bytes) {
    // Our own table, like ToCp1251: every byte comes back unchanged, and a catalog of ten
    // thousand names decodes without a codec lookup per name.  Every Windows-1251
    // character is one UTF-16 unit, so the text is written straight into the string.
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    Cp1251ToUtf16(bytes, reinterpret_cast<char16_t*>(text.data()));
    return text;
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

bool UseRussianQtTexts() {
    // Owned by the application, so it goes with it.
    static QPointer<QTranslator> installed;
    if (installed) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    installed = translator;
    return true;
}

void QtMessages::ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) {
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
