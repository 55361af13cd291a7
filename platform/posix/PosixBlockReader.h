#pragma once

#include "platform/BlockReader.h"

#include <memory>
#include <string>

namespace ryk {

/// Blocks of a regular file, read with read(2) straight into the caller's buffer.
class PosixBlockReader : public BlockReader {
public:
    /// Opens `path` for reading. Only a regular file is taken, and a symbolic link is not
    /// followed (it is an entry of its own); null with `error` set otherwise.
    static std::unique_ptr<PosixBlockReader> open(const std::string& path, int& error);

    ~PosixBlockReader() override;
    PosixBlockReader(const PosixBlockReader&) = delete;
    PosixBlockReader& operator=(const PosixBlockReader&) = delete;

    int read(char* buffer, size_t size, size_t& got) override;

private:
    explicit PosixBlockReader(int fd) : m_fd(fd) {}

    int m_fd;
};

} // namespace ryk
