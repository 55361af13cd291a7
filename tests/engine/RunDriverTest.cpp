#include "engine/ListText.h"
#include "engine/TransferJob.h"
#include "platform/ErrorCodes.h"
#include "platform/console/ConsoleCopyProgress.h"
#include "support/EngineFixture.h"
#include "support/TestFiles.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace ryk {
namespace {

/// Records what a run reports of its rows: "0 start", then "0 done", "0 failed", "0 batch"
/// or "0 nothing".
class RecordingObserver : public RunObserver {
public:
    void entryStarting(size_t row, const OperationEntry&, const std::string& text) override {
        events.push_back(std::to_string(row) + " start");
        lastText = text;
    }
    void entryFinished(size_t row, const OperationEntry&, EntryOutcome outcome) override {
        const char* word = outcome == EntryOutcome::Done       ? "done"
                           : outcome == EntryOutcome::Failed   ? "failed"
                           : outcome == EntryOutcome::Deferred ? "batch"
                                                               : "nothing";
        events.push_back(std::to_string(row) + " " + word);
    }
    std::vector<std::string> events;
    std::string lastText;
};

using test::statOf;

class RunDriverTest : public test::EngineTest {
protected:
    std::unique_ptr<TransferJob> planned(TransferMode mode, const OptionFlags& flags,
                                         const std::string& source, const std::string& patterns,
                                         const std::string& destination = {}) {
        JobSettings job = settings(mode, source, destination, flags);
        job.sourcePatterns = patterns;
        job.explorerStyle = explorerStyle;
        return plannedJob(job);
    }
    std::vector<int32_t> states(const TransferJob& job) const {
        std::vector<int32_t> result;
        for (const auto& e : job.list())
            result.push_back(e->state);
        return result;
    }

    ConsoleCopyProgress progress;
    RecordingObserver observer;
    /// The Explorer style of the jobs planned().
    bool explorerStyle = false;
};

TEST_F(RunDriverTest, ACopyThatReadsBackOtherBytesFailsAndLeavesTheTargetAsItWas) {
    const std::string fresh = tmp.writeFile("src/fresh", test::patterned(50000));
    const std::string newer = tmp.writeFile("src/newer", test::patterned(50000));
    const std::string old = tmp.writeFile("dst/newer", "before");
    const timespec earlier[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), earlier, 0), 0);
    // Each copy's source reads otherwise once copied, as if the disk gave other bytes; its size
    // and write time stay.
    fileSystem.copyFaults.afterChunk = [&](uint64_t) {
        for (const std::string& source : {fresh, newer}) {
            const struct stat before = statOf(source);
            std::string data = tmp.readFile(source.substr(tmp.path().size() + 1));
            data[100] ^= 1;
            tmp.writeFile(source.substr(tmp.path().size() + 1), data);
            const timespec times[2] = {before.st_atim, before.st_mtim};
            ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
        }
    };
    // The batch cannot check: it is not used.
    JobSettings stated = settings(TransferMode::Update, tmp / "src", tmp / "dst");
    stated.explorerStyle = stated.verify = true;
    const auto job = plannedJob(stated);
    ASSERT_EQ(job->list().size(), 2u);
    EXPECT_EQ(job->OnOK(observer, progress).errors, 2);
    for (const auto& e : job->list())
        EXPECT_EQ(e->lastError, kErrorVerifyMismatch) << e->source.path.str();
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"0 start", "0 failed", "1 start", "1 failed"}));
    EXPECT_EQ(tmp.names("dst"), (std::set<std::string>{"newer"}));
    EXPECT_EQ(tmp.readFile("dst/newer"), "before");
}

