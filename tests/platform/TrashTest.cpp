#include "platform/posix/Trash.h"

#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {
namespace {

using test::TempDir;

/// A home trash of its own in a temporary directory, for one test.
class TrashTest : public ::testing::Test {
protected:
    /// The entry's info text, or empty when there is none.
    std::string info(const std::string& entry) const {
        return tmp.readFile("data/Trash/info/" + entry + ".trashinfo");
    }
    bool exists(const std::string& relative) const {
        struct stat st;
        return lstat((tmp / relative).c_str(), &st) == 0;
    }

    TempDir tmp;
    test::ScopedEnv data{"XDG_DATA_HOME", tmp / "data"};
    PosixFileSystem fs;
};

TEST_F(TrashTest, FilesLinksAndEmptyDirectoriesGoToTheHomeTrashWithTheirPaths) {
    tmp.writeFile("tree/a b.txt", "one");
    tmp.writeFile("tree/sub/a b.txt", "two");
    tmp.writeFile("tree/\xe3\x81\x82", "kana");
    ASSERT_EQ(symlink("nowhere", (tmp / "tree/link").c_str()), 0);
    tmp.makeDir("tree/empty");
    const struct {
        const char* path;
        const char* entry;
        const char* recorded;
    } cases[] = {
        {"tree/a b.txt", "a b.txt", "tree/a%20b.txt"},
        // The same name again takes a name of its own in the trash.
        {"tree/sub/a b.txt", "a b.txt.2", "tree/sub/a%20b.txt"},
        {"tree/\xe3\x81\x82", "\xe3\x81\x82", "tree/%E3%81%82"},
        {"tree/link", "link", "tree/link"},
        {"tree/empty", "empty", "tree/empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(fs.moveToTrash(tmp / c.path), 0);
        EXPECT_FALSE(exists(c.path));
        EXPECT_TRUE(exists(std::string("data/Trash/files/") + c.entry));
        const std::regex form("\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT"
                              "\\d\\d:\\d\\d:\\d\\d\n");
        std::smatch match;
        const std::string text = info(c.entry);
        ASSERT_TRUE(std::regex_match(text, match, form)) << text;
        EXPECT_EQ(match[1].str(),
                  std::filesystem::canonical(tmp.path()).string() + "/" + c.recorded);
    }
    struct stat st;
    ASSERT_EQ(stat((tmp / "data/Trash/files").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(tmp.readFile("data/Trash/files/a b.txt.2"), "two");
}

TEST_F(TrashTest, WhatRemovalWouldRefuseOrNoTrashCanTakeStaysWhereItIs) {
    tmp.writeFile("tree/full/x", "x");
    const std::string locked = tmp.writeFile("tree/locked", "l");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    EXPECT_EQ(fs.moveToTrash(tmp / "tree/full"), ENOTEMPTY);
    EXPECT_EQ(fs.moveToTrash(locked), EACCES);
    EXPECT_EQ(fs.moveToTrash(tmp / "tree/none"), ENOENT);

    // A home trash that cannot be made (a file in its way): nothing moves, no info is left.
    tmp.writeFile("data/Trash", "in the way");
    const std::string kept = tmp.writeFile("tree/kept", "k");
    EXPECT_EQ(fs.moveToTrash(kept), kErrorNoTrash);
    EXPECT_EQ(tmp.readFile("tree/kept"), "k");
    EXPECT_TRUE(exists("tree/full/x"));
}

TEST_F(TrashTest, ATopDirectoryTrashIsTheSharedOneOnlyWhenItIsSound) {
    const std::string uid = std::to_string(getuid());
    const struct {
        const char* name;
        mode_t shared; // 0: no .Trash; 1: .Trash is a link
        std::string used;
    } cases[] = {
        {"none", 0, ".Trash-" + uid},
        {"sticky", 01777, ".Trash/" + uid},
        {"not sticky", 0777, ".Trash-" + uid},
        {"link", 1, ".Trash-" + uid},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string top = tmp.makeDir(c.name);
        if (c.shared == 1) {
            ASSERT_EQ(chmod(tmp.makeDir(std::string(c.name) + "/elsewhere").c_str(), 01777), 0);
            ASSERT_EQ(symlink("elsewhere", (top + "/.Trash").c_str()), 0);
        } else if (c.shared != 0) {
            tmp.makeDir(std::string(c.name) + "/.Trash");
            ASSERT_EQ(chmod((top + "/.Trash").c_str(), c.shared), 0);
        }
        TrashPlace place;
        ASSERT_EQ(topDirectoryTrash(top, getuid(), place), 0);
        EXPECT_EQ(place.directory, top + "/" + c.used);
        EXPECT_EQ(place.topDirectory, top);
        struct stat st;
        ASSERT_EQ(lstat(place.directory.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0700u);

        // Its entries record paths relative to the top directory.
        const std::string file = tmp.writeFile(std::string(c.name) + "/d/f", "f");
        const int dir = open((top + "/d").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(dir, 0);
        EXPECT_EQ(moveIntoTrash(place, dir, "f", top + "/d/f"), 0);
        close(dir);
        EXPECT_EQ(tmp.readFile(std::string(c.name) + "/" + c.used + "/files/f"), "f");
        EXPECT_NE(tmp.readFile(std::string(c.name) + "/" + c.used + "/info/f.trashinfo")
                      .find("\nPath=d/f\n"),
                  std::string::npos);
    }
}

/// Replaces `target` by a copy of `source`, the old file going to the trash.
int replaceTrashing(PosixFileSystem& fs, const std::string& source, const std::string& target) {
    PlannedTarget planned(CommitMode::Replace);
    planned.replaced = ReplacedFile::Trashed;
    return copyWholeFile(fs, source, target, planned, nullptr).error;
}

TEST_F(TrashTest, AReplacedFileGoesToTheTrashOnlyOnceItsCopyTakesItsPlace) {
    const std::string source = tmp.writeFile("src/f", "new");
    const std::string target = tmp.writeFile("dst/f", "old");
    ASSERT_EQ(replaceTrashing(fs, source, target), 0);
    EXPECT_EQ(tmp.readFile("dst/f"), "new");
    EXPECT_EQ(tmp.readFile("data/Trash/files/f"), "old");
    EXPECT_NE(info("f").find("/dst/f\n"), std::string::npos);

    // No trash to take it: the old file stays, and nothing of the copy is left beside it.
    tmp.writeFile("src/f", "newer");
    ASSERT_EQ(unlink((tmp / "data/Trash/info/f.trashinfo").c_str()), 0);
    // A file where the info directory was: no trash can be used, whoever runs the test.
    ASSERT_EQ(rmdir((tmp / "data/Trash/info").c_str()), 0);
    tmp.writeFile("data/Trash/info", "");
    EXPECT_EQ(replaceTrashing(fs, source, target), kErrorNoTrash);
    EXPECT_EQ(tmp.readFile("dst/f"), "new");
    EXPECT_EQ(tmp.names("dst"), (std::set<std::string>{"f"}));
}

} // namespace
} // namespace ryk
