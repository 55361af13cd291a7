#include "platform/posix/RenameFallback.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {

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

} // namespace ryk
