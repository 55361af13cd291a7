#pragma once

namespace ryk {

/// Renames without replacing where the file system has no exclusive rename: a hard link
/// (which fails on an existing target) and an unlink; where links are impossible too
/// (directories, file systems without them) the target is checked first. 0 or the errno.
int renameByLink(const char* from, const char* to);

} // namespace ryk
