#pragma once

#include "platform/FileCopy.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/TreeResolve.h"
#include "platform/posix/UniqueFd.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>
#include <sys/types.h>

namespace ryk {

/// The name every temporary of ours starts with: ".~ryk.<pid>.<number>", so that one a killed
/// run left behind is known as ours and removed by a later run that writes beside it.
inline constexpr char kTemporaryPrefix[] = ".~ryk.";

/// What the temporaries of one file system's copies learn once and share, among copies on
/// several threads.
struct TemporariesShared {
    /// Guards `cleaned`.
    std::mutex mutex;
    /// The directories (as their paths name them) already rid of the temporaries that killed
    /// runs left. Two names of one directory only mean that it is looked at twice.
    std::set<std::string> cleaned;
    /// Linking an unnamed file by its descriptor needs a privilege; once refused, not asked
    /// again.
    std::atomic<bool> directLinkRefused{false};
    /// Numbers the named temporaries, so that copies on several threads rarely try one name.
    std::atomic<unsigned> number{0};
};

/// EISDIR for a directory named `leaf` in `dir`, EACCES for a read-only file, EINVAL for the
/// file `source` itself (given its stat), 0 for any other file or none. A link at the target
/// is replaced itself.
int checkTarget(int dir, const std::string& leaf, const RawStat* source = nullptr);

/// The file or link a copy is made in, beside its target, until it takes the target's place:
/// an unnamed file (O_TMPFILE) where the file system has them, linked in under the target's
/// name at the end; else a named temporary renamed over the target. Thrown away unless
/// committed.
class CopyTemporary {
public:
    /// `shared` (may be null) is shared by the copies of one file system.
    explicit CopyTemporary(TemporariesShared* shared = nullptr) : m_shared(shared) {}
    ~CopyTemporary() { abandon(); }
    CopyTemporary(const CopyTemporary&) = delete;
    CopyTemporary& operator=(const CopyTemporary&) = delete;

    /// Once per directory: removes from `target`'s directory the temporaries of ours that
    /// processes now gone left behind; a running copy's temporary stays.
    void removeStale(const ParentDirectory& target);
    /// Makes a symbolic link with the text `linkText` in `directory` under a fresh name.
    int createLink(const SharedFd& directory, const std::string& linkText);
    /// Makes an empty file in `directory`: an unnamed one with the rights `unnamedRights`
    /// where the system can link one in later, else a named one that only its owner may read.
    int createFile(const SharedFd& directory, mode_t unnamedRights);

    /// The open temporary file; none for a link, or once a named file is committed.
    const UniqueFd& file() const { return m_file; }
    /// The name of a named temporary (a link's among them); empty for an unnamed one.
    const std::string& name() const { return m_name; }
    /// A new descriptor that reads the open temporary file (its own is write-only).
    UniqueFd openForReading() const;

    /// Puts the temporary in place of `leaf`, in the directory it was made in, if that is
    /// still what `planned` says. Once it is in place, abandon() leaves it there.
    int commit(const std::string& leaf, const PlannedTarget& planned);
    /// Removes the temporary, if one is left, and lets go of it.
    void abandon();

private:
    std::string newName();
    /// Gives the unnamed temporary the name `leaf` in its directory; EEXIST where one exists.
    int linkUnnamed(const std::string& leaf) const;
    /// Puts the finished copy, named `named` beside the target `leaf`, in the target's place,
    /// where that is still the file `planned` describes; `named` is gone afterwards unless it
    /// holds what stood at the target.
    int replaceTarget(const std::string& named, const std::string& leaf,
                      const PlannedTarget& planned);
    /// As replaceTarget, but what stood at the target goes to the trash, and the copy takes its
    /// place only when it could go there: else the old file stays and `named` is gone.
    int replaceTrashingTarget(const std::string& named, const std::string& leaf,
                              const PlannedTarget& planned);

    TemporariesShared* m_shared;
    /// The directory the temporary is made in.
    SharedFd m_directory;
    UniqueFd m_file;
    std::string m_name;
    bool m_unnamed = false;
    /// Numbers the named temporaries where nothing is shared.
    unsigned m_number = 0;
};

} // namespace ryk
