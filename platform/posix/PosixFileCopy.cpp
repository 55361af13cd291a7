#include "platform/posix/PosixFileCopy.h"

#include "platform/posix/PosixStat.h"
#include "platform/posix/RenameFallback.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ryk {

namespace {

constexpr char kStoredBitsName[] = "user.DOSATTRIB";
/// "." + name + ".XXXXXX": the temporary's name is this much longer than the target's.
constexpr size_t kTemporaryExtra = 8;

/// The hidden name of a temporary beside `target` ("." + name + "." + six characters), its
/// name cut so that the whole still fits a directory entry.
std::string temporaryName(const std::string& target, std::string_view name,
                          std::string_view suffix) {
    const std::string_view base =
        name.substr(0, std::min(name.size(), size_t{NAME_MAX} - kTemporaryExtra));
    return target.substr(0, target.size() - name.size()) + "." + std::string(base) + "." +
           std::string(suffix);
}

/// EISDIR for a directory, EACCES for a read-only file, EINVAL for the file `source` itself
/// (given its stat), 0 for any other file or none.
int checkTarget(const std::string& target, const RawStat* source = nullptr) {
    struct stat st;
    if (lstat(target.c_str(), &st) != 0)
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

/// Reads the whole `user.DOSATTRIB` value of an open file; ENODATA when it has none.
int readStoredValue(int fd, std::string& value) {
    for (;;) {
        const ssize_t needed = fgetxattr(fd, kStoredBitsName, nullptr, 0);
        if (needed < 0)
            return errno;
        value.resize(static_cast<size_t>(needed));
        const ssize_t got = fgetxattr(fd, kStoredBitsName, value.data(), value.size());
        if (got >= 0) {
            value.resize(static_cast<size_t>(got));
            return 0;
        }
        // It grew between the two calls: ask again.
        if (errno != ERANGE)
            return errno;
    }
}

} // namespace

PosixFileCopy::~PosixFileCopy() {
    abandon();
}

int PosixFileCopy::open(const std::string& source, const std::string& target) {
    abandon();
    m_inKernel = true;

    // Without O_NONBLOCK a named pipe would wait here for a writer; only regular files are
    // copied, and for them the flag changes nothing.
    m_sourceFd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_sourceFd < 0)
        return errno;
    int error = statOpenFile(m_sourceFd, m_openStat);
    if (error == 0 && !S_ISREG(m_openStat.mode))
        error = S_ISDIR(m_openStat.mode) ? EISDIR : ENOTSUP;
    if (error == 0)
        error = target.empty() ? ENOENT : checkTarget(target, &m_openStat);

    const std::string_view name = lastComponent(target);
    // A name that ends in '/' stands for a directory, which a file cannot replace.
    if (error == 0 && (name == "/" || target.back() == '/'))
        error = EISDIR;
    if (error != 0) {
        closeSource();
        return error;
    }

