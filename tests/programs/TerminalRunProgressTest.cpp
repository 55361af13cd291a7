#include "engine/OperationEntry.h"
#include "platform/console/ConsoleCopyProgress.h"
#include "programs/ryk-cli/RunProgressLine.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace ryk {
namespace {

/// Writes each outcome as a line of its own to the stream the progress line uses.
class OutcomeWriter : public RunObserver {
public:
    explicit OutcomeWriter(std::FILE* out) : m_out(out) {}
    void entryStarting(size_t, const OperationEntry&, const std::string&) override {}
    void entryFinished(size_t row, const OperationEntry&, EntryOutcome) override {
        std::fprintf(m_out, "[row %zu]\n", row);
    }

private:
    std::FILE* m_out;
};

class TerminalRunProgressTest : public ::testing::Test {
protected:
    void SetUp() override {
        stream = open_memstream(&buffer, &size);
        ASSERT_NE(stream, nullptr);
        copy.command = OperationCommand::Copy;
        copy.source.size = 1000;
        remove.command = OperationCommand::Delete;
        remove.source.size = 2000;
        find.command = OperationCommand::Find;
        find.source.size = 500;
    }
    void TearDown() override {
        std::fclose(stream);
        std::free(buffer);
    }
    /// What was written so far; cleared for the next look.
    std::string take() {
        std::fflush(stream);
        std::string text(buffer, size);
        std::rewind(stream);
        std::fflush(stream);
        return text;
    }
    /// The line for `entries` of 2 and `bytes` of 3500 done after `elapsed` seconds.
    static std::string text(size_t entries, uint64_t bytes, double elapsed) {
        return runProgressLine({entries, 2, bytes, 3500}, elapsed);
    }

    std::FILE* stream = nullptr;
    char* buffer = nullptr;
    size_t size = 0;
    double now = 0;
    /// Erases the terminal's line; starts every new drawing.
    const std::string erase = "\r\x1b[K";
    OperationEntry copy, remove, find;
    ConsoleCopyProgress sink;
};

TEST_F(TerminalRunProgressTest, RedrawsAtMostTenTimesASecondAndStepsAsideForOutcomeLines) {
    OutcomeWriter outcomes(stream);
    TerminalRunProgress line({0, 2, 0, 3500}, outcomes, sink, stream,
                             TerminalRunProgress::OutcomeLines::OnTerminal, [this] { return now; });

    line.entryStarting(0, copy, "");
    EXPECT_EQ(take(), erase + text(0, 0, 0));
    now = 0.05;
    line.setPosition(500);
    EXPECT_EQ(take(), "") << "drawn again within a tenth of a second";
    now = 0.15;
    line.setPosition(1200); // the file grew: no more than its planned size counts
    EXPECT_EQ(take(), erase + text(0, 1000, 0.15));

    // The outcome line goes where the progress line stood, which is put back below it.
    now = 0.2;
    line.entryFinished(0, copy, EntryOutcome::Done);
    EXPECT_EQ(take(), erase + "[row 0]\n" + text(0, 1000, 0.15));

    now = 0.3;
    line.entryStarting(1, remove, "");
    EXPECT_EQ(take(), erase + text(1, 1000, 0.3));
    // Handed to the batch: counted only when the batch reports its outcome.
    now = 0.45;
    line.entryFinished(1, remove, EntryOutcome::Deferred);
    EXPECT_EQ(take(), erase + "[row 1]\n" + text(1, 1000, 0.3) + erase + text(1, 1000, 0.45));
    now = 0.6;
    line.entryFinished(2, find, EntryOutcome::NoAction); // a Find line: its bytes, but no entry
    EXPECT_EQ(take(), erase + "[row 2]\n" + text(1, 1000, 0.45) + erase + text(1, 1500, 0.6));
    now = 0.8;
    line.entryFinished(1, remove, EntryOutcome::Done);
    EXPECT_EQ(take(), erase + "[row 1]\n" + text(1, 1500, 0.6) + erase + text(2, 3500, 0.8));

    line.end();
    EXPECT_EQ(take(), erase);
    now = 2;
    line.setPosition(10);
    line.end();
    EXPECT_EQ(take(), "") << "drawn after the end";
}

TEST_F(TerminalRunProgressTest, OutcomeLinesElsewhereLeaveTheLineInPlace) {
    OutcomeWriter outcomes(stream);
    TerminalRunProgress line({0, 2, 0, 3500}, outcomes, sink, stream,
                             TerminalRunProgress::OutcomeLines::Elsewhere, [this] { return now; });
    line.entryStarting(0, copy, "");
    now = 0.05;
    line.entryFinished(0, copy, EntryOutcome::Done);
    EXPECT_EQ(take(), erase + text(0, 0, 0) + "[row 0]\n");

    // A message on the terminal: the line steps aside and comes back unchanged.
    line.erase();
    std::fputs("message\n", stream);
    line.restore();
    EXPECT_EQ(take(), erase + "message\n" + text(0, 0, 0));
}

} // namespace
} // namespace ryk
