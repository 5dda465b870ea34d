#include "base/messages.h"

#include "base/errors.h"

namespace kelm {

namespace {

class NoMessages : public Messages {
  public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

NoMessages gNoMessages;
Messages* gMessages = &gNoMessages;

}  // namespace

Messages& AppMessages() { return *gMessages; }
void SetAppMessages(Messages* messages) { gMessages = messages ? messages : &gNoMessages; }

std::string& AppTitle() {
    static std::string title = "Kelm";
    return title;
}

void ShowErrorBox(const std::string& message) {
    AppMessages().ShowMessage(ErrorBoxText(message), AppTitle(), MessageIcon::Error);
}

}  // namespace kelm
