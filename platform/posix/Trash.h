#pragma once

#include <string>
#include <sys/types.h>

namespace ryk {

/// A trash directory of the desktop's, with its `files` and `info` directories.
struct TrashPlace {
    /// The trash directory itself.
    std::string directory;
    /// The top directory of the file system it serves, for a top-directory trash, whose
    /// entries record paths relative to it; empty for the home trash, whose paths are absolute.
    std::string topDirectory;
};

/// The home trash: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash (not made here).
std::string homeTrashDirectory();

/// The trash of the user `uid` on the file system whose top directory is `topDirectory`:
/// `.Trash/<uid>` there when `.Trash` is a real directory with the sticky bit set (the user's
/// own directory in it made if missing), else `.Trash-<uid>`, made with mode 0700 if missing.
/// 0, or kErrorNoTrash when neither can be used.
int topDirectoryTrash(const std::string& topDirectory, uid_t uid, TrashPlace& out);

/// The text of an entry's info file: the section, the original path (relative to the top
/// directory of a top-directory trash, percent-encoded) and the local time of `deleted`.
std::string trashInfoText(const TrashPlace& place, const std::string& originalPath, time_t deleted);

/// Moves `name` in the directory `dir` into `place`, as `originalPath` (absolute) once named
/// it: the info file is made first, under a name no other entry has, then the file, link or
/// directory is renamed into `files`. `place` must be on the file's file system (EXDEV
/// otherwise: nothing is ever copied). 0 or the errno, nothing moved and no info file left.
int moveIntoTrash(const TrashPlace& place, int dir, const std::string& name,
                  const std::string& originalPath);

/// Moves `name` in `dir` to a trash on its own file system: the home trash when the file lives
/// on the home trash's file system, else its top directory's trash. `recordedLeaf` is the name
/// the info file records (the file may stand under a temporary name). 0, kErrorNoTrash when no
/// trash there can be used, or the errno of the move; nothing is deleted either way.
int moveToTrashAt(int dir, const std::string& name, const std::string& recordedLeaf);

} // namespace ryk