TEST_F(RunDriverTest, UpdateRunKeepsContentsTimesAndModesAndLeavesNothingToDo) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    const std::string a = tmp.writeFile("src/a.txt", "alpha");
    const std::string b = tmp.writeFile("src/sub/b.sh", std::string(100000, 'b'));
    ASSERT_EQ(chmod(b.c_str(), 0751), 0);
    const timespec times[2] = {{1600000000, 111}, {1700000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, a.c_str(), times, 0), 0);

    auto job = planned(TransferMode::Update, recursive(), src, "*.*", dst);
    ASSERT_EQ(job->list().size(), 3u); // Copy a, Mkdir sub, Copy b
    const RunSummary summary = job->OnOK(observer, progress);
    EXPECT_EQ(summary.errors, 0);
    EXPECT_TRUE(summary.complete);
    EXPECT_EQ(states(*job), (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(observer.events, (std::vector<std::string>{"0 start", "0 done", "1 start", "1 done",
                                                         "2 start", "2 done"}));
    EXPECT_EQ(observer.lastText, "2 / 3 (Error=0) 中止はESCキーを押してください...");

    EXPECT_EQ(tmp.readFile("dst/a.txt"), "alpha");
    EXPECT_EQ(tmp.readFile("dst/sub/b.sh"), std::string(100000, 'b'));
    const struct stat copied = statOf(tmp / "dst/a.txt");
    EXPECT_EQ(copied.st_mtim.tv_sec, 1700000000);
    EXPECT_EQ(copied.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(statOf(tmp / "dst/sub/b.sh").st_mode & 07777, 0751u);

    // Nothing is newer any more.
    EXPECT_TRUE(planned(TransferMode::Update, recursive(), src, "*.*", dst)->list().empty());
}

TEST_F(RunDriverTest, SmallFilesCopiedSeveralAtOnceKeepTheListsOrderAndTheirOwnOutcomes) {
    fileSystem.copiers = 3;
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    for (const char* dir : {"a", "b", "c"})
        for (const char* name : {"1", "2", "3"})
            tmp.writeFile(std::string("src/") + dir + "/" + name, std::string(dir) + name);
    // An older target that became read-only: its line alone fails.
    const std::string locked = tmp.writeFile("dst/b/2", "old");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, locked.c_str(), old, 0), 0);

    auto job = planned(TransferMode::Update, recursive(), src, "*", dst);
    ASSERT_EQ(job->list().size(), 11u); // Mkdir a, 3 copies, 3 copies into b, Mkdir c, 3 copies
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    const RunSummary summary = job->OnOK(observer, progress);
    EXPECT_EQ(summary.errors, 1);
    std::vector<std::string> inOrder;
    for (size_t row = 0; row < 11; ++row) {
        inOrder.push_back(std::to_string(row) + " start");
        inOrder.push_back(std::to_string(row) +
                          (job->list().at(row)->state == 1 ? " done" : " failed"));
    }
    EXPECT_EQ(observer.events, inOrder);
    for (const auto& entry : job->list())
        if (entry->targetPath().str() == locked)
            EXPECT_EQ(entry->lastError, EACCES);
        else
            EXPECT_EQ(entry->state, 1) << entry->source.path.str();
    EXPECT_EQ(tmp.readFile("dst/b/2"), "old");
    EXPECT_EQ(tmp.readFile("dst/c/3"), "c3");
}

TEST_F(RunDriverTest, CopiesTogetherWaitForTheirDirectoryWhileTheRunMakesTheNext) {
    fileSystem.copiers = 2;
    // Slow to make: the other thread would reach the next directory's files before it exists.
    fileSystem.beforeMakeDirectory = [](const TreePath&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    };
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    for (const char* dir : {"a", "a/b", "c"})
        for (const char* name : {"1", "2", "3"})
            tmp.writeFile(std::string("src/") + dir + "/" + name, name);
    auto job = planned(TransferMode::Update, recursive(), src, "*", dst);
    ASSERT_EQ(job->list().size(), 12u);
    EXPECT_EQ(job->OnOK(observer, progress).errors, 0);
    EXPECT_EQ(states(*job), std::vector<int32_t>(12, kStateDone));
    EXPECT_EQ(tmp.readFile("dst/a/b/3"), "3");
}

/// A copy sink that notes the size of every file it is shown the progress of.
class RangeRecorder : public ConsoleCopyProgress {
public:
    explicit RangeRecorder(bool shows) : m_shows(shows) {}
    void setRange(uint64_t total) override { ranges.push_back(total); }
    bool showsFileProgress() const override { return m_shows; }
    std::vector<uint64_t> ranges;

private:
    bool m_shows;
};

