#pragma once

namespace ryk {

class FileSystem;
class OperationList;

/// Marks the lines that a run makes hard links rather than copies: of two or more copying
/// lines whose sources are names of one file (same device and inode), every line after the
/// first whose target does not exist yet is to become a further name of the first line's
/// copy. The other lines, and every file with a single name, stay as they were.
void planHardLinks(OperationList& list, FileSystem& fileSystem);

} // namespace ryk
