#pragma once

#include <QString>
#include <optional>
#include <string>

#include "base/messages.h"

class QWidget;

namespace kelm {

// The widgets' edge: catalog names are Windows-1251 bytes in the core, QString on screen.
QString FromCp1251(const std::string& bytes);
// Nothing when the text has a character that Windows-1251 cannot hold.
std::optional<std::string> ToCp1251(const QString& text);
// Lossy variant for texts that can only have come from the catalog (list items).
std::string ToCp1251Lossy(const QString& text);

inline QString FromUtf8(const std::string& text) { return QString::fromUtf8(text); }

// Real message boxes, parented to the active window.
class QtMessages : public Messages {
  public:
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
};

}  // namespace kelm
