#pragma once

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

} // namespace ryk
