#include "platform/ErrorCodes.h"
#include "platform/posix/PosixFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ryk {

int PosixFileSystem::linkFile(const TreePath& existing, const TreePath& link) {
    ParentDirectory source;
    ParentDirectory target;
    if (const int error = m_tree.openParent(existing, source))
        return error;
    struct stat st;
    if (fstatat(source.fd.get(), source.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    // Only a regular file gets another name; linkat would give a symbolic link one itself.
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return kErrorSpecialFile;
    if (const int error = m_tree.openParent(link, target))
        return error;
    if (linkat(source.fd.get(), source.leaf.c_str(), target.fd.get(), target.leaf.c_str(), 0) != 0)
        return errno;
    return 0;
}

} // namespace ryk
