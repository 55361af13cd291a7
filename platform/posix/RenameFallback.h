#pragma once

namespace ryk {

/// Renames without replacing where the file system has no exclusive rename: a hard link
/// (which fails on an existing target) and an unlink; where links are impossible too
/// (directories, file systems without them) the target is checked first. Names are relative
/// to the directories `fromDir` and `toDir` (or AT_FDCWD). 0 or the errno.
int renameByLink(int fromDir, const char* from, int toDir, const char* to);

/// Renames, failing with EEXIST instead of replacing a target: renameat2(RENAME_NOREPLACE),
/// or renameByLink where the file system lacks it. 0 or the errno.
int renameWithoutReplace(int fromDir, const char* from, int toDir, const char* to);

/// Swaps two names in one step (renameat2 RENAME_EXCHANGE): 0, or the errno (EINVAL and the
/// like where the file system cannot, ENOENT where one of them is missing).
int renameExchange(int fromDir, const char* from, int toDir, const char* to);

} // namespace ryk
