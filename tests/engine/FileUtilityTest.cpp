#include "engine/FileUtility.h"

#include "platform/AbortKey.h"
#include "platform/ErrorCodes.h"
#include "support/EngineFixture.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace ryk {
namespace {

class FileUtilityTest : public test::EngineTest {
protected:
    FileUtility utility{platform};
};

TEST(FormatSize, TextsAndBoundaries) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0 byte."},
        {1, "1 byte."},
        {-1, "-1 byte."},
        {2, "2 bytes."},
        {999, "999 bytes."},
        {1000, "1,000 bytes."},
        {-1536, "-1,536 bytes."},
        {999999, "999,999 bytes."},
        {1000000, "1,000,000 bytes."},
        {(int64_t{1} << 30) - 1, "1,073,741,823 bytes."},
        {int64_t{1} << 30, "1G"},
        {(int64_t{3} << 29), "1.5G"},
        {-(int64_t{9} << 28), "-2.25G"},
        {int64_t{1} << 40, "1024G"},
        {INT64_MIN, "-8.58993e+09G"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FileUtility::FormatSize(value), text) << value;
}

TEST_F(FileUtilityTest, SystemErrorBoxNamesCodeExtraTextAndSystemText) {
    utility.ShowSystemError(kErrorFileNotFound);
    utility.ShowSystemError(kErrorAccessDenied, "/x/*.*");
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "エラーが発生:Code=2\nNo such file or directory");
    EXPECT_EQ(messages.shown[1].text, "エラーが発生:Code=13\n/x/*.*\nPermission denied");
    EXPECT_EQ(messages.shown[1].icon, MessageIcon::Information);
    EXPECT_EQ(messages.shown[1].caption, "Rykmere");
}

TEST_F(FileUtilityTest, AbortKeyControlStopsAtOnceEscapeAsksFirst) {
    keys.events = {AbortKeyEvent::None, AbortKeyEvent::ControlDown, AbortKeyEvent::EscapeReleased,
                   AbortKeyEvent::EscapeReleased};
    messages.answers = {MessageAnswer::No, MessageAnswer::Yes};
    EXPECT_EQ(utility.PollAbortKey(), 0);
    EXPECT_EQ(utility.PollAbortKey(), -1);
    EXPECT_TRUE(messages.shown.empty());  // Control asks nothing
    EXPECT_EQ(utility.PollAbortKey(), 0); // Escape, then No: go on
    EXPECT_EQ(utility.PollAbortKey(), 1); // Escape, then Yes: stop
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[0].text, "中断しますか?");
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Stop);
}

TEST_F(FileUtilityTest, DirectoryMatchOnRealPaths) {
    tmp.makeDir("sub");
    tmp.writeFile("file.txt", "x");
    int error = 0;
    EXPECT_TRUE(utility.IsDirectoryMatch(tmp / "*.*")); // "." counts
    EXPECT_TRUE(utility.IsDirectoryMatch(tmp / "sub"));
    EXPECT_TRUE(utility.IsDirectoryMatch(tmp / "s*"));
    EXPECT_FALSE(utility.IsDirectoryMatch(tmp / "file.txt", &error));
    EXPECT_EQ(error, kErrorFileNotFound);
    error = 0;
    EXPECT_FALSE(utility.IsDirectoryMatch(tmp / "missing/*.*", &error));
    EXPECT_EQ(error, kErrorPathNotFound);
    error = 0;
    EXPECT_FALSE(utility.IsDirectoryMatch(tmp / "file.txt/*.*", &error));
    EXPECT_EQ(error, kErrorNotADirectory);
}

TEST_F(FileUtilityTest, DiskSpaceOfADirectoryAndOfOneNotMadeYet) {
    uint64_t freeBytes = 0;
    uint64_t totalBytes = 0;
    ASSERT_TRUE(utility.GetDiskSpace(tmp.path(), freeBytes, totalBytes));
    EXPECT_GT(totalBytes, 0u);
    EXPECT_LE(freeBytes, totalBytes);

    uint64_t freeLater = 0;
    uint64_t totalLater = 0;
    ASSERT_TRUE(utility.GetDiskSpace(tmp / "not/made/yet", freeLater, totalLater));
    EXPECT_EQ(totalLater, totalBytes);
}

} // namespace
} // namespace ryk
