#pragma once

#include <cstddef>
#include <string_view>

namespace ryk {

/// What a byte that starts a UTF-8 sequence promises: the sequence's length (0 for a byte that
/// starts none, 1 for ASCII) and the range of the byte after it, which rules out overlong
/// forms, surrogates and code points beyond U+10FFFF. Later bytes lie in 0x80-0xBF.
struct Utf8Lead {
    unsigned length;
    unsigned char low;
    unsigned char high;
};

inline Utf8Lead utf8Lead(unsigned char lead) {
    if (lead < 0x80)
        return {1, 0x80, 0xBF};
    if (lead >= 0xC2 && lead <= 0xDF)
        return {2, 0x80, 0xBF};
    if (lead >= 0xE0 && lead <= 0xEF)
        return {3, static_cast<unsigned char>(lead == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(lead == 0xED ? 0x9F : 0xBF)};
    if (lead >= 0xF0 && lead <= 0xF4)
        return {4, static_cast<unsigned char>(lead == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(lead == 0xF4 ? 0x8F : 0xBF)};
    return {0, 0x80, 0xBF};
}

/// True for the bytes 0x80-0xBF that continue a UTF-8 sequence.
inline bool isUtf8Continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

/// Bytes of the character starting at `at`: a whole well-formed UTF-8 sequence, else one byte,
/// so that a wildcard never splits a character and a name that is not UTF-8 still walks forward.
size_t characterLength(std::string_view text, size_t at);

/// Checks that bytes fed in pieces are well-formed UTF-8, so a file can be judged without
/// holding it whole; a character may be split between two pieces.
class Utf8Validator {
public:
    void feed(std::string_view bytes);
    /// True when everything fed so far is well-formed and ends on a whole character.
    bool valid() const { return !m_failed && m_pending == 0; }
    /// True once a byte has been found that no continuation can make well-formed.
    bool failed() const { return m_failed; }

private:
    /// Continuation bytes still owed by the current character, and the range the next one
    /// must lie in (narrower after some lead bytes: overlong forms, surrogates, > U+10FFFF).
    unsigned m_pending = 0;
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
    bool m_failed = false;
};

/// True when the bytes are well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

} // namespace ryk
