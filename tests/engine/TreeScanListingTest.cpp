#include "support/TreeScanFixture.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

using test::kBase;
using test::setWriteTime;
using test::TreeScanTest;

TEST_F(TreeScanTest, EachDirectoryIsListedOnceAndAMissingCounterpartNever) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.writeFile("src/top.txt");
    setWriteTime(tmp.writeFile("src/a/same.txt"), kBase);
    setWriteTime(tmp.writeFile("dst/a/same.txt"), kBase);
    tmp.writeFile("src/a/sub/f.txt");
    tmp.makeDir("dst/a/sub");
    tmp.writeFile("src/b/g.txt"); // dst/b is missing, and so everything below it
    tmp.writeFile("src/b/deeper/h.txt");
    tmp.makeDir("src/b/deeper/empty");
    EXPECT_EQ(plan(TransferMode::Update, "e", src, "*.*", dst),
              (std::vector<std::string>{
                  "Copy src/top.txt dst/top.txt", "Copy src/a/sub/f.txt dst/a/sub/f.txt",
                  "Mkdir dst/b", "Copy src/b/g.txt dst/b/g.txt", "Mkdir dst/b/deeper",
                  "Copy src/b/deeper/h.txt dst/b/deeper/h.txt", "Mkdir dst/b/deeper/empty"}));
    // The file pass and the directory pass share one listing of each side; what the parent's
    // listing shows missing is neither listed nor looked at.
    std::map<std::string, int> listed;
    for (const std::string& pattern : fileSystem.searched)
        ++listed[relative(pattern)];
    EXPECT_EQ(listed, (std::map<std::string, int>{{"src/*.*", 1},
                                                  {"src/a/*.*", 1},
                                                  {"src/a/sub/*.*", 1},
                                                  {"src/b/*.*", 1},
                                                  {"src/b/deeper/*.*", 1},
                                                  {"src/b/deeper/empty/*.*", 1},
                                                  {"dst/*.*", 1},
                                                  {"dst/a/*.*", 1},
                                                  {"dst/a/sub/*.*", 1}}));
    EXPECT_TRUE(fileSystem.statused.empty());

    // With -e0 the file pass is skipped; the listing still tells which directories exist.
    EXPECT_EQ(plan(TransferMode::Update, "E", src, "*.*", dst),
              (std::vector<std::string>{"Mkdir dst/b", "Mkdir dst/b/deeper",
                                        "Mkdir dst/b/deeper/empty"}));
    EXPECT_TRUE(fileSystem.statused.empty());
}

TEST_F(TreeScanTest, MkdirTakesTheSourceDirectoryPermissions) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.writeFile("src/private/f.txt");
    ASSERT_EQ(chmod((tmp / "src/private").c_str(), 0750), 0);
    tmp.writeFile("src/shared/f.txt");
    tmp.makeDir("dst/shared");
    plan(TransferMode::Update, "r", src, "*.*", dst);
    ASSERT_EQ(job->list().size(), 3u);
    const OperationEntry& mkdir = *job->list().at(0);
    EXPECT_EQ(mkdir.command, OperationCommand::Mkdir);
    EXPECT_EQ(mkdir.source.path.str(), dst + "/private");
    EXPECT_EQ(mkdir.source.permissions, 0750u);
}

TEST_F(TreeScanTest, ListingsThatDoNotTellTypesPlanTheSame) {
    // What a file system without entry types in its listings (d_type unknown) must plan alike:
    // files, directories, links to either, a FIFO, and counterparts of every kind.
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    setWriteTime(tmp.writeFile("src/old.txt"), kBase);
    setWriteTime(tmp.writeFile("dst/old.txt"), kBase);
    setWriteTime(tmp.writeFile("src/new.txt"), kBase + 5);
    setWriteTime(tmp.writeFile("dst/new.txt"), kBase);
    tmp.writeFile("src/d/inner.txt");
    tmp.makeDir("dst/d");
    tmp.writeFile("src/fileThere/x.txt");
    tmp.writeFile("dst/fileThere"); // a file where a directory belongs
    tmp.writeFile("src/linkThere/y.txt");
    tmp.makeDir("elsewhere");
    std::filesystem::create_directory_symlink(tmp / "elsewhere", tmp / "dst/linkThere");
    tmp.writeFile("src/dirThere");
    tmp.makeDir("dst/dirThere"); // a directory where a file belongs
    tmp.writeFile("src/missing/deep/z.txt");
    tmp.makeDir("src/missing/empty");
    std::filesystem::create_directory_symlink(tmp / "src/d", tmp / "src/dirLink");
    std::filesystem::create_symlink(tmp / "src/old.txt", tmp / "src/fileLink");
    ASSERT_EQ(mkfifo((tmp / "src/fifo").c_str(), 0600), 0);

    const struct {
        TransferMode mode;
        std::string letters;
        bool withDestination;
    } cases[] = {
        {TransferMode::Update, "e", true},  {TransferMode::Update, "E", true},
        {TransferMode::Move, "m", true},    {TransferMode::Search, "r", false},
        {TransferMode::Delete, "m", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.letters);
        const std::string destination = c.withDestination ? dst : std::string();
        fileSystem.entryTypes = EntryTypes::FromListing;
        const auto expected = plan(c.mode, c.letters, src, "*.*", destination);
        fileSystem.entryTypes = EntryTypes::Stat;
        EXPECT_EQ(plan(c.mode, c.letters, src, "*.*", destination), expected);
    }
    fileSystem.entryTypes = EntryTypes::Stat;
    EXPECT_EQ(
        plan(TransferMode::Update, "e", src, "*.*", dst),
        (std::vector<std::string>{
            "Copy src/dirLink dst/dirLink", // a link is an entry of its own
            "Copy src/dirThere dst/dirThere", "Error src/fifo", "Copy src/fileLink dst/fileLink",
            "Update src/new.txt dst/new.txt", "Copy src/d/inner.txt dst/d/inner.txt",
            "Error dst/fileThere", "Error dst/linkThere", "Mkdir dst/missing",
            "Mkdir dst/missing/deep", "Copy src/missing/deep/z.txt dst/missing/deep/z.txt",
            "Mkdir dst/missing/empty"}));
}

} // namespace
} // namespace ryk
