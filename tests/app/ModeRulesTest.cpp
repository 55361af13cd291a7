#include "app/ModeRules.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace ryk {
namespace {

OptionFlags flagsOf(std::vector<uint8_t> bytes) {
    OptionFlags flags;
    for (int i = 0; i < OptionFlags::kCount; ++i)
        flags[i] = bytes[static_cast<size_t>(i)];
    return flags;
}

std::vector<int> bytesOf(const OptionFlags& flags) {
    std::vector<int> bytes;
    for (int i = 0; i < OptionFlags::kCount; ++i)
        bytes.push_back(flags[i]);
    return bytes;
}

TEST(ModeRules, EachModeEnablesExactlyItsInputs) {
    const struct {
        TransferMode mode;
        std::string enabled; // one letter per control 1000-1007
    } cases[] = {
        {TransferMode::Update, "11111111"},   {TransferMode::Move, "11111111"},
        {TransferMode::Search, "11110000"},   {TransferMode::Delete, "11110000"},
        {TransferMode::Response, "00100000"}, {TransferMode::Sync, "11111110"},
    };
    for (const auto& c : cases) {
        std::string enabled;
        for (int control = kSourceBox; control <= kDestinationPatternBox; ++control)
            enabled += isInputEnabled(c.mode, control) ? '1' : '0';
        EXPECT_EQ(enabled, c.enabled) << modeName(c.mode);
    }
}

TEST(ModeRules, StartUpKeepsTheSwitchesAndMarksWhatTheModeDoesNotUse) {
    // Every byte on and marked, as a previous mode may have left them.
    const OptionFlags all = flagsOf(std::vector<uint8_t>(10, 0x71));
    const struct {
        TransferMode mode;
        std::vector<int> bytes;
    } cases[] = {
        {TransferMode::Update, {1, 1, 1, 1, 0x71, 1, 1, 1, 1, 1}},
        {TransferMode::Move, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {TransferMode::Search, {1, 0x70, 0x70, 0x70, 0x70, 1, 0x70, 0x70, 0x70, 1}},
        {TransferMode::Delete, {1, 0x70, 0x70, 0x70, 1, 1, 0x70, 0x70, 0x70, 1}},
        {TransferMode::Response, {1, 0x71, 0x71, 0x71, 0x71, 1, 0x71, 0x71, 0x71, 1}},
        {TransferMode::Sync, {1, 0x71, 0x71, 0x71, 0x71, 1, 0x71, 0x71, 0x71, 1}},
    };
    for (const auto& c : cases) {
        OptionFlags flags = all;
        adjustFlagsForMode(flags, c.mode, true);
        EXPECT_EQ(bytesOf(flags), c.bytes) << modeName(c.mode);
    }

    // "-s -r": Search keeps the subdirectory switch, and the scan runs without recursion.
    OptionFlags searchRecursive = flagsOf({1, 1, 0, 0, 0, 0, 0, 0, 0, 0});
    adjustFlagsForMode(searchRecursive, TransferMode::Search, true);
    EXPECT_EQ(searchRecursive.subdirectories, 1);
    EXPECT_EQ(searchRecursive.recurse, 0x70);
    EXPECT_EQ(effectiveFlag(searchRecursive.recurse), 0);
}

TEST(ModeRules, AModeChangeClearsTheSwitchesAndWhatSearchOverwroteStaysGone) {
    OptionFlags flags = flagsOf({1, 1, 0, 0, 1, 1, 0, 1, 0, 0});
    changeFlagsForMode(flags, TransferMode::Search);
    EXPECT_EQ(bytesOf(flags),
              (std::vector<int>{0, 0x70, 0x70, 0x70, 0x70, 0, 0x70, 0x70, 0x70, 0}));
    changeFlagsForMode(flags, TransferMode::Update);
    EXPECT_EQ(bytesOf(flags), (std::vector<int>{0, 0, 0, 0, 0x70, 0, 0, 0, 0, 0}));

    // A value kept under the mark comes back when a later mode strips it.
    flags = flagsOf({0, 0, 0, 0, 1, 0, 0, 1, 0, 0});
    changeFlagsForMode(flags, TransferMode::Update);
    EXPECT_EQ(flags.removeSourceDirectories, 0x71);
    changeFlagsForMode(flags, TransferMode::Move);
    EXPECT_EQ(flags.removeSourceDirectories, 1);
    EXPECT_EQ(flags.onlyMissing, 1);
    changeFlagsForMode(flags, TransferMode::Sync);
    EXPECT_EQ(flags.removeSourceDirectories, 1);
}

TEST(ModeRules, OnlyAnAbsoluteDestinationSuitsTheShellBatch) {
    EXPECT_TRUE(isAbsoluteDestination("/"));
    EXPECT_TRUE(isAbsoluteDestination("/mnt/backup"));
    for (const char* relative : {"", "backup", "./backup", "~/backup", "c:\\dst"})
        EXPECT_FALSE(isAbsoluteDestination(relative)) << relative;
}

} // namespace
} // namespace ryk
