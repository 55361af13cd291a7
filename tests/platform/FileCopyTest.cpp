#include "platform/ErrorCodes.h"
#include "platform/posix/PosixFileCopy.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <set>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace ryk {
namespace {

using test::patterned;
using test::statOf;
using test::TempDir;

void setTimes(const std::string& path, timespec access, timespec write) {
    const timespec times[2] = {access, write};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

/// Copies every byte of an opened copy; the first error, or 0.
int copyAll(FileCopy& copy, size_t chunk = 32768) {
    for (;;) {
        size_t copied = 0;
        if (const int error = copy.copyChunk(chunk, copied))
            return error;
        if (copied == 0)
            return 0;
    }
}

/// Copies `source` to `target` with all steps; the first error, or 0.
int copyFile(const std::string& source, const std::string& target,
             CommitMode mode = CommitMode::NoReplace) {
    PosixFileSystem fs;
    const auto copy = fs.newCopy();
    int error = copy->open(source, target);
    if (error == 0)
        error = copyAll(*copy);
    if (error == 0)
        error = copy->copyTimes();
    if (error == 0)
        error = copy->copyAttributes();
    if (error == 0)
        error = copy->commit(mode);
    return error;
}

TEST(PosixFileCopy, KeepsContentsTimesAndPermissionBits) {
    // The umask narrows what a copy is made with, never what it ends with.
    const struct {
        size_t size;
        mode_t mode;
        mode_t umask;
    } cases[] = {{0, 0644, 022},       {1, 0600, 022}, {32768, 0640, 022}, {32769, 0755, 022},
                 {1 << 20, 0444, 022}, {4, 0755, 077}, {5, 04755, 022}};
    const mode_t before = umask(022);
    for (const auto& c : cases) {
        umask(c.umask);
        TempDir dir;
        const std::string data = patterned(c.size);
        const std::string source = dir.writeFile("src.bin", data);
        setTimes(source, {1000000000, 123456789}, {1100000000, 987654321});
        ASSERT_EQ(chmod(source.c_str(), c.mode), 0);

        ASSERT_EQ(copyFile(source, dir / "dst.bin"), 0) << c.size;
        // Before the copy is read, which moves its last-access time.
        const struct stat st = statOf(dir / "dst.bin");
        EXPECT_EQ(dir.readFile("dst.bin"), data);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
        EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
        EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
        EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);
        EXPECT_EQ(dir.names(), (std::set<std::string>{"src.bin", "dst.bin"}));
    }
    umask(before);
}

TEST(PosixFileCopy, KeepsStoredAttributesOfAReadOnlySource) {
    TempDir dir;
    const std::string source = dir.writeFile("src.txt", "x");
    // The text other programs read, with a binary tail they keep after it.
    const std::string value("0x26\0\1\2", 7);
    if (lsetxattr(source.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) != 0)
        GTEST_SKIP() << "no user extended attributes here";
    ASSERT_EQ(chmod(source.c_str(), 0444), 0);

    ASSERT_EQ(copyFile(source, dir / "dst.txt"), 0);
    char buffer[64];
    const ssize_t n = lgetxattr((dir / "dst.txt").c_str(), "user.DOSATTRIB", buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0))), value);
    FileStatus status;
    ASSERT_EQ(PosixFileSystem().status(dir / "dst.txt", status, LinkMode::Describe), 0);
    EXPECT_EQ(status.attributes, attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kArchive);
}

TEST(PosixFileCopy, RefusalsLeaveNoTemporary) {
    TempDir dir;
    const std::string source = dir.writeFile("src.txt", "new");
    dir.writeFile("ro.txt", "old");
    ASSERT_EQ(chmod((dir / "ro.txt").c_str(), 0444), 0);
    dir.makeDir("sub");
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    ASSERT_EQ(link(source.c_str(), (dir / "same.txt").c_str()), 0);
    const auto before = dir.names();
    const struct {
        std::string source;
        std::string target;
        int error;
    } cases[] = {
        {dir / "missing.txt", dir / "dst.txt", ENOENT},
        {dir / "sub", dir / "dst.txt", EISDIR},
        {dir / "pipe", dir / "dst.txt", kErrorSpecialFile}, // never opened
        {source, dir / "sub", EISDIR},
        {source, dir / "dst.txt/", EISDIR},
        {source, dir / "ro.txt", EACCES},
        {source, dir / "nodir/dst.txt", ENOENT},
        {source, dir / "same.txt", EINVAL},
        {source, source, EINVAL},
    };
    PosixFileSystem fs;
    for (const auto& c : cases) {
        const auto copy = fs.newCopy();
        EXPECT_EQ(copy->open(c.source, c.target), c.error) << c.source << " -> " << c.target;
    }
    EXPECT_EQ(dir.names(), before);
    EXPECT_EQ(dir.readFile("ro.txt"), "old");
    EXPECT_EQ(dir.readFile("src.txt"), "new");
}

