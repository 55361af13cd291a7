#include "platform/posix/NameMatch.h"

#include <cstddef>

namespace ryk {

namespace {

unsigned char foldAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

/// Bytes of the character starting at `at`: a whole well-formed UTF-8 sequence, else one byte,
/// so that '?' never splits a character and never swallows bytes of a broken one.
size_t characterLength(std::string_view s, size_t at) {
    const auto lead = static_cast<unsigned char>(s[at]);
    if (lead < 0x80)
        return 1;
    size_t length;
    // The allowed range of the second byte rules out overlong forms, surrogates and code
    // points beyond U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 1;
    }
    if (at + length > s.size())
        return 1;
    const auto second = static_cast<unsigned char>(s[at + 1]);
    if (second < low || second > high)
        return 1;
    for (size_t k = 2; k < length; ++k) {
        if (!isContinuation(static_cast<unsigned char>(s[at + k])))
            return 1;
    }
    return length;
}

bool partMatches(std::string_view pattern, std::string_view name) {
    size_t n = 0;
    for (const char p : pattern) {
        if (p == '*')
            return true;
        if (n >= name.size())
            return false;
        if (p == '?') {
            n += characterLength(name, n);
            continue;
        }
        if (foldAscii(p) != foldAscii(name[n]))
            return false;
        ++n;
    }
    return n == name.size();
}

void splitAtLastDot(std::string_view text, std::string_view& base, std::string_view& extension) {
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos) {
        base = text;
        extension = {};
    } else {
        base = text.substr(0, dot);
        extension = text.substr(dot + 1);
    }
}

/// Letters compare as upper case, as the Windows file system ordered names, so '_' and the
/// other marks between 'Z' and 'a' come after the letters.
unsigned char upperAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

} // namespace

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool matchesNamePattern(std::string_view pattern, std::string_view name) {
    std::string_view patternBase, patternExtension, nameBase, nameExtension;
    splitAtLastDot(pattern, patternBase, patternExtension);
    splitAtLastDot(name, nameBase, nameExtension);
    return partMatches(patternBase, nameBase) && partMatches(patternExtension, nameExtension);
}

int compareNames(std::string_view a, std::string_view b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < common; ++i) {
        const unsigned char x = upperAscii(a[i]);
        const unsigned char y = upperAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    // Equal but for letter case: upper case (the smaller bytes) first, so the order is total.
    const int raw = a.compare(b);
    return raw < 0 ? -1 : raw > 0 ? 1 : 0;
}

} // namespace ryk
