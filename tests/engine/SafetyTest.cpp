// What a run must never do: follow a link out of a job's trees, open a special file, delete
// what it could not read, copy a tree into itself, or hand on rights and holes wrongly.

#include "engine/TransferJob.h"
#include "platform/ErrorCodes.h"
#include "support/EngineFixture.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ryk {
namespace {

namespace fs = std::filesystem;

class SafetyTest : public test::EngineTest {
protected:
    std::unique_ptr<TransferJob> planned(TransferMode mode, const std::string& source,
                                         const std::string& destination = {}) {
        return plannedJob(settings(mode, source, destination, recursive()));
    }
};

TEST_F(SafetyTest, ALinkPutIntoATreeAfterPlanningIsNeverFollowed) {
    tmp.writeFile("src/sub/a.txt", "new");
    tmp.writeFile("dst/sub/a.txt", "old");
    tmp.writeFile("outside/a.txt", "precious");
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (tmp / "dst/sub/a.txt").c_str(), old, 0), 0);

    // Update: the destination directory becomes a link to elsewhere while the list waits.
    auto update = planned(TransferMode::Update, tmp / "src", tmp / "dst");
    ASSERT_EQ(lines(*update),
              std::vector<std::string>{"Update \"src/sub/a.txt\" \"dst/sub/a.txt\""});
    fs::remove_all(tmp / "dst/sub");
    fs::create_directory_symlink(tmp / "outside", tmp / "dst/sub");
    EXPECT_EQ(run(*update).errors, 1);
    EXPECT_EQ(update->list().at(0)->lastError, kErrorLinkInTree);
    EXPECT_EQ(tmp.readFile("outside/a.txt"), "precious");
    EXPECT_EQ(fs::directory_entry(tmp / "outside").path(), tmp / "outside");
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "outside"), fs::directory_iterator{}), 1);

    // Delete: the source directory becomes such a link.
    auto del = planned(TransferMode::Delete, tmp / "src");
    ASSERT_EQ(lines(*del), std::vector<std::string>{"Delete \"src/sub/a.txt\" "});
    fs::remove_all(tmp / "src/sub");
    fs::create_directory_symlink(tmp / "outside", tmp / "src/sub");
    EXPECT_EQ(run(*del).errors, 1);
    EXPECT_EQ(tmp.readFile("outside/a.txt"), "precious");
}

TEST_F(SafetyTest, LinksAreEntriesOfTheirOwnAndCopiedAsLinks) {
    tmp.writeFile("src/real/f.txt", "f");
    fs::create_directory_symlink("real", tmp / "src/toDir");
    fs::create_symlink("real/f.txt", tmp / "src/toFile");
    fs::create_symlink("nowhere", tmp / "src/dangling");
    tmp.writeFile("outside/x.txt", "x");
    tmp.makeDir("dst");
    // A link where a destination directory belongs is never written through.
    fs::create_directory_symlink(tmp / "outside", tmp / "dst/real");

    auto job = planned(TransferMode::Update, tmp / "src", tmp / "dst");
    EXPECT_EQ(lines(*job), (std::vector<std::string>{
                               "Copy \"src/dangling\" \"dst/dangling\"",
                               "Copy \"src/toDir\" \"dst/toDir\"",
                               "Copy \"src/toFile\" \"dst/toFile\"",
                               "Error \"dst/real\" ",
                           }));
    EXPECT_EQ(run(*job).errors, 1) << "the plan's Error line is a problem of the run";
    for (const char* name : {"dangling", "toDir", "toFile"}) {
        EXPECT_TRUE(fs::is_symlink(tmp / ("dst/" + std::string(name)))) << name;
        EXPECT_EQ(fs::read_symlink(tmp / ("dst/" + std::string(name))),
                  fs::read_symlink(tmp / ("src/" + std::string(name))));
    }
    EXPECT_FALSE(fs::exists(tmp / "outside/f.txt"));
    // The links' own times were kept, so nothing is newer the second time.
    EXPECT_EQ(lines(*planned(TransferMode::Update, tmp / "src", tmp / "dst")),
              std::vector<std::string>{"Error \"dst/real\" "});
}

