// The attribute and time changes of PosixFileSystem: both act on the named file itself, never
// through a symbolic link, and never create one.
#include "platform/ErrorCodes.h"
#include "platform/posix/ExtendedAttributes.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/TreeResolve.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace ryk {

namespace {

constexpr mode_t kAllWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

/// The "0x%x" text of stored bits.
std::string storedText(uint32_t bits) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(bits));
    return std::string(text, static_cast<size_t>(length));
}

/// Writes the stored bits through `set` and `remove` (an xattr call of one file with the name
/// and, for `set`, the value), removing the attribute when none is left.
template <typename Set, typename Remove>
int writeStoredWith(uint32_t bits, Set set, Remove remove) {
    if (bits == 0) {
        // Where there are no extended attributes, no bit is kept: nothing to remove.
        if (remove(kStoredBitsName) == 0 || errno == ENODATA || errno == ENOTSUP)
            return 0;
        return errno;
    }
    const std::string text = storedText(bits);
    if (set(kStoredBitsName, text.data(), text.size()) != 0)
        return errno;
    return 0;
}

/// A regular file or directory opened for its attribute change without following a link.
/// One the owner may not read is first made readable through its O_PATH descriptor; the
/// change's own final mode puts that right again.
int openForChange(int dir, const char* leaf, UniqueFd& out, struct stat& st) {
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    out = UniqueFd(openat(dir, leaf, kFlags));
    if (!out && errno == EACCES) {
        const UniqueFd path(openat(dir, leaf, O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat before;
        if (!path || fstat(path.get(), &before) != 0 || S_ISLNK(before.st_mode))
            return EACCES;
        const std::string proc = "/proc/self/fd/" + std::to_string(path.get());
        if (chmod(proc.c_str(), (before.st_mode & 07777) | S_IRUSR) != 0)
            return EACCES;
        out = UniqueFd(open(proc.c_str(), kFlags & ~O_NOFOLLOW));
        if (!out) {
            const int error = errno;
            chmod(proc.c_str(), before.st_mode & 07777);
            return error;
        }
        if (fstat(out.get(), &st) != 0)
            return errno;
        st.st_mode = (st.st_mode & S_IFMT) | (before.st_mode & 07777);
        return 0;
    }
    if (!out)
        return errno;
    if (fstat(out.get(), &st) != 0)
        return errno;
    return 0;
}

} // namespace

int PosixFileSystem::setAttributes(const TreePath& path, uint32_t attributes) {
    ParentDirectory parent;
    if (const int error = m_tree.openParent(path, parent))
        return error;
    const int dir = parent.fd.get();
    const char* leaf = parent.leaf.c_str();
    struct stat st;
    if (fstatat(dir, leaf, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;

    // A dot name is hidden by its name alone; the attribute only holds what the name cannot.
    uint32_t wanted = attributes & attr::kStoredBits;
    if (hiddenByName(lastComponent(path.path)))
        wanted &= ~attr::kHidden;

    if (S_ISLNK(st.st_mode)) {
        // A link has no permission bits of its own, so read-only cannot be kept on it; its own
        // extended attribute is the one meant (the system refuses user ones on links).
        const char* link = path.path.c_str();
        if (readStoredBits(link) == wanted)
            return 0;
        return writeStoredWith(
            wanted,
            [link](const char* name, const char* value, size_t size) {
                return lsetxattr(link, name, value, size, 0);
            },
            [link](const char* name) { return lremovexattr(link, name); });
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return kErrorSpecialFile;

    UniqueFd file;
    if (const int error = openForChange(dir, leaf, file, st))
        return error;
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return kErrorSpecialFile; // swapped for another kind since the first look
    const int fd = file.get();

    const mode_t oldMode = st.st_mode & 07777;
    mode_t newMode = oldMode;
    if (attributes & attr::kReadOnly)
        newMode &= static_cast<mode_t>(~kAllWriteBits);
    else if (!(oldMode & S_IWUSR))
        newMode |= S_IWUSR;

    int error = 0;
    // What the file's mode is now: openForChange may have had to make it readable.
    struct stat now;
    mode_t mode = fstat(fd, &now) == 0 ? (now.st_mode & 07777) : oldMode;
    if (readStoredBitsOf(fd) != wanted) {
        // Writing an extended attribute needs write permission, which a read-only file
        // lacks until the end of this call.
        if (!(mode & S_IWUSR)) {
            if (fchmod(fd, mode | S_IWUSR) != 0)
                return errno;
            mode |= S_IWUSR;
        }
        error = writeStoredWith(
            wanted,
            [fd](const char* name, const char* value, size_t size) {
                return fsetxattr(fd, name, value, size, 0);
            },
            [fd](const char* name) { return fremovexattr(fd, name); });
    }
    // The read-only protection is applied even where the stored bits could not be kept.
    if (newMode != mode && fchmod(fd, newMode) != 0 && error == 0)
        error = errno;
    return error;
}

int PosixFileSystem::setTimes(const TreePath& path, const FileTime* lastAccess,
                              const FileTime* lastWrite) {
    timespec times[2];
    const FileTime* given[2] = {lastAccess, lastWrite};
    for (int i = 0; i < 2; ++i) {
        if (given[i]) {
            times[i].tv_sec = static_cast<time_t>(given[i]->seconds);
            times[i].tv_nsec = given[i]->nanoseconds;
        } else {
            times[i].tv_sec = 0;
            times[i].tv_nsec = UTIME_OMIT;
        }
    }
    ParentDirectory parent;
    if (const int error = m_tree.openParent(path, parent))
        return error;
    // A link's own times are the ones its status shows, so those are the ones set; a name
    // that is gone stays gone.
    if (utimensat(parent.fd.get(), parent.leaf.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    return 0;
}

namespace {

/// The directory `path` itself, opened to be read (not through a link).
int openDirectory(TreeResolver& tree, const TreePath& path, UniqueFd& out) {
    ParentDirectory parent;
    if (const int error = tree.openParent(path, parent, RootLookup::AsNamed))
        return error;
    out = UniqueFd(openat(parent.fd.get(), parent.leaf.c_str(),
                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return out ? 0 : errno;
}

} // namespace

int PosixFileSystem::copyDirectoryFacts(const TreePath& from, const TreePath& made,
                                        DirectoryFinish& finish) {
    finish = DirectoryFinish();
    UniqueFd source;
    UniqueFd target;
    if (const int error = openDirectory(m_tree, from, source))
        return error;
    if (const int error = openDirectory(m_tree, made, target))
        return error;
    RawStat st;
    if (const int error = statOpenFile(source.get(), st))
        return error;
    mode_t mode = 0;
    if (const int error = keepOwner(target.get(), st, mode))
        return error;
    int error = copyExtendedAttributes(source.get(), target.get(), true, mode);
    finish.known = true;
    finish.permissions = mode;
    finish.lastAccessTime = st.lastAccessTime;
    finish.lastWriteTime = st.lastWriteTime;
    // Until it is filled the owner may enter and fill it, whatever its own bits say; the
    // set-group-id bit counts from now on, so the files made in it take its group.
    if (fchmod(target.get(), mode | S_IRWXU) != 0 && error == 0)
        error = errno;
    return error;
}

int PosixFileSystem::finishDirectory(const TreePath& made, const DirectoryFinish& finish) {
    if (!finish.known)
        return 0;
    UniqueFd target;
    if (const int error = openDirectory(m_tree, made, target))
        return error;
    if (fchmod(target.get(), static_cast<mode_t>(finish.permissions)) != 0)
        return errno;
    const timespec times[2] = {{finish.lastAccessTime.seconds, finish.lastAccessTime.nanoseconds},
                               {finish.lastWriteTime.seconds, finish.lastWriteTime.nanoseconds}};
    if (futimens(target.get(), times) != 0)
        return errno;
    return 0;
}

int PosixFileSystem::flushWrites() {
    const int first = m_copyShared.flusher.finish();
    const std::lock_guard lock(m_copyShared.mutex);
    m_copyShared.writtenDirectories.clear();
    return first;
}

unsigned PosixFileSystem::copiesAtOnce() {
    return std::clamp(std::thread::hardware_concurrency(), 2u, 4u);
}

} // namespace ryk
