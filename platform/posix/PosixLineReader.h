#pragma once

#include "platform/ErrorOr.h"
#include "platform/LineReader.h"
#include "platform/posix/UniqueFd.h"

#include <cstddef>
#include <memory>
#include <string>

namespace ryk {

/// Lines of a regular file, read through one buffer of fixed size.
class PosixLineReader : public LineReader {
public:
    /// Opens `path` for reading. Only a regular file is taken: a pipe would wait for a writer
    /// and could not be read twice, a device might never end.
    static ErrorOr<std::unique_ptr<PosixLineReader>> open(const std::string& path,
                                                          size_t lineLimit);

    PosixLineReader(const PosixLineReader&) = delete;
    PosixLineReader& operator=(const PosixLineReader&) = delete;

    LineRead next(std::string& text) override;
    int error() const override { return m_error; }
    int rewind() override;

private:
    PosixLineReader(UniqueFd fd, size_t lineLimit);
    /// Refills the buffer once it is used up; false at the end of the file or on an error.
    bool fill();

    static constexpr size_t kBufferSize = 65536;

    UniqueFd m_fd;
    size_t m_limit;
    std::unique_ptr<char[]> m_buffer;
    size_t m_begin = 0;
    size_t m_end = 0;
    int m_error = 0;
    bool m_ended = false;
};

} // namespace ryk