TEST_F(SafetyTest, SpecialFilesAreNeverOpened) {
    tmp.makeDir("src");
    ASSERT_EQ(mkfifo((tmp / "src/pipe").c_str(), 0644), 0);
    tmp.writeFile("src/a.txt", "a");
    tmp.makeDir("dst");
    auto job = planned(TransferMode::Update, tmp / "src", tmp / "dst");
    EXPECT_EQ(lines(*job), (std::vector<std::string>{"Copy \"src/a.txt\" \"dst/a.txt\"",
                                                     "Error \"src/pipe\" "}));
    EXPECT_EQ(job->list().at(1)->lastError, kErrorSpecialFile);
    // A run that opened the FIFO would wait here for a writer; its Error line is counted.
    EXPECT_EQ(run(*job).errors, 1);
    EXPECT_FALSE(fs::exists(tmp / "dst/pipe"));
    // Listing it is harmless.
    EXPECT_EQ(lines(*planned(TransferMode::Search, tmp / "src")),
              (std::vector<std::string>{"Find \"src/a.txt\" ", "Find \"src/pipe\" "}));
}

TEST_F(SafetyTest, SyncDeletesNothingBelowWhatItCouldNotRead) {
    tmp.writeFile("src/keep/a.txt", "a");
    tmp.writeFile("src/keep/sub/s.txt", "s");
    tmp.writeFile("src/b.txt", "b");
    tmp.writeFile("dst/keep/a.txt", "a");
    tmp.writeFile("dst/keep/deep/c.txt", "c");
    tmp.writeFile("dst/keep/sub/extra.txt", "e");
    tmp.writeFile("dst/gone.txt", "g");
    const std::vector<std::string> onlyKnown = {"Copy \"src/b.txt\" \"dst/b.txt\"",
                                                "Delete \"dst/gone.txt\" "};
    const struct {
        std::string unreadable, unlistable;
        std::vector<std::string> lines;
    } cases[] = {
        // A source directory not read: however its entries could be reached, nothing below it
        // is known to be gone.
        {tmp / "src/keep", "", onlyKnown},
        {"", tmp / "src/keep", onlyKnown},
        // A destination directory not read is never taken as empty: what cannot be seen there
        // is not written over, what can is looked at one by one.
        {tmp / "dst/keep",
         "",
         {"Copy \"src/b.txt\" \"dst/b.txt\"", "Error \"dst/keep/a.txt\" ",
          "Error \"dst/keep/sub\" ", "Delete \"dst/gone.txt\" "}},
        {"",
         tmp / "dst/keep",
         {"Copy \"src/b.txt\" \"dst/b.txt\"", "Update \"src/keep/a.txt\" \"dst/keep/a.txt\"",
          "Copy \"src/keep/sub/s.txt\" \"dst/keep/sub/s.txt\"", "Delete \"dst/gone.txt\" "}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.unreadable + c.unlistable);
        messages.shown.clear();
        fileSystem.unreadableDirectory = c.unreadable;
        fileSystem.unlistableDirectory = c.unlistable;
        auto job = planned(TransferMode::Sync, tmp / "src", tmp / "dst");
        // Reported once, for the directory that could not be read.
        EXPECT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(lines(*job), c.lines);
    }
}

TEST_F(SafetyTest, SyncConvergesWhereFilesAndDirectoriesTradePlaces) {
    tmp.writeFile("src/was-dir", "now a file");
    tmp.writeFile("src/was-file/x.txt", "x");
    tmp.writeFile("src/dangling", "d");
    tmp.writeFile("dst/was-dir/old/y.txt", "y");
    tmp.writeFile("dst/was-file", "old file");
    tmp.makeDir("dst");
    fs::create_symlink("nowhere", tmp / "dst/dangling");
    auto job = planned(TransferMode::Sync, tmp / "src", tmp / "dst");
    EXPECT_EQ(run(*job).errors, 0) << testing::PrintToString(lines(*job));
    EXPECT_EQ(tmp.readFile("dst/was-dir"), "now a file");
    EXPECT_EQ(tmp.readFile("dst/was-file/x.txt"), "x");
    EXPECT_EQ(tmp.readFile("dst/dangling"), "d");
    EXPECT_FALSE(fs::is_symlink(tmp / "dst/dangling"));
    // Converged: a second sync writes the files again and removes nothing.
    for (const std::string& line : lines(*planned(TransferMode::Sync, tmp / "src", tmp / "dst")))
        EXPECT_EQ(line.substr(0, 7), "Update ") << line;
}

