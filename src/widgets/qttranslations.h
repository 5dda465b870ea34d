#pragma once

namespace kelm {

// Installs Qt's own Russian texts (the Yes, No and OK buttons of message boxes, the print
// dialog, the context menu of text fields) in the running application, whatever the user's
// locale, since every text of the program is Russian.  False when the translation is not
// installed; those texts then stay English.  Installs it once however often it is called.
bool UseRussianQtTexts();

}  // namespace kelm
