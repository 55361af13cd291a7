#include "platform/posix/PosixLineReader.h"

#include "platform/posix/TreeResolve.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {

ErrorOr<std::unique_ptr<PosixLineReader>> PosixLineReader::open(const std::string& path,
                                                                size_t lineLimit) {
    ErrorOr<UniqueFd> fd = openRegularFile(path, 0, ENOTSUP);
    if (!fd)
        return Failed{fd.error()};
    return std::unique_ptr<PosixLineReader>(new PosixLineReader(std::move(*fd), lineLimit));
}

PosixLineReader::PosixLineReader(UniqueFd fd, size_t lineLimit)
    : m_fd(std::move(fd)), m_limit(std::max<size_t>(lineLimit, 1)),
      m_buffer(std::make_unique<char[]>(kBufferSize)) {}

bool PosixLineReader::fill() {
    if (m_begin < m_end)
        return true;
    if (m_ended || m_error != 0)
        return false;
    for (;;) {
        const ssize_t got = read(m_fd.get(), m_buffer.get(), kBufferSize);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            m_error = errno;
        else if (got == 0)
            m_ended = true;
        m_begin = 0;
        m_end = got > 0 ? static_cast<size_t>(got) : 0;
        return got > 0;
    }
}

LineRead PosixLineReader::next(std::string& text) {
    text.clear();
    bool any = false;
    while (fill()) {
        any = true;
        const char* start = m_buffer.get() + m_begin;
        const size_t available = m_end - m_begin;
        const size_t room = m_limit - text.size();
        const auto* feed = static_cast<const char*>(std::memchr(start, '\n', available));
        const size_t before = feed ? static_cast<size_t>(feed - start) : available;
        if (feed && before <= room) {
            text.append(start, before);
            m_begin += before + 1;
            return LineRead::Line;
        }
        const size_t take = std::min(before, room);
        text.append(start, take);
        m_begin += take;
        if (text.size() < m_limit)
            continue;
        // The piece is full: whether the line goes on depends on the byte after it.
        if (!fill())
            break;
        if (m_buffer[m_begin] == '\n') {
            ++m_begin;
            return LineRead::Line;
        }
        return LineRead::Piece;
    }
    if (m_error != 0)
        return LineRead::Failed;
    return any ? LineRead::Line : LineRead::End;
}

int PosixLineReader::rewind() {
    if (lseek(m_fd.get(), 0, SEEK_SET) < 0)
        return errno;
    m_begin = m_end = 0;
    m_error = 0;
    m_ended = false;
    return 0;
}

} // namespace ryk
