#include "platform/posix/CopyTemporary.h"

#include "platform/ErrorCodes.h"
#include "platform/posix/RenameFallback.h"
#include "platform/posix/Trash.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ryk {

namespace {

/// 0 when `name` in `dir` is the file the plan saw at the target (`planned`), EACCES when it
/// has become read-only, ENOENT when it is gone, kErrorTargetChanged for anything else.
/// Without a plan's facts any file that is no directory or special file will do.
int checkPlanned(int dir, const char* name, const PlannedTarget& planned) {
    struct stat st;
    if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    const bool link = S_ISLNK(st.st_mode);
    if (!planned.known)
        return S_ISDIR(st.st_mode) ? EISDIR : link || S_ISREG(st.st_mode) ? 0 : kErrorSpecialFile;
    if (link != planned.link || (!link && !S_ISREG(st.st_mode)))
        return kErrorTargetChanged;
    if (isReadOnly(st.st_mode))
        return EACCES;
    // A regular file's length is its contents; a link's is its text, which its time covers.
    const FileTime written{static_cast<int64_t>(st.st_mtim.tv_sec),
                           static_cast<int32_t>(st.st_mtim.tv_nsec)};
    if ((!link && static_cast<uint64_t>(st.st_size) != planned.size) ||
        !(written == planned.lastWriteTime))
        return kErrorTargetChanged;
    return 0;
}

/// Whether a swap of two names failed because the file system cannot swap them.
bool cannotSwap(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

/// Gives the copy the name `leaf` only while it stays free: a file that appeared there
/// meanwhile makes the target a changed one.
int takeFreeName(int dir, const char* copy, const char* leaf) {
    const int error = renameWithoutReplace(dir, copy, dir, leaf);
    return error == EEXIST ? kErrorTargetChanged : error;
}

/// The process id in the name of a temporary of ours, or 0 for any other name.
pid_t temporaryOwner(std::string_view name) {
    constexpr std::string_view prefix = kTemporaryPrefix;
    if (name.substr(0, prefix.size()) != prefix)
        return 0;
    name.remove_prefix(prefix.size());
    const size_t dot = name.find('.');
    if (dot == 0 || dot == std::string_view::npos || dot > 10 || dot + 1 == name.size())
        return 0;
    pid_t pid = 0;
    for (const char c : name.substr(0, dot)) {
        if (c < '0' || c > '9')
            return 0;
        pid = pid * 10 + (c - '0');
    }
    for (const char c : name.substr(dot + 1))
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return 0;
    return pid;
}

} // namespace

int checkTarget(int dir, const std::string& leaf, const RawStat* source) {
    struct stat st;
    if (fstatat(dir, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    // Replacing a file by a copy of itself is no copy, and a move would then delete it.
    if (source && st.st_dev == source->device && st.st_ino == source->inode)
        return EINVAL;
    // Protected as the read-only attribute promises, although the directory would allow it.
    if (isReadOnly(st.st_mode))
        return EACCES;
    return 0;
}

std::string CopyTemporary::newName() {
    const unsigned number = m_shared ? m_shared->number++ : m_number++;
    char name[64];
    std::snprintf(name, sizeof name, "%s%d.%06x", kTemporaryPrefix, static_cast<int>(getpid()),
                  (number * 2654435761u) & 0xFFFFFFu);
    return name;
}

void CopyTemporary::removeStale(const ParentDirectory& target) {
    if (!m_shared)
        return;
    // Once per directory: the look costs a listing, the key no system call.
    {
        const std::lock_guard lock(m_shared->mutex);
        if (!m_shared->cleaned.insert(target.directory).second)
            return;
    }
    const UniqueDir dir = directoryStream(reopenDirectory(target.fd.get()));
    if (!dir)
        return;
    const pid_t self = getpid();
    while (const dirent* d = readdir(dir.get())) {
        const pid_t owner = temporaryOwner(d->d_name);
        // Only what a process that is gone left behind: a running copy's temporary stays.
        if (owner == 0 || owner == self || kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        struct stat st;
        if (fstatat(dirfd(dir.get()), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
            unlinkat(dirfd(dir.get()), d->d_name, 0);
    }
}

int CopyTemporary::createLink(const SharedFd& directory, const std::string& linkText) {
    m_directory = directory;
    const int dir = m_directory.get();
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string name = newName();
        if (symlinkat(linkText.c_str(), dir, name.c_str()) == 0) {
            m_name = std::move(name);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int CopyTemporary::createFile(const SharedFd& directory, mode_t unnamedRights) {
    m_directory = directory;
    const int dir = m_directory.get();
    // An unnamed file vanishes by itself if the program dies midway, and links in without
    // replacing anything in one step; linking it needs /proc.
    static const bool canLinkUnnamed = access("/proc/self/fd", X_OK) == 0;
    if (canLinkUnnamed) {
        m_file.reset(openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, unnamedRights));
        if (m_file) {
            m_unnamed = true;
            return 0;
        }
    }
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string name = newName();
        m_file.reset(openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (m_file) {
            m_name = std::move(name);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

UniqueFd CopyTemporary::openForReading() const {
    if (!m_name.empty())
        return UniqueFd(
            openat(m_directory.get(), m_name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    // An unnamed file is reached only through its descriptor.
    const std::string self = "/proc/self/fd/" + std::to_string(m_file.get());
    return UniqueFd(open(self.c_str(), O_RDONLY | O_CLOEXEC));
}

int CopyTemporary::linkUnnamed(const std::string& leaf) const {
    // Linking a descriptor directly needs a privilege most users lack; the /proc name of the
    // descriptor works for everyone, at the price of a longer lookup.
    const int dir = m_directory.get();
    if (!m_shared || !m_shared->directLinkRefused.load(std::memory_order_relaxed)) {
        if (linkat(m_file.get(), "", dir, leaf.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        // Refused for want of the privilege (ENOENT), or the target's own problem.
        if (errno != ENOENT && errno != EPERM)
            return errno;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(m_file.get());
    if (linkat(AT_FDCWD, self.c_str(), dir, leaf.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return errno;
    if (m_shared)
        m_shared->directLinkRefused.store(true, std::memory_order_relaxed);
    return 0;
}

int CopyTemporary::replaceTarget(const std::string& named, const std::string& leafName,
                                 const PlannedTarget& planned) {
    if (planned.replaced == ReplacedFile::Trashed)
        return replaceTrashingTarget(named, leafName, planned);
    const int dir = m_directory.get();
    const char* leaf = leafName.c_str();
    const char* copy = named.c_str();
    // The target may have become read-only while the data were copied.
    int error = checkTarget(dir, leafName);
    if (error == 0 && planned.known) {
        // Swapped rather than renamed over: what stood there is looked at once nobody can
        // change it under that name any more, and put back unless it is what the plan saw.
        error = renameExchange(dir, copy, dir, leaf);
        if (error == 0) {
            error = checkPlanned(dir, copy, planned);
            if (error == 0 || renameExchange(dir, copy, dir, leaf) == 0) {
                unlinkat(dir, copy, 0); // the replaced file, or the copy put back
                return error;
            }
            // Neither is lost: the copy stands at the target, the other file under `named`.
            return error;
        }
        if (error == ENOENT) {
            // Gone since planning: the copy takes the free name, and only if it stays free.
            error = takeFreeName(dir, copy, leaf);
        } else if (cannotSwap(error)) {
            // A file system that cannot swap: the look is the last step before the rename.
            error = checkPlanned(dir, leaf, planned);
            if (error == 0 && renameat(dir, copy, dir, leaf) != 0)
                error = errno;
        }
    } else if (error == 0) {
        error = checkPlanned(dir, leaf, planned);
        if (error == ENOENT)
            error = 0;
        if (error == 0 && renameat(dir, copy, dir, leaf) != 0)
            error = errno;
    }
    if (error != 0)
        unlinkat(dir, copy, 0);
    return error;
}

int CopyTemporary::replaceTrashingTarget(const std::string& named, const std::string& leafName,
                                         const PlannedTarget& planned) {
    const int dir = m_directory.get();
    const char* leaf = leafName.c_str();
    const char* copy = named.c_str();
    int error = checkTarget(dir, leafName);
    if (error == 0) {
        // Swapped: the old file is looked at and trashed under the copy's name, the copy
        // already in its place, and swapped back when it cannot go.
        error = renameExchange(dir, copy, dir, leaf);
        if (error == 0) {
            error = checkPlanned(dir, copy, planned);
            if (error == 0)
                error = moveToTrashAt(dir, named, leafName);
            if (error == 0)
                return 0;
            if (renameExchange(dir, copy, dir, leaf) == 0)
                unlinkat(dir, copy, 0);
            // Else neither is lost: the copy stands at the target, the old file under `named`.
            return error;
        }
        if (error == ENOENT) {
            // Nothing to trash: the copy takes the free name, and only if it stays free.
            error = takeFreeName(dir, copy, leaf);
        } else if (cannotSwap(error)) {
            // A file system that cannot swap: the old file is put aside, trashed, and only then
            // is its name free for the copy; put back if it cannot go.
            const std::string aside = newName();
            error = checkPlanned(dir, leaf, planned);
            if (error == 0)
                error = renameWithoutReplace(dir, leaf, dir, aside.c_str());
            if (error == 0) {
                error = moveToTrashAt(dir, aside, leafName);
                if (error != 0)
                    (void)renameWithoutReplace(dir, aside.c_str(), dir, leaf);
                else
                    error = renameWithoutReplace(dir, copy, dir, leaf);
            }
        }
    }
    if (error != 0)
        unlinkat(dir, copy, 0);
    return error;
}

int CopyTemporary::commit(const std::string& leaf, const PlannedTarget& planned) {
    const CommitMode mode = planned.mode;
    if (m_unnamed) {
        if (!m_file)
            return EBADF;
        if (mode == CommitMode::NoReplace)
            return linkUnnamed(leaf);
        // Named beside the target first, then put in its place in one step.
        std::string named;
        int error = EEXIST;
        for (unsigned attempt = 0; attempt < 64 && error == EEXIST; ++attempt) {
            named = newName();
            error = linkUnnamed(named);
        }
        if (error == 0)
            error = replaceTarget(named, leaf, planned);
        return error;
    }
    if (m_name.empty())
        return EBADF;
    if (m_file) {
        // Network file systems report delayed write errors only here; a copy with such an
        // error must not take the target's place. After EINTR the descriptor is closed all
        // the same.
        const int closed = m_file.close();
        if (closed != 0 && closed != EINTR)
            return closed;
    }
    const int dir = m_directory.get();
    if (mode == CommitMode::NoReplace) {
        if (const int error = renameWithoutReplace(dir, m_name.c_str(), dir, leaf.c_str()))
            return error;
    } else {
        // The temporary is replaceTarget's from here on, whatever the outcome.
        const std::string named = std::exchange(m_name, std::string());
        if (const int error = replaceTarget(named, leaf, planned))
            return error;
    }
    m_name.clear();
    return 0;
}

void CopyTemporary::abandon() {
    m_unnamed = false;
    m_file.reset();
    if (!m_name.empty() && m_directory) {
        unlinkat(m_directory.get(), m_name.c_str(), 0);
        m_name.clear();
    }
    m_directory.reset();
}

} // namespace ryk
