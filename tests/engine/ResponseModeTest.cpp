#include "engine/ListText.h"
#include "engine/ResponsePlanner.h"
#include "engine/TransferJob.h"
#include "platform/ErrorCodes.h"
#include "platform/TextCodec.h"
#include "support/EngineFixture.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {
namespace {

TEST(ResponseFields, KeywordsAndFields) {
    const char* const words[] = {"Copy", "Up&Move", ""};
    EXPECT_EQ(ResponsePlanner::FindKeyword("copy", words, 1), 0);
    EXPECT_EQ(ResponsePlanner::FindKeyword("copy", words, 0), -1);
    EXPECT_EQ(ResponsePlanner::FindKeyword("UP&MOVE", words, 1), 1);
    EXPECT_EQ(ResponsePlanner::FindKeyword("Copy", words, 2), -1);
    EXPECT_EQ(ResponsePlanner::FindKeyword("", words, 1), -1);

    struct Case {
        std::string text;
        int n;
        bool found;
        std::string field;
    };
    const Case cases[] = {
        {"a b c", 1, true, "a"},
        {"a b c", 3, true, "c"},
        {"a b c", 4, false, ""},
        {"  \t a\r", 1, true, "a"},
        {"a\r", 2, false, ""}, // the carriage return of a CRLF line is white space
        {"\"my dir/x\" y", 1, true, "my dir/x"},
        {"\"my dir/x\" y", 2, true, "y"},
        {"\"open to the end", 1, true, "open to the end"},
        {"\"open to the end", 2, false, ""},
        {"a,b c", 1, true, "a,b"},
        {"", 1, false, ""},
    };
    for (const Case& c : cases) {
        std::string out = "stale";
        EXPECT_EQ(ResponsePlanner::GetField(c.text, c.n, out), c.found) << c.text << " #" << c.n;
        EXPECT_EQ(out, c.field) << c.text << " #" << c.n;
    }
}

class ResponseModeTest : public test::EngineTest {
protected:
    void SetUp() override {
        src = tmp.makeDir("src");
        dst = tmp.makeDir("dst");
        tmp.writeFile("src/a.txt", "a");
        tmp.writeFile("src/b.c", "b");
        tmp.writeFile("src/c.h", "c");
        tmp.writeFile("src/keep.bak", "k");
        tmp.writeFile("src/x.bak", "x");
        tmp.writeFile("src/sub/deep.txt", "d");
        tmp.makeDir("old");
        tmp.writeFile("My Files/q.c", "q");
    }

    /// Plans a response file with the given text; the lines with the temp dir cut away.
    std::vector<std::string> plan(const std::string& bytes) {
        return planFile(tmp.writeFile("job.rsp", bytes));
    }
    std::vector<std::string> planFile(const std::string& file) {
        JobSettings response;
        response.mode = TransferMode::Response;
        response.sourcePatterns = file;
        job = plannedJob(response);
        EXPECT_EQ(job->shownMode(), TransferMode::Response);
        EXPECT_FALSE(job->summaryVolume().has_value());
        return lines(*job);
    }

