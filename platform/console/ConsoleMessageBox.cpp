#include "platform/console/ConsoleMessageBox.h"

#include <unistd.h>

namespace ryk {

MessageAnswer ConsoleMessageBox::show(const std::string& text, const std::string&,
                                      MessageButtons buttons, MessageIcon) {
    std::fputs(text.c_str(), m_out);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', m_out);
    if (buttons == MessageButtons::Ok) {
        std::fflush(m_out);
        return MessageAnswer::Ok;
    }
    if (!isatty(fileno(m_in))) {
        std::fputs("[y/N] n\n", m_out);
        std::fflush(m_out);
        return MessageAnswer::No;
    }
    std::fputs("[y/N] ", m_out);
    std::fflush(m_out);
    char line[64];
    if (!std::fgets(line, sizeof line, m_in))
        return MessageAnswer::No;
    return (line[0] == 'y' || line[0] == 'Y') ? MessageAnswer::Yes : MessageAnswer::No;
}

} // namespace ryk
