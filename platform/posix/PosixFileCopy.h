#pragma once

#include "platform/FileCopy.h"
#include "platform/posix/PosixStat.h"

#include <ctime>
#include <memory>
#include <string>

namespace ryk {

/// A file copy on a POSIX system: the data go in the kernel (copy_file_range) where it can,
/// otherwise through a buffer, into a temporary beside the target that takes the target's
/// place only when complete: an unnamed file (O_TMPFILE) linked in under the target's name
/// where the file system has them, else a hidden named file renamed over it.
class PosixFileCopy : public FileCopy {
public:
    PosixFileCopy() = default;
    ~PosixFileCopy() override;
    PosixFileCopy(const PosixFileCopy&) = delete;
    PosixFileCopy& operator=(const PosixFileCopy&) = delete;

    int open(const std::string& source, const std::string& target) override;
    int copyChunk(size_t maxBytes, size_t& copied) override;
    int sourceStatus(FileStatus& out) override;
    int openedStatus(FileStatus& out) override;
    int copyTimes() override;
    int copyAttributes() override;
    int commit(CommitMode mode) override;
    void abandon() override;

private:
    int copyThroughBuffer(size_t maxBytes, size_t& copied);
    /// The source's `user.DOSATTRIB` value, read once per copy (m_storedValueError says why
    /// there is none).
    const std::string& storedValue();
    /// Gives the unnamed temporary the name `path`; fails with EEXIST where one exists.
    int linkUnnamed(const std::string& path) const;
    void closeSource();

    int m_sourceFd = -1;
    int m_temporaryFd = -1;
    std::string m_source;
    std::string m_target;
    /// The hidden temporary's name; empty for an unnamed one or when there is none.
    std::string m_temporary;
    bool m_unnamed = false;
    /// The source's stat when opened.
    RawStat m_openStat;
    uint64_t m_copied = 0;
    std::string m_storedValue;
    int m_storedValueError = 0;
    bool m_storedValueRead = false;
    timespec m_sourceTimes[2] = {}; ///< last access, last write, as opened
    bool m_inKernel = true;
    std::unique_ptr<char[]> m_buffer;
    size_t m_bufferSize = 0;
};

} // namespace ryk