    std::string src, dst;
    std::unique_ptr<TransferJob> job;
};

TEST_F(ResponseModeTest, EachKeywordPlansItsLine) {
    const std::string t = tmp.path() + "/";
    const std::string text = "Copy " + t + "src/*.txt " + t + "dst/\n" + "copy,\"" + t +
                             "My Files/*.c;*.h\" " + t + "dst/\n" + "Delete " + t +
                             "src/*.bak keep.*\n" + "Find " + t + "src/*.c\n" + "Mkdir " + t +
                             "new\n" + "Mkdir " + t + "old\n" +                // exists: nothing
                             "Rmdir " + t + "old\n" + "Rmdir " + t + "gone\n"; // missing: nothing
    EXPECT_EQ(plan(text), (std::vector<std::string>{
                              "Copy \"src/a.txt\" \"dst/a.txt\"", // no subdirectories
                              "Copy \"My Files/q.c\" \"dst/q.c\"",
                              "Delete \"src/x.bak\" ",
                              "Find \"src/b.c\" ",
                              "Mkdir \"new\" ",
                              "Rmdir \"old\" ",
                          }));
}

TEST_F(ResponseModeTest, RootIsNeverDeletedOrMovedFrom) {
    // Planned only: each must become an Error line before any scan of "/" begins.
    const std::vector<std::string> lines = {"Delete /", "Delete //*.*", "Move /.. " + dst + "/"};
    for (const std::string& line : lines) {
        EXPECT_EQ(plan(line + "\n").size(), 1u) << line;
        ASSERT_EQ(job->list().size(), 1u);
        EXPECT_EQ(job->list().at(0)->command, OperationCommand::Error) << line;
        EXPECT_EQ(job->list().at(0)->lastError, kErrorRootRefused) << line;
    }
}

TEST_F(ResponseModeTest, LinesNeverWriteOneTargetTwice) {
    const std::string t = tmp.path() + "/";
    std::filesystem::create_directory_symlink(t + "dst", t + "link");
    // The same target named another way, renamed onto, or made twice.
    const auto planned =
        plan("Copy " + t + "src/a.txt " + t + "dst/\n" + "Copy " + t + "src/a.txt " + t +
             "link/./\n" + "Update " + t + "src/b.c " + t + "dst/a.txt\n" + "Copy " + t +
             "src/c.h " + t + "dst/\n" + "Mkdir " + t + "new\n" + "Mkdir " + t + "new/\n");
    EXPECT_EQ(planned, (std::vector<std::string>{
                           "Copy \"src/a.txt\" \"dst/a.txt\"",
                           "Error \"src/a.txt\" \"link/./a.txt\"",
                           "Error \"src/b.c\" \"dst/a.txt\"",
                           "Copy \"src/c.h\" \"dst/c.h\"",
                           "Mkdir \"new\" ",
                           "Error \"new/\" ",
                       }));
    EXPECT_EQ(job->list().at(1)->lastError, kErrorDuplicateTarget);
    EXPECT_TRUE(job->list().at(1)->targetIsAtFault()) << "another line writes its target";
    EXPECT_FALSE(job->list().at(5)->targetIsAtFault()) << "a Mkdir has one path";
}

TEST_F(ResponseModeTest, CommentsQuotesAndCarriedModes) {
    const std::string t = tmp.path() + "/";
    // Unquoted, the ';' starts a comment: only *.c is left and the destination is lost.
    EXPECT_EQ(plan("Find " + t + "src/*.c;*.h\r\n"),
              (std::vector<std::string>{"Find \"src/b.c\" "}));
    // An Error line plans nothing, whatever line came before it.
    EXPECT_EQ(plan("Error " + t + "src/*.txt\nFind " + t + "src/*.c\nError " + t + "src/*.h\n"),
              (std::vector<std::string>{"Find \"src/b.c\" "}));
    // No separator, blank, comment-only and leading-blank lines plan nothing on their own.
    EXPECT_EQ(plan("Copy\n\n; just a comment\n   " + t + "src/*.c\n"), std::vector<std::string>{});
}

TEST_F(ResponseModeTest, Cp932AndUtf8FilesGiveTheSamePlan) {
    tmp.writeFile("src/日本語.txt", "j");
    const std::string line = "Find " + tmp.path() + "/src/日本*.txt\r\n";
    std::string cp932;
    ASSERT_TRUE(encodeCp932(line, cp932));
    ASSERT_NE(cp932, line);
    const auto fromUtf8 = plan(line);
    EXPECT_EQ(fromUtf8, (std::vector<std::string>{"Find \"src/日本語.txt\" "}));
    EXPECT_EQ(plan(cp932), fromUtf8);
    EXPECT_EQ(plan("\xEF\xBB\xBF" + line), fromUtf8);  // with a BOM
    EXPECT_EQ(plan("\xEF\xBB\xBF" + cp932), fromUtf8); // a BOM before bytes that are no UTF-8
}

TEST_F(ResponseModeTest, BadInputGivesErrorLinesAndTheOtherLinesStillPlan) {
    const std::string t = tmp.path() + "/";
    const std::string good = "Find " + t + "src/*.c\n";
    const auto lines = plan(std::string("Find \"") + t + "src/*.c\n" + // quote never closed
                            "Copy " + t + "nowhere/*.* " + t + "dst/\n" + "Copy " + t + "src/*.c " +
                            t + "nodst/\n" + std::string("Find x\0y z\n", 11) + "Find " +
                            std::string(70000, 'a') + "\n" + good);
    ASSERT_EQ(lines.size(), 6u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(lines[i].substr(0, 6), "Error ") << lines[i];
    EXPECT_EQ(lines[1], "Error \"nowhere/\" ");
    EXPECT_EQ(lines[2], "Error \"nodst/\" ");
    EXPECT_EQ(lines[5], "Find \"src/b.c\" ");
    EXPECT_TRUE(messages.shown.empty());

    EXPECT_TRUE(plan("").empty());
    EXPECT_TRUE(plan(std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)).empty());
}

TEST_F(ResponseModeTest, MisspeltKeywordIsAnErrorLineAndCarriesNoMode) {
    const std::string t = tmp.path() + "/";
    const std::string del = "Delete " + t + "src/*.bak keep.*\n";
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {del + "Delte " + t + "src/*.c ; typo\r\n",
         {"Delete \"src/x.bak\" ", "Error \"Delte src/*.c\" "}},
        // Lines continuing a misspelt one were meant for it, not for the Delete before.
        {del + "Cpoy " + t + "src/*.c " + t + "dst/\n  " + t + "src/*.h " + t + "dst/\n",
         {"Delete \"src/x.bak\" ", "Error \"Cpoy src/*.c dst/\" "}},
        {"Kopy,x\n", {"Error \"Kopy,x\" "}},
        // Lines that begin with a separator still plan in the mode before them; those that
        // continue an Error line do not.
        {"Find " + t + "src/*.c\n\t" + t + "src/*.txt\n," + t + "src/*.bak\nerror " + t +
             "src/*.h\n " + t + "src/*.h\n",
         {"Find \"src/b.c\" ", "Find \"src/a.txt\" ", "Find \"src/keep.bak\" ",
          "Find \"src/x.bak\" "}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plan(c.text), c.lines) << c.text;
        for (const auto& entry : job->list())
            EXPECT_EQ(entry->lastError,
                      entry->command == OperationCommand::Error ? uint32_t{EINVAL} : 0u);
    }
}

