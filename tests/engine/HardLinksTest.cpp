#include "engine/TransferJob.h"
#include "support/EngineFixture.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {
namespace {

using test::EngineTest;

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

TEST_F(EngineTest, FurtherNamesOfOneFileBecomeLinksToItsFirstCopy) {
    // a1 and z are one file; a2 has one name. With several copiers a1 and a2 are copied
    // together, and z must wait for a1.
    const struct {
        const char* what;
        TransferMode mode;
        bool hardLinks;
        unsigned copiers;
        int linkError;
        bool linked;
    } cases[] = {
        {"update", TransferMode::Update, true, 1, 0, true},
        {"update, copies together", TransferMode::Update, true, 4, 0, true},
        {"sync, copies together", TransferMode::Sync, true, 4, 0, true},
        {"option off", TransferMode::Update, false, 4, 0, false},
        {"other file system", TransferMode::Update, true, 1, EXDEV, false},
        {"too many names", TransferMode::Sync, true, 4, EMLINK, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string src = tmp.makeDir(std::string("src-") + c.what);
        const std::string dst = tmp.makeDir(std::string("dst-") + c.what);
        tmp.writeFile(src.substr(tmp.path().size() + 1) + "/a1", "one");
        tmp.writeFile(src.substr(tmp.path().size() + 1) + "/a2", "two");
        ASSERT_EQ(link((src + "/a1").c_str(), (src + "/z").c_str()), 0);
        fileSystem.copiers = c.copiers;
        fileSystem.linkError = c.linkError;
        JobSettings stated = settings(c.mode, src + "/", dst + "/");
        stated.hardLinks = c.hardLinks;
        const auto job = plannedJob(stated);
        ASSERT_EQ(job->list().size(), 3u);
        // The plan shows the same lines; only the last one knows its first copy.
        EXPECT_EQ(job->list().at(0)->command, OperationCommand::Copy);
        EXPECT_EQ(job->list().at(2)->command, OperationCommand::Copy);
        EXPECT_TRUE(job->list().at(0)->hardLinkTo().empty());
        EXPECT_TRUE(job->list().at(1)->hardLinkTo().empty());
        EXPECT_EQ(job->list().at(2)->hardLinkTo().str(), c.hardLinks ? dst + "/a1" : std::string());

        EXPECT_EQ(run(*job).errors, 0);
        for (const auto& entry : job->list())
            EXPECT_EQ(entry->state, kStateDone);
        const struct stat first = statOf(dst + "/a1");
        const struct stat further = statOf(dst + "/z");
        EXPECT_EQ(first.st_ino == further.st_ino, c.linked);
        EXPECT_EQ(first.st_nlink, c.linked ? 2u : 1u);
        EXPECT_EQ(statOf(dst + "/a2").st_nlink, 1u);
        EXPECT_EQ(tmp.readFile(dst.substr(tmp.path().size() + 1) + "/z"), "one");
        EXPECT_EQ(further.st_mtim.tv_sec, statOf(src + "/z").st_mtim.tv_sec);
    }
}

TEST_F(EngineTest, AFurtherNameIsCopiedWhenItsTargetIsThereOrItsFirstCopyFailed) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.writeFile("src/a", "new");
    ASSERT_EQ(link((src + "/a").c_str(), (src + "/b").c_str()), 0);
    ASSERT_EQ(link((src + "/a").c_str(), (src + "/c").c_str()), 0);
    // b stands at the target already: a sync updates it in place, as without the option.
    tmp.writeFile("dst/b", "old");
    JobSettings stated = settings(TransferMode::Sync, src + "/", dst + "/");
    stated.hardLinks = true;
    auto job = plannedJob(stated);
    ASSERT_EQ(job->list().size(), 3u);
    EXPECT_TRUE(job->list().at(1)->hardLinkTo().empty());
    EXPECT_EQ(job->list().at(2)->hardLinkTo().str(), dst + "/a");
    // The first copy is left out of the run: c has nothing to link to and is copied.
    ASSERT_TRUE(job->list().removeAt(0));
    EXPECT_EQ(run(*job).errors, 0);
    EXPECT_EQ(tmp.readFile("dst/b"), "new");
    EXPECT_EQ(tmp.readFile("dst/c"), "new");
    EXPECT_EQ(statOf(dst + "/c").st_nlink, 1u);
}

} // namespace
} // namespace ryk
