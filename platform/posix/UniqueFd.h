#pragma once

#include <cerrno>
#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace ryk {

/// An open file descriptor, closed with its owner.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    /// Closes the descriptor now, for a caller that must know how that went (a file system may
    /// report a delayed write error only here): 0 or the errno. The descriptor is gone either way.
    int close() {
        const int fd = release();
        return fd >= 0 && ::close(fd) != 0 ? errno : 0;
    }

private:
    int m_fd = -1;
};

/// Closes a directory stream.
struct DirectoryStreamCloser {
    void operator()(DIR* stream) const { closedir(stream); }
};

/// An open directory stream, closed with its owner.
using UniqueDir = std::unique_ptr<DIR, DirectoryStreamCloser>;

/// A directory stream reading the open directory `fd`, which the stream owns from then on;
/// null (and `fd` closed) when none could be made.
inline UniqueDir directoryStream(UniqueFd fd) {
    UniqueDir stream(fdopendir(fd.get()));
    if (stream)
        fd.release();
    return stream;
}

} // namespace ryk
