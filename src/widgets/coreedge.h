#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "base/colors.h"

namespace kelm {

// The widgets' edge with the core.  Catalog names are Windows-1251 bytes in the core,
// QString on screen.
QString FromCp1251(const std::string& bytes);
// Nothing when the text has a character that Windows-1251 cannot hold.
std::optional<std::string> ToCp1251(const QString& text);
// Lossy variant for texts that can only have come from the catalog (list items).
std::string ToCp1251Lossy(const QString& text);

// The program's own texts (captions, messages, number text) are UTF-8.
inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A Qt colour from the program's 0x00BBGGRR layout; the unused high byte is ignored.
QColor ToQColor(Color color);

}  // namespace kelm
