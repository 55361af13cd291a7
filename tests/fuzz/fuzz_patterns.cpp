// Pattern matching, destination names and path joins on arbitrary bytes. The input holds up to
// three NUL-separated fields (file names never contain NUL): a pattern list, a name, a base.
// Besides the sanitizers, the matcher is checked against a plain reference and the other two
// against the properties their callers rely on.

#include "engine/Patterns.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

/// The text cut into characters the slow way: a well-formed UTF-8 sequence, else one byte.
std::vector<std::string> characters(std::string_view text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t length = 1;
        for (size_t candidate = 2; candidate <= 4 && at + candidate <= text.size(); ++candidate) {
            if (static_cast<unsigned char>(text[at + candidate - 1]) >> 6 != 2)
                break;
            if (static_cast<unsigned char>(text[at]) >= 0xC0 &&
                ryk::isValidUtf8(text.substr(at, candidate))) {
                length = candidate;
                break;
            }
        }
        std::string c(text.substr(at, length));
        if (length == 1 && c[0] >= 'A' && c[0] <= 'Z')
            c[0] = static_cast<char>(c[0] + 32);
        out.push_back(c);
        at += length;
    }
    return out;
}

bool referencePart(std::string_view pattern, std::string_view name) {
    const auto p = characters(pattern);
    const auto n = characters(name);
    size_t i = 0;
    for (; i < p.size(); ++i) {
        if (p[i] == "*")
            return true;
        if (i >= n.size() || (p[i] != "?" && p[i] != n[i]))
            return false;
    }
    return i == n.size();
}

bool referenceMatch(std::string_view patterns, std::string_view name) {
    const size_t nameDot = name.rfind('.');
    const std::string_view nameBase = name.substr(0, nameDot);
    const std::string_view nameExtension =
        nameDot == name.npos ? std::string_view() : name.substr(nameDot + 1);
    std::string item;
    for (size_t i = 0; i <= patterns.size(); ++i) {
        if (i < patterns.size() && patterns[i] != ';') {
            item += patterns[i];
            continue;
        }
        if (!item.empty()) {
            const size_t dot = item.rfind('.');
            const std::string_view view = item;
            const std::string_view base = view.substr(0, dot);
            const std::string_view extension =
                dot == view.npos ? std::string_view() : view.substr(dot + 1);
            if (referencePart(base, nameBase) && referencePart(extension, nameExtension))
                return true;
        }
        item.clear();
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view fields[3];
    size_t start = 0;
    for (int i = 0; i < 3 && start <= input.size(); ++i) {
        const size_t end = i == 2 ? input.size() : std::min(input.find('\0', start), input.size());
        fields[i] = input.substr(start, end - start);
        start = end + 1;
    }
    const std::string_view patterns = fields[0];
    const std::string_view name = fields[1];

    const bool matches = ryk::matchesPatternList(patterns, name);
    check(matches == referenceMatch(patterns, name));
    check(ryk::matchesPatternList("*.*", name));
    std::string upper(name);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    check(ryk::matchesPatternList(patterns, upper) == matches);

    const std::string destination = ryk::makeDestinationName(patterns, name);
    if (ryk::isValidUtf8(patterns) && ryk::isValidUtf8(name))
        check(ryk::isValidUtf8(destination));
    if (patterns.empty() || patterns == "*.*")
        check(destination == name);

    std::string joined(fields[2]);
    ryk::joinPath(joined, name);
    if (fields[2].empty()) {
        check(joined.empty());
    } else {
        std::string_view rest = name;
        if (!rest.empty() && rest.front() == '/')
            rest.remove_prefix(1);
        check(joined.starts_with(fields[2]) && joined.ends_with(rest));
        check(joined.size() - rest.size() - fields[2].size() == (fields[2].back() == '/' ? 0 : 1));
    }
    return 0;
}
