#include "engine/FileInformation.h"

#include "engine/DateTime.h"
#include "engine/OperationEntry.h"
#include "platform/FileSystem.h"
#include "support/Entries.h"
#include "support/ScopedEnv.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace ryk {
namespace {

TEST(FileInformation, AttributeTextKeepsTheLetterOfEachSetBit) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0, "              "},
        {attr::kNormal, "       N      "},
        {attr::kReadOnly | attr::kArchive, "R    A        "},
        {attr::kDirectory | attr::kHidden, " H  D         "},
        {attr::kReparsePoint, "          R   "},
        {0x2000 | 0x1000 | 0x200 | 0x40, "      E  s  o_"},
        {0x08, "              "}, // the fourth place stays blank
        {0xffffffff, "RHS DAENTsRCo_"},
        {attr::kDots | attr::kDirectory, "    D         "}, // higher bits are not shown
    };
    for (const auto& [bits, text] : cases)
        EXPECT_EQ(attributeText(bits), text) << std::hex << bits;
}

TEST(FileInformation, DateTextHasTheWeekday) {
    const test::ScopedTimeZone zone("JST-9");
    const struct {
        LocalFields fields;
        const char* text;
    } cases[] = {
        {{2004, 2, 1, 12, 34, 56}, "2004/02/01(Sun) 12:34:56"},
        {{1899, 12, 30, 0, 0, 0}, "1899/12/30(Sat) 00:00:00"},
        {{2038, 1, 19, 23, 59, 9}, "2038/01/19(Tue) 23:59:09"},
        {{1970, 1, 1, 9, 0, 0}, "1970/01/01(Thu) 09:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileDateText(DateTime::fromLocalFields(c.fields)), c.text) << c.text;
    EXPECT_EQ(fileDateText(DateTime{0.0, false}), "");
}

/// A copy of a file found at the source, last written a day before the target.
OperationEntry entry(uint64_t sourceSize, bool targetFound, uint64_t targetSize) {
    OperationEntry e =
        test::makeEntry(OperationCommand::Copy, "/src/a.txt", sourceSize, "/dst/a.txt", targetSize);
    e.source.found = true;
    e.source.attributes = attr::kArchive;
    e.source.setLastWriteTime(DateTime::fromLocalFields({2004, 2, 1, 12, 0, 0}));
    e.editTarget().found = targetFound;
    e.editTarget().attributes = attr::kNormal;
    e.editTarget().setLastWriteTime(DateTime::fromLocalFields({2004, 2, 2, 12, 0, 0}));
    return e;
}

TEST(FileInformation, ASideThatWasNotFoundShowsItsPlannedPathAlone) {
    const test::ScopedTimeZone zone("JST-9");
    const FileInformation both = describeEntry(entry(1000, true, 5));
    EXPECT_EQ(both.source.path, "/src/a.txt");
    EXPECT_EQ(both.source.date, "2004/02/01(Sun) 12:00:00");
    EXPECT_EQ(both.source.attributes, "     A        ");
    EXPECT_EQ(both.source.size, "1,000 bytes.");
    EXPECT_EQ(both.target.path, "/dst/a.txt");
    EXPECT_EQ(both.target.date, "2004/02/02(Mon) 12:00:00");
    EXPECT_EQ(both.target.size, "5 bytes.");
    EXPECT_EQ(both.sourceLength, 1000u);

    const FileInformation planned = describeEntry(entry(1000, false, 0));
    EXPECT_EQ(planned.target.path, "/dst/a.txt");
    EXPECT_EQ(planned.target.date, "");
    EXPECT_EQ(planned.target.attributes, "");
    EXPECT_EQ(planned.target.size, "");
}

TEST(FileInformation, ComparisonIsOfferedForPendingEntriesWithTheSameSizeText) {
    constexpr uint64_t kGiB = uint64_t{1} << 30;
    const struct {
        const char* what;
        OperationEntry e;
        int32_t state;
        bool offered;
    } cases[] = {
        {"same size", entry(10, true, 10), kStatePending, true},
        {"empty files", entry(0, true, 0), kStatePending, true},
        {"other size", entry(10, true, 11), kStatePending, false},
        {"no target", entry(0, false, 0), kStatePending, false},
        {"sizes that round alike", entry(kGiB, true, kGiB + 1), kStatePending, true},
        {"done", entry(10, true, 10), kStateDone, false},
        {"failed", entry(10, true, 10), kStateFailed, false},
    };
    for (auto c : cases) {
        c.e.state = c.state;
        EXPECT_EQ(describeEntry(c.e).offersComparison(), c.offered) << c.what;
    }
}

TEST(FileInformation, AnEntryThatHasRunShowsTheTextOfItsRecordedError) {
    OperationEntry e = entry(10, true, 10);
    e.lastError = ENOENT;
    EXPECT_EQ(describeEntry(e).errorText(), "") << "pending";
    e.state = kStateFailed;
    EXPECT_EQ(describeEntry(e).errorText(), "No such file or directory");
    e.state = kStateDone;
    e.lastError = 0;
    EXPECT_EQ(describeEntry(e).errorText(), errorText(0));
}

} // namespace
} // namespace ryk
