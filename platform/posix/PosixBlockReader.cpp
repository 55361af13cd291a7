#include "platform/posix/PosixBlockReader.h"

#include "platform/ErrorCodes.h"
#include "platform/posix/TreeResolve.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {

ErrorOr<std::unique_ptr<PosixBlockReader>> PosixBlockReader::open(const std::string& path) {
    ErrorOr<UniqueFd> fd = openRegularFile(path, O_NOFOLLOW, kErrorSpecialFile);
    if (!fd)
        return Failed{fd.error()};
    posix_fadvise(fd->get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    return std::unique_ptr<PosixBlockReader>(new PosixBlockReader(std::move(*fd)));
}

int PosixBlockReader::read(char* buffer, size_t size, size_t& got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(m_fd.get(), buffer + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return 0;
}

} // namespace ryk