TEST_F(SafetyTest, TreesInsideEachOtherAreRefused) {
    tmp.writeFile("src/a.txt", "a");
    tmp.makeDir("src/backup");
    const struct {
        TransferMode mode;
        bool recursive;
        std::string source, destination;
        const char* message; // null: accepted
    } cases[] = {
        {TransferMode::Update, true, tmp / "src", tmp / "src/backup",
         "転送先が転送元の中にあります。"},
        {TransferMode::Sync, true, tmp / "src", tmp / "src/backup",
         "転送先が転送元の中にあります。"},
        {TransferMode::Sync, true, tmp / "src/backup", tmp / "src",
         "転送元が転送先の中にあります。"},
        {TransferMode::Sync, false, tmp / "src", tmp / "src/", "転送先が転送元の中にあります。"},
        // Named through a link, still the same tree.
        {TransferMode::Move, true, tmp / "link", tmp / "src/backup",
         "転送先が転送元の中にあります。"},
        // Harmless: no recursion, or the same directory renamed by a pattern.
        {TransferMode::Update, false, tmp / "src", tmp / "src/backup", nullptr},
        {TransferMode::Update, true, tmp / "src", tmp / "src", nullptr},
        {TransferMode::Sync, true, tmp / "src/backup", tmp / "other", nullptr},
    };
    fs::create_directory_symlink(tmp / "src", tmp / "link");
    tmp.makeDir("other");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source + " -> " + c.destination);
        messages.shown.clear();
        bool accepted = false;
        newJob(settings(c.mode, c.source, c.destination, c.recursive ? recursive() : OptionFlags{}),
               &accepted);
        EXPECT_EQ(accepted, c.message == nullptr);
        EXPECT_EQ(messages.texts(),
                  c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    }
}

/// A directory bound onto another for the time of a test, as `mount --bind` does.
struct BindMount {
    BindMount(const std::string& from, const std::string& onto) : target(onto) {
        mounted = mount(from.c_str(), onto.c_str(), nullptr, MS_BIND, nullptr) == 0;
    }
    ~BindMount() {
        if (mounted)
            umount2(target.c_str(), MNT_DETACH);
    }
    std::string target;
    bool mounted = false;
};

