#include "engine/RunProgress.h"

#include "engine/OperationEntry.h"
#include "support/Entries.h"

#include <gtest/gtest.h>
#include <memory>

namespace ryk {
namespace {

TEST(RunProgress, LineShowsCountsSpeedAndTimeLeft) {
    constexpr uint64_t kMiB = 1024 * 1024;
    const struct {
        const char* what;
        RunProgressCounts counts;
        double elapsed;
        const char* line;
    } cases[] = {
        {"at the start", {0, 2, 0, 3}, 0, "0/2 件  0 B/3 B  0%  --/s  残り --:--"},
        {"nothing done yet", {0, 2, 0, 3}, 2, "0/2 件  0 B/3 B  0%  0 B/s  残り --:--"},
        {"a quarter",
         {1, 4, kMiB, 4 * kMiB},
         2,
         "1/4 件  1.0 MiB/4.0 MiB  25%  512.0 KiB/s  残り 0:06"},
        {"all done",
         {4, 4, 4 * kMiB, 4 * kMiB},
         8,
         "4/4 件  4.0 MiB/4.0 MiB  100%  512.0 KiB/s  残り 0:00"},
        {"no bytes planned: the entries are the work",
         {1, 2, 0, 0},
         3,
         "1/2 件  0 B/0 B  50%  0 B/s  残り 0:03"},
        {"most bytes done, thousands of small files left",
         {1, 22001, 880 * kMiB, 1000 * kMiB},
         4,
         "1/22001 件  880.0 MiB/1000.0 MiB  37%  220.0 MiB/s  残り 0:07"},
        {"nothing planned at all", {0, 0, 0, 0}, 0, "0/0 件  0 B/0 B  100%  --/s  残り 0:00"},
        {"a file grew after planning",
         {2, 2, 5000, 4000},
         1,
         "2/2 件  3.9 KiB/3.9 KiB  100%  3.9 KiB/s  残り 0:00"},
        {"hours left", {1, 1000, 0, 0}, 10, "1/1000 件  0 B/0 B  0%  0 B/s  残り 2:46:30"},
        {"no estimate beyond 99 hours",
         {0, 1, 1, uint64_t{1} << 40},
         1,
         "0/1 件  1 B/1.0 TiB  0%  1 B/s  残り --:--"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(runProgressLine(c.counts, c.elapsed), c.line);
    }
}

TEST(RunProgress, PlannedCountsTakeOnlyWhatIsStillPending) {
    // A run stopped half way and started again: what is done or failed is not planned again.
    OperationList list;
    list.append(test::makeEntry(OperationCommand::Copy, {}, 100)).state = kStateDone;
    list.append(test::makeEntry(OperationCommand::Copy, {}, 200)).state = kStateFailed;
    list.append(test::makeEntry(OperationCommand::Update, {}, 400));
    list.append(test::makeEntry(OperationCommand::Find, {}, 800)); // its bytes, but no entry
    list.append(test::makeEntry(OperationCommand::Error, {}, 1600));
    list.append(test::makeEntry(OperationCommand::Mkdir, {}, 0));
    const RunProgressCounts counts = plannedRunCounts(list);
    EXPECT_EQ(counts.entriesTotal, 2u);
    EXPECT_EQ(counts.bytesTotal, 1200u);
    EXPECT_EQ(counts.entriesDone, 0u);
    EXPECT_EQ(counts.bytesDone, 0u);
}

TEST(RunProgress, TallyAddsTheCurrentFileToWhatIsFinished) {
    OperationEntry big, batched;
    big.setCommand(OperationCommand::Copy);
    big.source.size = 1000;
    batched.setCommand(OperationCommand::Delete);
    batched.source.size = 300;
    RunProgressTally tally({0, 2, 0, 1300});

    tally.entryStarting(big);
    tally.setFilePosition(400);
    EXPECT_EQ(tally.counts().bytesDone, 400u);
    tally.setFilePosition(5000); // the file grew after planning
    EXPECT_EQ(tally.counts().bytesDone, 1000u);
    tally.entryFinished(big, EntryOutcome::Done);
    EXPECT_EQ(tally.counts().entriesDone, 1u);
    EXPECT_EQ(tally.counts().bytesDone, 1000u);

    tally.entryStarting(batched);
    tally.entryFinished(batched, EntryOutcome::Deferred);
    EXPECT_EQ(tally.counts().entriesDone, 1u) << "counted when the batch reports it";
    tally.entryFinished(batched, EntryOutcome::Done);
    EXPECT_EQ(tally.counts().entriesDone, 2u);
    EXPECT_EQ(tally.counts().bytesDone, 1300u);
    EXPECT_DOUBLE_EQ(runProgressShare(tally.counts()), 1.0);
}

} // namespace
} // namespace ryk
