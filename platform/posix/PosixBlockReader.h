#pragma once

#include "platform/BlockReader.h"
#include "platform/ErrorOr.h"
#include "platform/posix/UniqueFd.h"

#include <memory>
#include <string>
#include <utility>

namespace ryk {

/// Blocks of a regular file, read with read(2) straight into the caller's buffer.
class PosixBlockReader : public BlockReader {
public:
    /// Opens `path` for reading. Only a regular file is taken, and a symbolic link is not
    /// followed (it is an entry of its own).
    static ErrorOr<std::unique_ptr<PosixBlockReader>> open(const std::string& path);

    PosixBlockReader(const PosixBlockReader&) = delete;
    PosixBlockReader& operator=(const PosixBlockReader&) = delete;

    int read(char* buffer, size_t size, size_t& got) override;

private:
    explicit PosixBlockReader(UniqueFd fd) : m_fd(std::move(fd)) {}

    UniqueFd m_fd;
};

} // namespace ryk