TEST(PosixFileCopy, CommitKeepsWhatItMustNotReplace) {
    TempDir dir;
    const std::string source = dir.writeFile("src.txt", "new");
    PosixFileSystem fs;

    // A target that appeared after the copy was opened.
    auto copy = fs.newCopy();
    ASSERT_EQ(copy->open(source, dir / "a.txt"), 0);
    ASSERT_EQ(copyAll(*copy), 0);
    dir.writeFile("a.txt", "theirs");
    EXPECT_EQ(copy->commit(CommitMode::NoReplace), EEXIST);
    copy.reset();
    EXPECT_EQ(dir.readFile("a.txt"), "theirs");

    // A target made read-only while the data were copied.
    dir.writeFile("b.txt", "old");
    copy = fs.newCopy();
    ASSERT_EQ(copy->open(source, dir / "b.txt"), 0);
    ASSERT_EQ(copyAll(*copy), 0);
    ASSERT_EQ(chmod((dir / "b.txt").c_str(), 0444), 0);
    EXPECT_EQ(copy->commit(CommitMode::Replace), EACCES);
    copy->abandon();
    EXPECT_EQ(dir.readFile("b.txt"), "old");

    // A link at the target is replaced itself; the file it points to is left alone.
    dir.writeFile("pointed.txt", "pointed");
    ASSERT_EQ(symlink("pointed.txt", (dir / "c.txt").c_str()), 0);
    ASSERT_EQ(copyFile(source, dir / "c.txt", CommitMode::Replace), 0);
    EXPECT_TRUE(S_ISREG(statOf(dir / "c.txt").st_mode));
    EXPECT_EQ(dir.readFile("c.txt"), "new");
    EXPECT_EQ(dir.readFile("pointed.txt"), "pointed");

    EXPECT_EQ(dir.names(),
              (std::set<std::string>{"src.txt", "a.txt", "b.txt", "c.txt", "pointed.txt"}));
}

TEST(PosixFileCopy, AbandonedCopyLeavesTheTargetAsItWas) {
    TempDir dir;
    const std::string source = dir.writeFile("src.bin", patterned(100000));
    dir.writeFile("dst.bin", "old");
    PosixFileSystem fs;
    {
        const auto copy = fs.newCopy();
        ASSERT_EQ(copy->open(source, dir / "dst.bin"), 0);
        size_t copied = 0;
        ASSERT_EQ(copy->copyChunk(32768, copied), 0);
        // Meanwhile at most a hidden temporary stands beside them (none where the file
        // system has unnamed files).
        EXPECT_LE(dir.names().size(), 3u);
        copy->abandon();
        EXPECT_EQ(dir.names().size(), 2u);
        // Reused after an abandon, and thrown away by its destructor.
        ASSERT_EQ(copy->open(source, dir / "dst.bin"), 0);
        ASSERT_EQ(copyAll(*copy), 0);
    }
    EXPECT_EQ(dir.names(), (std::set<std::string>{"src.bin", "dst.bin"}));
    EXPECT_EQ(dir.readFile("dst.bin"), "old");
}