TEST_F(ResponseModeTest, OverLongLinesAreRefusedWholeAndTheFileStaysOneEncoding) {
    const std::string t = tmp.path() + "/";
    tmp.writeFile("src/日本語.txt", "j");
    std::string longJapanese = "Find x";
    for (int i = 0; i < 30000; ++i)
        longJapanese += "日";
    const auto lines = plan("Find " + t + "src/日本*.txt\n" +
                            // The head alone would delete keep.bak as well.
                            "Delete " + t + "src/*.bak" + std::string(70000, ' ') + "keep.*\n" +
                            // Complete before its comment: planned.
                            "Find " + t + "src/*.c ;" + std::string(70000, '-') + "\n" +
                            // Cut inside a character, which must not make the file CP932.
                            longJapanese + "\n");
    std::string shownJapanese = "Find x";
    for (int i = 0; i < 64; ++i) // the shown start ends before a cut character
        shownJapanese += "日";
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Find \"src/日本語.txt\" ");
    EXPECT_EQ(lines[1].substr(0, 24), "Error \"Delete src/*.bak ");
    EXPECT_EQ(lines[2], "Find \"src/b.c\" ");
    EXPECT_EQ(lines[3], "Error \"" + shownJapanese + "\" ");

    // Bytes that are no UTF-8 decide the whole file even where they lie in the unread part of
    // a long line: the first line is then CP932 too, although it reads as UTF-8 as well.
    const std::string ambiguous = "\xE3\x81\x82\xE3\x81\x84";
    const std::string asCp932 = decodeCp932(ambiguous);
    ASSERT_NE(asCp932, ambiguous);
    ASSERT_EQ(asCp932.find("\xEF\xBF\xBD"), std::string::npos);
    tmp.writeFile("src/" + asCp932 + ".txt", "c");
    EXPECT_EQ(plan("Find " + t + "src/" + ambiguous + "*.txt\nFind " + std::string(70000, 'a') +
                   "\x82\xA0\n"),
              (std::vector<std::string>{"Find \"src/" + asCp932 + ".txt\" ",
                                        "Error \"Find " + std::string(195, 'a') + "\" "}));
}

