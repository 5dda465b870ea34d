#pragma once

#include <string>

namespace kelm {

enum class MessageIcon { None, Error, Question };

// The message boxes and questions the program puts to the user.  The widgets answer them
// with real message boxes; tests answer them in code.  All texts are UTF-8.
class Messages {
  public:
    virtual ~Messages() = default;
    // A message box with an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption,
                             MessageIcon icon) = 0;
    // A Yes/No question with the question icon; true on Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
};

// The process-wide message sink; until one is set, messages go nowhere and questions
// are answered No.
Messages& AppMessages();
void SetAppMessages(Messages* messages);

// The program title, the caption of the error box ("Kelm"); set once by the program entry.
std::string& AppTitle();

// The error box: the message with the full-stop rule, the program title as caption, the
// error icon and an OK button.
void ShowErrorBox(const std::string& message);

// Runs one event handler to its end and reports what it raised: the silent abort shows
// nothing, any other error shows the error box.  No error leaves a handler, so none
// reaches the event loop.  Returns false when the handler ended with an error.
template <class F>
bool RunHandler(F&& handler);

}  // namespace kelm

#include "base/errors.h"

namespace kelm {

template <class F>
bool RunHandler(F&& handler) {
    try {
        handler();
        return true;
    } catch (const SilentAbort&) {
        return false;
    } catch (const std::exception& e) {
        ShowErrorBox(e.what());
        return false;
    }
}

}  // namespace kelm
