#include "support/TreeScanFixture.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

using test::kBase;
using test::setWriteTime;
using test::TreeScanTest;

TEST_F(TreeScanTest, UpdateRuleTable) {
    // Four sources against the destination: missing, same second, one second newer, older.
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    setWriteTime(tmp.writeFile("src/missing.txt"), kBase + 10);
    setWriteTime(tmp.writeFile("src/same.txt"), kBase + 10, 900000000);
    setWriteTime(tmp.writeFile("dst/same.txt"), kBase + 10, 100000000);
    setWriteTime(tmp.writeFile("src/newer.txt"), kBase + 11);
    setWriteTime(tmp.writeFile("dst/newer.txt"), kBase + 10);
    setWriteTime(tmp.writeFile("src/older.txt"), kBase - 10);
    setWriteTime(tmp.writeFile("dst/older.txt"), kBase + 10);

    struct Case {
        std::string letters;
        std::vector<std::string> commands; // for missing, newer, older, same (sorted order)
    };
    // Names sort as missing, newer, older, same.
    const Case cases[] = {
        {"", {"Copy src/missing.txt dst/missing.txt", "Update src/newer.txt dst/newer.txt"}},
        {"0", {"Copy src/missing.txt dst/missing.txt"}},
        {"u", {"Update src/newer.txt dst/newer.txt"}},
        {"x",
         {"Copy src/missing.txt dst/missing.txt", "Update src/newer.txt dst/newer.txt",
          "Update src/older.txt dst/older.txt", "Update src/same.txt dst/same.txt"}},
        // After-date: sources at or after it take part whatever the target's date.
        {"a",
         {"Copy src/missing.txt dst/missing.txt", "Update src/newer.txt dst/newer.txt",
          "Update src/same.txt dst/same.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + c.letters);
        EXPECT_EQ(plan(TransferMode::Update, c.letters, src, "*.*", dst), c.commands);
    }
    // Move mode plans the same lines as moves.
    EXPECT_EQ(plan(TransferMode::Move, "", src, "*.*", dst),
              (std::vector<std::string>{"Move src/missing.txt dst/missing.txt",
                                        "Up&Move src/newer.txt dst/newer.txt"}));
    // The after-date keeps a file written exactly at it and drops one a second older.
    afterDate = DateTime::fromFileTime({kBase + 11, 0});
    EXPECT_EQ(plan(TransferMode::Update, "a", src, "*.*", dst),
              (std::vector<std::string>{"Update src/newer.txt dst/newer.txt"}));
}

TEST_F(TreeScanTest, TheRepeatedHourOfAutumnDoesNotHideANewerFile) {
    test::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    // 02:30 on 2024-10-27 happens twice: first in summer time, an hour later in winter time.
    setWriteTime(tmp.writeFile("src/f.txt", "new"), 1729992600);
    setWriteTime(tmp.writeFile("dst/f.txt", "old"), 1729989000);
    EXPECT_EQ(plan(TransferMode::Update, "", src, "*.*", dst),
              (std::vector<std::string>{"Update src/f.txt dst/f.txt"}));
}

TEST_F(TreeScanTest, PatternsExclusionsAndDestinationNames) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.writeFile("src/a.c");
    tmp.writeFile("src/b.h");
    tmp.writeFile("src/skip.c");
    tmp.writeFile("src/sub/c.c");
    tmp.makeDir("dst/sub");
    EXPECT_EQ(plan(TransferMode::Update, "r", src, "*.c;*.h", dst, "*.bak", "skip*.*"),
              (std::vector<std::string>{"Copy src/a.c dst/a.bak", "Copy src/b.h dst/b.bak",
                                        "Copy src/sub/c.c dst/sub/c.bak"}));
    // A destination name that is a directory: the file takes part with no target facts.
    tmp.makeDir("dst/a.c");
    plan(TransferMode::Update, "", src, "a.c", dst);
    ASSERT_EQ(job->list().size(), 1u);
    EXPECT_EQ(job->list().at(0)->command, OperationCommand::Copy);
    EXPECT_TRUE(job->list().at(0)->target().foundPath().empty());
    EXPECT_EQ(job->list().at(0)->targetPath(), dst + "/a.c");
}

TEST_F(TreeScanTest, SeveralFilesNeverLandOnOneName) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.writeFile("src/a.doc", "a.doc");
    tmp.writeFile("src/a.txt", "a.txt");
    tmp.writeFile("src/B.txt", "B");
    tmp.writeFile("src/b.txt", "b");
    tmp.writeFile("src/d/a.txt", "d/a");
    const struct {
        TransferMode mode;
        std::string letters, destinationPattern;
        std::vector<std::string> lines;
    } cases[] = {
        // Only the first line writes the name; the others are Error lines and stay where they
        // are (so their directory is not removed either).
        {TransferMode::Move,
         "",
         "notes",
         {"Move src/a.doc dst/notes", "Error src/a.txt dst/notes", "Error src/B.txt dst/notes",
          "Error src/b.txt dst/notes"}},
        // Names that differ in case are other files; one name in two directories is two.
        {TransferMode::Update,
         "r",
         "*.bak",
         {"Copy src/a.doc dst/a.bak", "Error src/a.txt dst/a.bak", "Copy src/B.txt dst/B.bak",
          "Copy src/b.txt dst/b.bak", "Mkdir dst/d", "Copy src/d/a.txt dst/d/a.bak"}},
        // A file renamed onto a subdirectory's name: the directory is left out.
        {TransferMode::Update,
         "r",
         "d",
         {"Copy src/a.doc dst/d", "Error src/a.txt dst/d", "Error src/B.txt dst/d",
          "Error src/b.txt dst/d", "Error dst/d"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.destinationPattern);
        EXPECT_EQ(plan(c.mode, c.letters, src, "*.*", dst, c.destinationPattern), c.lines);
    }
    EXPECT_EQ(job->list().at(1)->lastError, kErrorDuplicateTarget);
    EXPECT_EQ(job->list().at(4)->lastError, kErrorDuplicateTarget);
    // The line's problem is its target, which another line writes; the directory's its own.
    EXPECT_TRUE(job->list().at(1)->targetIsAtFault());
    EXPECT_FALSE(job->list().at(4)->targetIsAtFault());

    plan(TransferMode::Move, "", src, "*.*", dst, "notes");
    // The three Error lines count as errors of the run; no line failed.
    EXPECT_EQ(run(*job).errors, 3);
    EXPECT_EQ(tmp.readFile("dst/notes"), "a.doc");
    EXPECT_EQ(tmp.readFile("src/b.txt"), "b");
}

TEST_F(TreeScanTest, DirectoryLinesPerRecursionOption) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.makeDir("src/empty");
    tmp.writeFile("src/full/f.txt");
    tmp.makeDir("src/full/deeper");
    EXPECT_EQ(plan(TransferMode::Update, "r", src, "*.*", dst),
              (std::vector<std::string>{"Mkdir dst/full", "Copy src/full/f.txt dst/full/f.txt"}));
    EXPECT_EQ(
        plan(TransferMode::Update, "e", src, "*.*", dst),
        (std::vector<std::string>{"Mkdir dst/empty", "Mkdir dst/full",
                                  "Copy src/full/f.txt dst/full/f.txt", "Mkdir dst/full/deeper"}));
    EXPECT_EQ(
        plan(TransferMode::Update, "E", src, "*.*", dst),
        (std::vector<std::string>{"Mkdir dst/empty", "Mkdir dst/full", "Mkdir dst/full/deeper"}));
    // Search and Delete modes plan no directory lines without -rm.
    EXPECT_EQ(plan(TransferMode::Search, "r", src, "*.*"),
              (std::vector<std::string>{"Find src/full/f.txt"}));
}

