#include "platform/ErrorCodes.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/RenameFallback.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ryk {
namespace {

using test::modeOf;
using test::TempDir;

mode_t currentUmask() {
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

size_t entryCount(const std::string& dir) {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir))
        ++count;
    return count;
}

TEST(PosixFileSystem, MakeDirectoryHonoursUmask) {
    TempDir dir;
    PosixFileSystem fs;
    ASSERT_EQ(fs.makeDirectory(dir / "new"), 0);
    EXPECT_EQ(modeOf(dir / "new"), 0777 & ~currentUmask());
    EXPECT_EQ(fs.makeDirectory(dir / "new"), kErrorFileExists);
    EXPECT_EQ(fs.makeDirectory(dir / "missing/new"), kErrorPathNotFound);
}

TEST(PosixFileSystem, DiskSpaceOfExistingPath) {
    TempDir dir;
    PosixFileSystem fs;
    const auto space = fs.diskSpace(dir.path());
    ASSERT_TRUE(space) << space.error();
    EXPECT_GT(space->totalBytes, 0u);
    EXPECT_LE(space->freeBytes, space->totalBytes);
    EXPECT_EQ(fs.diskSpace(dir / "missing").error(), kErrorFileNotFound);
}

TEST(PosixFileSystem, ReadFileUpToLimit) {
    TempDir dir;
    const std::string file = dir.writeFile("f.txt", std::string(100000, 'x') + "end");
    PosixFileSystem fs;
    std::string contents = "stale";
    ASSERT_EQ(fs.readFile(file, contents, 1 << 20), 0);
    EXPECT_EQ(contents.size(), 100003u);
    EXPECT_EQ(contents.substr(contents.size() - 3), "end");
    ASSERT_EQ(fs.readFile(file, contents, 10), 0);
    EXPECT_EQ(contents, std::string(10, 'x'));
    EXPECT_EQ(fs.readFile(dir / "missing", contents, 10), kErrorFileNotFound);
    EXPECT_EQ(fs.readFile(dir.path(), contents, 10), EISDIR);
    // A FIFO is refused without waiting for a writer; a hang ends the test by SIGALRM.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    alarm(10);
    EXPECT_EQ(fs.readFile(dir / "fifo", contents, 10), kErrorSpecialFile);
    alarm(0);
}

TEST(PosixFileSystem, AtomicWriteReplacesAndKeepsMode) {
    TempDir dir;
    PosixFileSystem fs;
    const std::string fresh = dir / "fresh.ini";
    ASSERT_EQ(fs.writeFileAtomically(fresh, "a=1\n"), 0);
    EXPECT_EQ(dir.readFile("fresh.ini"), "a=1\n");
    EXPECT_EQ(modeOf(fresh), 0666 & ~currentUmask());

    const std::string old = dir.writeFile("old.ini", "old");
    ASSERT_EQ(chmod(old.c_str(), 0640), 0);
    ASSERT_EQ(fs.writeFileAtomically(old, "new"), 0);
    EXPECT_EQ(dir.readFile("old.ini"), "new");
    EXPECT_EQ(modeOf(old), 0640u);

    // A link to the settings stays a link; the file it points to gets the new contents.
    ASSERT_EQ(symlink("old.ini", (dir / "link.ini").c_str()), 0);
    ASSERT_EQ(fs.writeFileAtomically(dir / "link.ini", "via link"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
    EXPECT_EQ(dir.readFile("old.ini"), "via link");
    EXPECT_EQ(entryCount(dir.path()), 3u); // no temporary left behind

    // Missing directories are made for the user alone.
    ASSERT_EQ(fs.writeFileAtomically(dir / "made/rykmere/ryk.INI", "x"), 0);
    EXPECT_EQ(modeOf(dir / "made"), 0700u);
    EXPECT_EQ(modeOf(dir / "made/rykmere"), 0700u);
    EXPECT_EQ(dir.readFile("made/rykmere/ryk.INI"), "x");
}

TEST(PosixFileSystem, AtomicWriteFollowsOnlyTheUsersOwnLinks) {
    if (geteuid() != 0)
        GTEST_SKIP() << "planting another user's links needs root";
    constexpr uid_t kOther = 65534;
    TempDir dir;
    PosixFileSystem fs;
    const std::string mine = dir.writeFile("mine", "mine");
    const std::string theirs = dir.writeFile("theirs", "theirs");
    const std::string other = dir.makeDir("other");
    const std::string elsewhere = dir.makeDir("elsewhere");
    ASSERT_EQ(chown(theirs.c_str(), kOther, kOther), 0);
    ASSERT_EQ(chown(other.c_str(), kOther, kOther), 0);
    const auto link = [](const std::string& target, const std::string& at, uid_t owner) {
        EXPECT_EQ(symlink(target.c_str(), at.c_str()), 0) << at;
        EXPECT_EQ(lchown(at.c_str(), owner, owner), 0) << at;
        return at;
    };
    const std::pair<const char*, std::string> cases[] = {
        {"own link to another user's file", link(theirs, dir / "a.ini", 0)},
        {"another user's link to an own file", link(mine, dir / "b.ini", kOther)},
        {"own link in another user's directory", link(mine, other + "/c.ini", 0)},
        {"another user's link on the way",
         link(elsewhere, dir / "config", kOther) + "/rykmere/ryk.INI"},
    };
    for (const auto& [name, path] : cases)
        EXPECT_EQ(fs.writeFileAtomically(path, "written"), kErrorUntrustedLink) << name;
    EXPECT_EQ(dir.readFile("mine"), "mine");
    EXPECT_EQ(dir.readFile("theirs"), "theirs");
    EXPECT_EQ(entryCount(elsewhere), 0u);
    EXPECT_EQ(entryCount(other), 1u);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "a.ini")); // the links stay as they were
}

TEST(PosixFileSystem, AtomicWriteFailureLeavesOldFile) {
    TempDir dir;
    PosixFileSystem fs;
    const std::string readOnly = dir.writeFile("ro.ini", "keep");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    EXPECT_EQ(fs.writeFileAtomically(readOnly, "lost"), kErrorAccessDenied);
    EXPECT_EQ(dir.readFile("ro.ini"), "keep");

    // A write that fails half-way (the file-size limit binds every user, root too).
    const std::string file = dir.writeFile("big.ini", "keep");
    struct rlimit previous;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = previous;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int error = fs.writeFileAtomically(file, std::string(1000, 'y'));
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(dir.readFile("big.ini"), "keep");
    EXPECT_EQ(entryCount(dir.path()), 2u);

    const std::string locked = dir.makeDir("locked");
    const std::string inLocked = dir.writeFile("locked/s.ini", "keep");
    ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
    if (access(locked.c_str(), W_OK) == 0)
        GTEST_SKIP() << "permissions do not bind this user";
    EXPECT_EQ(fs.writeFileAtomically(inLocked, "lost"), kErrorAccessDenied);
    EXPECT_EQ(dir.readFile("locked/s.ini"), "keep");
}

} // namespace
} // namespace ryk
