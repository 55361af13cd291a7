#include "platform/ErrorCodes.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/text/NameMatch.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ryk {
namespace {

using test::TempDir;

/// The names a search yields, in order; empty when it fails.
std::vector<std::string> namesOf(DirectorySearch& search, const std::string& pattern,
                                 int* error = nullptr) {
    std::vector<std::string> names;
    const int result = search.findFile(pattern);
    if (error)
        *error = result;
    if (result == 0) {
        while (search.findNextFile())
            names.push_back(search.fileName());
    }
    return names;
}

TEST(DirectorySearch, YieldsDotsThenNamesSorted) {
    TempDir dir;
    for (const char* name :
         {"b.txt", "_x", "B.TXT", "!bang", "a", "A", "10", "9", "\xC3\xA9", "\xFF.bin", "zeta"})
        dir.writeFile(name);
    dir.makeDir("sub");
    PosixFileSystem fs;
    auto search = fs.newSearch();
    ASSERT_EQ(search->findFile(dir / "*.*"), 0);
    std::vector<std::string> names;
    while (search->findNextFile()) {
        names.push_back(search->fileName());
        EXPECT_EQ(search->filePath(), dir / search->fileName());
        EXPECT_EQ(search->isDots(), names.back() == "." || names.back() == "..");
        EXPECT_EQ(search->isDirectory(), search->isDots() || names.back() == "sub");
    }
    const std::vector<std::string> expected = {".",    "..", "!bang",    "10",      "9",
                                               "A",    "a",  "B.TXT",    "b.txt",   "sub",
                                               "zeta", "_x", "\xC3\xA9", "\xFF.bin"};
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(search->findNextFile());
}

TEST(DirectorySearch, SeekFindsExactlyTheNamedHit) {
    TempDir dir;
    // Some names share their first eight bytes but for letter case, some all of them.
    for (const char* name : {"a.txt", "A.txt", "b", "_x", "日本.txt", "Zeta", "longname_b",
                             "LONGNAME_a", "longname_a", "longname"})
        dir.writeFile(name, name);
    PosixFileSystem fs;
    const auto search = fs.newSearch();
    ASSERT_EQ(search->findFile(dir / "*.*"), 0);
    for (const char* name : {"A.txt", "a.txt", "_x", "日本.txt", "Zeta", "b", ".", "..",
                             "longname_a", "LONGNAME_a", "longname_b", "longname"}) {
        ASSERT_TRUE(search->seek(name)) << name;
        EXPECT_EQ(search->fileName(), name);
        FileStatus status;
        ASSERT_EQ(search->status(status), 0) << name;
        if (name[0] != '.') {
            EXPECT_EQ(status.size, std::string(name).size()) << name;
        }
    }
    for (const char* name : {"a.TXT", "c", "", "zeta", "longname_", "LONGNAME_b", "longnamE"})
        EXPECT_FALSE(search->seek(name)) << name;
    // Walking again starts from the first hit.
    ASSERT_EQ(search->rewind(), 0);
    ASSERT_TRUE(search->findNextFile());
    EXPECT_EQ(search->fileName(), ".");
}

TEST(DirectorySearch, PatternSelectsNames) {
    TempDir dir;
    for (const char* name : {"a.c", "B.C", "x.c.bak", "README", "\xE6\x97\xA5.txt",
                             "\xE6\x97\xA5\xE6\x9C\xAC.txt", "\xFF.txt", "ab.txt"})
        dir.writeFile(name);
    const struct {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"*.c", {"a.c", "B.C"}},
        {"*", {".", "..", "README"}},
        {"?.txt", {"\xE6\x97\xA5.txt", "\xFF.txt"}},
        {"??.txt", {"ab.txt", "\xE6\x97\xA5\xE6\x9C\xAC.txt"}},
        {"*.BAK", {"x.c.bak"}},
    };
    PosixFileSystem fs;
    auto search = fs.newSearch(); // one object for all: each findFile starts afresh
    for (const auto& c : cases)
        EXPECT_EQ(namesOf(*search, dir / c.pattern), c.names) << c.pattern;
}

TEST(DirectorySearch, PlainPathDescribesThatOneEntry) {
    TempDir dir;
    const std::string file = dir.writeFile("f.txt", "12345");
    dir.makeDir("d/inner");
    ASSERT_EQ(symlink("d", (dir / "link").c_str()), 0);
    PosixFileSystem fs;
    auto search = fs.newSearch();
    const struct {
        std::string path;
        std::string name;
        bool directory;
        bool dots;
        uint32_t attributes; // bits that must be set
    } cases[] = {
        {file, "f.txt", false, false, attr::kNormal},
        {dir / "d", "d", true, false, attr::kDirectory},
        {dir / "d/.", ".", true, true, attr::kDirectory | attr::kDots},
        {dir / "link", "link", false, false, attr::kReparsePoint},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(search->findFile(c.path), 0) << c.path;
        ASSERT_TRUE(search->findNextFile());
        EXPECT_EQ(search->fileName(), c.name);
        EXPECT_EQ(search->filePath(), c.path);
        EXPECT_EQ(search->isDirectory(), c.directory) << c.path;
        EXPECT_EQ(search->isDots(), c.dots) << c.path;
        FileStatus status;
        ASSERT_EQ(search->status(status), 0);
        EXPECT_EQ(status.attributes & c.attributes, c.attributes) << c.path;
        EXPECT_FALSE(search->findNextFile());
    }
    ASSERT_EQ(search->findFile(file), 0);
    ASSERT_TRUE(search->findNextFile());
    FileStatus status;
    ASSERT_EQ(search->status(status), 0);
    EXPECT_EQ(status.size, 5u);
}

