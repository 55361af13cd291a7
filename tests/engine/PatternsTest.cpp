#include "engine/Patterns.h"

#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ryk {
namespace {

struct MatchCase {
    std::string patterns;
    std::string name;
    bool matches;
};

void expectMatches(const std::vector<MatchCase>& cases) {
    for (const MatchCase& c : cases) {
        SCOPED_TRACE("patterns \"" + c.patterns + "\", name \"" + c.name + "\"");
        EXPECT_EQ(matchesPatternList(c.patterns, c.name), c.matches);
    }
}

TEST(PatternMatch, BaseAndExtensionSplitAtLastDot) {
    expectMatches({
        {"*.*", "report.txt", true},
        {"*.*", "README", true},
        {"*.*", ".bashrc", true},
        {"*", "README", true},
        {"*", "report.txt", false},
        {"*", "report.", true}, // a trailing dot leaves an empty extension
        {"*", ".bashrc", false},
        {"*", "", true},
        {"*.c", "x.y.c", true},
        {"*.c", "x.c.bak", false},
        {"a*b.txt", "abc.txt", true}, // what follows '*' is ignored
        {"a*b.txt", "axyz.txt", true},
        {"report", "report", true},
        {"report", "report2", false},
        {"repor", "report", false},
        {".bashrc", ".bashrc", true},
        {"*.", "README", true},
        {"*.", "a.txt", false},
        {"a.txt", "a.txt.", false},
        {"my file.txt", "my file.txt", true},
        {"my file.txt", "myfile.txt", false},
        {"*.txt", "", false},
        {"*.*", "", true},
    });
}

TEST(PatternMatch, QuestionMarkTakesOneCharacter) {
    expectMatches({
        {"*.?", "README", false},
        {"*.?", "a.c", true},
        {"*.??", "a.cc", true},
        {"*.??", "a.c", false},
        {"?", "ab", false},
        {"??", "日本", true},
        {"?", "日本", false},
        {"?", "日", true},   // three bytes
        {"?", "😀", true},    // four bytes
        {"?", "é", true},    // two bytes
        {"??", "é", false},  // never half a character
        {"?", "\xE9", true}, // a byte that starts no valid sequence is one character
        {"??", "\xE6\x97", true},
        {"?", "\xE6\x97", false},
        {"???", "\xE6\x97Z", true},    // a sequence broken in its third byte
        {"???", "\xE0\x80\x80", true}, // an overlong form is three bytes, not one character
        {"???", "\xED\xA0\x80", true}, // so is an encoded surrogate
        {"\xC3?", "é", false},         // a pattern byte never matches part of a character
        {"日本語.txt", "日本語.txt", true},
        {"日?語.*", "日本語.md", true},
        {"*.テキスト", "メモ.テキスト", true},
        {"*.テキスト", "メモ.テキスト2", false},
    });
}

TEST(PatternMatch, OnlyAsciiLettersFold) {
    expectMatches({
        {"*.TXT", "a.txt", true},
        {"*.txt", "A.TXT", true},
        {"ReadMe", "rEADmE", true},
        {"É.txt", "é.txt", false},
        {"Ａ.txt", "ａ.txt", false}, // full-width letters compare exactly
        {"[.txt", "{.txt", false},   // bytes next to the letter ranges do not fold
        {"@.txt", "`.txt", false},
    });
}

TEST(PatternMatch, ItemLists) {
    expectMatches({
        {"", "a.c", false},
        {";", "a.c", false},
        {";;;", "", false},
        {"*.c;;*.h", "a.h", true},
        {"*.c;;*.h", "a.c", true},
        {"*.c;;*.h", "a.cpp", false},
        {";*.h;", "a.h", true},
        {"*.c; *.h", "a.h", false}, // the space belongs to the item
        {"*.c; *.h", " a.h", true},
    });
}

TEST(PatternMatch, LongListsAndNamesMatchNormally) {
    std::string exclusions;
    for (int i = 0; i < 40; ++i)
        exclusions += "scratch" + std::to_string(i) + ".tmp;";
    exclusions += "*.bak";
    ASSERT_GT(exclusions.size(), 300u);
    const std::string longName = std::string(300, 'n') + ".bak";
    expectMatches({
        {exclusions, "old.bak", true},
        {exclusions, "scratch39.tmp", true},
        {exclusions, "keep.txt", false},
        {"*.bak", longName, true},
        {exclusions, longName, true},
        {longName, longName, true},
    });
}

struct DestinationCase {
    std::string pattern;
    std::string name;
    std::string expected;
};

TEST(DestinationName, FillsWildcardsFromTheName) {
    const std::vector<DestinationCase> cases = {
        {"", "report.txt", "report.txt"},
        {"", "a.", "a."},
        {"*.*", "report.txt", "report.txt"},
        {"*.*", "README", "README"},
        {"*.*", ".bashrc", ".bashrc"},
        {"*.*", "x.y.c", "x.y.c"},
        {"*.bak", "report.txt", "report.bak"},
        {"*.bak", "README", "README.bak"},
        {"*.", "report.txt", "report"},
        {"*", "report.txt", "report"},
        {"new", "report.txt", "new"},
        {"?x*.*", "abcd.c", "axcd.c"},
        {"???.*", "ab.txt", "ab.txt"}, // '?' past the end ends the part
        {"a?c.?", "Z.txt", "a.t"},
        {"*.?", "README", "README"},
        {"X*.*", "abc.TXT", "Xbc.TXT"}, // no case is changed
        {"*x.*", "Read.ME", "Read.ME"},
        // A trailing dot is part of a Linux name: dropping it would name another file.
        {"*.*", "foo.", "foo."},
        {"*.*", "a.b.", "a.b."},
        {"*.bak", "foo.", "foo.bak"},
        {"*.", "foo.", "foo"},
    };
    for (const DestinationCase& c : cases) {
        SCOPED_TRACE("pattern \"" + c.pattern + "\", name \"" + c.name + "\"");
        EXPECT_EQ(makeDestinationName(c.pattern, c.name), c.expected);
        // A pattern said to keep names must give each one back as it is.
        if (keepsNames(c.pattern)) {
            EXPECT_EQ(c.expected, c.name);
        }
    }
}

TEST(DestinationName, WalksWholeCharacters) {
    const std::vector<DestinationCase> cases = {
        {"?*.*", "日本.txt", "日本.txt"},
        {"??.txt", "日本語.md", "日本.txt"},
        {"?x*.*", "日本語.c", "日x語.c"},
        {"日*.*", "abc.txt", "日bc.txt"}, // a literal character steps over one name character
        {"?_*", "é.txt", "é_"},
        {"?", "😀😀", "😀"},
        {"?*", "\xE9\xE9", "\xE9\xE9"}, // bytes that are not UTF-8 are one character each
        {"?", "\xE9xyz", "\xE9"},
        {"*.?", "a.日本", "a.日"},
    };
    for (const DestinationCase& c : cases) {
        SCOPED_TRACE("pattern \"" + c.pattern + "\", name \"" + c.name + "\"");
        EXPECT_EQ(makeDestinationName(c.pattern, c.name), c.expected);
    }
}

TEST(JoinPath, AddsOneSeparator) {
    struct JoinCase {
        std::string base;
        std::string name;
        std::string expected;
    };
    const std::vector<JoinCase> cases = {
        {"", "x", ""},
        {"", "", ""},
        {"/", "/x", "/x"},
        {"/a", "b", "/a/b"},
        {"/a/", "b", "/a/b"},
        {"/a", "/b", "/a/b"},
        {"/a/", "//b", "/a//b"},
        {"/a", "", "/a/"},
        {"C:", "x", "C:/x"},   // no drive-relative joins
        {"a\\", "b", "a\\/b"}, // a backslash is an ordinary character
        {"/日本", "語", "/日本/語"},
    };
    for (const JoinCase& c : cases) {
        SCOPED_TRACE("base \"" + c.base + "\", name \"" + c.name + "\"");
        std::string base = c.base;
        joinPath(base, c.name);
        EXPECT_EQ(base, c.expected);
    }
}

TEST(SplitPathArgument, SplitsOnRealDirectories) {
    const test::TempDir tmp;
    tmp.writeFile("data/a.txt");
    tmp.makeDir("data/sub");
    tmp.makeDir("my dir");
    tmp.makeDir("caf\xE9");
    std::filesystem::create_directory_symlink(tmp / "data", tmp / "link");
    std::filesystem::create_symlink(tmp / "data/a.txt", tmp / "filelink");
    const std::string data = tmp / "data";
    const std::string relative =
        std::filesystem::path(data).lexically_proximate(std::filesystem::current_path()).string();
    ASSERT_NE(relative.front(), '/');

    struct SplitCase {
        std::string argument;
        std::string directory;
        std::string pattern;
    };
    const std::vector<SplitCase> cases = {
        {data, data, ""},
        {data + "/", data + "/", ""},
        {data + "/*.txt", data + "/", "*.txt"},
        {data + "/*.*", data + "/", "*.*"}, // the search would first yield "."
        {data + "/*", data + "/", "*"},
        {data + "/su?", data + "/", "su?"}, // a wildcard naming only a directory
        {data + "/sub", data + "/sub", ""},
        {data + "/a.txt", data + "/", "a.txt"},
        {tmp / "missing/x.txt", tmp / "missing/", "x.txt"},
        {relative, relative, ""},
        {relative + "/a.txt", relative + "/", "a.txt"},
        {tmp / "my dir", tmp / "my dir", ""},
        {tmp / "my dir/a b.txt", tmp / "my dir/", "a b.txt"},
        {tmp / "caf\xE9", tmp / "caf\xE9", ""},
        {tmp / "caf\xE9/*.txt", tmp / "caf\xE9/", "*.txt"},
        {tmp / "link", tmp / "link", ""}, // a link to a directory names the directory
        {tmp / "filelink", tmp / "", "filelink"},
        {"readme.txt", "", "readme.txt"},
        {"C:readme.txt", "", "C:readme.txt"},
        {"", "", ""},
    };
    PosixFileSystem fileSystem;
    for (const SplitCase& c : cases) {
        SCOPED_TRACE("argument \"" + c.argument + "\"");
        std::string directory = "stale";
        std::string pattern = "stale";
        EXPECT_TRUE(SplitPathArgument(fileSystem, c.argument, directory, pattern));
        EXPECT_EQ(directory, c.directory);
        EXPECT_EQ(pattern, c.pattern);
    }
}

} // namespace
} // namespace ryk
