#include "app/SearchOptions.h"

#include "app/ModeRules.h"
#include "support/FlagBytes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ryk {
namespace {

constexpr uint8_t M = kFlagNotApplicable;

using test::bytesOf;
using test::flagsOf;

/// The flags the main window hands over in `mode` for `bytes` at start-up.
OptionFlags forMode(TransferMode mode, std::vector<uint8_t> bytes) {
    OptionFlags flags = flagsOf(std::move(bytes));
    adjustFlagsForMode(flags, mode, true);
    return flags;
}

/// One letter per control 1070-1087: '1' where `test` holds.
template <typename Test> std::string states(const SearchOptions& options, Test test) {
    std::string letters;
    for (int c = kFirstSearchControl; c <= kLastSearchControl; ++c)
        letters += (options.*test)(c) ? '1' : '0';
    return letters;
}

TEST(SearchOptions, EachModeShowsEnablesAndChecksWhatItUses) {
    // Both switches on with their first choices, the after-date on too.
    const std::vector<uint8_t> on = {1, 1, 0, 0, 1, 1, 1, 0, 0, 1};
    const struct {
        TransferMode mode;
        std::vector<uint8_t> bytes;
        // Controls 1070 ... 1087: the pickers 1080 and 1081 before the six check boxes.
        std::string visible, enabled, checked;
    } cases[] = {
        // 1074 is out of use in an update: hidden.
        {TransferMode::Update, on, "111101111111111111", "111111111111101111",
         "110001100100111110"},
        {TransferMode::Move, on, "111111111111111111", "111111111111101101", "110011100100111110"},
        // Search keeps the two switches and the after-date; no Explorer style.
        {TransferMode::Search, on, "100001000111111111", "111111111111000001",
         "100001000100111110"},
        {TransferMode::Delete, on, "100011000111111111", "111111111111101001",
         "100011000100111110"},
        // Response: nothing shown from the flags, everything but the run's own choices disabled.
        {TransferMode::Response, on, "111111111111111111", "000000000000101101",
         "000000000000111110"},
        // Sync: the date switch and its choices disabled, the switch unchecked.
        {TransferMode::Sync, on, "111111111111111111", "111110000000011111", "110010100100111110"},
        // All off: only the switches, Explorer style where it applies, leaving out unchanged
        // files in Sync only, the trash and the check wherever files are deleted or copied,
        // hard links in Update and Sync, the notice everywhere.
        {TransferMode::Update, std::vector<uint8_t>(10, 0), "111101111111111111",
         "100001000000101111", "000000000000111110"},
        {TransferMode::Sync, std::vector<uint8_t>(10, 0), "111111111111111111",
         "100000000000011111", "000000000000111110"},
    };
    for (const auto& c : cases) {
        SearchOptions options(c.mode);
        options.setExplorerChecked(true);
        options.setSkipUnchangedChecked(true);
        options.setTrashChecked(true);
        options.setVerifyChecked(true);
        options.setHardLinksChecked(true);
        options.load(forMode(c.mode, c.bytes));
        EXPECT_EQ(states(options, &SearchOptions::isVisible), c.visible) << modeName(c.mode);
        EXPECT_EQ(states(options, &SearchOptions::isEnabled), c.enabled) << modeName(c.mode);
        EXPECT_EQ(states(options, &SearchOptions::isChecked), c.checked) << modeName(c.mode);
    }
}

TEST(SearchOptions, ThePickersFollowTheAfterDateOnlyWhenTheDateSwitchIsOn) {
    const struct {
        std::vector<uint8_t> bytes;
        std::vector<int> clicks;
        bool pickers;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {}, false},
        {{0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, {}, true},
        {{0, 0, 0, 0, 0, 1, 1, 0, 0, 0}, {kAfterDateRadio}, true},
        {{0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, {kOnlyMissingRadio}, false},
        {{0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, {kConditionsCheck}, false},
        {{0, 0, 0, 0, 0, 1, 0, 0, 0, 1}, {kConditionsCheck, kConditionsCheck}, true},
    };
    for (const auto& c : cases) {
        SearchOptions options(TransferMode::Update);
        options.load(flagsOf(c.bytes));
        for (int control : c.clicks)
            options.click(control);
        EXPECT_EQ(options.isEnabled(kAfterDayPicker), c.pickers)
            << testing::PrintToString(c.clicks);
        EXPECT_EQ(options.isEnabled(kAfterTimePicker), c.pickers);
    }
}

TEST(SearchOptions, TurningASwitchOnChoosesTheFirstChoiceThatIsThere) {
    const struct {
        TransferMode mode;
        int control;
        std::string checked; // 1070-1079 after the click
        bool pickers;
    } cases[] = {
        {TransferMode::Update, kSubdirectoriesCheck, "1100000000", false},
        // The hidden 1071 is checked too: the scan needs a choice.
        {TransferMode::Search, kSubdirectoriesCheck, "1100000000", false},
        {TransferMode::Update, kConditionsCheck, "0000011000", false},
        // Without "日付に関係なく更新する" the after-date is the one choice left.
        {TransferMode::Search, kConditionsCheck, "0000010001", true},
        {TransferMode::Delete, kConditionsCheck, "0000010001", true},
    };
    for (const auto& c : cases) {
        SearchOptions options(c.mode);
        options.load(forMode(c.mode, std::vector<uint8_t>(10, 0)));
        options.click(c.control);
        EXPECT_EQ(states(options, &SearchOptions::isChecked).substr(0, 10), c.checked)
            << modeName(c.mode) << " " << c.control;
        EXPECT_EQ(options.isEnabled(kAfterDayPicker), c.pickers) << modeName(c.mode);
    }
}

TEST(SearchOptions, AChoiceClearsTheOthersOfItsGroupOnly) {
    SearchOptions options(TransferMode::Move);
    options.load(flagsOf({1, 1, 0, 0, 1, 1, 0, 1, 0, 0}));
    options.click(kStructureRadio);
    options.click(kAfterDateRadio);
    EXPECT_EQ(states(options, &SearchOptions::isChecked).substr(0, 10), "1001110001");
    // Clicking a checked choice keeps it checked.
    options.click(kAfterDateRadio);
    EXPECT_TRUE(options.isChecked(kAfterDateRadio));
}

TEST(SearchOptions, OkWritesTheChecksAndPutsEveryMarkBack) {
    const struct {
        const char* what;
        TransferMode mode;
        std::vector<uint8_t> bytes; // as the main window hands them over
        std::vector<int> clicks;
        std::vector<int> stored;
    } cases[] = {
        {"update: the removal remembered under the mark is gone",
         TransferMode::Update,
         {0, 0, 0, 0, M | 1, 0, 0, 0, 0, 0},
         {kSubdirectoriesCheck},
         {1, 1, 0, 0, M, 0, 0, 0, 0, 0}},
        {"search: the hidden first choice is stored, still marked",
         TransferMode::Search,
         {0, M, M, M, M, 0, M, M, M, 0},
         {kSubdirectoriesCheck},
         {1, M | 1, M, M, M, 0, M, M, M, 0}},
        {"sync: the date switch is stored off, its choices kept",
         TransferMode::Sync,
         {0, 0, 0, 0, 0, 1, 1, 0, 0, 0},
         {},
         {0, 0, 0, 0, 0, 0, 1, 0, 0, 0}},
        {"response: both switches stored off",
         TransferMode::Response,
         {1, 1, 0, 0, 0, 1, 0, 0, 0, 1},
         {kSubdirectoriesCheck, kConditionsCheck},
         {0, 1, 0, 0, 0, 0, 0, 0, 0, 1}},
        {"date switch off: its choices keep their bytes",
         TransferMode::Update,
         {0, 0, 0, 0, M, 1, 0, 1, 0, 0},
         {kConditionsCheck},
         {0, 0, 0, 0, M, 0, 0, 1, 0, 0}},
        {"subdirectory switch off: its choices keep their bytes",
         TransferMode::Move,
         {1, 0, 1, 0, 1, 0, 0, 0, 0, 0},
         {kStructureRadio, kSubdirectoriesCheck},
         {0, 0, 1, 0, 1, 0, 0, 0, 0, 0}},
        {"choices written while the switch is on",
         TransferMode::Move,
         {1, 1, 0, 0, 1, 1, 1, 0, 0, 0},
         {kCopyEmptyRadio, kRemoveDirectoriesCheck, kOnlyExistingRadio},
         {1, 0, 1, 0, 0, 1, 0, 0, 1, 0}},
        {"search: the after-date chosen by the switch",
         TransferMode::Search,
         {0, M, M, M, M, 0, M, M, M, 0},
         {kConditionsCheck},
         {0, M, M, M, M, 1, M, M, M, 1}},
    };
    for (const auto& c : cases) {
        SearchOptions options(c.mode);
        options.load(flagsOf(c.bytes));
        for (int control : c.clicks)
            options.click(control);
        EXPECT_EQ(bytesOf(options.store()), c.stored) << c.what;
    }
}

TEST(SearchOptions, UncheckingTheDateSwitchDisablesItsChoicesButKeepsTheirMarks) {
    SearchOptions options(TransferMode::Update);
    options.load(flagsOf({0, 0, 0, 0, M, 1, 0, 0, 0, 1}));
    options.click(kConditionsCheck);
    EXPECT_EQ(states(options, &SearchOptions::isEnabled).substr(5, 7), "1000000");
    EXPECT_TRUE(options.isChecked(kAfterDateRadio));
    EXPECT_EQ(options.store().afterDateOnly, 1);
}

TEST(SearchOptions, DisabledControlsTakeNoClick) {
    SearchOptions response(TransferMode::Response);
    response.load(flagsOf(std::vector<uint8_t>(10, 0)));
    for (int c = kSubdirectoriesCheck; c <= kAfterDateRadio; ++c)
        response.click(c);
    EXPECT_EQ(states(response, &SearchOptions::isChecked), "000000000000000000");

    SearchOptions search(TransferMode::Search);
    search.load(forMode(TransferMode::Search, std::vector<uint8_t>(10, 0)));
    search.click(kExplorerCheck);
    search.click(kTrashCheck);
    search.click(kVerifyCheck);
    EXPECT_FALSE(search.explorerChecked() || search.trashChecked() || search.verifyChecked());
    // A deletion copies nothing to read back.
    SearchOptions deletion(TransferMode::Delete);
    deletion.click(kVerifyCheck);
    deletion.click(kTrashCheck);
    EXPECT_FALSE(deletion.verifyChecked());
    EXPECT_TRUE(deletion.trashChecked());
    // Choices stay out of reach until their switch is on.
    SearchOptions update(TransferMode::Update);
    update.click(kCopyEmptyRadio);
    update.click(kOnlyMissingRadio);
    EXPECT_EQ(bytesOf(update.store()), std::vector<int>(10, 0));
}

TEST(SearchOptions, ExplorerStyleSurvivesLoadingAndClicks) {
    SearchOptions options(TransferMode::Delete);
    options.setExplorerChecked(true);
    options.load(flagsOf({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(options.explorerChecked());
    options.click(kExplorerCheck);
    EXPECT_FALSE(options.explorerChecked());
    // Explorer style is no flag byte.
    EXPECT_EQ(bytesOf(options.store()), (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

} // namespace
} // namespace ryk
