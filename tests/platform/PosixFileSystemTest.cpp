#include "platform/posix/PosixFileSystem.h"

#include "platform/ErrorCodes.h"
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

uint32_t attributesOf(PosixFileSystem& fs, const std::string& path) {
    FileStatus status;
    EXPECT_EQ(fs.status(path, status, LinkMode::Describe), 0) << path;
    return status.attributes;
}

std::string storedText(const std::string& path) {
    char buffer[64];
    const ssize_t n = lgetxattr(path.c_str(), "user.DOSATTRIB", buffer, sizeof buffer);
    return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

bool xattrsSupported(const std::string& path) {
    if (lsetxattr(path.c_str(), "user.ryk-probe", "1", 1, 0) != 0)
        return false;
    lremovexattr(path.c_str(), "user.ryk-probe");
    return true;
}

TEST(PosixFileSystem, AttributeWordOfKindsOfFiles) {
    TempDir dir;
    const std::string readOnly = dir.writeFile("ro.txt");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    ASSERT_EQ(symlink("sub", (dir / "link").c_str()), 0);
    const struct {
        std::string path;
        uint32_t attributes;
    } cases[] = {
        {dir.writeFile("plain.txt"), attr::kNormal},
        {dir.writeFile(".profile"), attr::kHidden},
        {dir.makeDir("sub"), attr::kDirectory},
        {dir.makeDir(".cache") + "/", attr::kDirectory | attr::kHidden},
        {readOnly, attr::kReadOnly},
        {dir / "link", attr::kReparsePoint},
    };
    PosixFileSystem fs;
    for (const auto& c : cases)
        EXPECT_EQ(attributesOf(fs, c.path), c.attributes) << c.path;
    FileStatus status;
    EXPECT_EQ(fs.status(dir / "missing", status, LinkMode::Describe), kErrorFileNotFound);
}

TEST(PosixFileSystem, ReadOnlyMapsToWriteBits) {
    TempDir dir;
    const std::string file = dir.writeFile("f.txt");
    ASSERT_EQ(chmod(file.c_str(), 0664), 0);
    PosixFileSystem fs;
    // The bits the attribute word cannot carry on input are ignored.
    ASSERT_EQ(fs.setAttributes(file, attr::kReadOnly | attr::kDirectory | attr::kNormal), 0);
    EXPECT_EQ(modeOf(file), 0444u);
    EXPECT_EQ(attributesOf(fs, file), attr::kReadOnly);
    ASSERT_EQ(fs.setAttributes(file, attr::kNormal), 0);
    EXPECT_EQ(modeOf(file), 0644u); // only the owner's write bit comes back
    EXPECT_EQ(attributesOf(fs, file), attr::kNormal);
}

TEST(PosixFileSystem, StoredBitsRoundTripThroughExtendedAttribute) {
    TempDir dir;
    const std::string file = dir.writeFile("f.txt");
    const std::string dotFile = dir.writeFile(".dot");
    if (!xattrsSupported(file))
        GTEST_SKIP() << "no user extended attributes here";
    PosixFileSystem fs;
    const uint32_t stored = attr::kHidden | attr::kSystem | attr::kArchive;
    ASSERT_EQ(fs.setAttributes(file, stored), 0);
    EXPECT_EQ(storedText(file), "0x26");
    EXPECT_EQ(attributesOf(fs, file), stored);

    // Read-only and stored bits together, then a change of the stored bits alone while the
    // file stays read-only.
    ASSERT_EQ(fs.setAttributes(file, attr::kReadOnly | attr::kArchive), 0);
    EXPECT_EQ(attributesOf(fs, file), attr::kReadOnly | attr::kArchive);
    ASSERT_EQ(fs.setAttributes(file, attr::kReadOnly | attr::kSystem), 0);
    EXPECT_EQ(attributesOf(fs, file), attr::kReadOnly | attr::kSystem);
    EXPECT_EQ(modeOf(file) & 0222, 0u);

    ASSERT_EQ(fs.setAttributes(file, 0), 0);
    EXPECT_EQ(lgetxattr(file.c_str(), "user.DOSATTRIB", nullptr, 0), -1);
    EXPECT_EQ(errno, ENODATA);
    EXPECT_EQ(attributesOf(fs, file), attr::kNormal);

    // A dot name is hidden by its name; nothing needs storing for it.
    ASSERT_EQ(fs.setAttributes(dotFile, attr::kHidden), 0);
    EXPECT_EQ(storedText(dotFile), "");
    EXPECT_EQ(attributesOf(fs, dotFile), attr::kHidden);

    // The value other programs write: the same text, then a NUL and binary data.
    const char blob[] = "0x22\0\x04\0\x04\0\x00\x00\x00\x00";
    ASSERT_EQ(lsetxattr(file.c_str(), "user.DOSATTRIB", blob, sizeof blob - 1, 0), 0);
    EXPECT_EQ(attributesOf(fs, file), attr::kHidden | attr::kArchive);
    ASSERT_EQ(lsetxattr(file.c_str(), "user.DOSATTRIB", "junk", 4, 0), 0);
    EXPECT_EQ(attributesOf(fs, file), attr::kNormal);

    // A link cannot hold user attributes: the system's refusal comes back.
    ASSERT_EQ(symlink("f.txt", (dir / "link").c_str()), 0);
    EXPECT_NE(fs.setAttributes(dir / "link", attr::kHidden), 0);
    EXPECT_EQ(fs.setAttributes(dir / "link", 0), 0);
}

TEST(PosixFileSystem, TimesKeepNanoseconds) {
    TempDir dir;
    const std::string file = dir.writeFile("f.txt");
    PosixFileSystem fs;
    const FileTime access{1600000000, 123456789};
    const FileTime write{1700000000, 987654321};
    ASSERT_EQ(fs.setTimes(file, &access, &write), 0);
    FileStatus status;
    ASSERT_EQ(fs.status(file, status, LinkMode::Describe), 0);
    EXPECT_EQ(status.lastAccessTime, access);
    EXPECT_EQ(status.lastWriteTime, write);
    // Creation time is the birth time (or the change time): either way now, not the epoch.
    EXPECT_GT(status.creationTime.seconds, write.seconds);

    const FileTime later{1710000000, 1};
    ASSERT_EQ(fs.setTimes(file, nullptr, &later), 0);
    ASSERT_EQ(fs.status(file, status, LinkMode::Describe), 0);
    EXPECT_EQ(status.lastAccessTime, access);
    EXPECT_EQ(status.lastWriteTime, later);
    EXPECT_EQ(fs.setTimes(dir / "missing", &later, &later), kErrorFileNotFound);
}

TEST(PosixFileSystem, AttributeAndTimeChangesNeverFollowALink) {
    TempDir dir;
    const std::string target = dir.writeFile("target.txt");
    ASSERT_EQ(chmod(target.c_str(), 0644), 0);
    ASSERT_EQ(symlink("target.txt", (dir / "link").c_str()), 0);
    dir.makeDir("real");
    const std::string inner = dir.writeFile("real/inner.txt");
    ASSERT_EQ(chmod(inner.c_str(), 0644), 0);
    ASSERT_EQ(symlink("real", (dir / "dirlink").c_str()), 0);
    PosixFileSystem fs;
    FileStatus before;
    ASSERT_EQ(fs.status(target, before, LinkMode::Describe), 0);

    // Read-only on a link leaves the file it points to writable; its times are the link's.
    EXPECT_EQ(fs.setAttributes(dir / "link", attr::kReadOnly), 0);
    EXPECT_EQ(modeOf(target), 0644u);
    const FileTime written{1500000000, 5};
    ASSERT_EQ(fs.setTimes(dir / "link", nullptr, &written), 0);
    FileStatus link;
    ASSERT_EQ(fs.status(dir / "link", link, LinkMode::Describe), 0);
    EXPECT_EQ(link.lastWriteTime, written);
    FileStatus after;
    ASSERT_EQ(fs.status(target, after, LinkMode::Describe), 0);
    EXPECT_EQ(after.lastWriteTime, before.lastWriteTime);

    // Below the tree's root a link standing for a directory is not walked through.
    const TreePath throughLink(dir / "dirlink/inner.txt", dir.path().size());
    EXPECT_EQ(fs.setAttributes(throughLink, attr::kReadOnly), kErrorLinkInTree);
    EXPECT_EQ(fs.setTimes(throughLink, nullptr, &written), kErrorLinkInTree);
    EXPECT_EQ(modeOf(inner), 0644u);

    // A name that is gone stays gone.
    EXPECT_EQ(fs.setTimes(dir / "gone.txt", nullptr, &written), kErrorFileNotFound);
    EXPECT_EQ(fs.setAttributes(dir / "gone.txt", attr::kReadOnly), kErrorFileNotFound);
    EXPECT_FALSE(std::filesystem::exists(dir / "gone.txt"));

    // A FIFO is never opened, so the change cannot hang on it.
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0644), 0);
    EXPECT_EQ(fs.setAttributes(dir / "fifo", attr::kReadOnly), kErrorSpecialFile);
}

