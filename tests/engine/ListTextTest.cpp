#include "engine/ListText.h"

#include "engine/JobSettings.h"
#include "engine/OperationEntry.h"
#include "engine/TransferJob.h"
#include "support/EngineFixture.h"
#include "support/Entries.h"

#include <gtest/gtest.h>

namespace ryk {
namespace {

using test::makeEntry;

TEST(ListText, ClipboardLinesQuoteEveryPath) {
    OperationList list;
    list.append(makeEntry(OperationCommand::Copy, "/s/a b.txt", 1, "/d/a b.txt"));
    list.append(makeEntry(OperationCommand::Delete, "/s/x", 1));
    list.append(makeEntry(OperationCommand::Error, "/s/err", 1));
    list.append(makeEntry(OperationCommand::UpAndMove, "/s/日本語", 1, "/d/日本語"));
    EXPECT_EQ(clipboardText(list, "\r\n"),
              "Copy \"/s/a b.txt\" \"/d/a b.txt\"\r\n"
              "Delete \"/s/x\" \r\n" // no target: a space before the line end
              "Error \"/s/err\" \r\n"
              "Up&Move \"/s/日本語\" \"/d/日本語\"\r\n");
    EXPECT_EQ(clipboardText(OperationList(), "\r\n"), "");
}

TEST(ListText, TotalsCountWhatEachCommandMoves) {
    OperationList list;
    list.append(makeEntry(OperationCommand::Copy, "a", 100));
    list.append(makeEntry(OperationCommand::Update, "b", 10, "b", 50)); // shrinks: need goes down
    list.append(makeEntry(OperationCommand::Delete, "c", 7));
    list.append(makeEntry(OperationCommand::Mkdir, "d", 0));
    list.append(makeEntry(OperationCommand::Error, "e", 1000));
    PlanTotals totals = computeTotals(list);
    EXPECT_EQ(totals.totalBytes, 117u);
    EXPECT_EQ(totals.neededBytes, 60);
    totals.remove(*list.at(1));
    EXPECT_EQ(totals.totalBytes, 107u);
    EXPECT_EQ(totals.neededBytes, 100);
}

TEST(ListText, SummaryFormsPerMode) {
    PlanTotals totals;
    totals.totalBytes = 5;
    totals.neededBytes = 5;
    const VolumeSpace volume{4096, 1000000};
    const std::optional<VolumeSpace> unmeasured;
    const struct {
        TransferMode mode;
        std::optional<VolumeSpace> space;
        int64_t needed;
        std::string text;
    } cases[] = {
        {TransferMode::Update, volume, 5,
         "[OK.]cmd=2, need=5 bytes. dest=4,096 bytes./1,000,000 bytes. (all=5 bytes.)"},
        {TransferMode::Move, volume, 4097,
         "[NG?]cmd=2, need=4,097 bytes. dest=4,096 bytes./1,000,000 bytes. (all=5 bytes.)"},
        {TransferMode::Update, unmeasured, 5, "[???]cmd=2, need=5 bytes. (all=5 bytes.)"},
        {TransferMode::Search, volume, 5, "cmd=2 (all=5 bytes.)src=4,096 bytes./1,000,000 bytes."},
        {TransferMode::Delete, unmeasured, 5, "cmd=2 (all=5 bytes.)"},
        // Neither reports on a volume, whatever was measured.
        {TransferMode::Response, volume, 5, "cmd=2 (all=5 bytes.)"},
        {TransferMode::Sync, volume, 5, "cmd=2 (all=5 bytes.)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        totals.neededBytes = c.needed;
        EXPECT_EQ(summaryText(2, totals, c.mode, c.space), c.text);
    }

    EXPECT_EQ(runProgressText(3, 10, 1), "3 / 10 (Error=1) 中止はESCキーを押してください...");
    EXPECT_EQ(runFinishedText(0), "完了しました.(Error=0)");
}

TEST(ListText, StoppedRunCountsThePendingLinesThatWouldAct) {
    OperationList list;
    list.append(makeEntry(OperationCommand::Copy, "done", 1)).state = kStateDone;
    list.append(makeEntry(OperationCommand::Delete, "failed", 1)).state = kStateFailed;
    list.append(makeEntry(OperationCommand::Copy, "a", 1));
    list.append(makeEntry(OperationCommand::Mkdir, "b", 0));
    list.append(makeEntry(OperationCommand::Rmdir, "c", 0));
    // Pending for ever: a run has nothing to do for them.
    list.append(makeEntry(OperationCommand::Find, "f", 1));
    list.append(makeEntry(OperationCommand::Error, "e", 1));
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
        {"0123456789abcdef\x7f"
         "ghij",
         "0123456789abcdef\\x7fghij"},
        {"01234567\\89abcdef", "01234567\\\\89abcdef"},
        {"0123456789abcdefXYZ\n", "0123456789abcdefXYZ\\n"},
        {"\x1f"
         "0123456789abcdef",
         "\\x1f0123456789abcdef"},
        {"\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\x1e\xe6\x97\xa5\xe6\x9c\xac",
         "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\\x1e\xe6\x97\xa5\xe6\x9c\xac"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.escaped);
        EXPECT_EQ(escapeControlBytes(c.text), c.escaped);
    }
    // The list's lines are written so, on the clipboard as on the terminal.
    EXPECT_EQ(clipboardLine(makeEntry(OperationCommand::Copy, "a\nb", 0, "q\"")),
              "Copy \"a\\nb\" \"q\\\"\"");
}

} // namespace
} // namespace ryk
