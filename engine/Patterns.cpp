#include "engine/Patterns.h"

#include "platform/FileSystem.h"

namespace ryk {

namespace {

/// The text before and after the last '.'; without a '.', the whole text and no extension.
struct NameParts {
    std::string_view base;
    std::string_view extension;
};

NameParts splitAtLastDot(std::string_view text) {
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, dot), text.substr(dot + 1)};
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

/// Bytes of the character at `at`: a whole well-formed UTF-8 sequence, else the one byte, so
/// a name that is not UTF-8 still walks forward one byte at a time.
size_t characterLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    // The accepted range of the second byte excludes overlong forms, surrogates and code
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
    if (text.size() - at < length)
        return 1;
    const auto second = static_cast<unsigned char>(text[at + 1]);
    if (second < low || second > high)
        return 1;
    for (size_t k = 2; k < length; ++k) {
        if (!isContinuation(static_cast<unsigned char>(text[at + k])))
            return 1;
    }
    return length;
}

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameCharacter(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    if (a.size() == 1)
        return foldAscii(a[0]) == foldAscii(b[0]);
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

/// One part of a destination name: the pattern part with its wildcards filled from the name.
void appendDestinationPart(std::string& out, std::string_view pattern, std::string_view name) {
    size_t n = 0;
    size_t p = 0;
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            out += name.substr(n);
            return;
        }
        const size_t nameLength = n < name.size() ? characterLength(name, n) : 0;
        if (pattern[p] == '?') {
            if (nameLength == 0)
                return;
            out += name.substr(n, nameLength);
            ++p;
        } else {
            const size_t patternLength = characterLength(pattern, p);
            out += pattern.substr(p, patternLength);
            p += patternLength;
        }
        n += nameLength;
    }
}

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != text.npos;
}

} // namespace

bool matchesPatternList(std::string_view patterns, std::string_view name) {
    const NameParts nameParts = splitAtLastDot(name);
    size_t start = 0;
    while (start <= patterns.size()) {
        size_t end = patterns.find(';', start);
        if (end == std::string_view::npos)
            end = patterns.size();
        const std::string_view item = patterns.substr(start, end - start);
        if (!item.empty()) {
            const NameParts itemParts = splitAtLastDot(item);
            if (matchesPart(itemParts.base, nameParts.base) &&
                matchesPart(itemParts.extension, nameParts.extension))
                return true;
        }
        start = end + 1;
    }
    return false;
}

std::string makeDestinationName(std::string_view pattern, std::string_view name) {
    if (pattern.empty())
        return std::string(name);
    const NameParts patternParts = splitAtLastDot(pattern);
    const NameParts nameParts = splitAtLastDot(name);
    std::string result;
    appendDestinationPart(result, patternParts.base, nameParts.base);
    std::string extension;
    appendDestinationPart(extension, patternParts.extension, nameParts.extension);
    if (!extension.empty()) {
        result += '.';
        result += extension;
    }
    return result;
}

void joinPath(std::string& base, std::string_view name) {
    if (base.empty())
        return;
    if (!name.empty() && name.front() == '/')
        name.remove_prefix(1);
    if (base.back() != '/')
        base += '/';
    base += name;
}

bool SplitPathArgument(FileSystem& fileSystem, std::string_view argument, std::string& directory,
                       std::string& pattern) {
    const size_t slash = argument.rfind('/');
    const std::string_view last =
        slash == std::string_view::npos ? argument : argument.substr(slash + 1);
    // A wildcard in the last component makes the argument a pattern, even where the search
    // would first yield a directory (the "." of "dir/*.*").
    if (!argument.empty() && !hasWildcard(last)) {
        if (const auto search = fileSystem.newSearch()) {
            const bool isDirectory =
                search->findFile(argument) == 0 && search->findNextFile() && search->isDirectory();
            search->close();
            if (isDirectory) {
                directory.assign(argument);
                pattern.clear();
                return true;
            }
        }
    }
    if (slash == std::string_view::npos) {
        directory.clear();
        pattern.assign(argument);
    } else {
        directory.assign(argument.substr(0, slash + 1));
        pattern.assign(last);
    }
    return true;
}

} // namespace ryk