TEST(PosixFileSystem, AttributesOfAFileTheOwnerMayNotRead) {
    TempDir dir;
    const std::string file = dir.writeFile("secret.txt");
    ASSERT_EQ(chmod(file.c_str(), 0200), 0);
    PosixFileSystem fs;
    ASSERT_EQ(fs.setAttributes(file, attr::kReadOnly), 0);
    EXPECT_EQ(modeOf(file), 0000u);
    ASSERT_EQ(fs.setAttributes(file, 0), 0);
    EXPECT_EQ(modeOf(file), 0200u);
}

TEST(PosixFileSystem, RenameNeverReplaces) {
    PosixFileSystem fs;
    // The exclusive rename and the fallback for file systems without it behave alike.
    const std::function<int(const std::string&, const std::string&)> renames[] = {
        [&](const std::string& a, const std::string& b) { return fs.renameNoReplace(a, b); },
        [](const std::string& a, const std::string& b) {
            return renameByLink(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str());
        },
    };
    for (const auto& rename : renames) {
        TempDir dir;
        const std::string from = dir.writeFile("from.txt", "new");
        const std::string taken = dir.writeFile("taken.txt", "old");
        EXPECT_EQ(rename(from, taken), kErrorFileExists);
        EXPECT_EQ(dir.readFile("from.txt"), "new");
        EXPECT_EQ(dir.readFile("taken.txt"), "old");
        EXPECT_EQ(rename(from, dir / "free.txt"), 0);
        EXPECT_EQ(dir.readFile("free.txt"), "new");
        EXPECT_NE(access(from.c_str(), F_OK), 0);

        const std::string sub = dir.makeDir("sub");
        const std::string other = dir.makeDir("other");
        EXPECT_EQ(rename(sub, other), kErrorFileExists);
        EXPECT_EQ(rename(sub, dir / "moved"), 0);
        EXPECT_EQ(rename(dir / "missing", dir / "x"), kErrorFileNotFound);
    }
}