TEST_F(RunDriverTest, FilesGoTogetherUnlessTheirProgressIsShownOrTakesMoreThanOneStep) {
    fileSystem.copiers = 2;
    constexpr size_t kMiddle = 100000;
    const size_t large = kCopyStepBytes + 1;
    for (const bool shows : {true, false}) {
        SCOPED_TRACE(shows ? "with a copy window" : "without");
        const std::string top = shows ? "w" : "t";
        const std::string src = tmp.makeDir(top + "/src");
        const std::string dst = tmp.makeDir(top + "/dst");
        const std::pair<const char*, size_t> files[] = {
            {"1a", 10}, {"1b", 20}, {"2a", kMiddle}, {"2b", kMiddle}, {"3", large}};
        for (const auto& [name, size] : files)
            tmp.writeFile(top + "/src/" + name, test::patterned(size));
        auto job = planned(TransferMode::Update, {}, src, "*", dst);
        ASSERT_EQ(job->list().size(), 5u);
        RangeRecorder sink(shows);
        EXPECT_EQ(job->OnOK(observer, sink).errors, 0);
        // Alone, each file's progress is shown; together, none is.
        const std::vector<uint64_t> alone =
            shows ? std::vector<uint64_t>{kMiddle, kMiddle, large} : std::vector<uint64_t>{large};
        EXPECT_EQ(sink.ranges, alone);
        for (const auto& [name, size] : files)
            EXPECT_EQ(tmp.readFile(top + "/dst/" + name), test::patterned(size));
    }
}

TEST_F(RunDriverTest, FailuresKeepTheirStateAndARerunRetriesOnlyPendingLines) {
    const std::string src = tmp.makeDir("src");
    tmp.writeFile("src/a.txt", "a");
    tmp.writeFile("src/b.txt", "b");
    tmp.writeFile("src/c.txt", "c");
    auto job = planned(TransferMode::Delete, {}, src, "*.*");
    ASSERT_EQ(job->list().size(), 3u);
    std::filesystem::remove(tmp / "src/b.txt"); // gone since planning

    keys.quietPolls = 1; // stop before the second line
    keys.events = {AbortKeyEvent::ControlDown};
    RunSummary summary = job->OnOK(observer, progress);
    EXPECT_FALSE(summary.complete);
    EXPECT_EQ(states(*job), (std::vector<int32_t>{1, -1, -1}));

    summary = job->OnOK(observer, progress);
    EXPECT_TRUE(summary.complete);
    EXPECT_EQ(summary.errors, 1);
    EXPECT_EQ(states(*job), (std::vector<int32_t>{1, 0, 1}));
    EXPECT_EQ(job->list().at(1)->lastError, ENOENT);

    observer.events.clear();
    summary = job->OnOK(observer, progress);
    EXPECT_EQ(summary.errors, 1); // counted again, not retried
    EXPECT_TRUE(observer.events.empty());
}

TEST_F(RunDriverTest, MoveRenamesWithinOneFileSystemAndNeverReplaces) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    const std::string a = tmp.writeFile("src/a.txt", "new a");
    const timespec times[2] = {{1600000000, 0}, {1700000005, 5}};
    ASSERT_EQ(utimensat(AT_FDCWD, a.c_str(), times, 0), 0);
    const ino_t inode = statOf(a).st_ino;
    tmp.writeFile("src/b.txt", "new b");
    const std::string oldB = tmp.writeFile("dst/b.txt", "old b");
    const timespec old[2] = {{1500000000, 0}, {1500000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, oldB.c_str(), old, 0), 0);

    auto job = planned(TransferMode::Move, {}, src, "*.*", dst);
    ASSERT_EQ(clipboardText(job->list(), "\n"), "Move \"" + src + "/a.txt\" \"" + dst +
                                                    "/a.txt\"\n" + "Up&Move \"" + src +
                                                    "/b.txt\" \"" + dst + "/b.txt\"\n");
    const RunSummary summary = job->OnOK(observer, progress);
    EXPECT_EQ(summary.errors, 0);
    EXPECT_EQ(statOf(tmp / "dst/a.txt").st_ino, inode); // renamed, not copied
    EXPECT_EQ(statOf(tmp / "dst/a.txt").st_mtim.tv_nsec, 5);
    EXPECT_EQ(tmp.readFile("dst/b.txt"), "new b");
    EXPECT_FALSE(std::filesystem::exists(tmp / "src/a.txt"));
    EXPECT_FALSE(std::filesystem::exists(tmp / "src/b.txt"));
}

TEST_F(RunDriverTest, ReadOnlySourceIsNotDeleted) {
    const std::string src = tmp.makeDir("src");
    const std::string f = tmp.writeFile("src/keep.txt", "x");
    ASSERT_EQ(chmod(f.c_str(), 0444), 0);
    auto job = planned(TransferMode::Delete, {}, src, "*.*");
    EXPECT_EQ(job->OnOK(observer, progress).errors, 1);
    EXPECT_EQ(job->list().at(0)->state, kStateFailed);
    EXPECT_EQ(job->list().at(0)->lastError, EACCES);
    EXPECT_TRUE(std::filesystem::exists(f));
}