TEST_F(SafetyTest, TreesInsideEachOtherByIdentityAreRefusedWhilePlanning) {
    tmp.writeFile("src/x", "the source's own x");
    tmp.writeFile("src/sub/s.txt", "s");
    tmp.makeDir("dst/in");
    tmp.writeFile("dst/only-here.txt", "d");
    const struct {
        TransferMode mode;
        bool recursive;
        std::string from, onto; // what is bound where: no path shows it
        const char* message;
    } cases[] = {
        // The destination is a directory of the source, or one is bound inside the source.
        {TransferMode::Sync, true, tmp / "src/sub", tmp / "dst", "転送先が転送元の中にあります。"},
        {TransferMode::Update, true, tmp / "dst", tmp / "src/sub",
         "転送先が転送元の中にあります。"},
        // The source, or a part of it, inside the destination: the deletions would reach it.
        {TransferMode::Sync, true, tmp / "src", tmp / "dst/in", "転送元が転送先の中にあります。"},
        {TransferMode::Sync, true, tmp / "src/sub", tmp / "dst/in",
         "転送元が転送先の中にあります。"},
        // Cleared to make way for the source's file x, it would take the source with it.
        {TransferMode::Sync, false, tmp / "src", tmp / "dst/x", "転送元が転送先の中にあります。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.from + " onto " + c.onto);
        tmp.makeDir(c.onto.substr(tmp.path().size() + 1));
        const BindMount bind(c.from, c.onto);
        if (!bind.mounted)
            GTEST_SKIP() << "binding a directory needs root";
        messages.shown.clear();
        bool accepted = false;
        auto job = newJob(
            settings(c.mode, tmp / "src", tmp / "dst", c.recursive ? recursive() : OptionFlags{}),
            &accepted);
        ASSERT_TRUE(accepted);
        EXPECT_FALSE(job->PlanJob());
        EXPECT_EQ(messages.texts(), std::vector<std::string>{c.message});
    }
    EXPECT_EQ(tmp.readFile("src/x"), "the source's own x");
}

TEST_F(SafetyTest, CopiesKeepModesHolesAndOnlyTheRightsTheyMay) {
    const std::string priv = tmp.makeDir("src/private");
    ASSERT_EQ(chmod(priv.c_str(), 0700), 0);
    // Sparse: a little data at both ends of 64 MiB.
    const std::string sparse = tmp.writeFile("src/private/sparse.bin", "head");
    {
        const int fd = open(sparse.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(pwrite(fd, "tail", 4, (64 << 20) - 4), 4);
        close(fd);
    }
    const std::string setuid = tmp.writeFile("src/setuid", "#!/bin/sh\n");
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(setuid.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(setuid.c_str(), 04755), 0);
    tmp.makeDir("dst");

    auto job = planned(TransferMode::Update, tmp / "src", tmp / "dst");
    ASSERT_EQ(run(*job).errors, 0);
    EXPECT_EQ(test::statOf(tmp / "dst/private").st_mode & 07777, 0700u);
    const struct stat copy = test::statOf(tmp / "dst/private/sparse.bin");
    EXPECT_EQ(copy.st_size, 64 << 20);
    EXPECT_LT(copy.st_blocks * 512, 1 << 20) << "holes were written out";
    const std::string data = tmp.readFile("dst/private/sparse.bin");
    EXPECT_EQ(data.substr(0, 4), "head");
    EXPECT_EQ(data.substr(data.size() - 4), "tail");
    EXPECT_EQ(data.find_first_not_of('\0', 4), data.size() - 4);
    const struct stat script = test::statOf(tmp / "dst/setuid");
    if (root) {
        // Root keeps the owner, so the bit still gives only that owner's rights.
        EXPECT_EQ(script.st_uid, 65534u);
        EXPECT_EQ(script.st_mode & 07777, 04755u);
    } else {
        EXPECT_EQ(script.st_mode & 07777, 04755u); // the copier's own file keeps its bit
    }
}

TEST_F(SafetyTest, AReadOnlySourceIsCopiedButNeverMovedAway) {
    const std::string locked = tmp.writeFile("src/locked.txt", "mine");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    tmp.makeDir("dst");
    auto job = planned(TransferMode::Move, tmp / "src", tmp / "dst");
    EXPECT_EQ(run(*job).errors, 1);
    EXPECT_EQ(job->list().at(0)->lastError, EACCES);
    EXPECT_EQ(tmp.readFile("src/locked.txt"), "mine");
    EXPECT_EQ(tmp.readFile("dst/locked.txt"), "mine");
}

TEST_F(SafetyTest, StaleTemporariesOfDeadRunsAreRemoved) {
    // The number of a process that has ended.
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    waitpid(child, nullptr, 0);
    tmp.writeFile("src/a.txt", "a");
    const std::string stale = ".~ryk." + std::to_string(child) + ".0abc12";
    const std::string alive = ".~ryk." + std::to_string(getppid()) + ".0abc12";
    tmp.writeFile("dst/" + stale, "left by a killed run");
    tmp.writeFile("dst/" + alive, "a running copy's");
    tmp.writeFile("dst/.~ryk.notours", "someone else's");
    auto job = planned(TransferMode::Update, tmp / "src", tmp / "dst");
    ASSERT_EQ(run(*job).errors, 0);
    EXPECT_FALSE(fs::exists(tmp / ("dst/" + stale)));
    EXPECT_TRUE(fs::exists(tmp / ("dst/" + alive)));
    EXPECT_TRUE(fs::exists(tmp / "dst/.~ryk.notours"));
}

} // namespace
} // namespace ryk
