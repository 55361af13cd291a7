#include "engine/ListText.h"

#include "engine/TransferJob.h"
#include "support/EngineFixture.h"
#include "support/Entries.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

using test::newEntry;

TEST(ListText, ClipboardLinesQuoteEveryPath) {
    OperationList list;
    list.append(newEntry(OperationCommand::Copy, "/s/a b.txt", 1, "/d/a b.txt"));
    list.append(newEntry(OperationCommand::Delete, "/s/x", 1));
    list.append(newEntry(OperationCommand::Error, "/s/err", 1));
    list.append(newEntry(OperationCommand::UpAndMove, "/s/日本語", 1, "/d/日本語"));
    EXPECT_EQ(clipboardText(list, "\r\n"),
              "Copy \"/s/a b.txt\" \"/d/a b.txt\"\r\n"
              "Delete \"/s/x\" \r\n" // no target: a space before the line end
              "Error \"/s/err\" \r\n"
              "Up&Move \"/s/日本語\" \"/d/日本語\"\r\n");
    EXPECT_EQ(clipboardText(OperationList(), "\r\n"), "");
}

TEST(ListText, TotalsCountWhatEachCommandMoves) {
    OperationList list;
    list.append(newEntry(OperationCommand::Copy, "a", 100));
    list.append(newEntry(OperationCommand::Update, "b", 10, "b", 50)); // shrinks: need goes down
    list.append(newEntry(OperationCommand::Delete, "c", 7));
    list.append(newEntry(OperationCommand::Mkdir, "d", 0));
    list.append(newEntry(OperationCommand::Error, "e", 1000));
    PlanTotals totals = computeTotals(list);
    EXPECT_EQ(totals.totalBytes, 117u);
    EXPECT_EQ(totals.neededBytes, 60);
    totals.remove(*list.at(1));
    EXPECT_EQ(totals.totalBytes, 107u);
    EXPECT_EQ(totals.neededBytes, 100);
}

TEST(ListText, SummaryFormsPerMode) {
    test::EngineWorld world;
    const test::TempDir& tmp = world.tmp;
    tmp.writeFile("src/a.txt", "12345");
    tmp.makeDir("dst");

    const auto job =
        world.plannedJob(world.settings(TransferMode::Update, tmp / "src", tmp / "dst"));
    PlanTotals totals = computeTotals(job->list());
    const std::string update = summaryText(*job, totals);
    const std::string head = "[OK.]cmd=1, need=5 bytes. dest=";
    const std::string tail = " (all=5 bytes.)";
    EXPECT_EQ(update.substr(0, head.size()), head) << update;
    EXPECT_EQ(update.substr(update.size() - tail.size()), tail) << update;
    EXPECT_NE(update.find('/'), std::string::npos) << update;
    totals.neededBytes = INT64_MAX; // more than any disk holds
    EXPECT_EQ(summaryText(*job, totals).substr(0, 5), "[NG?]");

    const auto search = world.plannedJob(world.settings(TransferMode::Search, tmp / "src"));
    const std::string text = summaryText(*search, computeTotals(search->list()));
    const std::string found = "cmd=1 (all=5 bytes.)src=";
    EXPECT_EQ(text.substr(0, found.size()), found) << text;

    EXPECT_EQ(runProgressText(3, 10, 1), "3 / 10 (Error=1) 中止はESCキーを押してください...");
    EXPECT_EQ(runFinishedText(0), "完了しました.(Error=0)");
}

TEST(ListText, StoppedRunCountsThePendingLinesThatWouldAct) {
    OperationList list;
    list.append(newEntry(OperationCommand::Copy, "done", 1)).state = kStateDone;
    list.append(newEntry(OperationCommand::Delete, "failed", 1)).state = kStateFailed;
    list.append(newEntry(OperationCommand::Copy, "a", 1));
    list.append(newEntry(OperationCommand::Mkdir, "b", 0));
    list.append(newEntry(OperationCommand::Rmdir, "c", 0));
    // Pending for ever: a run has nothing to do for them.
    list.append(newEntry(OperationCommand::Find, "f", 1));
    list.append(newEntry(OperationCommand::Error, "e", 1));
    EXPECT_EQ(pendingActionCount(list), 3u);
    EXPECT_EQ(pendingActionCount(OperationList()), 0u);
    EXPECT_EQ(runStoppedText(1, 3), "中断しました.(Error=1, 未実行=3)");
}

TEST(ListText, ControlBytesAreEscapedUnambiguously) {
    const struct {
        std::string text;
        std::string escaped;
    } cases[] = {
        {"plain name.txt", "plain name.txt"},
        {"a\nb", "a\\nb"},
        {"\t\r", "\\t\\r"},
        {std::string("nul\0byte", 8), "nul\\x00byte"},
        {"\x01\x1b\x1f\x7f", "\\x01\\x1b\\x1f\\x7f"},
        // The backslash doubles, so an escaped name never reads as another name.
        {"a\\nb", "a\\\\nb"},
        {"\\", "\\\\"},
        // A double quote is escaped too, so a quoted name ends only at its closing quote.
        {"quo\"te", "quo\\\"te"},
        {"01234567\"", "01234567\\\""},
        // Bytes from 0x20 up, UTF-8 or not, stay as they are.
        {" ~\x80\xff\xfe日本語", " ~\x80\xff\xfe日本語"},
        {"", ""},
        // Long runs are read eight bytes at a time: a byte to escape anywhere in one, or in
        // the short tail after the last whole eight, is still found.
        {"0123456789abcdef\x7f" "ghij", "0123456789abcdef\\x7fghij"},
        {"01234567\\89abcdef", "01234567\\\\89abcdef"},
        {"0123456789abcdefXYZ\n", "0123456789abcdefXYZ\\n"},
        {"\x1f" "0123456789abcdef", "\\x1f0123456789abcdef"},
        {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\x1e\xe6\x97\xa5\xe6\x9c\xac",
         "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\\x1e\xe6\x97\xa5\xe6\x9c\xac"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.escaped);
        EXPECT_EQ(escapeControlBytes(c.text), c.escaped);
    }
    // The list's lines are written so, on the clipboard as on the terminal.
    EXPECT_EQ(clipboardLine(*newEntry(OperationCommand::Copy, "a\nb", 0, "q\"")),
              "Copy \"a\\nb\" \"q\\\"\"");
}

} // namespace
} // namespace ryk