TEST(PosixFileSystem, RemoveProtectsReadOnlyAndKeepsLinkTargets) {
    TempDir dir;
    PosixFileSystem fs;
    const std::string readOnly = dir.writeFile("ro.txt");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    EXPECT_EQ(fs.removeFile(readOnly), kErrorAccessDenied); // even where POSIX would allow it
    EXPECT_EQ(access(readOnly.c_str(), F_OK), 0);

    ASSERT_EQ(symlink("ro.txt", (dir / "fileLink").c_str()), 0);
    EXPECT_EQ(fs.removeFile(dir / "fileLink"), 0);
    EXPECT_EQ(access(readOnly.c_str(), F_OK), 0);
    EXPECT_EQ(fs.removeFile(dir.writeFile("w.txt")), 0);
    EXPECT_EQ(fs.removeFile(dir.makeDir("d")), EISDIR);

    const std::string target = dir.makeDir("target");
    dir.writeFile("target/keep.txt");
    for (const char* linkName : {"dirLink", "dirLink/"}) {
        ASSERT_EQ(symlink("target", (dir / "dirLink").c_str()), 0);
        EXPECT_EQ(fs.removeDirectory(dir / linkName), 0) << linkName;
        struct stat st;
        EXPECT_NE(lstat((dir / "dirLink").c_str(), &st), 0);
        EXPECT_EQ(access((dir / "target/keep.txt").c_str(), F_OK), 0);
    }
    EXPECT_EQ(fs.removeDirectory(dir / "noSuchLink"), kErrorFileNotFound);
    ASSERT_EQ(symlink("ro.txt", (dir / "fileLink").c_str()), 0);
    EXPECT_EQ(fs.removeDirectory(dir / "fileLink"), kErrorNotADirectory);
    EXPECT_EQ(fs.removeDirectory(target), kErrorNotEmpty);
    EXPECT_EQ(fs.removeDirectory(dir.makeDir("empty")), 0);
}

