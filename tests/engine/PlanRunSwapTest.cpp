// What changes between planning and running: a root replaced by a link, a source saved over
// while it is moved, a target edited, made or replaced by a FIFO. The run acts only on what the
// plan saw; every such line fails with its own reason and nothing is lost.

#include "engine/TransferJob.h"
#include "platform/ErrorCodes.h"
#include "support/EngineFixture.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <utility>

namespace ryk {
namespace {

namespace fs = std::filesystem;

class PlanRunSwapTest : public test::EngineTest {
public:
    /// A case's tree under `base`: src newer than its counterparts in dst, dst with a file of
    /// its own, and outside, which no run may touch.
    void makeTree(const std::string& base) {
        tmp.writeFile(base + "/src/a", "new a");
        tmp.writeFile(base + "/src/sub/s", "new s");
        for (const char* old : {"/dst/a", "/dst/sub/s"}) {
            const std::string path = tmp.writeFile(base + old, "old");
            const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
            ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        }
        tmp.writeFile(base + "/dst/extra", "extra");
        tmp.writeFile(base + "/outside/a", "theirs");
        tmp.writeFile(base + "/outside/extra", "precious");
    }
    /// Gives `path` (a root of the plan) a new name and puts a link to outside in its place.
    void replaceByLink(const std::string& base, const std::string& path) {
        fs::rename(tmp / (base + "/" + path), tmp / (base + "/" + path + ".orig"));
        fs::create_directory_symlink(tmp / (base + "/outside"), tmp / (base + "/" + path));
    }
    /// Every file below `dir` with its contents ("name" → contents; a FIFO reads "|fifo|").
    std::map<std::string, std::string> contents(const std::string& dir) {
        std::map<std::string, std::string> found;
        for (const auto& e : fs::recursive_directory_iterator(tmp / dir)) {
            const std::string name = fs::relative(e.path(), tmp / dir).string();
            if (e.is_fifo())
                found[name] = "|fifo|";
            else if (e.is_regular_file())
                found[name] = tmp.readFile(dir + "/" + name);
        }
        return found;
    }
};

TEST_F(PlanRunSwapTest, TheRunActsOnlyOnWhatThePlanSaw) {
    using Files = std::map<std::string, std::string>;
    const Files untouchedSource{{"a", "new a"}, {"sub/s", "new s"}};
    const Files untouchedDestination{{"a", "old"}, {"sub/s", "old"}, {"extra", "extra"}};
    const struct Case {
        const char* name;
        TransferMode mode;
        bool explorer;
        /// The destination is missing when planned (and made by the run).
        bool destinationMissing;
        /// What happens while the plan waits, in the case's directory.
        std::function<void(PlanRunSwapTest&, const std::string&)> meanwhile;
        /// Every line that acts fails with this reason (the first with `firstError` when set) ...
        int error;
        int firstError;
        /// ... except this many (which succeed).
        int succeeding;
        /// The trees afterwards ("<dir>" → files); outside never changes.
        std::map<std::string, Files> after;
    } cases[] = {
        {"a sync's destination replaced by a link",
         TransferMode::Sync,
         false,
         false,
         [](auto& t, const auto& b) { t.replaceByLink(b, "dst"); },
         kErrorRootReplaced,
         0,
         0,
         {{"dst.orig", untouchedDestination}}},
        {"a sync's source replaced by a link",
         TransferMode::Sync,
         false,
         false,
         [](auto& t, const auto& b) { t.replaceByLink(b, "src"); },
         kErrorRootReplaced,
         0,
         1,
         {{"src.orig", untouchedSource}, {"dst", {{"a", "old"}, {"sub/s", "old"}}}}},
        {"an update's destination, by the batch",
         TransferMode::Update,
         true,
         false,
         [](auto& t, const auto& b) { t.replaceByLink(b, "dst"); },
         kErrorRootReplaced,
         0,
         0,
         {{"dst.orig", untouchedDestination}}},
        {"a delete's root",
         TransferMode::Delete,
         false,
         false,
         [](auto& t, const auto& b) { t.replaceByLink(b, "src"); },
         kErrorRootReplaced,
         0,
         0,
         {{"src.orig", untouchedSource}}},
        {"a move's source root",
         TransferMode::Move,
         false,
         false,
         [](auto& t, const auto& b) { t.replaceByLink(b, "src"); },
         kErrorRootReplaced,
         0,
         0,
         {{"src.orig", untouchedSource}, {"dst", untouchedDestination}}},
        {"a sync's destination made by someone else",
         TransferMode::Sync,
         false,
         true,
         [](auto& t, const auto& b) {
             fs::create_directory_symlink(t.tmp / (b + "/outside"), t.tmp / (b + "/dst"));
         },
         kErrorRootReplaced,
         EEXIST,
         0,
         {}},
        {"a sync's destination made by the run",
         TransferMode::Sync,
         false,
         true,
         [](auto&, const auto&) {},
         0,
         0,
         4,
         {{"dst", {{"a", "new a"}, {"sub/s", "new s"}}}}},
        {"a target edited",
         TransferMode::Update,
         false,
         false,
         [](auto& t, const auto& b) { t.tmp.writeFile(b + "/dst/a", "edited"); },
         kErrorTargetChanged,
         0,
         1,
         {{"dst", {{"a", "edited"}, {"sub/s", "new s"}, {"extra", "extra"}}}}},
        {"a target edited, by the batch",
         TransferMode::Update,
         true,
         false,
         [](auto& t, const auto& b) { t.tmp.writeFile(b + "/dst/a", "ole"); },
         kErrorTargetChanged,
         0,
         1,
         {{"dst", {{"a", "ole"}, {"sub/s", "new s"}, {"extra", "extra"}}}}},
        {"a target replaced by a FIFO",
         TransferMode::Move,
         false,
         false,
         [](auto& t, const auto& b) {
             fs::remove(t.tmp / (b + "/dst/a"));
             ASSERT_EQ(mkfifo((t.tmp / (b + "/dst/a")).c_str(), 0644), 0);
         },
         kErrorTargetChanged,
         0,
         1,
         {{"dst", {{"a", "|fifo|"}, {"sub/s", "new s"}, {"extra", "extra"}}},
          {"src", {{"a", "new a"}}}}},
        {"a target replaced by a FIFO, by the batch",
         TransferMode::Update,
         true,
         false,
         [](auto& t, const auto& b) {
             fs::remove(t.tmp / (b + "/dst/sub/s"));
             ASSERT_EQ(mkfifo((t.tmp / (b + "/dst/sub/s")).c_str(), 0644), 0);
         },
         kErrorTargetChanged,
         0,
         1,
         {{"dst", {{"a", "new a"}, {"sub/s", "|fifo|"}, {"extra", "extra"}}}}},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string base = "case" + std::to_string(index++);
        makeTree(base);
        if (c.destinationMissing)
            fs::remove_all(tmp / (base + "/dst"));
        JobSettings job =
            settings(c.mode, tmp / (base + "/src"), tmp / (base + "/dst"), recursive());
        job.createDestination = true;
        job.explorerStyle = c.explorer;
        auto planned = plannedJob(job);
        c.meanwhile(*this, base);
        run(*planned);
        int acting = 0;
        int failed = 0;
        for (const auto& entry : planned->list()) {
            if (entry->command == OperationCommand::Find ||
                entry->command == OperationCommand::Error)
                continue;
            ++acting;
            if (entry->state == kStateFailed) {
                ++failed;
                EXPECT_EQ(entry->lastError, acting == 1 && c.firstError ? c.firstError : c.error)
                    << commandName(entry->command) << " " << entry->source.path.str();
            }
        }
        EXPECT_EQ(acting - failed, c.succeeding);
        EXPECT_EQ(contents(base + "/outside"), (Files{{"a", "theirs"}, {"extra", "precious"}}));
        for (const auto& [dir, files] : c.after)
            EXPECT_EQ(contents(base + "/" + dir), files) << dir;
    }
}

TEST_F(PlanRunSwapTest, AMoveDeletesOnlyTheFileItCopied) {
    // Across file systems a move copies; an editor saves the source by renaming a new file over
    // it while the old one is being copied.
    for (const bool explorer : {false, true}) {
        SCOPED_TRACE(explorer ? "by the batch" : "directly");
        const std::string base = explorer ? "batch" : "direct";
        tmp.writeFile(base + "/src/notes", "OLD VERSION");
        tmp.makeDir(base + "/dst");
        JobSettings job =
            settings(TransferMode::Move, tmp / (base + "/src"), tmp / (base + "/dst"));
        job.explorerStyle = explorer;
        auto planned = plannedJob(job);
        fileSystem.renameError = EXDEV;
        fileSystem.copyFaults.afterChunk = [&](uint64_t) {
            tmp.writeFile(base + "/src/.notes.new", "NEW VERSION");
            fs::rename(tmp / (base + "/src/.notes.new"), tmp / (base + "/src/notes"));
        };
        EXPECT_EQ(run(*planned).errors, 1);
        EXPECT_EQ(planned->list().at(0)->lastError, kErrorSourceReplaced);
        EXPECT_EQ(tmp.readFile(base + "/src/notes"), "NEW VERSION");
        EXPECT_EQ(tmp.readFile(base + "/dst/notes"), "OLD VERSION");

        // Unchanged, the source goes once its copy is complete.
        fileSystem.copyFaults.afterChunk = nullptr;
        tmp.writeFile(base + "/src2/other", "other");
        auto again =
            plannedJob(settings(TransferMode::Move, tmp / (base + "/src2"), tmp / (base + "/dst")));
        EXPECT_EQ(run(*again).errors, 0);
        EXPECT_FALSE(fs::exists(tmp / (base + "/src2/other")));
        EXPECT_EQ(tmp.readFile(base + "/dst/other"), "other");
        fileSystem.renameError = 0;
    }
}

} // namespace
} // namespace ryk
