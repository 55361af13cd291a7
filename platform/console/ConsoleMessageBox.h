#pragma once

#include "platform/MessageBox.h"

#include <cstdio>

namespace ryk {

/// Messages on a terminal: written to stderr; a question is asked when stdin is a terminal and
/// otherwise answered with the safe choice, No.
class ConsoleMessageBox : public MessageBox {
public:
    explicit ConsoleMessageBox(std::FILE* out = stderr, std::FILE* in = stdin)
        : m_out(out), m_in(in) {}
    MessageAnswer show(const std::string& text, const std::string& caption, MessageButtons buttons,
                       MessageIcon icon) override;

private:
    std::FILE* m_out;
    std::FILE* m_in;
};

} // namespace ryk
