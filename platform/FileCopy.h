#pragma once

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace ryk {

/// How a finished copy takes the target's place.
enum class CommitMode {
    /// The target must not exist (it did not when the job was planned).
    NoReplace,
    /// The target is replaced in one step; a read-only target is refused.
    Replace,
};

/// What becomes of the file a copy replaces.
enum class ReplacedFile {
    Removed,
    /// Moved to the desktop's trash on its own file system once the copy takes its place; where
    /// no trash there can be used, the copy fails with kErrorNoTrash and the file stays.
    Trashed,
};

/// Whether a finished copy is checked before it takes the target's place.
enum class CopyCheck {
    None,
    /// Its data are put on disk, dropped from the cache and read back: a copy that differs from
    /// the source (kErrorVerifyMismatch) or cannot be read back fails.
    ReadBack,
};

/// What the plan saw where a copy goes, and how the copy takes its place. The copy takes the
/// target's place only while that still holds, checked right before it does.
struct PlannedTarget {
    PlannedTarget(CommitMode commitMode = CommitMode::NoReplace) : mode(commitMode) {}

    /// NoReplace: nothing stood there, and nothing may stand there now (EEXIST). Replace: the
    /// file there is replaced.
    CommitMode mode;
    /// With Replace: the plan saw the file below, which is replaced only while it is still that
    /// file of the same kind, size and last-write time (kErrorTargetChanged otherwise; a target
    /// gone since is not replaced, the copy takes the free name). Unknown: any file that is no
    /// directory, special file or read-only file is replaced.
    bool known = false;
    bool link = false;
    uint64_t size = 0;
    FileTime lastWriteTime;
    ReplacedFile replaced = ReplacedFile::Removed;
    CopyCheck check = CopyCheck::None;
};

/// One file copy in progress. The data go to a temporary file beside the target, which takes
/// the target's place only when it is complete, so a failed or stopped copy never leaves half a
/// file where a good one stood. A copy that is not committed is thrown away.
class FileCopy {
public:
    virtual ~FileCopy() = default;

    /// Opens the source and creates the temporary file in the target's directory. A source
    /// that is a symbolic link is copied as a link (the same target text), never what it points
    /// to; a special file is refused with kErrorSpecialFile without being opened. A target
    /// whose read-only attribute is set is refused with EACCES, a target that is the source
    /// itself (the same file under another name) with EINVAL.
    [[nodiscard]] virtual int open(const TreePath& source, const TreePath& target) = 0;
    /// Copies up to `maxBytes` more bytes; `copied` is 0 once the source has ended. Holes of a
    /// sparse source are skipped (they count as copied) and stay holes in the copy. Where the
    /// file system shares extents between files, the first step shares the whole file instead,
    /// whatever its size: no data move, so it takes no longer than a small step.
    /// kErrorInterrupted when a signal came before any byte was copied: nothing is lost, and
    /// the caller decides whether to go on.
    [[nodiscard]] virtual int copyChunk(size_t maxBytes, size_t& copied) = 0;
    /// After open() or copyChunk() failed: true when the failure was met at the target (its
    /// directory, the file there, the temporary file, a write), false when at the source.
    virtual bool failedAtTarget() const = 0;
    /// The facts of the open source as they are now; right after the copy found the source's
    /// end, those it found it with.
    [[nodiscard]] virtual int sourceStatus(FileStatus& out) = 0;
    /// The facts of the source as open() found them (no new look at the file).
    [[nodiscard]] virtual int openedStatus(FileStatus& out) { return sourceStatus(out); }
    /// Gives the copy the source's last-access and last-write times (nanoseconds kept), as they
    /// were when it was opened: reading it may have moved its last-access time since.
    [[nodiscard]] virtual int copyTimes() = 0;
    /// Gives the copy the source's owner and group where the process may, its permission bits
    /// (set-user-id and set-group-id only where the owner and group were kept) and its stored
    /// attributes.
    [[nodiscard]] virtual int copyAttributes() = 0;
    /// Puts the copy's data on disk now, and makes the next commit answer only once the
    /// target's name is on disk too: a move deletes its source only after both.
    [[nodiscard]] virtual int flush() = 0;
    /// Puts the copy's data on disk, drops them from the cache and reads them back, comparing
    /// them with the source's from its start: 0, kErrorVerifyMismatch, or the error of a read.
    /// A link's copy has no data: 0.
    [[nodiscard]] virtual int verify() = 0;
    /// Puts the finished copy in the target's place, if that is still what `planned` says.
    [[nodiscard]] virtual int commit(const PlannedTarget& planned) = 0;
    /// Throws the temporary file away; the target stays as it was.
    virtual void abandon() = 0;
};

/// The most one step of a whole-file copy asks for: a copy in the kernel moves this much per
/// call, few calls for a large file; a copy through a buffer moves less. Progress and the
/// listener's stop follow each step, so a stop waits for at most one step.
inline constexpr size_t kCopyStepBytes = size_t{4} << 20;

/// What a whole-file copy tells the one who asked for it, and how that one stops it.
class CopyListener {
public:
    virtual ~CopyListener() = default;
    /// The copy is open; `source` holds the facts of the source as it was opened (null when
    /// they could not be read).
    virtual void opened(const FileStatus* source) = 0;
    /// A step copied data; `done` bytes so far. True stops the copy.
    virtual bool stepped(uint64_t done) = 0;
    /// A signal cut a step short before it copied anything. True stops the copy.
    virtual bool interrupted() = 0;
};

/// How a whole-file copy ended.
struct CopyOutcome {
    /// 0 when the copy took the target's place; otherwise the target is as it was and no
    /// temporary is left.
    int error = 0;
    /// The listener stopped the copy (`error` is kErrorCancelled).
    bool stopped = false;
    /// With `error`: it was met at the target, not at the source.
    bool failedAtTarget = false;
    /// A copy that took the target's place may still lack these: the source's facts could not
    /// be read after the copy (its times were then not given to the copy), ...
    int statusError = 0;
    /// ... the times could not be set, ...
    int timesError = 0;
    /// ... the owner, permission bits or stored attributes could not be set
    /// (kErrorMetadataNotKept: ACLs or extended attributes the target's file system refused).
    int attributesError = 0;
    /// The source as the copy had it open, after its data were copied (`sourceKnown` false
    /// when no look at it succeeded): what a move checks before it deletes the source.
    FileStatus source;
    bool sourceKnown = false;

    /// What the caller's line says of a copy that took the target's place: 0 when it got all
    /// the source's facts, else kErrorTimesNotKept or kErrorMetadataNotKept.
    int keptError() const {
        if (statusError != 0 || timesError != 0)
            return kErrorTimesNotKept;
        return attributesError != 0 ? kErrorMetadataNotKept : 0;
    }
};

/// Copies one file, link or empty file from `source` to `target` with every safeguard of a
/// FileCopy: the whole file or nothing takes the target's place, and a source written while
/// it was copied replaces nothing (kErrorSourceChanged), nor does one that `planned` asks to
/// read back and that differs from the source. `listener` may be null: then the copy
/// runs to its end, whatever signals come. A `durable` copy (a move's, whose source goes next)
/// is on disk, data and name, before it answers.
[[nodiscard]] CopyOutcome copyWholeFile(FileSystem& fileSystem, const TreePath& source,
                                        const TreePath& target, const PlannedTarget& planned,
                                        CopyListener* listener, bool durable = false);

/// True when the source was written while it was copied, so the copy could mix old and new
/// contents: its facts after the copy differ from those before. (The bytes read are no
/// measure: kernel pseudo-files report a length that is not theirs.)
inline bool sourceChangedWhileCopied(const FileStatus& before, const FileStatus& after) {
    return before.size != after.size || !(before.lastWriteTime == after.lastWriteTime) ||
           before.kind != after.kind;
}

} // namespace ryk