TEST(PosixFileCopy, SourcesReadToTheirTrueEnd) {
    TempDir dir;
    PosixFileSystem fs;
    // A link is copied as a link with the same target text and its own times.
    const std::string data = patterned(70000);
    dir.writeFile("real.bin", data);
    ASSERT_EQ(symlink("real.bin", (dir / "link.bin").c_str()), 0);
    setTimes(dir / "link.bin", {1500000000, 0}, {1600000000, 5});
    ASSERT_EQ(copyFile(dir / "link.bin", dir / "fromLink.bin"), 0);
    EXPECT_TRUE(S_ISLNK(statOf(dir / "fromLink.bin").st_mode));
    char text[64] = {};
    ASSERT_EQ(readlink((dir / "fromLink.bin").c_str(), text, sizeof text - 1), 8);
    EXPECT_STREQ(text, "real.bin");
    EXPECT_EQ(statOf(dir / "fromLink.bin").st_mtim.tv_sec, 1600000000);

    // A kernel file whose length reads as 0 still has contents.
    std::string version;
    ASSERT_EQ(fs.readFile("/proc/version", version, 1 << 20), 0);
    ASSERT_EQ(copyFile("/proc/version", dir / "version"), 0);
    EXPECT_EQ(dir.readFile("version"), version);

    // Facts of the open source are the ones of now: it grew after it was opened.
    const auto copy = fs.newCopy();
    ASSERT_EQ(copy->open(dir / "real.bin", dir / "grown.bin"), 0);
    FILE* out = fopen((dir / "real.bin").c_str(), "ab");
    ASSERT_NE(out, nullptr);
    fputs("more", out);
    fclose(out);
    FileStatus status;
    ASSERT_EQ(copy->sourceStatus(status), 0);
    EXPECT_EQ(status.size, 70004u);
    ASSERT_EQ(copyAll(*copy, 1000), 0);
    ASSERT_EQ(copy->commit(CommitMode::NoReplace), 0);
    EXPECT_EQ(dir.readFile("grown.bin"), data + "more");
}

/// The sizes of the steps that copy `source` to `target` in steps of kCopyStepBytes; empty
/// when a step fails.
std::vector<size_t> stepsOf(const std::string& source, const std::string& target) {
    PosixFileSystem fs;
    const auto copy = fs.newCopy();
    std::vector<size_t> steps;
    if (copy->open(source, target) != 0)
        return {};
    for (;;) {
        size_t copied = 0;
        if (copy->copyChunk(kCopyStepBytes, copied) != 0)
            return {};
        if (copied == 0)
            break;
        steps.push_back(copied);
    }
    if (copy->commit(CommitMode::NoReplace) != 0)
        return {};
    return steps;
}

/// Whether files in `dir` can share extents (a clone of one file into another works).
bool canShareExtents(const TempDir& dir) {
    const std::string a = dir.writeFile(".probe-a", std::string(4096, 'p'));
    const int from = open(a.c_str(), O_RDONLY | O_CLOEXEC);
    const int to = open((dir / ".probe-b").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool shared = from >= 0 && to >= 0 && ioctl(to, FICLONE, from) == 0;
    close(from);
    close(to);
    unlink(a.c_str());
    unlink((dir / ".probe-b").c_str());
    return shared;
}

/// The extents of a file as the file system maps them.
std::vector<fiemap_extent> extentsOf(const std::string& path) {
    constexpr unsigned kMost = 64;
    std::vector<char> buffer(sizeof(fiemap) + kMost * sizeof(fiemap_extent));
    auto* map = reinterpret_cast<fiemap*>(buffer.data());
    map->fm_length = FIEMAP_MAX_OFFSET;
    map->fm_flags = FIEMAP_FLAG_SYNC;
    map->fm_extent_count = kMost;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const bool mapped = fd >= 0 && ioctl(fd, FS_IOC_FIEMAP, map) == 0;
    close(fd);
    if (!mapped)
        return {};
    return {map->fm_extents, map->fm_extents + map->fm_mapped_extents};
}

TEST(PosixFileCopy, SharesExtentsWhereTheFileSystemCanAndKeepsHoles) {
    // Data at both ends of 12 MiB, a hole between them and one at the end.
    TempDir dir;
    const std::string head = patterned(65536);
    const std::string tail = patterned(4096);
    const std::string source = dir.writeFile("sparse.bin", head);
    {
        const int fd = open(source.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), 8 << 20), 4096);
        ASSERT_EQ(ftruncate(fd, 12 << 20), 0);
        close(fd);
    }
    const bool sharing = canShareExtents(dir);
    const std::vector<size_t> steps = stepsOf(source, dir / "copy.bin");
    ASSERT_FALSE(steps.empty());
    if (sharing) {
        // One step: every extent of the copy is the source's own.
        EXPECT_EQ(steps, std::vector<size_t>{12 << 20});
        const std::vector<fiemap_extent> extents = extentsOf(dir / "copy.bin");
        EXPECT_FALSE(extents.empty());
        for (const fiemap_extent& e : extents)
            EXPECT_TRUE(e.fe_flags & FIEMAP_EXTENT_SHARED) << e.fe_logical;
    }
    const std::string expected = head + std::string((8 << 20) - head.size(), '\0') + tail +
                                 std::string((4 << 20) - tail.size(), '\0');
    EXPECT_EQ(dir.readFile("copy.bin"), expected);
    EXPECT_LE(statOf(dir / "copy.bin").st_blocks, statOf(source).st_blocks)
        << "holes were written out";
}