size_t openDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// While a run keeps its directories open, a directory the run itself renames or removes, or a
// link it removes, is looked up again by the next call; when the run ends nothing stays open.
TEST(PosixFileSystem, KeptDirectoriesFollowTheRunsOwnChangesAndCloseAfterIt) {
    TempDir dir;
    PosixFileSystem fs;
    const size_t root = dir.path().size() + 1;
    const FileTime time{1'600'000'000, 0};
    const auto touch = [&](const std::string& relative, size_t rootLength) {
        return fs.setTimes(TreePath(dir / relative, rootLength), nullptr, &time);
    };
    dir.writeFile("a/one");
    dir.writeFile("b/one");
    dir.makeDir("t1");
    dir.writeFile("t2/two");
    ASSERT_EQ(symlink("t1", (dir / "lnk").c_str()), 0);
    const size_t before = openDescriptors();
    fs.keepDirectoriesOpen(true);

    ASSERT_EQ(touch("a/one", root), 0);
    EXPECT_GT(openDescriptors(), before);
    ASSERT_EQ(fs.renameNoReplace(TreePath(dir / "a", root), TreePath(dir / "a-old", root)), 0);
    dir.writeFile("a/two");
    EXPECT_EQ(touch("a/two", root), 0);

    ASSERT_EQ(touch("b/one", root), 0);
    ASSERT_EQ(fs.removeFile(TreePath(dir / "b/one", root)), 0);
    ASSERT_EQ(fs.removeDirectory(TreePath(dir / "b", root)), 0);
    dir.writeFile("b/two");
    EXPECT_EQ(touch("b/two", root), 0);

    // A link in the part of the path the user named is followed, and replaced by the run.
    dir.writeFile("t1/one");
    ASSERT_EQ(touch("lnk/one", TreePath::kWholeParent), 0);
    ASSERT_EQ(fs.removeFile(dir / "lnk"), 0);
    ASSERT_EQ(symlink("t2", (dir / "lnk").c_str()), 0);
    EXPECT_EQ(touch("lnk/two", TreePath::kWholeParent), 0);

    fs.keepDirectoriesOpen(false);
    EXPECT_EQ(openDescriptors(), before);
    // Not kept, nothing stays open after a call.
    ASSERT_EQ(touch("a/two", root), 0);
    EXPECT_EQ(openDescriptors(), before);

    // What a file system keeps is its own: another one in the process keeps nothing for it.
    PosixFileSystem other;
    other.keepDirectoriesOpen(true);
    ASSERT_EQ(touch("a/two", root), 0);
    EXPECT_EQ(openDescriptors(), before);
    other.keepDirectoriesOpen(false);
}

} // namespace
} // namespace ryk
