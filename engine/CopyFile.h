#pragma once

#include <cstdint>

namespace ryk {

class CopyProgressSink;
class OperationEntry;
enum class CommitMode;
enum class OperationCommand : int32_t;
struct Platform;

/// A file above this size brings up the copy window; smaller ones do not flash it.
inline constexpr unsigned kCopyChunkBytes = 32768;

/// How the copy of an entry with `command` takes its target's place: only an update replaces.
CommitMode commitModeFor(OperationCommand command);

/// Copies the file of a Copy, Update, Move or Up&Move entry from `source.path` to `target.path`,
/// with progress in `window` for files above one chunk, then gives the copy the source's times,
/// permission bits and stored attributes. The copy replaces the target only once it is complete
/// (Copy and Move never replace a file that appeared since planning); a move's copy is on disk
/// before this answers. Answers 1 when copied, 0 when not (`lastError` says why; the target is
/// as it was) or when the copy took the target's place without the source's times or
/// attributes (`lastError` kErrorTimesNotKept or kErrorMetadataNotKept). `stopRequested` is set
/// when the user stopped the run during the copy.
[[nodiscard]] int CopyFileWithProgress(const Platform& platform, OperationEntry& entry, CopyProgressSink& window,
                         bool* stopRequested = nullptr);

} // namespace ryk
