#pragma once

// System calls that may do part of what they are asked, looped until all of it is done.

#include <cerrno>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <unistd.h>

namespace ryk {

/// Writes all of `contents` to `fd`, going on after a signal or a part written; 0 or the errno
/// (EIO for a write that took nothing).
inline int writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

/// The whole text of the symbolic link `name` in the directory `dir` (AT_FDCWD: the current
/// one), however long; `text` is left alone on failure. 0 or the errno.
inline int readLinkText(int dir, const char* name, std::string& text) {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = readlinkat(dir, name, buffer.data(), buffer.size());
        if (n < 0)
            return errno;
        if (static_cast<size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<size_t>(n));
            text = std::move(buffer);
            return 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace ryk
