#pragma once

namespace ryk {

/// Renames without replacing where the file system has no exclusive rename: a hard link
/// (which fails on an existing target) and an unlink; where links are impossible too
/// (directories, file systems without them) the target is checked first. 0 or the errno.
int renameByLink(const char* from, const char* to);

/// Renames, failing with EEXIST instead of replacing a target: renameat2(RENAME_NOREPLACE),
/// or renameByLink where the file system lacks it. 0 or the errno.
int renameWithoutReplace(const char* from, const char* to);

} // namespace ryk
