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
/// A file was written by someone else while it was being copied, so the copy could mix old
/// and new contents: the file was busy.
inline constexpr int kErrorSourceChanged = EBUSY;

} // namespace ryk
