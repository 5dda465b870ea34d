#pragma once

#include "base/messages.h"

namespace kelm {

// Real message boxes, parented to the active window.
class QtMessages : public Messages {
  public:
    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
};

}  // namespace kelm
