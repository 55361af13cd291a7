#pragma once

#include "engine/DateTime.h"
#include "engine/Patterns.h"
#include "platform/Translation.h"

#include <cstdint>
#include <string>

namespace ryk {

/// The mode of a job; the number is also the index of the mode list.
enum class TransferMode : int32_t {
    Update = 0,
    Move = 1,
    Search = 2,
    Delete = 3,
    Response = 4,
    Sync = 5
};

/// The display name of a mode ("更新モード", ...).
const char* modeName(TransferMode mode);
/// modeName in the user's language.
std::string modeName(TransferMode mode, const Translation& translation);

/// True for the modes that write into a destination tree by the source's names.
inline bool isUpdateOrMove(TransferMode mode) {
    return mode == TransferMode::Update || mode == TransferMode::Move;
}

/// "*.*": the pattern used wherever a pattern is empty, and to list every directory.
inline constexpr const char* kDefaultPattern = "*.*";

/// The mark a flag byte carries when the option does not apply in the current mode.
inline constexpr uint8_t kFlagNotApplicable = 0x70;

/// The ten option flag bytes, one contiguous block in this fixed order. Each keeps its value in
/// bit 0 and may carry kFlagNotApplicable. Bytes 0 and 5 switch their group on.
struct OptionFlags {
    uint8_t subdirectories = 0;
    uint8_t recurse = 0;
    uint8_t includeEmptyDirectories = 0;
    uint8_t directoriesOnly = 0;
    uint8_t removeSourceDirectories = 0;
    uint8_t dateConditions = 0;
    uint8_t ignoreDates = 0;
    uint8_t onlyMissing = 0;
    uint8_t onlyExisting = 0;
    uint8_t afterDateOnly = 0;

    static constexpr int kCount = 10;
    /// Byte `index` of the block (0 = subdirectories ... 9 = afterDateOnly).
    uint8_t& operator[](int index) { return this->*kMembers[index]; }
    uint8_t operator[](int index) const { return this->*kMembers[index]; }
    /// Clears bytes 0-4, the recursion group.
    void clearRecursionGroup() {
        for (int i = 0; i < 5; ++i)
            (*this)[i] = 0;
    }
    /// Clears bytes 5-9, the date group.
    void clearDateGroup() {
        for (int i = 5; i < kCount; ++i)
            (*this)[i] = 0;
    }

private:
    static constexpr uint8_t OptionFlags::*kMembers[kCount] = {
        &OptionFlags::subdirectories,
        &OptionFlags::recurse,
        &OptionFlags::includeEmptyDirectories,
        &OptionFlags::directoriesOnly,
        &OptionFlags::removeSourceDirectories,
        &OptionFlags::dateConditions,
        &OptionFlags::ignoreDates,
        &OptionFlags::onlyMissing,
        &OptionFlags::onlyExisting,
        &OptionFlags::afterDateOnly};
};
static_assert(sizeof(OptionFlags) == OptionFlags::kCount);

/// A flag byte as the scan takes it: any not-applicable mark reads as off.
inline int effectiveFlag(uint8_t byte) {
    return (byte & kFlagNotApplicable) ? 0 : byte;
}

/// The parameters of one job.
struct JobSettings {
    TransferMode mode = TransferMode::Update;
    std::string sourceDirectory;
    /// In Response mode, the response file name.
    PatternList sourcePatterns;
    PatternList exclusionPatterns;
    std::string destinationDirectory;
    std::string destinationPattern;
    bool createDestination = false;
    OptionFlags flags;
    DateTime afterDate;
    bool explorerStyle = false;
    /// In a sync: a file whose counterpart is a regular file of the same size and write time
    /// gets no line.
    bool skipUnchanged = false;
    /// What a run deletes (Delete lines, a sync's or a deletion's directories) and the files
    /// its copies replace go to the desktop's trash instead.
    bool trash = false;
    /// Every copy is read back from the disk and compared with its source before it takes the
    /// target's place.
    bool verify = false;
    /// In Update and Sync: a file's further names in the source become further names of its
    /// first copy (hard links) rather than copies of their own.
    bool hardLinks = false;
};

/// What a planner hands back besides the lines it planned.
struct PlanOutcome {
    /// False when the plan was abandoned: nothing of it may run.
    bool planned = false;
    /// The mode the plan is shown as (the list's columns, the summary's form).
    TransferMode shownMode = TransferMode::Update;
};

/// The empty-text defaults of a directory and its pattern: "." and kDefaultPattern (a "."
/// pattern of an empty directory is no pattern).
void applyDefaults(std::string& directory, std::string& pattern);

} // namespace ryk
