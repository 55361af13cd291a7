#include "platform/text/NameMatch.h"

#include "platform/FileSystem.h"
#include "platform/posix/PosixStat.h"
#include "platform/text/Utf8.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ryk {
namespace {

TEST(NameMatch, PartRules) {
    struct Case {
        const char* pattern;
        std::string name;
        bool match;
    };
    const Case cases[] = {
        {"*.*", "a", true},
        {"*.*", "a.b.c", true},
        {"*.*", ".", true},
        {"*.*", "..", true},
        {"*.*", ".bashrc", true},
        {"*", "README", true},
        {"*", "a.c", false},
        {"*", ".bashrc", false},
        {".*", ".bashrc", true},
        {".*", "x.c", false},
        {"*.c", "A.C", true},
        {"*.c", "x.y.c", true},
        {"*.c", "x.c.bak", false},
        {"a*b.txt", "axx.txt", true}, // what follows '*' in a part is ignored
        {"a.", "a", true},
        {"a.", "a.txt", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"abc", "abcd", false},
        {"abcd", "abc", false},
        {"*.?", "README", false},
        {"*.??", "a.cc", true},
        {"*.??", "a.c", false},
        {"ABC.TXT", "abc.txt", true},
        {"\xC3\xA9.txt", "\xC3\x89.txt", false}, // only ASCII letters fold
        // '?' takes a whole UTF-8 character of two, three or four bytes.
        {"?.txt", "\xC3\xA9.txt", true},
        {"??.txt", "\xC3\xA9.txt", false},
        {"?.txt", "\xE6\x97\xA5.txt", true},
        {"?.txt", "\xF0\x9F\x98\x80.txt", true},
        // A byte that does not start a well-formed sequence is one character on its own.
        {"?.txt", "\xFF.txt", true},
        {"?.txt", "\xFF\xFE.txt", false},
        {"??.txt", "\xE6\x97.txt", true},      // cut-off sequence
        {"?x.txt", "\xC3x.txt", true},         // lead byte without its continuation
        {"???.txt", "\xE0\x80\x80.txt", true}, // overlong form
        {"???.txt", "\xED\xA0\x80.txt", true}, // surrogate
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesNamePattern(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

TEST(NameMatch, OrderFoldsLettersThenBytes) {
    const std::vector<std::string> expected = {"10",   "9",  "A",        "a",     "a.txt",
                                               "aB",   "ab", "a_b",      "B.TXT", "b.txt",
                                               "zeta", "_x", "\xC3\xA9", "\xFF"};
    std::vector<std::string> names = expected;
    std::reverse(names.begin(), names.end());
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return compareNames(a, b) < 0; });
    EXPECT_EQ(names, expected);
    EXPECT_EQ(compareNames("abc", "abc"), 0);
}

TEST(StoredBits, ParsesHexTextAndIgnoresTheRest) {
    using namespace std::string_literals;
    struct Case {
        std::string value;
        uint32_t bits;
    };
    const Case cases[] = {
        {"0x22", attr::kHidden | attr::kArchive},
        {"0X4", attr::kSystem},
        {"0x26\n", attr::kHidden | attr::kSystem | attr::kArchive},
        {"0x20\0\x04\0\x04\0\x00\x00\x00\x00\x11\x00\x00\x00"s, attr::kArchive}, // text + binary
        {"0x31", attr::kArchive}, // read-only and directory come from elsewhere
        {"0x80000002", attr::kHidden},
        {"0x100000002", 0}, // wider than 32 bits
        {"0x", 0},
        {"0x2g", 0},
        {"22", 0},
        {"hidden", 0},
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseStoredBits(c.value), c.bits) << c.value;
}

} // namespace
} // namespace ryk
