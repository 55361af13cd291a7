// The facts a PosixFileCopy reads from its source and gives its copy: the source's status, its
// times, owner, permission bits, extended attributes and ACLs, and what the target's directory
// adds of its own.
#include "platform/ErrorCodes.h"
#include "platform/posix/ExtendedAttributes.h"
#include "platform/posix/PosixFileCopy.h"
#include "platform/posix/PosixStat.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ryk {

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
    UniqueFd dir = reopenDirectory(m_targetDir.fd.get());
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
    if (m_endStatFresh) {
        m_endStatFresh = false;
        stat = m_endStat;
    } else if (const int error = statOpenFile(m_sourceFd.get(), stat)) {
        return error;
    }
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
        if (m_temporary.name().empty())
            return EBADF;
        if (utimensat(m_targetDir.fd.get(), m_temporary.name().c_str(), times,
                      AT_SYMLINK_NOFOLLOW) != 0)
            return errno;
        return 0;
    }
    if (!m_sourceFd || !m_temporary.file())
        return EBADF;
    if (futimens(m_temporary.file().get(), times) != 0)
        return errno;
    return 0;
}

int PosixFileCopy::copyAttributes() {
    if (isLink()) {
        if (m_temporary.name().empty())
            return EBADF;
        // A link has no permission bits of its own; its owner is kept where the process may.
        [[maybe_unused]] const int ignored =
            fchownat(m_targetDir.fd.get(), m_temporary.name().c_str(), m_openStat.owner,
                     m_openStat.group, AT_SYMLINK_NOFOLLOW);
        return 0;
    }
    if (!m_sourceFd || !m_temporary.file())
        return EBADF;
    mode_t mode = 0;
    mode_t current = 0;
    if (const int error = keepOwner(m_temporary.file().get(), m_openStat, mode, &current))
        return error;
    // Before the permission bits: a copy made read-only would refuse the attributes. A
    // failure may narrow the mode, never widen it.
    const std::string& names = attributeNames();
    int error = m_attributeNamesError;
    if (error == 0)
        error = copyExtendedAttributes(m_sourceFd.get(), names, m_temporary.file().get(),
                                       m_mayInheritAcl, mode);
    // Most copies got their rights when made: no attribute or ACL came since to change them.
    if (error == 0 && names.empty() && !m_mayInheritAcl && current == mode)
        return 0;
    // The read-only protection is applied even where the attributes could not be kept.
    if (fchmod(m_temporary.file().get(), mode) != 0 && error == 0)
        error = errno;
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

} // namespace ryk
