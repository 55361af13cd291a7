#include "app/HistoryList.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ryk {
namespace {

using Items = std::vector<std::string>;

TEST(HistoryList, AUsedTextGoesToTheTopOnceWhateverItsCase) {
    HistoryList list;
    EXPECT_TRUE(list.push("/first", HistoryList::Push::Used));
    EXPECT_EQ(list.items(), (Items{"/first"}));
    list.assign({"/src/a", "/src/b", "/SRC/C"});
    EXPECT_FALSE(list.push("", HistoryList::Push::Used));
    // Further down in another case: moved to the top in the case just used.
    EXPECT_TRUE(list.push("/src/c", HistoryList::Push::Used));
    EXPECT_EQ(list.items(), (Items{"/src/c", "/src/a", "/src/b"}));
    // Already on top: nothing changes, the old case stays.
    EXPECT_FALSE(list.push("/SRC/C", HistoryList::Push::Used));
    EXPECT_EQ(list.items(), (Items{"/src/c", "/src/a", "/src/b"}));
    EXPECT_TRUE(list.push("/new", HistoryList::Push::Used));
    EXPECT_EQ(list.items().front(), "/new");
    // Only ASCII letters fold: these are two names.
    EXPECT_TRUE(list.push("/Ä", HistoryList::Push::Used));
    EXPECT_TRUE(list.push("/ä", HistoryList::Push::Used));
    EXPECT_EQ(list.size(), 6u);
}

TEST(HistoryList, LoadingAppendsAndTheFirstOfTwoCasesWins) {
    SettingsFile settings;
    settings.setLines(SettingsSection::SrcDir, {"1=/Data", "2=/data", "junk", "3=", "4=/other"});
    HistoryList list;
    list.load(settings, SettingsSection::SrcDir);
    EXPECT_EQ(list.items(), (Items{"/Data", "/other"}));
    EXPECT_FALSE(list.push("/DATA", HistoryList::Push::Loaded));
    EXPECT_TRUE(list.push("/more", HistoryList::Push::Loaded));
    EXPECT_EQ(list.items().back(), "/more");
}

TEST(HistoryList, MovesAndRemovalsKeepTheOrderTheSectionIsWrittenIn) {
    HistoryList list;
    list.assign({"a", "b", "c"});
    EXPECT_FALSE(list.moveUp(0));
    EXPECT_FALSE(list.moveDown(2));
    EXPECT_FALSE(list.moveDown(7));
    EXPECT_TRUE(list.moveDown(0));
    EXPECT_TRUE(list.moveUp(2));
    EXPECT_EQ(list.items(), (Items{"b", "c", "a"}));
    list.remove(1);
    list.remove(9);
    SettingsFile settings;
    list.save(settings, SettingsSection::DstFile);
    EXPECT_EQ(settings.lines(SettingsSection::DstFile), (Items{"1=b", "2=a"}));
}

TEST(HistoryList, SavingPacksASectionAndSkipsWhatDoesNotFit) {
    // Five items of 250 bytes and one of 8: entries 1-4 take 253 bytes each with key, '=' and
    // NUL; the fifth does not fit, the sixth does and fills the section to 1023 bytes.
    HistoryList list;
    Items items;
    for (char c = 'a'; c < 'f'; ++c)
        items.push_back(std::string(250, c));
    items.push_back("12345678");
    // Longer than a stored item may be: left out whole, never cut into another path.
    items.push_back(std::string(300, 'z'));
    list.assign(items);
    SettingsFile settings;
    list.save(settings, SettingsSection::SrcFile);
    const Items& lines = settings.lines(SettingsSection::SrcFile);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "4=" + std::string(250, 'd'));
    EXPECT_EQ(lines[4], "6=12345678");
    // 1023 bytes of entries and the closing empty one.
    EXPECT_EQ(SettingsFile::sectionBytes(lines), 1024u);
}

} // namespace
} // namespace ryk
