#include "engine/TransferJob.h"
#include "support/EngineFixture.h"
#include "support/ScopedEnv.h"
#include "support/TestFiles.h"
#include "support/TreeScanFixture.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace ryk {
namespace {

namespace fs = std::filesystem;

class SyncModeTest : public test::EngineTest {
protected:
    std::vector<std::string> plan(bool recursively = true, bool skipUnchanged = false,
                                  bool trash = false) {
        JobSettings stated = settings(TransferMode::Sync, tmp / "src", tmp / "dst",
                                      recursively ? recursive() : OptionFlags{});
        stated.skipUnchanged = skipUnchanged;
        stated.trash = trash;
        job = plannedJob(stated);
        return lines(*job);
    }
    void run() { EXPECT_EQ(EngineTest::run(*job).errors, 0); }
    /// Names, contents, modes and write times of a tree, for comparing two trees.
    std::map<std::string, std::string> describe(const std::string& root) {
        std::map<std::string, std::string> result;
        for (const auto& item : fs::recursive_directory_iterator(root)) {
            struct stat st {};
            lstat(item.path().c_str(), &st);
            std::string facts = std::to_string(st.st_mode);
            // Appended step by step: " " + a temporary string sets off GCC 12's false
            // -Wrestrict at -O3.
            if (S_ISREG(st.st_mode)) {
                facts += ' ';
                facts += std::to_string(st.st_mtim.tv_sec);
                facts += '.';
                facts += std::to_string(st.st_mtim.tv_nsec);
                facts += ' ';
                facts += tmp.readFile(item.path().string().substr(tmp.path().size() + 1));
            }
            result[item.path().string().substr(root.size())] = facts;
        }
        return result;
    }

    std::unique_ptr<TransferJob> job;
};

TEST_F(SyncModeTest, PlansCopiesThenDeletions) {
    tmp.writeFile("src/a", "a");
    tmp.writeFile("src/b", "b2");
    tmp.writeFile("dst/b", "b");
    tmp.writeFile("dst/c", "c");
    EXPECT_EQ(plan(false),
              (std::vector<std::string>{"Copy \"src/a\" \"dst/a\"", "Update \"src/b\" \"dst/b\"",
                                        "Delete \"dst/c\" "}));
    // The plan reads as an update of the destination, whose free space the summary shows.
    EXPECT_EQ(job->shownMode(), TransferMode::Update);
    EXPECT_EQ(job->job().destinationDirectory, tmp / "dst");
    EXPECT_TRUE(job->summaryVolume().has_value());
}

TEST_F(SyncModeTest, DestinationIsOneDirectoryNeverImplied) {
    tmp.writeFile("src/a", "a");
    tmp.makeDir("dst");
    const std::string needed = "同期モードでは転送先を指定してください。";
    const struct {
        TransferMode mode;
        std::string destinationDirectory, destinationPattern;
        std::string message; // empty: accepted
    } cases[] = {
        {TransferMode::Sync, "", "", needed},
        // The default pattern alone would be ".".
        {TransferMode::Sync, "", "*.*", needed},
        {TransferMode::Sync, tmp / "dst", "", ""},
        // A name after the directory is part of it, however the text was split.
        {TransferMode::Sync, tmp / "", "dst", ""},
        {TransferMode::Sync, tmp / "", "dts", "転送先のディレクトリがありません: " + tmp / "dts"},
        {TransferMode::Sync, tmp / "dst/", "*.bak",
         "同期モードの転送先にワイルドカードは使えません: " + tmp / "dst/*.bak"},
        // An update still writes into "." when no destination is given.
        {TransferMode::Update, "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::vector<std::string>{
            modeName(c.mode), c.destinationDirectory, c.destinationPattern}));
        messages.shown.clear();
        JobSettings stated = settings(c.mode, tmp / "src", c.destinationDirectory);
        stated.destinationPattern = c.destinationPattern;
        bool accepted = false;
        job = newJob(stated, &accepted);
        EXPECT_EQ(accepted, c.message.empty());
        if (c.message.empty()) {
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_EQ(job->focusField(), JobField::None);
            continue;
        }
        EXPECT_EQ(messages.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(job->focusField(), JobField::DestinationDirectory);
        EXPECT_EQ(job->list().size(), 0u);
    }
}

TEST_F(SyncModeTest, RunMakesTheTreesEqualAndASecondSyncOnlyUpdates) {
    tmp.writeFile("src/a.txt", "alpha");
    tmp.writeFile("src/sub/b.txt", "beta");
    tmp.makeDir("src/empty");
    const std::string script = tmp.writeFile("src/run.sh", "#!/bin/sh\n");
    ASSERT_EQ(chmod(script.c_str(), 0750), 0);
    tmp.writeFile("dst/a.txt", "old alpha, and newer than the source");
    tmp.writeFile("dst/gone/deeper/x.txt", "x");
    tmp.writeFile("dst/gone.txt", "g");
    const timespec later[2] = {{2000000000, 0}, {2000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (tmp / "dst/a.txt").c_str(), later, 0), 0);

    plan();
    run();
    auto source = describe(tmp / "src");
    source.erase("/empty"); // empty directories are made only with -e
    EXPECT_EQ(describe(tmp / "dst"), source);
    // Equal trees: every file is written again, nothing is deleted.
    EXPECT_EQ(plan(), (std::vector<std::string>{"Update \"src/a.txt\" \"dst/a.txt\"",
                                                "Update \"src/run.sh\" \"dst/run.sh\"",
                                                "Update \"src/sub/b.txt\" \"dst/sub/b.txt\""}));
}

