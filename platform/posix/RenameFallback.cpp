#include "platform/posix/RenameFallback.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace ryk {

namespace {

int renameExclusive(int fromDir, const char* from, int toDir, const char* to) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE);
#else
    return static_cast<int>(syscall(SYS_renameat2, fromDir, from, toDir, to, 1u));
#endif
}

} // namespace

int renameExchange(int fromDir, const char* from, int toDir, const char* to) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
    return renameat2(fromDir, from, toDir, to, RENAME_EXCHANGE) == 0 ? 0 : errno;
#else
    return syscall(SYS_renameat2, fromDir, from, toDir, to, 2u) == 0 ? 0 : errno;
#endif
}

int renameByLink(int fromDir, const char* from, int toDir, const char* to) {
    // A link itself is linked, never what it points to.
    if (linkat(fromDir, from, toDir, to, 0) == 0) {
        if (unlinkat(fromDir, from, 0) == 0)
            return 0;
        const int error = errno;
        unlinkat(toDir, to, 0);
        return error;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK)
        return errno;
    // Not atomic: another process could create the target between the check and the rename.
    struct stat st;
    if (fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return renameat(fromDir, from, toDir, to) == 0 ? 0 : errno;
}

int renameWithoutReplace(int fromDir, const char* from, int toDir, const char* to) {
    if (renameExclusive(fromDir, from, toDir, to) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    return renameByLink(fromDir, from, toDir, to);
}

} // namespace ryk