TEST_F(RunDriverTest, FindLinesStayPending) {
    const std::string src = tmp.makeDir("src");
    tmp.writeFile("src/a.txt");
    auto job = planned(TransferMode::Search, {}, src, "*.*");
    const RunSummary summary = job->OnOK(observer, progress);
    EXPECT_TRUE(summary.complete);
    EXPECT_EQ(states(*job), (std::vector<int32_t>{-1}));
    EXPECT_EQ(observer.events, (std::vector<std::string>{"0 start", "0 nothing"}));
}

TEST_F(RunDriverTest, BatchEntriesGetTheirOwnOutcomeAndDirectoriesWaitForThem) {
    // Delete with directory removal through the batch: every Rmdir must see its files gone.
    const std::string src = tmp.makeDir("src");
    tmp.writeFile("src/d/a.bak");
    tmp.writeFile("src/d/e/b.bak");
    const std::string locked = tmp.writeFile("src/c.bak");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    OptionFlags f;
    f.subdirectories = f.recurse = f.removeSourceDirectories = 1;
    explorerStyle = true;
    auto job = planned(TransferMode::Delete, f, src, "*.*");
    ASSERT_EQ(clipboardText(job->list(), "\n"), "Delete \"" + src + "/c.bak\" \n" + "Delete \"" +
                                                    src + "/d/a.bak\" \n" + "Delete \"" + src +
                                                    "/d/e/b.bak\" \n" + "Rmdir \"" + src +
                                                    "/d/e\" \n" + "Rmdir \"" + src + "/d\" \n");
    const RunSummary summary = job->OnOK(observer, progress);
    EXPECT_EQ(summary.errors, 1);
    EXPECT_EQ(states(*job), (std::vector<int32_t>{0, 1, 1, 1, 1}));
    EXPECT_FALSE(std::filesystem::exists(tmp / "src/d"));
    EXPECT_TRUE(std::filesystem::exists(locked));
    // Rows show the batch mark first, then their own outcome once the batch ran.
    EXPECT_EQ(observer.events[1], "0 batch");
    EXPECT_NE(std::find(observer.events.begin(), observer.events.end(), "0 failed"),
              observer.events.end());
}

TEST_F(RunDriverTest, BatchReplacesOnlyWhatItsLinesMayReplace) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.writeFile("src/new", "new");
    tmp.writeFile("src/newer", "newer");
    const std::string old = tmp.writeFile("dst/newer", "old");
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, old.c_str(), times, 0), 0);
    explorerStyle = true;
    auto job = planned(TransferMode::Update, {}, src, "*.*", dst);
    ASSERT_EQ(clipboardText(job->list(), "\n"), "Copy \"" + src + "/new\" \"" + dst + "/new\"\n" +
                                                    "Update \"" + src + "/newer\" \"" + dst +
                                                    "/newer\"\n");
    // Someone else's file where the plan found none.
    tmp.writeFile("dst/new", "theirs");
    const RunSummary summary = job->OnOK(observer, progress);
    EXPECT_EQ(summary.errors, 1);
    EXPECT_EQ(states(*job), (std::vector<int32_t>{0, 1}));
    EXPECT_EQ((*job->list().begin())->lastError, static_cast<uint32_t>(EEXIST));
    EXPECT_EQ(tmp.readFile("dst/new"), "theirs");
    EXPECT_EQ(tmp.readFile("dst/newer"), "newer");
}

TEST_F(RunDriverTest, BatchCollectedWhenTheRunStopsIsStillCarriedOut) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    for (int i = 0; i < 4; ++i)
        tmp.writeFile("src/f" + std::to_string(i), "data");
    explorerStyle = true;
    auto job = planned(TransferMode::Update, {}, src, "*.*", dst);
    keys.quietPolls = 2; // two lines collected, then stop
    keys.events = {AbortKeyEvent::ControlDown};
    const RunSummary summary = job->OnOK(observer, progress);
    EXPECT_FALSE(summary.complete);
    EXPECT_EQ(states(*job), (std::vector<int32_t>{1, 1, -1, -1}));
    EXPECT_EQ(tmp.readFile("dst/f0"), "data");
    EXPECT_EQ(tmp.readFile("dst/f1"), "data");
    EXPECT_FALSE(std::filesystem::exists(tmp / "dst/f2"));
}