TEST_F(ResponseModeTest, LinesPastSixtyFourMiBArePlannedWhole) {
    // A sparse file: one line of NUL bytes (far over the line limit, so an Error line) carries
    // the last line across the 64 MiB mark, where a Delete line once lost its exclusion.
    const std::string t = tmp.path() + "/";
    const std::string head = "\nDelete " + t + "src/*.bak ";
    const std::string tail = head + "keep.*\n";
    const std::string file = tmp.writeFile("big.rsp", "Find " + t + "src/*.c\n");
    const int fd = open(file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    const off_t at = (off_t{64} << 20) - static_cast<off_t>(head.size());
    ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), at), static_cast<ssize_t>(tail.size()));
    close(fd);
    EXPECT_EQ(planFile(file), (std::vector<std::string>{
                                  "Find \"src/b.c\" ",
                                  "Error \"" + std::string(200, ' ') + "\" ",
                                  "Delete \"src/x.bak\" ",
                              }));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ResponseModeTest, ReadFailureLeavesAnErrorLineNamingTheFile) {
    const std::string t = tmp.path() + "/";
    const std::string text = "Find " + t + "src/*.c\nFind " + t + "src/*.h\n";
    const std::string fileError = "Error \"job.rsp\" ";
    const struct {
        const char* name;
        test::LineFaults faults;
        int error;
        std::vector<std::string> lines;
    } cases[] = {
        // While the encoding is judged: nothing is planned from a file not read through.
        {"first reading", {EIO, 0, 1, 0}, EIO, {fileError}},
        {"going back", {0, 0, 0, ESPIPE}, ESPIPE, {fileError}},
        // While planning: the lines before stay, the Error line says the rest is missing.
        {"second reading", {EIO, 1, 1, 0}, EIO, {"Find \"src/b.c\" ", fileError}},
    };
    for (const auto& c : cases) {
        fileSystem.lineFaults = c.faults;
        EXPECT_EQ(plan(text), c.lines) << c.name;
        ASSERT_FALSE(job->list().empty());
        EXPECT_EQ(job->list().at(job->list().size() - 1)->lastError, c.error) << c.name;
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ResponseModeTest, CopiedListPlansTheSameNames) {
    // Each name holds something the line must escape; the ';' of the directory would start a
    // comment if a quote within the name ended the quoted path.
    const std::string directory = tmp.makeDir("q\"u;o");
    for (const std::string name : {"quo\"te", "back\\slash", "new\nline\t\x01", "end\\"})
        tmp.writeFile("q\"u;o/" + name, "n");
    JobSettings search;
    search.mode = TransferMode::Search;
    search.sourceDirectory = directory;
    search.sourcePatterns = "*.*";
    const auto found = plannedJob(search);
    ASSERT_EQ(found->list().size(), 4u);
    EXPECT_EQ(plan(clipboardText(found->list(), "\r\n")), lines(*found));
}

TEST_F(ResponseModeTest, ReplayedPlanNeverActsOnErrorLinesNorThroughLinks) {
    tmp.writeFile("outside/secret", "s");
    ASSERT_EQ(symlink("../outside", (dst + "/sub").c_str()), 0);
    // Relative paths lie beneath the current directory, as a copied list of a relative job.
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(tmp.path().c_str()), 0);
    const std::string linkError = "Error \"dst/sub\" ";
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        // The link refused at planning, copied out and fed back after the line before it.
        {"Move \"src/x.bak\" \"dst/x.bak\" \r\nError \"dst/sub\" \r\n",
         {"Move \"src/x.bak\" \"dst/x.bak\""}},
        {"Find src/*.c\nError dst/sub\n  dst/sub\n", {"Find \"src/b.c\" "}},
        // A link named last is the entry it is; named as a directory, it is refused.
        {"Delete \"dst/sub\" \n", {"Delete \"dst/sub\" "}},
        {"Move \"dst/sub/\" \".\"\n", {linkError}},
        {"Copy \"src/a.txt\" \"dst/sub/\"\n", {linkError}},
        // A link on the way to the named directory.
        {"Move \"dst/sub/secret\" \"./secret\"\n", {"Error \"dst/sub/secret\" "}},
        {"Find ./dst/sub/*.*\n", {"Error \"./dst/sub/*.*\" "}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(plan(c.text), c.lines) << c.text;
        for (const auto& entry : job->list()) {
            if (entry->command == OperationCommand::Error) {
                EXPECT_EQ(entry->lastError, uint32_t{kErrorLinkInTree}) << c.text;
            }
        }
    }
    ASSERT_EQ(chdir(previous), 0);
}

TEST_F(ResponseModeTest, FileThatCannotBeOpenedSaysSo) {
    const std::string fifo = tmp / "fifo.rsp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& file : {tmp / "missing.rsp", tmp.path(), fifo}) {
        messages.shown.clear();
        EXPECT_TRUE(planFile(file).empty()) << file;
        ASSERT_EQ(messages.shown.size(), 1u) << file;
        EXPECT_EQ(messages.shown[0].text, "レスポンスファイルを開けません");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Stop);
    }
}

} // namespace
} // namespace ryk
