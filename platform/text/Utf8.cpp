#include "platform/text/Utf8.h"

namespace ryk {

size_t characterLength(std::string_view s, size_t at) {
    const Utf8Lead lead = utf8Lead(static_cast<unsigned char>(s[at]));
    if (lead.length <= 1 || at + lead.length > s.size())
        return 1;
    const auto second = static_cast<unsigned char>(s[at + 1]);
    if (second < lead.low || second > lead.high)
        return 1;
    for (size_t k = 2; k < lead.length; ++k) {
        if (!isUtf8Continuation(static_cast<unsigned char>(s[at + k])))
            return 1;
    }
    return lead.length;
}

void Utf8Validator::feed(std::string_view bytes) {
    for (const char byte : bytes) {
        if (m_failed)
            return;
        const auto c = static_cast<unsigned char>(byte);
        if (m_pending != 0) {
            if (c < m_low || c > m_high) {
                m_failed = true;
                return;
            }
            --m_pending;
            m_low = 0x80;
            m_high = 0xBF;
        } else if (c >= 0x80) {
            // The lead byte fixes the length and, for a few leads, the range of the next byte.
            const Utf8Lead lead = utf8Lead(c);
            if (lead.length == 0) {
                m_failed = true;
            } else {
                m_pending = lead.length - 1;
                m_low = lead.low;
                m_high = lead.high;
            }
        }
    }
}

bool isValidUtf8(std::string_view s) {
    Utf8Validator validator;
    validator.feed(s);
    return validator.valid();
}

} // namespace ryk
