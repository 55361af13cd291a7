#include "platform/NameMatch.h"

#include "platform/Utf8Lead.h"

#include <cstddef>

namespace ryk {

namespace {

/// Letters compare as upper case, as the Windows file system ordered names, so '_' and the
/// other marks between 'Z' and 'a' come after the letters.
unsigned char upperAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

bool sameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    if (a.size() == 1) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
        return fold(a[0]) == fold(b[0]);
    }
    return a == b;
}

/// One pattern part against one name part, character by character.
bool matchesPart(std::string_view pattern, std::string_view name) {
    size_t p = 0;
    size_t n = 0;
    while (p < pattern.size()) {
        if (pattern[p] == '*')
            return true;
        if (n == name.size())
            return false;
        const size_t nameLength = characterLength(name, n);
        if (pattern[p] == '?') {
            ++p;
        } else {
            const size_t patternLength = characterLength(pattern, p);
            if (!sameCharacter(pattern.substr(p, patternLength), name.substr(n, nameLength)))
                return false;
            p += patternLength;
        }
        n += nameLength;
    }
    return n == name.size();
}

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

size_t characterLength(std::string_view s, size_t at) {
    const Utf8Lead lead = utf8Lead(static_cast<unsigned char>(s[at]));
    if (lead.length <= 1 || at + lead.length > s.size())
        return 1;
    const auto second = static_cast<unsigned char>(s[at + 1]);
    if (second < lead.low || second > lead.high)
        return 1;
    for (size_t k = 2; k < lead.length; ++k) {
        if (!isContinuation(static_cast<unsigned char>(s[at + k])))
            return 1;
    }
    return lead.length;
}

NameParts splitAtLastDot(std::string_view text) {
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, dot), text.substr(dot + 1)};
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

bool matchesNamePattern(std::string_view pattern, std::string_view name) {
    const NameParts patternParts = splitAtLastDot(pattern);
    const NameParts nameParts = splitAtLastDot(name);
    return matchesPart(patternParts.base, nameParts.base) &&
           matchesPart(patternParts.extension, nameParts.extension);
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
