#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "base/colors.h"
#include "base/messages.h"

class QWidget;

namespace kelm {

// The widgets' edge: catalog names are Windows-1251 bytes in the core, QString on screen.
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

// Gives a control its designer name as its objectName and puts it at its design place.
template <class W>
W* Place(W* widget, const char* name, QRect place) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(place);
    return widget;
}

// Installs Qt's own Russian texts (the Yes, No and OK buttons of message boxes, the print
// dialog, the context menu of text fields) in the running application, whatever the user's
// locale, since every text of the program is Russian.  False when the translation is not
// installed; those texts then stay English.  Installs it once however often it is called.
bool UseRussianQtTexts();

// Where a window of `size` goes beside the window `main` on a screen whose free room is
// `room`: right of it where there is room, else left of it, level with its top as far as
// the screen allows; nothing where neither side has room (the window manager decides).
std::optional<QPoint> PlaceBesideIn(const QRect& room, const QRect& main, const QSize& size);

// Real message boxes, parented to the active window.
class QtMessages : public Messages {
  public:
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
};

}  // namespace kelm