TEST_F(SyncModeTest, WithTheTrashEverythingItDeletesOrReplacesCanBePutBack) {
    const test::ScopedEnv data("XDG_DATA_HOME", tmp / "data");
    tmp.writeFile("src/a.txt", "alpha");
    tmp.writeFile("src/sub/b.txt", "beta");
    tmp.writeFile("dst/a.txt", "old alpha");
    tmp.writeFile("dst/sub/b.txt", "old beta");
    tmp.writeFile("dst/gone/deeper/x.txt", "x");
    tmp.writeFile("dst/gone.txt", "g");
    const auto before = describe(tmp / "dst");
    plan(true, false, true);
    run();
    EXPECT_EQ(describe(tmp / "dst"), describe(tmp / "src"));

    // Each entry put back where its info says it was, directories before what was in them.
    ASSERT_EQ(rename((tmp / "dst").c_str(), (tmp / "synced").c_str()), 0);
    std::map<std::string, std::string> entries; // original path -> entry
    for (const auto& info : fs::directory_iterator(tmp / "data/Trash/info")) {
        const std::string text = tmp.readFile("data/Trash/info/" + info.path().filename().string());
        const size_t path = text.find("Path=") + 5;
        entries[text.substr(path, text.find('\n', path) - path)] = info.path().stem().string();
    }
    EXPECT_EQ(entries.size(), 6u); // 4 files, 2 directories
    for (const auto& [original, entry] : entries) {
        fs::create_directories(fs::path(original).parent_path());
        fs::rename(tmp / ("data/Trash/files/" + entry), original);
    }
    EXPECT_EQ(describe(tmp / "dst"), before);
}

TEST_F(SyncModeTest, SkippingUnchangedFilesLeavesOnlyTheirLinesOut) {
    using test::kBase;
    using test::setWriteTime;
    // Every source file holds "data", written at kBase + 0.123456789 s; each name is one case
    // of what stands at the destination.
    const struct {
        const char* name;
        std::string contents;
        int64_t seconds;
        long nanoseconds;
    } targets[] = {
        {"same", "data", kBase, 123456789},
        {"size", "data!", kBase, 123456789},
        {"later", "data", kBase + 1, 123456789},
        {"sub-second", "data", kBase, 123456788},
        // A file system that keeps whole seconds only: its copy shows no nanoseconds.
        {"whole-seconds", "data", kBase, 0},
    };
    for (const char* name :
         {"dir", "link", "missing", "same", "size", "later", "sub-second", "whole-seconds"})
        setWriteTime(tmp.writeFile(std::string("src/") + name, "data"), kBase, 123456789);
    for (const auto& t : targets)
        setWriteTime(tmp.writeFile(std::string("dst/") + t.name, t.contents), t.seconds,
                     t.nanoseconds);
    tmp.makeDir("dst/dir");
    // A link as long as the file and as old: still no copy of it.
    fs::create_symlink("abcd", tmp / "dst/link");
    setWriteTime(tmp / "dst/link", kBase, 123456789);
    setWriteTime(tmp.writeFile("dst/extra", "x"), kBase, 0);
    if (test::statOf(tmp / "dst/sub-second").st_mtim.tv_nsec != 123456788)
        GTEST_SKIP() << "the file system here keeps no nanoseconds";

    // The directory in the way is cleared first, as always.
    std::vector<std::string> all = {"Rmdir \"dst/dir\" ",
                                    "Copy \"src/dir\" \"dst/dir\"",
                                    "Update \"src/later\" \"dst/later\"",
                                    "Update \"src/link\" \"dst/link\"",
                                    "Copy \"src/missing\" \"dst/missing\"",
                                    "Update \"src/same\" \"dst/same\"",
                                    "Update \"src/size\" \"dst/size\"",
                                    "Update \"src/sub-second\" \"dst/sub-second\"",
                                    "Update \"src/whole-seconds\" \"dst/whole-seconds\"",
                                    "Delete \"dst/extra\" "};
    // Without the opt-in every file gets its line as before.
    EXPECT_EQ(plan(true, false), all);
    std::erase(all, "Update \"src/same\" \"dst/same\"");
    std::erase(all, "Update \"src/whole-seconds\" \"dst/whole-seconds\"");
    EXPECT_EQ(plan(true, true), all);
}

TEST_F(SyncModeTest, NeverDeletesOutsideTheDestinationOrThroughALink) {
    tmp.writeFile("src/a", "a");
    tmp.writeFile("outside/precious", "p");
    tmp.makeDir("dst");
    fs::create_directory_symlink(tmp / "outside", tmp / "dst/link");
    plan();
    run();
    EXPECT_EQ(tmp.readFile("outside/precious"), "p");
    EXPECT_FALSE(fs::exists(fs::symlink_status(tmp / "dst/link"))); // the link itself goes
    EXPECT_EQ(tmp.readFile("dst/a"), "a");
}

} // namespace
} // namespace ryk