TEST_F(TreeScanTest, RemovedSourceDirectoriesComeAfterTheirContents) {
    const std::string src = tmp.makeDir("src");
    tmp.writeFile("src/a/x.bak");
    tmp.writeFile("src/a/b/y.bak");
    tmp.writeFile("src/k/keep.txt");
    tmp.writeFile("src/k/z.bak");
    EXPECT_EQ(plan(TransferMode::Delete, "m", src, "*.bak"),
              (std::vector<std::string>{"Delete src/a/x.bak", "Delete src/a/b/y.bak",
                                        "Rmdir src/a/b", "Rmdir src/a", "Delete src/k/z.bak"}));
    // An excluded file keeps its directory and every parent.
    EXPECT_EQ(plan(TransferMode::Delete, "m", src, "*.bak", {}, {}, "y.*"),
              (std::vector<std::string>{"Delete src/a/x.bak", "Delete src/k/z.bak"}));
}

TEST_F(TreeScanTest, MoveWithRemovalKeepsDirectoriesOfSkippedFiles) {
    const std::string src = tmp.makeDir("src");
    const std::string dst = tmp.makeDir("dst");
    tmp.makeDir("src/n1/n2"); // two nested directories without files
    setWriteTime(tmp.writeFile("src/d/up.txt"), kBase);
    setWriteTime(tmp.writeFile("dst/d/up.txt"), kBase); // up to date: not moved
    EXPECT_EQ(plan(TransferMode::Move, "m", src, "*.*", dst),
              (std::vector<std::string>{"Rmdir src/n1/n2", "Rmdir src/n1"}));
}

