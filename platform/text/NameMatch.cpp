#include "platform/text/NameMatch.h"

#include "platform/text/Ascii.h"
#include "platform/text/Utf8.h"

#include <cstddef>

namespace ryk {

namespace {

bool sameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    if (a.size() == 1) {
        return lowerAscii(a[0]) == lowerAscii(b[0]);
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

} // namespace

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
    // The two items nearly every job uses, decided without walking the name: "*.*" takes every
    // name, "*" every name without an extension.
    if (pattern == "*.*")
        return true;
    if (pattern == "*") {
        const size_t dot = name.rfind('.');
        return dot == std::string_view::npos || dot + 1 == name.size();
    }
    const NameParts patternParts = splitAtLastDot(pattern);
    const NameParts nameParts = splitAtLastDot(name);
    return matchesPart(patternParts.base, nameParts.base) &&
           matchesPart(patternParts.extension, nameParts.extension);
}

int compareNames(std::string_view a, std::string_view b) {
    const size_t common = a.size() < b.size() ? a.size() : b.size();
    // Letters compare as upper case, as names were always ordered, so '_' and the other marks
    // between 'Z' and 'a' come after the letters.
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
