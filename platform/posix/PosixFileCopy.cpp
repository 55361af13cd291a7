#include "platform/posix/PosixFileCopy.h"

#include "platform/ErrorCodes.h"
#include "platform/posix/ExtendedAttributes.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/RenameFallback.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

namespace ryk {

namespace {

/// EISDIR for a directory, EACCES for a read-only file, EINVAL for the file `source` itself
/// (given its stat), 0 for any other file or none. A link at the target is replaced itself.
int checkTarget(const ParentDirectory& target, const RawStat* source = nullptr) {
    struct stat st;
    if (fstatat(target.fd.get(), target.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
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

/// The directory an O_PATH descriptor names, opened again so that it can be flushed.
UniqueFd reopenToFlush(int pathFd) {
    return UniqueFd(openat(pathFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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

PosixFileCopy::~PosixFileCopy() {
    abandon();
}

std::string PosixFileCopy::newTemporaryName() {
    const unsigned number = m_shared ? m_shared->temporaryNumber++ : m_temporaryNumber++;
    char name[64];
    std::snprintf(name, sizeof name, "%s%d.%06x", kTemporaryPrefix, static_cast<int>(getpid()),
                  (number * 2654435761u) & 0xFFFFFFu);
    return name;
}

void PosixFileCopy::removeStaleTemporaries() {
    if (!m_shared)
        return;
    // Once per directory: the look costs a listing, the key no system call.
    {
        const std::lock_guard lock(m_shared->mutex);
        if (!m_shared->cleaned.insert(m_targetDir.directory).second)
            return;
    }
    const UniqueDir dir = directoryStream(reopenToFlush(m_targetDir.fd.get()));
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

void PosixFileCopy::noteTargetDirectory() {
    m_mayInheritAcl = true;
    if (!m_shared)
        return;
    m_shared->flusher.wrote();
    {
        const std::lock_guard lock(m_shared->mutex);
        const auto known = m_shared->writtenDirectories.find(m_targetDir.directory);
        if (known != m_shared->writtenDirectories.end()) {
            m_mayInheritAcl = known->second;
            return;
        }
    }
    UniqueFd dir = reopenToFlush(m_targetDir.fd.get());
    if (!dir)
        return;
    m_mayInheritAcl = mayPassOnAcl(dir.get());
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->writtenDirectories.emplace(m_targetDir.directory, m_mayInheritAcl);
    }
    struct stat st;
    if (fstat(dir.get(), &st) == 0 && !m_shared->flusher.has(st.st_dev))
        m_shared->flusher.add(st.st_dev, std::move(dir));
}

int PosixFileCopy::openSource(const TreePath& source) {
    if (const int error = openParentOf(source, m_sourceDir))
        return error;
    const char* leaf = m_sourceDir.leaf.c_str();
    if (const int error = statAt(m_sourceDir.fd.get(), leaf, m_openStat, LinkMode::Describe))
        return error;
    switch (kindOf(m_openStat.mode)) {
    case FileKind::Directory:
        return EISDIR;
    case FileKind::Special:
        return kErrorSpecialFile; // never opened: a FIFO's writer would lose its data
    case FileKind::Link: {
        std::string text(256, '\0');
        for (;;) {
            const ssize_t n = readlinkat(m_sourceDir.fd.get(), leaf, text.data(), text.size());
            if (n < 0)
                return errno;
            if (static_cast<size_t>(n) < text.size()) {
                text.resize(static_cast<size_t>(n));
                break;
            }
            text.resize(text.size() * 2);
        }
        m_linkText = std::move(text);
        return 0;
    }
    case FileKind::Regular:
        break;
    }
    // O_NONBLOCK: should a FIFO have taken the file's place since the look above, the open
    // does not wait for a writer; it is refused below all the same.
    m_sourceFd.reset(openat(m_sourceDir.fd.get(), leaf,
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!m_sourceFd)
        return errno == ELOOP ? kErrorSourceChanged : errno;
    RawStat opened;
    if (const int error = statOpenFile(m_sourceFd.get(), opened))
        return error;
    if (!S_ISREG(opened.mode) || opened.inode != m_openStat.inode ||
        opened.device != m_openStat.device)
        return kErrorSourceChanged;
    m_openStat = opened;
    m_sparse = m_openStat.size > 0 && m_openStat.blocks * 512 < m_openStat.size;
    return 0;
}

int PosixFileCopy::createTemporary() {
    const int dir = m_targetDir.fd.get();
    if (isLink()) {
        for (int attempt = 0; attempt < 64; ++attempt) {
            std::string name = newTemporaryName();
            if (symlinkat(m_linkText.c_str(), dir, name.c_str()) == 0) {
                m_temporary = std::move(name);
                return 0;
            }
            if (errno != EEXIST)
                return errno;
        }
        return EEXIST;
    }
    // An unnamed file vanishes by itself if the program dies midway, and links in without
    // replacing anything in one step; linking it needs /proc.
    static const bool canLinkUnnamed = access("/proc/self/fd", X_OK) == 0;
    if (canLinkUnnamed) {
        // Nobody can open it by name, so it may have the source's rights from the start and
        // mostly needs no change of them later; one the owner may not write would refuse the
        // attributes, and a directory's default ACL would decide instead.
        const mode_t rights = m_openStat.mode & 0777;
        const mode_t initial = !m_mayInheritAcl && (rights & S_IWUSR) ? rights : 0600;
        m_temporaryFd.reset(openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, initial));
        if (m_temporaryFd) {
            m_unnamed = true;
            return 0;
        }
    }
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string name = newTemporaryName();
        m_temporaryFd.reset(
            openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (m_temporaryFd) {
            m_temporary = std::move(name);
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int PosixFileCopy::open(const TreePath& source, const TreePath& target) {
    abandon();
    m_cloning = false;
    m_cloned = false;
    m_inKernel = true;
    m_offset = 0;
    m_extentEnd = 0;
    m_sparse = false;
    m_storedValueRead = false;
    m_attributeNamesRead = false;
    m_durable = false;
    m_linkText.clear();

    int error = openSource(source);
    // Everything after the source's own open concerns the target.
    const bool sourceOpen = error == 0;
    // A name that ends in '/' stands for a directory, which a file cannot replace.
    if (error == 0 && (target.path.empty() || target.path.back() == '/'))
        error = target.path.empty() ? ENOENT : EISDIR;
    if (error == 0)
        error = openParentOf(target, m_targetDir);
    if (error == 0)
        error = checkTarget(m_targetDir, &m_openStat);
    if (error == 0) {
        removeStaleTemporaries();
        noteTargetDirectory();
        error = createTemporary();
    }
    m_failedAtTarget = error != 0 && sourceOpen;
    if (error != 0) {
        abandon();
        return error;
    }
    // A file that reads as empty has nothing to share (and kernel pseudo-files read so).
    m_cloning = m_sourceFd && m_openStat.size > 0 && !knownNotToClone();
    return 0;
}

bool PosixFileCopy::nextExtent(size_t& skipped, bool& atEnd) {
    skipped = 0;
    atEnd = false;
    const off_t data = lseek(m_sourceFd.get(), static_cast<off_t>(m_offset), SEEK_DATA);
    if (data < 0) {
        if (errno != ENXIO)
            return false; // the file system cannot tell: every byte is copied
        // Nothing but hole up to the end of the file as it is now.
        struct stat st;
        if (fstat(m_sourceFd.get(), &st) != 0)
            return false;
        const uint64_t end = static_cast<uint64_t>(st.st_size);
        if (end > m_offset)
            skipped = static_cast<size_t>(end - m_offset);
        m_offset = std::max(m_offset, end);
        atEnd = true;
        return true;
    }
    if (static_cast<uint64_t>(data) > m_offset) {
        skipped = static_cast<size_t>(static_cast<uint64_t>(data) - m_offset);
        m_offset = static_cast<uint64_t>(data);
    }
    const off_t hole = lseek(m_sourceFd.get(), data, SEEK_HOLE);
    m_extentEnd = hole < 0 ? UINT64_MAX : static_cast<uint64_t>(hole);
    return true;
}

int PosixFileCopy::copyChunk(size_t maxBytes, size_t& copied) {
    copied = 0;
    m_failedAtTarget = false;
    if (isLink() && !m_temporary.empty())
        return 0; // a link has no data: its text is in place already
    if (!m_sourceFd || !m_temporaryFd)
        return EBADF;
    if (maxBytes == 0)
        return EINVAL;
    if (m_cloned)
        return 0;
    if (m_cloning) {
        if (const int error = cloneWhole(m_cloned))
            return error;
        if (m_cloned) {
            copied = static_cast<size_t>(m_offset);
            return 0;
        }
    }
    size_t length = maxBytes;
    if (m_sparse) {
        if (m_offset >= m_extentEnd) {
            size_t skipped = 0;
            bool atEnd = false;
            if (!nextExtent(skipped, atEnd)) {
                m_sparse = false;
            } else if (atEnd || skipped > 0) {
                // A hole counts as copied; the copy gets its length at the end.
                if (atEnd && ftruncate(m_temporaryFd.get(), static_cast<off_t>(m_offset)) != 0)
                    return atTarget(errno);
                copied = skipped;
                return 0;
            }
        }
        if (m_sparse)
            length = static_cast<size_t>(std::min<uint64_t>(length, m_extentEnd - m_offset));
    }
    const int error = copyRange(length, copied);
    if (error == 0 && copied == 0 && m_sparse) {
        // The source ended inside what was data: it shrank. The copy is as long as what was read.
        if (ftruncate(m_temporaryFd.get(), static_cast<off_t>(m_offset)) != 0)
            return atTarget(errno);
    }
    return error;
}

bool PosixFileCopy::knownNotToClone() {
    if (!m_shared)
        return false;
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->noClone.count({m_openStat.device, m_targetDir.directory}) != 0;
}

int PosixFileCopy::cloneWhole(bool& cloned) {
    cloned = false;
    if (ioctl(m_temporaryFd.get(), FICLONE, m_sourceFd.get()) == 0) {
        // The whole file as it is now; one that changed since it was opened is refused after
        // the copy all the same, so the size then is the size of every copy that is kept.
        cloned = true;
        m_cloning = false;
        m_offset = m_openStat.size;
        return 0;
    }
    if (errno == EINTR)
        return errno; // nothing done; the next step tries again
    m_cloning = false;
    // These say the file systems cannot share extents at all; anything else (a full disk, a
    // file marked not to share its blocks) only that this file is copied.
    if (m_shared && (errno == EOPNOTSUPP || errno == ENOTTY || errno == EXDEV || errno == ENOSYS)) {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->noClone.emplace(m_openStat.device, m_targetDir.directory);
    }
    return 0;
}

int PosixFileCopy::copyRange(size_t length, size_t& copied) {
    if (m_inKernel) {
        loff_t in = static_cast<loff_t>(m_offset);
        loff_t out = in;
        const ssize_t n =
            copy_file_range(m_sourceFd.get(), &in, m_temporaryFd.get(), &out, length, 0);
        if (n > 0) {
            copied = static_cast<size_t>(n);
            m_offset += copied;
            return 0;
        }
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            // EINTR included: nothing was copied. Room, quota and size limits are the target's.
            if (errno == ENOSPC || errno == EDQUOT || errno == EFBIG || errno == EROFS)
                return atTarget(errno);
            return errno;
        }
        // The end, after some data; or the kernel cannot copy between these two files, or some
        // file systems report files whose length they do not know as empty: a read decides.
        if (n == 0 && m_offset > 0)
            return 0;
        m_inKernel = false;
        // The kernel's copy leaves the read position alone; the reads go on from the offset.
        if (m_offset > 0 && lseek(m_sourceFd.get(), static_cast<off_t>(m_offset), SEEK_SET) < 0)
            return errno;
    }
    return copyThroughBuffer(length, copied);
}

int PosixFileCopy::copyThroughBuffer(size_t length, size_t& copied) {
    const size_t want = std::min(length, kBufferBytes);
    if (!m_buffer)
        m_buffer = std::make_unique<char[]>(kBufferBytes);
    // Kernel pseudo-files may not know offsets; a plain read at the current position serves
    // them, and the offsets of a regular file stay in step with it.
    const ssize_t got =
        m_sparse ? pread(m_sourceFd.get(), m_buffer.get(), want, static_cast<off_t>(m_offset))
                 : read(m_sourceFd.get(), m_buffer.get(), want);
    if (got < 0)
        return errno; // EINTR included: nothing was read
    size_t written = 0;
    while (written < static_cast<size_t>(got)) {
        const ssize_t n =
            pwrite(m_temporaryFd.get(), m_buffer.get() + written,
                   static_cast<size_t>(got) - written, static_cast<off_t>(m_offset + written));
        if (n < 0) {
            // The bytes are read already; giving up here would lose them.
            if (errno == EINTR)
                continue;
            return atTarget(errno);
        }
        written += static_cast<size_t>(n);
    }
    copied = written;
    m_offset += written;
    return 0;
}

int PosixFileCopy::sourceStatus(FileStatus& out) {
    RawStat stat;
    if (isLink() && m_sourceDir.fd) {
        if (const int error =
                statAt(m_sourceDir.fd.get(), m_sourceDir.leaf.c_str(), stat, LinkMode::Describe))
            return error;
        toFileStatus(stat, attributeWordWith(stat, m_sourceDir.leaf, 0), out);
        return 0;
    }
    if (!m_sourceFd)
        return EBADF;
    if (const int error = statOpenFile(m_sourceFd.get(), stat))
        return error;
    toFileStatus(stat, attributeWordWith(stat, m_sourceDir.leaf, parseStoredBits(storedValue())),
                 out);
    return 0;
}

int PosixFileCopy::openedStatus(FileStatus& out) {
    if (!m_sourceFd && !isLink())
        return EBADF;
    const uint32_t stored = isLink() ? 0 : parseStoredBits(storedValue());
    toFileStatus(m_openStat, attributeWordWith(m_openStat, m_sourceDir.leaf, stored), out);
    return 0;
}

int PosixFileCopy::copyTimes() {
    const timespec times[2] = {
        {m_openStat.lastAccessTime.seconds, m_openStat.lastAccessTime.nanoseconds},
        {m_openStat.lastWriteTime.seconds, m_openStat.lastWriteTime.nanoseconds}};
    if (isLink()) {
        if (m_temporary.empty())
            return EBADF;
        if (utimensat(m_targetDir.fd.get(), m_temporary.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        return 0;
    }
    if (!m_sourceFd || !m_temporaryFd)
        return EBADF;
    if (futimens(m_temporaryFd.get(), times) != 0)
        return errno;
    return 0;
}

int PosixFileCopy::copyAttributes() {
    if (isLink()) {
        if (m_temporary.empty())
            return EBADF;
        // A link has no permission bits of its own; its owner is kept where the process may.
        [[maybe_unused]] const int ignored =
            fchownat(m_targetDir.fd.get(), m_temporary.c_str(), m_openStat.owner, m_openStat.group,
                     AT_SYMLINK_NOFOLLOW);
        return 0;
    }
    if (!m_sourceFd || !m_temporaryFd)
        return EBADF;
    mode_t mode = 0;
    mode_t current = 0;
    if (const int error = keepOwner(m_temporaryFd.get(), m_openStat, mode, &current))
        return error;
    // Before the permission bits: a copy made read-only would refuse the attributes. A
    // failure may narrow the mode, never widen it.
    const std::string& names = attributeNames();
    int error = m_attributeNamesError;
    if (error == 0)
        error = copyExtendedAttributes(m_sourceFd.get(), names, m_temporaryFd.get(),
                                       m_mayInheritAcl, mode);
    // Most copies got their rights when made: no attribute or ACL came since to change them.
    if (error == 0 && names.empty() && !m_mayInheritAcl && current == mode)
        return 0;
    // The read-only protection is applied even where the attributes could not be kept.
    if (fchmod(m_temporaryFd.get(), mode) != 0 && error == 0)
        error = errno;
    return error;
}

int PosixFileCopy::flush() {
    // A link's text is in its directory entry, which the commit puts on disk.
    if (!isLink()) {
        if (!m_temporaryFd)
            return EBADF;
        if (fsync(m_temporaryFd.get()) != 0)
            return errno;
    }
    m_durable = true;
    return 0;
}

int PosixFileCopy::committed() {
    int error = 0;
    if (m_durable) {
        const UniqueFd dir = reopenToFlush(m_targetDir.fd.get());
        if (!dir || fsync(dir.get()) != 0)
            error = errno;
    }
    abandon();
    return error;
}

const std::string& PosixFileCopy::attributeNames() {
    if (!m_attributeNamesRead) {
        m_attributeNamesError =
            m_sourceFd ? listAttributes(m_sourceFd.get(), m_attributeNames) : EBADF;
        if (m_attributeNamesError != 0)
            m_attributeNames.clear();
        m_attributeNamesRead = true;
    }
    return m_attributeNames;
}

const std::string& PosixFileCopy::storedValue() {
    if (!m_storedValueRead) {
        // Most files have no attributes at all: the listing the copy needs anyway says so.
        const std::string& names = attributeNames();
        if (!m_sourceFd)
            m_storedValueError = EBADF;
        else if (m_attributeNamesError == 0 && !listsAttribute(names, kStoredBitsName))
            m_storedValueError = ENODATA;
        else
            m_storedValueError = readAttribute(m_sourceFd.get(), kStoredBitsName, m_storedValue);
        if (m_storedValueError != 0)
            m_storedValue.clear();
        m_storedValueRead = true;
    }
    return m_storedValue;
}

int PosixFileCopy::linkUnnamed(const std::string& leaf) const {
    // Linking a descriptor directly needs a privilege most users lack; the /proc name of the
    // descriptor works for everyone, at the price of a longer lookup.
    const int dir = m_targetDir.fd.get();
    if (!m_shared || !m_shared->directLinkRefused.load(std::memory_order_relaxed)) {
        if (linkat(m_temporaryFd.get(), "", dir, leaf.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        // Refused for want of the privilege (ENOENT), or the target's own problem.
        if (errno != ENOENT && errno != EPERM)
            return errno;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(m_temporaryFd.get());
    if (linkat(AT_FDCWD, self.c_str(), dir, leaf.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return errno;
    if (m_shared)
        m_shared->directLinkRefused.store(true, std::memory_order_relaxed);
    return 0;
}

int PosixFileCopy::replaceTarget(const std::string& named, const PlannedTarget& planned) {
    const int dir = m_targetDir.fd.get();
    const char* leaf = m_targetDir.leaf.c_str();
    const char* copy = named.c_str();
    // The target may have become read-only while the data were copied.
    int error = checkTarget(m_targetDir);
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
            error = renameWithoutReplace(dir, copy, dir, leaf);
            if (error == EEXIST)
                error = kErrorTargetChanged;
        } else if (error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP) {
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

int PosixFileCopy::commit(const PlannedTarget& planned) {
    const CommitMode mode = planned.mode;
    if (m_unnamed) {
        if (!m_temporaryFd)
            return EBADF;
        if (mode == CommitMode::NoReplace) {
            if (const int error = linkUnnamed(m_targetDir.leaf))
                return error;
        } else {
            // Named beside the target first, then put in its place in one step.
            std::string named;
            int error = EEXIST;
            for (unsigned attempt = 0; attempt < 64 && error == EEXIST; ++attempt) {
                named = newTemporaryName();
                error = linkUnnamed(named);
            }
            if (error == 0)
                error = replaceTarget(named, planned);
            if (error != 0)
                return error;
        }
        return committed();
    }
    if (m_temporary.empty())
        return EBADF;
    if (m_temporaryFd) {
        // Network file systems report delayed write errors only here; a copy with such an
        // error must not take the target's place. After EINTR the descriptor is closed all
        // the same.
        const int closed = m_temporaryFd.close();
        if (closed != 0 && closed != EINTR)
            return closed;
    }
    if (mode == CommitMode::NoReplace) {
        if (const int error = renameWithoutReplace(m_targetDir.fd.get(), m_temporary.c_str(),
                                                   m_targetDir.fd.get(), m_targetDir.leaf.c_str()))
            return error;
    } else {
        // The temporary is replaceTarget's from here on, whatever the outcome.
        const std::string named = std::exchange(m_temporary, std::string());
        if (const int error = replaceTarget(named, planned))
            return error;
    }
    m_temporary.clear();
    return committed();
}

void PosixFileCopy::abandon() {
    m_unnamed = false;
    m_durable = false;
    m_temporaryFd.reset();
    if (!m_temporary.empty() && m_targetDir.fd) {
        unlinkat(m_targetDir.fd.get(), m_temporary.c_str(), 0);
        m_temporary.clear();
    }
    m_sourceFd.reset();
    m_sourceDir.fd.reset();
    m_targetDir.fd.reset();
}

} // namespace ryk