TEST_F(TreeScanTest, MissingDestinationIsRefusedOrPlanned) {
    const std::string src = tmp.makeDir("src");
    tmp.writeFile("src/f.txt");
    const std::string dst = tmp / "new/deep/dst";
    EXPECT_EQ(plan(TransferMode::Update, "", src, "*.*", dst),
              (std::vector<std::string>{"refused"}));
    EXPECT_EQ(job->focusField(), JobField::DestinationDirectory);
    const std::string missing = "\nNo such file or directory";
    EXPECT_EQ(messages.texts(), std::vector<std::string>{"エラーが発生:Code=2\n" + dst + missing});

    // Made when asked to, the same whether the last name came as a directory (the main window's
    // box) or as a name pattern (a command-line argument split where nothing stands yet).
    for (const auto& [directory, pattern] :
         {std::pair{dst, std::string()}, std::pair{tmp / "new/deep/", std::string("dst")}}) {
        SCOPED_TRACE(directory + " + " + pattern);
        EXPECT_EQ(plan(TransferMode::Update, "c", src, "*.*", directory, pattern),
                  (std::vector<std::string>{"Mkdir new", "Mkdir new/deep", "Mkdir new/deep/dst",
                                            "Copy src/f.txt new/deep/dst/f.txt"}));
        EXPECT_EQ(job->focusField(), JobField::SourceDirectory);
    }
    // An existing directory and a name that names nothing yet: a directory to make, never
    // the one name of every copy; an existing file stays the name to write.
    tmp.writeFile("dst/notes.txt");
    EXPECT_EQ(plan(TransferMode::Update, "c", src, "*.*", tmp / "dst/", "notes"),
              (std::vector<std::string>{"Mkdir dst/notes", "Copy src/f.txt dst/notes/f.txt"}));
    EXPECT_EQ(plan(TransferMode::Update, "cx", src, "*.*", tmp / "dst/", "notes.txt"),
              (std::vector<std::string>{"Update src/f.txt dst/notes.txt"}));

    messages.shown.clear();
    EXPECT_EQ(plan(TransferMode::Update, "", tmp / "nosource", "*.*", dst),
              (std::vector<std::string>{"refused"}));
    EXPECT_EQ(job->focusField(), JobField::SourceDirectory);
    EXPECT_EQ(messages.texts(),
              std::vector<std::string>{"エラーが発生:Code=2\n" + tmp / "nosource" + missing});
}

TEST_F(TreeScanTest, AbortKeyDiscardsThePlan) {
    const std::string src = tmp.makeDir("src");
    for (int i = 0; i < 20; ++i)
        tmp.writeFile("src/d" + std::to_string(i % 4) + "/f" + std::to_string(i));
    keys.quietPolls = 7;
    keys.events = {AbortKeyEvent::ControlDown};
    EXPECT_EQ(plan(TransferMode::Search, "r", src, "*.*"), (std::vector<std::string>{"abandoned"}));
    EXPECT_TRUE(messages.shown.empty());

    keys.quietPolls = 3;
    keys.events = {AbortKeyEvent::EscapeReleased};
    messages.answers = {MessageAnswer::No}; // Escape, then "go on"
    EXPECT_EQ(plan(TransferMode::Search, "r", src, "*.*").size(), 20u);
}

TEST_F(TreeScanTest, LinksAreNeverFollowedIntoDirectories) {
    const std::string src = tmp.makeDir("src");
    tmp.writeFile("outside/secret.txt");
    tmp.writeFile("src/real.txt");
    std::filesystem::create_directory_symlink(tmp / "outside", tmp / "src/link");
    std::filesystem::create_directory_symlink(tmp / "src", tmp / "src/loop");
    const auto lines = plan(TransferMode::Search, "r", src, "*.*");
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("secret"), std::string::npos) << line;
    EXPECT_LE(lines.size(), 3u);
}

TEST_F(TreeScanTest, EmptyTextsTakeDefaults) {
    tmp.writeFile("here/x.txt");
    const std::string old = std::filesystem::current_path();
    std::filesystem::current_path(tmp / "here");
    const auto lines = plan(TransferMode::Search, "", "", ".");
    std::filesystem::current_path(old);
    EXPECT_EQ(lines, (std::vector<std::string>{"Find ./x.txt"}));
    EXPECT_EQ(job->job().sourcePatterns, "*.*");
}

TEST_F(TreeScanTest, UnreadableSubdirectoryIsReportedAndKeepsItsParents) {
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    const std::string src = tmp.makeDir("src");
    tmp.writeFile("src/p/closed/x.bak");
    tmp.writeFile("src/p/y.bak");
    ASSERT_EQ(chmod((tmp / "src/p/closed").c_str(), 0), 0);
    const auto lines = plan(TransferMode::Delete, "m", src, "*.*");
    chmod((tmp / "src/p/closed").c_str(), 0755);
    EXPECT_EQ(lines, (std::vector<std::string>{"Delete src/p/y.bak"}));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("closed/*.*"), std::string::npos);
}

} // namespace
} // namespace ryk