TEST(PosixFileCopy, StepsAreLargeInTheKernelAndOneUnitThroughTheBuffer) {
    // Within one file system the kernel copies a whole step per call; where the file system
    // shares extents, the first step shares the whole file.
    TempDir dir;
    const std::string data = patterned(kCopyStepBytes + 5000);
    const std::string source = dir.writeFile("src.bin", data);
    const std::vector<size_t> inKernel = stepsOf(source, dir / "dst.bin");
    ASSERT_FALSE(inKernel.empty());
    if (inKernel.front() == PosixFileCopy::kBufferBytes)
        GTEST_SKIP() << "the kernel does not copy between files here";
    const std::vector<size_t> expected = canShareExtents(dir)
                                             ? std::vector<size_t>{data.size()}
                                             : std::vector<size_t>{kCopyStepBytes, 5000};
    EXPECT_EQ(inKernel, expected);
    EXPECT_EQ(dir.readFile("dst.bin"), data);

    // Memory-backed storage is another file system than the test directory on most machines;
    // the kernel then refuses to copy between them, and the data go through the buffer.
    char pattern[] = "/dev/shm/ryk-copy-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/shm";
    const std::string small = patterned(200000);
    const bool written =
        write(fd, small.data(), small.size()) == static_cast<ssize_t>(small.size());
    close(fd);
    const std::vector<size_t> steps =
        written ? stepsOf(pattern, dir / "other.bin") : std::vector<size_t>{};
    unlink(pattern);
    ASSERT_FALSE(steps.empty());
    for (const size_t step : steps)
        EXPECT_LE(step, PosixFileCopy::kBufferBytes);
    EXPECT_EQ(dir.readFile("other.bin"), small);
}

TEST(PosixFileCopy, LongestTargetNameStillFits) {
    TempDir dir;
    const std::string source = dir.writeFile("src.txt", "data");
    const std::string name(255, 'n');
    ASSERT_EQ(copyFile(source, dir / name), 0);
    EXPECT_EQ(dir.readFile(name), "data");
    EXPECT_EQ(dir.names().size(), 2u);
    // Replacing it names the finished copy beside it first; that name must fit too.
    dir.writeFile("src.txt", "more data");
    PosixFileSystem fs;
    const auto copy = fs.newCopy();
    ASSERT_EQ(copy->open(source, dir / name), 0);
    ASSERT_EQ(copyAll(*copy), 0);
    ASSERT_EQ(copy->commit(CommitMode::Replace), 0);
    EXPECT_EQ(dir.readFile(name), "more data");
    EXPECT_EQ(dir.names().size(), 2u);
}

TEST(CopyWholeFile, AReadBackCheckPassesGoodCopiesWhateverTheirSize) {
    TempDir dir;
    PlannedTarget planned(CommitMode::Replace);
    planned.check = CopyCheck::ReadBack;
    // Empty, one byte, and more than one step of the read-back.
    for (const size_t size : {size_t{0}, size_t{1}, (size_t{3} << 20) + 7}) {
        const std::string source = dir.writeFile("src.bin", patterned(size));
        PosixFileSystem fs;
        ASSERT_EQ(copyWholeFile(fs, source, dir / "dst.bin", planned, nullptr).error, 0) << size;
        EXPECT_EQ(dir.readFile("dst.bin"), patterned(size));
    }
}

} // namespace
} // namespace ryk
