#include "platform/posix/RenameFallback.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace ryk {

namespace {

int renameExclusive(const char* from, const char* to) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#else
    return static_cast<int>(syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 1u));
#endif
}

} // namespace

int renameByLink(const char* from, const char* to) {
    if (link(from, to) == 0) {
        if (unlink(from) == 0)
            return 0;
        const int error = errno;
        unlink(to);
        return error;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
        return errno;
    // Not atomic: another process could create the target between the check and the rename.
    struct stat st;
    if (lstat(to, &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return rename(from, to) == 0 ? 0 : errno;
}

int renameWithoutReplace(const char* from, const char* to) {
    if (renameExclusive(from, to) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    return renameByLink(from, to);
}

} // namespace ryk