TEST_F(RunDriverTest, MadeDirectoriesKeepOwnerSetGidModeAndTimesOnceFilled) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    const std::string outer = tmp.makeDir("src/outer");
    const std::string inner = tmp.makeDir("src/outer/inner");
    tmp.writeFile("src/outer/inner/f.txt", "f");
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(outer.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(outer.c_str(), 02750), 0);
    ASSERT_EQ(chmod(inner.c_str(), 0555), 0); // the owner may not write: filled all the same
    const timespec times[2] = {{1600000000, 1}, {1650000000, 2}};
    for (const std::string& d : {outer, inner})
        ASSERT_EQ(utimensat(AT_FDCWD, d.c_str(), times, 0), 0);

    auto job = planned(TransferMode::Update, recursive(), src, "*.*", dst);
    ASSERT_EQ(job->list().size(), 3u); // Mkdir outer, Mkdir inner, Copy f
    EXPECT_EQ(job->OnOK(observer, progress).errors, 0);
    EXPECT_EQ(tmp.readFile("dst/outer/inner/f.txt"), "f");
    for (const auto& [made, mode] :
         {std::pair{tmp / "dst/outer", 02750u}, std::pair{tmp / "dst/outer/inner", 0555u}}) {
        const struct stat st = statOf(made);
        EXPECT_EQ(st.st_mode & 07777, mode) << made;
        EXPECT_EQ(st.st_mtim.tv_sec, 1650000000) << made;
        EXPECT_EQ(st.st_mtim.tv_nsec, 2) << made;
    }
    if (root) {
        EXPECT_EQ(statOf(tmp / "dst/outer").st_uid, 65534u);
        EXPECT_EQ(statOf(tmp / "dst/outer").st_gid, 65534u);
    }
}

TEST_F(RunDriverTest, MovedCopyIsOnDiskBeforeItsSourceGoesAndEveryRunEndsFlushed) {
    const std::string remove = "remove src/a.txt";
    const struct {
        const char* name;
        TransferMode mode;
        int flushError;
        int timesError;
        int attributesError;
        std::vector<std::string> calls;
        int32_t state;
        int32_t lastError;
        bool sourceKept;
        bool targetWritten;
    } cases[] = {
        {"move", TransferMode::Move, 0, 0, 0, {"flush", remove, "flush writes"}, 1, 0, false, true},
        {"move, flush fails",
         TransferMode::Move,
         EIO,
         0,
         0,
         {"flush", "flush writes"},
         0,
         EIO,
         true,
         false},
        {"move without its xattrs",
         TransferMode::Move,
         0,
         0,
         ENOTSUP,
         {"flush", "flush writes"},
         0,
         kErrorMetadataNotKept,
         true,
         true},
        {"copy", TransferMode::Update, 0, 0, 0, {"flush writes"}, 1, 0, true, true},
        {"copy without its times",
         TransferMode::Update,
         0,
         EPERM,
         0,
         {"flush writes"},
         0,
         kErrorTimesNotKept,
         true,
         true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(tmp / "src");
        std::filesystem::remove_all(tmp / "dst");
        const std::string src = tmp.makeDir("src");
        const std::string dst = tmp.makeDir("dst");
        tmp.writeFile("src/a.txt", "data");
        auto job = planned(c.mode, {}, src, "*.*", dst);
        ASSERT_EQ(job->list().size(), 1u) << c.name;
        // Another file system: the move copies.
        fileSystem.renameError = EXDEV;
        fileSystem.copyFaults = {};
        fileSystem.copyFaults.flushError = c.flushError;
        fileSystem.copyFaults.timesError = c.timesError;
        fileSystem.copyFaults.attributesError = c.attributesError;
        fileSystem.calls.clear();
        const RunSummary summary = job->OnOK(observer, progress);
        for (std::string& call : fileSystem.calls)
            if (call.starts_with("remove "))
                call = "remove " + std::filesystem::relative(call.substr(7), tmp.path()).string();
        EXPECT_EQ(fileSystem.calls, c.calls) << c.name;
        EXPECT_EQ(job->list().at(0)->state, c.state) << c.name;
        EXPECT_EQ(job->list().at(0)->lastError, c.lastError) << c.name;
        EXPECT_EQ(summary.errors, c.state == kStateFailed ? 1 : 0) << c.name;
        EXPECT_EQ(std::filesystem::exists(tmp / "src/a.txt"), c.sourceKept) << c.name;
        EXPECT_EQ(std::filesystem::exists(tmp / "dst/a.txt"), c.targetWritten) << c.name;
    }
}

} // namespace
} // namespace ryk
