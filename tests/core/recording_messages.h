#pragma once

#include <deque>
#include <string>
#include <vector>

#include "base/messages.h"

namespace kelm::testing {

// Records every message and answers questions from a queue (No when it runs dry).
// Installs itself as the program's message sink for its lifetime.
class RecordingMessages : public Messages {
  public:
    struct Shown {
        std::string text, caption;
        MessageIcon icon;
    };

    RecordingMessages() { SetAppMessages(this); }
    ~RecordingMessages() override { SetAppMessages(nullptr); }

    void ShowMessage(const std::string& text, const std::string& caption,
                     MessageIcon icon) override {
        shown.push_back({text, caption, icon});
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        asked.push_back({text, caption, MessageIcon::Question});
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }

    std::vector<Shown> shown;
    std::vector<Shown> asked;
    std::deque<bool> answers;
};

}  // namespace kelm::testing
