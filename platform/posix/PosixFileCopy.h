#pragma once

#include "platform/FileCopy.h"

#include <ctime>
#include <memory>
#include <string>

namespace ryk {

/// A file copy on a POSIX system: the data go in the kernel (copy_file_range) where it can,
/// otherwise through a buffer, into a hidden temporary beside the target that a rename puts
/// in the target's place.
class PosixFileCopy : public FileCopy {
public:
    PosixFileCopy() = default;
    ~PosixFileCopy() override;
    PosixFileCopy(const PosixFileCopy&) = delete;
    PosixFileCopy& operator=(const PosixFileCopy&) = delete;

    int open(const std::string& source, const std::string& target) override;
    int copyChunk(size_t maxBytes, size_t& copied) override;
    int sourceStatus(FileStatus& out) override;
    int copyTimes() override;
    int copyAttributes() override;
    int commit(CommitMode mode) override;
    void abandon() override;

private:
    int copyThroughBuffer(size_t maxBytes, size_t& copied);
    void closeSource();

    int m_sourceFd = -1;
    int m_temporaryFd = -1;
    std::string m_source;
    std::string m_target;
    std::string m_temporary;
    timespec m_sourceTimes[2] = {}; ///< last access, last write, as opened
    bool m_inKernel = true;
    std::unique_ptr<char[]> m_buffer;
    size_t m_bufferSize = 0;
};

} // namespace ryk
