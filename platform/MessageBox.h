#pragma once

#include <string>

namespace ryk {

enum class MessageIcon { None, Information, Exclamation, Stop, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

/// The caption every message of the program carries.
inline constexpr const char* kProgramTitle = "Rykmere";

/// Shows a message to the user and waits for the answer.
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual MessageAnswer show(const std::string& text, const std::string& caption,
                               MessageButtons buttons, MessageIcon icon) = 0;

    /// The common case: a message with the program's caption and an OK button.
    void tell(const std::string& text, MessageIcon icon = MessageIcon::Exclamation) {
        show(text, kProgramTitle, MessageButtons::Ok, icon);
    }
};

} // namespace ryk
