#include "platform/posix/PosixFileCopy.h"

#include "platform/ErrorCodes.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/WholeCalls.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ryk {

PosixFileCopy::~PosixFileCopy() {
    abandon();
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
    case FileKind::Link:
        return readLinkText(m_sourceDir.fd.get(), leaf, m_linkText);
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
    if (isLink())
        return m_temporary.createLink(m_targetDir.fd, m_linkText);
    // An unnamed temporary cannot be opened by name, so it may have the source's rights from
    // the start and mostly needs no change of them later; one the owner may not write would
    // refuse the attributes, and a directory's default ACL would decide instead.
    const mode_t rights = m_openStat.mode & 0777;
    const mode_t initial = !m_mayInheritAcl && (rights & S_IWUSR) ? rights : 0600;
    return m_temporary.createFile(m_targetDir.fd, initial);
}

int PosixFileCopy::open(const TreePath& source, const TreePath& target) {
    abandon();
    m_cloning = false;
    m_cloned = false;
    m_inKernel = true;
    m_atOpenedSize = false;
    m_endStatFresh = false;
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
        error = checkTarget(m_targetDir.fd.get(), m_targetDir.leaf, &m_openStat);
    if (error == 0) {
        m_temporary.removeStale(m_targetDir);
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
    if (isLink() && !m_temporary.name().empty())
        return 0; // a link has no data: its text is in place already
    if (!m_sourceFd || !m_temporary.file())
        return EBADF;
    if (maxBytes == 0)
        return EINVAL;
    if (m_cloned)
        return 0;
    if (m_atOpenedSize) {
        // A file copied up to the size it had is looked at instead of read once more: one of
        // that size still has ended, and the look is the one asked for after the copy.
        m_atOpenedSize = false;
        if (statOpenFile(m_sourceFd.get(), m_endStat) == 0 && m_endStat.size == m_offset) {
            m_endStatFresh = true;
            return 0;
        }
    }
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
                if (atEnd && ftruncate(m_temporary.file().get(), static_cast<off_t>(m_offset)) != 0)
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
        if (ftruncate(m_temporary.file().get(), static_cast<off_t>(m_offset)) != 0)
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
    if (ioctl(m_temporary.file().get(), FICLONE, m_sourceFd.get()) == 0) {
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
            copy_file_range(m_sourceFd.get(), &in, m_temporary.file().get(), &out, length, 0);
        if (n > 0) {
            copied = static_cast<size_t>(n);
            m_offset += copied;
            m_atOpenedSize = m_offset == m_openStat.size;
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
            pwrite(m_temporary.file().get(), m_buffer.get() + written,
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

int PosixFileCopy::flush() {
    // A link's text is in its directory entry, which the commit puts on disk.
    if (!isLink()) {
        if (!m_temporary.file())
            return EBADF;
        if (fsync(m_temporary.file().get()) != 0)
            return errno;
    }
    m_durable = true;
    return 0;
}

namespace {

/// Reads up to `size` bytes at `offset`, as many as there are; the count or -1 (errno set).
ssize_t readFully(int fd, char* data, size_t size, off_t offset) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, data + got, size - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

} // namespace

int PosixFileCopy::verify() {
    if (isLink())
        return 0;
    if (!m_sourceFd || !m_temporary.file())
        return EBADF;
    const int written = m_temporary.file().get();
    // Read from the cache, the copy would only be compared with what was meant to be written.
    if (fdatasync(written) != 0)
        return errno;
    (void)posix_fadvise(written, 0, 0, POSIX_FADV_DONTNEED);
    const UniqueFd back = m_temporary.openForReading();
    if (!back)
        return errno;
    constexpr size_t kStepBytes = size_t{1} << 20;
    const size_t step = static_cast<size_t>(std::clamp<uint64_t>(m_offset, 1, kStepBytes));
    std::vector<char> source(step);
    std::vector<char> copy(step);
    for (off_t offset = 0;;) {
        const ssize_t fromSource = readFully(m_sourceFd.get(), source.data(), step, offset);
        if (fromSource < 0)
            return errno;
        const ssize_t fromCopy = readFully(back.get(), copy.data(), step, offset);
        if (fromCopy < 0)
            return errno;
        if (fromCopy != fromSource ||
            std::memcmp(source.data(), copy.data(), static_cast<size_t>(fromCopy)) != 0)
            return kErrorVerifyMismatch;
        if (fromSource == 0)
            return 0;
        offset += fromSource;
    }
}

int PosixFileCopy::committed() {
    int error = 0;
    if (m_durable) {
        const UniqueFd dir = reopenDirectory(m_targetDir.fd.get());
        if (!dir || fsync(dir.get()) != 0)
            error = errno;
    }
    abandon();
    return error;
}

int PosixFileCopy::commit(const PlannedTarget& planned) {
    if (const int error = m_temporary.commit(m_targetDir.leaf, planned))
        return error;
    return committed();
}

void PosixFileCopy::abandon() {
    m_durable = false;
    m_temporary.abandon();
    m_sourceFd.reset();
    m_sourceDir.fd.reset();
    m_targetDir.fd.reset();
}

} // namespace ryk
