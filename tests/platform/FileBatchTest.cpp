#include "platform/ErrorCodes.h"
#include "platform/console/ConsoleBatchProgress.h"
#include "platform/posix/PosixFileBatch.h"
#include "support/FaultyFileSystem.h"
#include "support/ScriptedAbortKey.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ryk {
namespace {

using test::FaultyFileSystem;
using test::TempDir;

constexpr CommitMode kKeep = CommitMode::NoReplace;
constexpr CommitMode kReplace = CommitMode::Replace;

bool exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

/// Sets a file's last-write time far in the past, so a kept time is told from a new one.
void age(const std::string& path) {
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

/// Records the steps and cancels before item `cancelAt`.
class RecordingProgress : public BatchProgress {
public:
    explicit RecordingProgress(size_t cancelAt) : m_cancelAt(cancelAt) {}
    bool step(size_t index, size_t count, const std::string& source) override {
        steps.push_back(std::to_string(index) + "/" + std::to_string(count) + " " +
                        std::filesystem::path(source).filename().string());
        return index != m_cancelAt;
    }
    void finished() override { ++finishedCalls; }

    std::vector<std::string> steps;
    int finishedCalls = 0;

private:
    size_t m_cancelAt;
};

TEST(PosixFileBatch, CopiesPairwiseWithAnErrorPerItem) {
    TempDir dir;
    age(dir.writeFile("a.txt", "A"));
    dir.writeFile("b.txt", "B");
    dir.writeFile("c.txt", "C");
    dir.writeFile("out/b.txt", "old");
    dir.writeFile("out/c.txt", "protected");
    ASSERT_EQ(chmod((dir / "out/c.txt").c_str(), 0444), 0);

    FaultyFileSystem fs;
    PosixFileBatch batch(fs, nullptr);
    const BatchResult result =
        batch.run(BatchFunction::Copy,
                  {dir / "a.txt", dir / "missing.txt", dir / "b.txt", dir / "c.txt", dir / "b.txt"},
                  {dir / "out/a.txt", dir / "out/m.txt", dir / "out/b.txt", dir / "out/c.txt",
                   dir / "out/x.txt"},
                  {kKeep, kKeep, kReplace, kReplace});
    // The last pair has no commit mode, like a pair without a target.
    EXPECT_EQ(result.errors, (std::vector<int>{0, ENOENT, 0, EACCES, EINVAL}));
    EXPECT_FALSE(result.cancelled);
    EXPECT_FALSE(result.succeeded());
    EXPECT_EQ(dir.readFile("out/a.txt"), "A");
    EXPECT_EQ(test::statOf(dir / "out/a.txt").st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(dir.readFile("out/b.txt"), "B");
    EXPECT_EQ(dir.readFile("out/c.txt"), "protected");
    EXPECT_EQ(dir.readFile("b.txt"), "B");
}

TEST(PosixFileBatch, CopiesWithTheSafeguardsOfASingleCopy) {
    const std::string data(100000, 'd');
    const struct {
        const char* name;
        const char* source;
        int writeError; // injected, midway
        bool writtenMeanwhile;
        int error;
        const char* target; // what "t" holds afterwards
    } cases[] = {
        {"a link is copied as a link", "link", 0, false, 0, nullptr},
        {"a FIFO is never opened", "pipe", 0, false, kErrorSpecialFile, "old"},
        {"a full disk leaves the old target", "s", ENOSPC, false, ENOSPC, "old"},
        {"a source written meanwhile replaces nothing", "s", 0, true, kErrorSourceChanged, "old"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string source = dir.writeFile("s", data);
        ASSERT_EQ(symlink("s", (dir / "link").c_str()), 0);
        ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
        dir.writeFile("t", "old");

        FaultyFileSystem fs;
        fs.copyFaults.writeError = c.writeError;
        fs.copyFaults.writeFailsAt = 40000;
        bool written = false;
        if (c.writtenMeanwhile)
            fs.copyFaults.afterChunk = [&](uint64_t) {
                if (!std::exchange(written, true))
                    dir.writeFile("s", data + "more");
            };
        PosixFileBatch batch(fs, nullptr);
        const BatchResult result =
            batch.run(BatchFunction::Copy, {dir / c.source}, {dir / "t"}, {kReplace});
        EXPECT_EQ(result.errors, std::vector<int>{c.error}) << c.name;
        if (c.target) {
            EXPECT_EQ(dir.readFile("t"), c.target) << c.name;
        } else {
            struct stat st {};
            ASSERT_EQ(lstat((dir / "t").c_str(), &st), 0);
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.name;
        }
        // No temporary stays beside the target.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4) << c.name;
    }
}

TEST(PosixFileBatch, MovesByRenameOrByCopyAndDelete) {
    const struct {
        const char* name;
        int renameError; // injected: EXDEV stands for another file system
        int removeError; // injected
        CommitMode mode;
        bool targetExists;
        bool targetReadOnly;
        int error;
        bool sourceKept;
        const char* target;
    } cases[] = {
        {"within one file system", 0, 0, kKeep, false, false, 0, false, "S"},
        {"across file systems", EXDEV, 0, kKeep, false, false, 0, false, "S"},
        {"over an older target", 0, 0, kReplace, true, false, 0, false, "S"},
        {"over a target that appeared since planning", 0, 0, kKeep, true, false, EEXIST, true, "T"},
        {"across file systems over one", EXDEV, 0, kKeep, true, false, EEXIST, true, "T"},
        {"over a read-only target", 0, 0, kReplace, true, true, EACCES, true, "T"},
        {"source cannot go", EXDEV, EACCES, kKeep, false, false, EACCES, true, "S"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string source = dir.writeFile("s.txt", "S");
        age(source);
        const std::string target = dir / "t.txt";
        if (c.targetExists)
            dir.writeFile("t.txt", "T");
        if (c.targetReadOnly) {
            ASSERT_EQ(chmod(target.c_str(), 0444), 0);
        }

        FaultyFileSystem fs;
        fs.renameError = c.renameError;
        fs.removeError = c.removeError;
        PosixFileBatch batch(fs, nullptr);
        const BatchResult result = batch.run(BatchFunction::Move, {source}, {target}, {c.mode});
        EXPECT_EQ(result.errors, std::vector<int>{c.error}) << c.name;
        EXPECT_EQ(exists(source), c.sourceKept) << c.name;
        EXPECT_EQ(dir.readFile("t.txt"), c.target) << c.name;
        if (c.error == 0) {
            EXPECT_EQ(test::statOf(target).st_mtim.tv_sec, 1000000000) << c.name;
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                  c.sourceKept ? 2 : 1)
            << c.name;
    }
}

TEST(PosixFileBatch, DeletesPermanentlyButNotReadOnlyFiles) {
    TempDir dir;
    const std::string plain = dir.writeFile("plain.txt");
    const std::string readOnly = dir.writeFile("ro.txt");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    PosixFileSystem fs;
    PosixFileBatch batch(fs, nullptr);
    const BatchResult result =
        batch.run(BatchFunction::Delete, {plain, readOnly, dir / "missing.txt"}, {}, {});
    EXPECT_EQ(result.errors, (std::vector<int>{0, EACCES, ENOENT}));
    EXPECT_FALSE(exists(plain));
    EXPECT_TRUE(exists(readOnly));
}

TEST(PosixFileBatch, CancelLeavesTheRestUntried) {
    TempDir dir;
    std::vector<TreePath> from;
    std::vector<TreePath> to;
    for (const char* name : {"1", "2", "3", "4"}) {
        from.push_back(dir.writeFile(name, name));
        to.push_back(dir / (std::string(name) + ".copy"));
    }
    PosixFileSystem fs;
    RecordingProgress progress(2);
    PosixFileBatch batch(fs, &progress);
    const BatchResult result =
        batch.run(BatchFunction::Copy, from, to, std::vector<PlannedTarget>(4, kKeep));
    EXPECT_EQ(result.errors, (std::vector<int>{0, 0, kErrorCancelled, kErrorCancelled}));
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(progress.steps, (std::vector<std::string>{"0/4 1", "1/4 2", "2/4 3"}));
    EXPECT_EQ(progress.finishedCalls, 1);
    EXPECT_TRUE(exists(dir / "2.copy"));
    EXPECT_FALSE(exists(dir / "3.copy"));

    // On a terminal, Ctrl+C is the cancel.
    test::ScriptedAbortKey keys;
    keys.quietPolls = 1;
    keys.events = {AbortKeyEvent::ControlDown};
    ConsoleBatchProgress console(keys);
    PosixFileBatch terminalBatch(fs, &console);
    const BatchResult deleted = terminalBatch.run(BatchFunction::Delete, to, {}, {});
    EXPECT_EQ(deleted.errors,
              (std::vector<int>{0, kErrorCancelled, kErrorCancelled, kErrorCancelled}));
    EXPECT_TRUE(deleted.cancelled);
}

} // namespace
} // namespace ryk
