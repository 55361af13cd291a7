#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <string>
#include <vector>

namespace ryk::test {

/// Stands in for the user at the keyboard: records every message and gives scripted answers
/// (Yes for questions when the script is empty, OK otherwise).
class FakeMessageBox : public MessageBox {
public:
    struct Shown {
        std::string text;
        std::string caption;
        MessageButtons buttons;
        MessageIcon icon;
    };

    MessageAnswer show(const std::string& text, const std::string& caption, MessageButtons buttons,
                       MessageIcon icon) override {
        shown.push_back({text, caption, buttons, icon});
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        if (answers.empty())
            return MessageAnswer::Yes;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const Shown& s : shown)
            result.push_back(s.text);
        return result;
    }

    std::vector<Shown> shown;
    std::deque<MessageAnswer> answers;
};

} // namespace ryk::test
