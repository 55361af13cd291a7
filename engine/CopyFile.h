#pragma once

#include <cstdint>

namespace ryk {

class CopyProgressSink;
class OperationEntry;
struct CopyOutcome;
enum class OperationCommand : uint8_t;
struct FileStatus;
struct Platform;
struct PlannedTarget;

/// What a job asks of its run beyond its lines.
struct RunChoices {
    /// Copies, moves and deletes go through the platform's batch.
    bool explorerStyle = false;
    /// Delete lines, and the files copies replace, go to the trash.
    bool trash = false;
    /// Rmdir lines go to the trash too.
    bool trashDirectories = false;
    /// Every copy is read back and compared with its source before it takes the target's place.
    bool verify = false;
};

/// A file above this size brings up the copy window; smaller ones do not flash it.
inline constexpr unsigned kCopyChunkBytes = 32768;

/// What the plan of `entry` saw at its target, which its copy takes the place of only while
/// that holds: only an update replaces, and only the file the plan found; the replaced file and
/// the check of the copy as `choices` say.
PlannedTarget plannedTargetFor(const OperationEntry& entry, const RunChoices& choices = {});

/// Copies the file of a Copy, Update, Move or Up&Move entry from `source.path` to `target.path`,
/// with progress in `window` for files above one chunk, then gives the copy the source's times,
/// permission bits and stored attributes. The copy replaces the target only once it is complete
/// (Copy and Move never replace a file that appeared since planning, Update and Up&Move only the
/// file the plan found); a move's copy is on disk before this answers. Answers 1 when copied, 0
/// when not (`lastError` says why; the target is as it was) or when the copy took the target's
/// place without the source's times or attributes (`lastError` kErrorTimesNotKept or
/// kErrorMetadataNotKept); the target is marked at fault (FileFacts::isAtFault) when the failure
/// was met there. `stopRequested` is set when the user stopped the run during the copy;
/// `copiedSource` (when given) receives the facts of the source file copied, and
/// `copiedSourceKnown` whether they could be read. `choices` say whether the copy is read back
/// and where a replaced file goes.
[[nodiscard]] int CopyFileWithProgress(const Platform& platform, OperationEntry& entry,
                                       CopyProgressSink& window, bool* stopRequested = nullptr,
                                       FileStatus* copiedSource = nullptr,
                                       bool* copiedSourceKnown = nullptr,
                                       const RunChoices& choices = {});

/// Notes on `entry` what the copy of its file came to and says what the copy lacks, as
/// CopyFileWithProgress does once it has copied; its answer.
[[nodiscard]] int NoteCopyOutcome(const Platform& platform, OperationEntry& entry,
                                  const CopyOutcome& outcome);

} // namespace ryk
