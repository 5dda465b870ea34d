#include "widgets/coreedge.h"

#include <QByteArray>
#include <QStringEncoder>

#include "base/cp1251.h"

namespace kelm {

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

}  // namespace kelm