TEST(DirectorySearch, LinkToDirectoryIsListedButNotADirectory) {
    TempDir dir;
    dir.writeFile("target/inside.txt");
    ASSERT_EQ(symlink("target", (dir / "link").c_str()), 0);
    ASSERT_EQ(symlink("nowhere", (dir / "dangling").c_str()), 0);
    PosixFileSystem fs;
    auto search = fs.newSearch();
    ASSERT_EQ(search->findFile(dir / "*.*"), 0);
    std::vector<std::string> directories;
    while (search->findNextFile()) {
        FileStatus status;
        ASSERT_EQ(search->status(status), 0) << search->fileName();
        EXPECT_EQ(search->isDirectory(), (status.attributes & attr::kDirectory) != 0);
        if (search->isDirectory() && !search->isDots())
            directories.push_back(search->fileName());
        if (search->fileName() == "link" || search->fileName() == "dangling") {
            EXPECT_EQ(status.attributes, attr::kReparsePoint);
        }
    }
    EXPECT_EQ(directories, std::vector<std::string>{"target"});
    // Naming the link as the directory to list still goes through it.
    EXPECT_EQ(namesOf(*search, dir / "link/*.txt"), std::vector<std::string>{"inside.txt"});
}

TEST(DirectorySearch, FailuresReportTheSystemError) {
    TempDir dir;
    const std::string file = dir.writeFile("file.txt");
    dir.makeDir("empty");
    const struct {
        std::string pattern;
        int error;
    } cases[] = {
        {dir / "missing/*.*", kErrorPathNotFound},
        {dir / "missing.txt", kErrorFileNotFound},
        {dir / "empty/*.txt", kErrorFileNotFound}, // the directory exists, nothing matches
        {dir / "empty/", kErrorFileNotFound},      // a trailing '/' names nothing
        {"/", kErrorFileNotFound},
        {"", kErrorFileNotFound},
        {file + "/*.*", kErrorNotADirectory},
        {dir / std::string(300, 'n') + "/*.*", kErrorNameTooLong},
    };
    PosixFileSystem fs;
    auto search = fs.newSearch();
    for (const auto& c : cases) {
        int error = 0;
        EXPECT_TRUE(namesOf(*search, c.pattern, &error).empty()) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
        EXPECT_FALSE(search->findNextFile());
    }
    // The root is listed through a pattern, never as a bare "/".
    EXPECT_EQ(namesOf(*search, "/*.*").front(), ".");

    const std::string locked = dir.makeDir("locked");
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    if (access(locked.c_str(), R_OK) == 0)
        GTEST_SKIP() << "permissions do not bind this user";
    int error = 0;
    namesOf(*search, locked + "/*.*", &error);
    EXPECT_EQ(error, kErrorAccessDenied);
}

TEST(DirectorySearch, RelativePatternListsTheWorkingDirectory) {
    TempDir dir;
    dir.writeFile("a.txt");
    char previous[4096];
    ASSERT_TRUE(getcwd(previous, sizeof previous));
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    PosixFileSystem fs;
    auto search = fs.newSearch();
    const int found = search->findFile("*.txt");
    const bool moved = found == 0 && search->findNextFile();
    const std::string path = moved ? search->filePath() : std::string();
    ASSERT_EQ(chdir(previous), 0);
    EXPECT_EQ(found, 0);
    EXPECT_EQ(path, "a.txt");
}

TEST(DirectorySearch, LargeDirectoryComesSortedAndWhole) {
    TempDir dir;
    constexpr int kCount = 3000;
    for (int i = 0; i < kCount; ++i) {
        // Scrambled, mixed-case names so that the listing order tells nothing.
        const int n = (i * 7919) % kCount;
        dir.writeFile((n % 2 ? "File" : "file") + std::to_string(n * 31 % 1000) + "_" +
                      std::to_string(n) + ".dat");
    }
    PosixFileSystem fs;
    auto search = fs.newSearch();
    const std::vector<std::string> names = namesOf(*search, dir / "*.dat");
    ASSERT_EQ(names.size(), static_cast<size_t>(kCount));
    for (size_t i = 1; i < names.size(); ++i)
        ASSERT_LT(compareNames(names[i - 1], names[i]), 0) << names[i - 1] << " " << names[i];
}

} // namespace
} // namespace ryk
