#pragma once

#include <cerrno>

namespace ryk {

/// The error codes the engine tests by meaning. Linux does not tell a missing file from a
/// missing directory on the way to it, so both are ENOENT.
inline constexpr int kErrorNone = 0;
inline constexpr int kErrorFileNotFound = ENOENT;
inline constexpr int kErrorPathNotFound = ENOENT;
inline constexpr int kErrorAccessDenied = EACCES;
inline constexpr int kErrorFileExists = EEXIST;
inline constexpr int kErrorNotEmpty = ENOTEMPTY;
inline constexpr int kErrorNotADirectory = ENOTDIR;
inline constexpr int kErrorNameTooLong = ENAMETOOLONG;
inline constexpr int kErrorDiskFull = ENOSPC;
/// A request the user cancelled.
inline constexpr int kErrorCancelled = ECANCELED;
/// A signal cut a waiting call short before it did anything; the call may be made again.
inline constexpr int kErrorInterrupted = EINTR;
/// Our own codes, beyond every errno value, each with a text of its own (errorText).
inline constexpr int kErrorOwnBase = 0x10000;
/// A file was written by someone else while it was being copied, so the copy could mix old
/// and new contents.
inline constexpr int kErrorSourceChanged = kErrorOwnBase + 1;
/// A FIFO, socket or device: never opened, so a run never hangs on it or steals its data.
inline constexpr int kErrorSpecialFile = kErrorOwnBase + 2;
/// A symbolic link stands where a directory of the tree should be; it is not followed.
inline constexpr int kErrorLinkInTree = kErrorOwnBase + 3;
/// A root directory of the job is no longer the directory the plan read (moved away, or a link
/// put in its place): nothing is done beneath it.
inline constexpr int kErrorRootReplaced = kErrorOwnBase + 4;
/// The target is no longer what the plan saw there (edited, made, or of another kind since):
/// it is not overwritten.
inline constexpr int kErrorTargetChanged = kErrorOwnBase + 5;
/// The source's name now refers to another file than the one copied: it is not deleted.
inline constexpr int kErrorSourceReplaced = kErrorOwnBase + 6;
/// An earlier line of the same plan writes this target: one file would overwrite another.
inline constexpr int kErrorDuplicateTarget = kErrorOwnBase + 7;
/// The copy is complete, but the ACLs or extended attributes could not all be kept.
inline constexpr int kErrorMetadataNotKept = kErrorOwnBase + 8;
/// A file longer than the part of it that is read: written back, it would lose its tail.
inline constexpr int kErrorNotReadWhole = kErrorOwnBase + 9;
/// A file that is not text we can write back as it was read (NUL bytes, or bytes that neither
/// UTF-8 nor CP932 reads): written back, it would change.
inline constexpr int kErrorNotText = kErrorOwnBase + 10;
/// A symbolic link that another user may have put there, or one that leads to a file that is
/// not the user's own: not written through.
inline constexpr int kErrorUntrustedLink = kErrorOwnBase + 11;
/// The file-system root named as the directory to delete or move from: never acted on.
inline constexpr int kErrorRootRefused = kErrorOwnBase + 12;
/// The copy is complete, but the source's times could not be read or given to it.
inline constexpr int kErrorTimesNotKept = kErrorOwnBase + 13;
/// No trash on the file's own file system can be used (none can be made there): nothing is
/// deleted, since a trash elsewhere would mean copying the file.
inline constexpr int kErrorNoTrash = kErrorOwnBase + 14;
/// The copy, read back from the disk, differs from its source: it does not take the target's
/// place.
inline constexpr int kErrorVerifyMismatch = kErrorOwnBase + 15;

} // namespace ryk