    // Beside the target, so the final step stays within one file system. An unnamed file
    // vanishes by itself if the program dies midway, and links in without replacing anything
    // in one step; linking it needs /proc.
    const std::string directory = target.substr(0, target.size() - name.size());
    std::string temporary;
    static const bool canLinkUnnamed = access("/proc/self/fd", X_OK) == 0;
    if (canLinkUnnamed)
        m_temporaryFd = ::open(directory.empty() ? "." : directory.c_str(),
                               O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    m_unnamed = m_temporaryFd >= 0;
    if (!m_unnamed) {
        temporary = temporaryName(target, name, "XXXXXX");
        m_temporaryFd = mkostemp(temporary.data(), O_CLOEXEC);
        if (m_temporaryFd < 0) {
            error = errno;
            closeSource();
            return error;
        }
    }
    m_sourceTimes[0] = {m_openStat.lastAccessTime.seconds, m_openStat.lastAccessTime.nanoseconds};
    m_sourceTimes[1] = {m_openStat.lastWriteTime.seconds, m_openStat.lastWriteTime.nanoseconds};
    m_copied = 0;
    m_storedValueRead = false;
    m_source = source;
    m_target = target;
    m_temporary = std::move(temporary);
    return 0;
}

int PosixFileCopy::copyChunk(size_t maxBytes, size_t& copied) {
    copied = 0;
    if (m_sourceFd < 0 || m_temporaryFd < 0)
        return EBADF;
    if (maxBytes == 0)
        return EINVAL;
    if (m_inKernel) {
        const ssize_t n = copy_file_range(m_sourceFd, nullptr, m_temporaryFd, nullptr, maxBytes, 0);
        if (n > 0) {
            copied = static_cast<size_t>(n);
            m_copied += copied;
            return 0;
        }
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno; // EINTR included: nothing was copied
        // The end, after some data; or the kernel cannot copy between these two files, or some
        // file systems report files whose length they do not know as empty: a read decides.
        if (n == 0 && m_copied > 0)
            return 0;
        m_inKernel = false;
    }
    const int error = copyThroughBuffer(maxBytes, copied);
    m_copied += copied;
    return error;
}

int PosixFileCopy::copyThroughBuffer(size_t maxBytes, size_t& copied) {
    constexpr size_t kLargestBuffer = size_t{1} << 20;
    const size_t want = std::min(maxBytes, kLargestBuffer);
    if (m_bufferSize < want) {
        m_buffer = std::make_unique<char[]>(want);
        m_bufferSize = want;
    }
    const ssize_t got = read(m_sourceFd, m_buffer.get(), want);
    if (got < 0)
        return errno; // EINTR included: nothing was read
    size_t written = 0;
    while (written < static_cast<size_t>(got)) {
        const ssize_t n =
            write(m_temporaryFd, m_buffer.get() + written, static_cast<size_t>(got) - written);
        if (n < 0) {
            // The bytes are read already; giving up here would lose them.
            if (errno == EINTR)
                continue;
            return errno;
        }
        written += static_cast<size_t>(n);
    }
    copied = written;
    return 0;
}

int PosixFileCopy::sourceStatus(FileStatus& out) {
    if (m_sourceFd < 0)
        return EBADF;
    RawStat stat;
    if (const int error = statOpenFile(m_sourceFd, stat))
        return error;
    toFileStatus(
        stat, attributeWordWith(stat, lastComponent(m_source), parseStoredBits(storedValue())), out);
    return 0;
}

int PosixFileCopy::openedStatus(FileStatus& out) {
    if (m_sourceFd < 0)
        return EBADF;
    toFileStatus(m_openStat,
                 attributeWordWith(m_openStat, lastComponent(m_source),
                                   parseStoredBits(storedValue())),
                 out);
    return 0;
}

int PosixFileCopy::copyTimes() {
    if (m_sourceFd < 0 || m_temporaryFd < 0)
        return EBADF;
    if (futimens(m_temporaryFd, m_sourceTimes) != 0)
        return errno;
    return 0;
}

int PosixFileCopy::copyAttributes() {
    if (m_sourceFd < 0 || m_temporaryFd < 0)
        return EBADF;
    // Before the permission bits: a copy made read-only would refuse the attribute.
    const std::string& value = storedValue();
    int error = m_storedValueError;
    if (error == 0) {
        if (fsetxattr(m_temporaryFd, kStoredBitsName, value.data(), value.size(), 0) != 0)
            error = errno;
    } else if (error == ENODATA || error == ENOTSUP) {
        error = 0; // nothing stored, or a source file system that cannot store anything
    }
    // The read-only protection is applied even where the stored bits could not be kept.
    if (fchmod(m_temporaryFd, m_openStat.mode & 07777) != 0 && error == 0)
        error = errno;
    return error;
}

const std::string& PosixFileCopy::storedValue() {
    if (!m_storedValueRead) {
        m_storedValueError = readStoredValue(m_sourceFd, m_storedValue);
        if (m_storedValueError != 0)
            m_storedValue.clear();
        m_storedValueRead = true;
    }
    return m_storedValue;
}

int PosixFileCopy::linkUnnamed(const std::string& path) const {
    // Linking a descriptor directly needs a privilege most users lack; the /proc name of the
    // descriptor works for everyone, at the price of a longer lookup. Once refused, the
    // direct way is not tried again.
    static bool directLinkRefused = false;
    if (!directLinkRefused) {
        if (linkat(m_temporaryFd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        // Refused for want of the privilege (ENOENT), or the target's own problem.
        if (errno != ENOENT && errno != EPERM)
            return errno;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(m_temporaryFd);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) != 0)
        return errno;
    directLinkRefused = true;
    return 0;
}

int PosixFileCopy::commit(CommitMode mode) {
    if (m_temporaryFd < 0)
        return EBADF;
    if (m_unnamed) {
        if (mode == CommitMode::NoReplace) {
            if (const int error = linkUnnamed(m_target))
                return error;
        } else {
            // The target may have become read-only while the data were copied.
            if (const int error = checkTarget(m_target))
                return error;
            // Named beside the target first, then renamed over it in one step.
            std::string named;
            int error = EEXIST;
            for (unsigned attempt = 0; attempt < 64 && error == EEXIST; ++attempt) {
                char suffix[7];
                std::snprintf(suffix, sizeof suffix, "%06x",
                              (static_cast<unsigned>(getpid()) * 64 + attempt) & 0xFFFFFFu);
                named = temporaryName(m_target, lastComponent(m_target), suffix);
                error = linkUnnamed(named);
            }
            if (error != 0)
                return error;
            if (rename(named.c_str(), m_target.c_str()) != 0) {
                error = errno;
                unlink(named.c_str());
                return error;
            }
        }
        ::close(m_temporaryFd);
        m_temporaryFd = -1;
        m_unnamed = false;
        closeSource();
        return 0;
    }
    // Network file systems report delayed write errors only here; a copy with such an error
    // must not take the target's place. After EINTR the descriptor is closed all the same.
    const int closed = ::close(m_temporaryFd);
    m_temporaryFd = -1;
    if (closed != 0 && errno != EINTR)
        return errno;

    if (mode == CommitMode::NoReplace) {
        if (const int error = renameWithoutReplace(m_temporary.c_str(), m_target.c_str()))
            return error;
    } else {
        // The target may have become read-only while the data were copied.
        if (const int error = checkTarget(m_target))
            return error;
        if (rename(m_temporary.c_str(), m_target.c_str()) != 0)
            return errno;
    }
    m_temporary.clear();
    closeSource();
    return 0;
}

void PosixFileCopy::abandon() {
    m_unnamed = false;
    if (m_temporaryFd >= 0) {
        ::close(m_temporaryFd);
        m_temporaryFd = -1;
    }
    if (!m_temporary.empty()) {
        unlink(m_temporary.c_str());
        m_temporary.clear();
    }
    closeSource();
}

void PosixFileCopy::closeSource() {
    if (m_sourceFd >= 0) {
        ::close(m_sourceFd);
        m_sourceFd = -1;
    }
}

} // namespace ryk
