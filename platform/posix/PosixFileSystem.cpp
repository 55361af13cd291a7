#include "platform/posix/PosixFileSystem.h"

#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/posix/PosixBlockReader.h"
#include "platform/posix/PosixDirectorySearch.h"
#include "platform/posix/PosixFileCopy.h"
#include "platform/posix/PosixLineReader.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/RenameFallback.h"
#include "platform/posix/TreeResolve.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace ryk {

namespace {


/// The process's file-creation mask, read without changing it.
mode_t currentUmask() {
    if (FILE* f = fopen("/proc/self/status", "re")) {
        char line[256];
        while (fgets(line, sizeof line, f)) {
            unsigned mask = 0;
            if (sscanf(line, "Umask: %o", &mask) == 1) {
                fclose(f);
                return static_cast<mode_t>(mask);
            }
        }
        fclose(f);
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

int writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        contents.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

/// Opens the directory of `path` without following a link below its root, and describes its
/// last component itself (a link there is not followed).
int openLeaf(const TreePath& path, ParentDirectory& parent, struct stat& st, PinnedRoots& roots) {
    if (const int error = openParent(path, parent, &roots))
        return error;
    if (fstatat(parent.fd.get(), parent.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    return 0;
}

} // namespace

std::unique_ptr<FileCopy> PosixFileSystem::newCopy() {
    return std::make_unique<PosixFileCopy>(&m_copyShared, &m_roots);
}

std::unique_ptr<DirectorySearch> PosixFileSystem::newSearch() {
    return std::make_unique<PosixDirectorySearch>();
}

int PosixFileSystem::status(const std::string& path, FileStatus& out, LinkMode links) {
    RawStat stat;
    if (const int error = statAt(AT_FDCWD, path.c_str(), stat, links))
        return error;
    toFileStatus(stat, attributeWord(stat, lastComponent(path), path.c_str()), out);
    return 0;
}

int PosixFileSystem::renameNoReplace(const TreePath& from, const TreePath& to) {
    ParentDirectory source;
    ParentDirectory target;
    struct stat st;
    if (const int error = openLeaf(from, source, st, m_roots))
        return error;
    if (const int error = openParent(to, target, &m_roots))
        return error;
    if (S_ISREG(st.st_mode) && isReadOnly(st.st_mode))
        return EACCES;
    // A kept directory may be the one moved, or lie below it.
    if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode))
        forgetKeptParents();
    return renameWithoutReplace(source.fd.get(), source.leaf.c_str(), target.fd.get(),
                                target.leaf.c_str());
}

int PosixFileSystem::removeFile(const TreePath& path) {
    return removeLeaf(path, nullptr);
}

int PosixFileSystem::removeFileIfSame(const TreePath& path, const FileStatus& expected) {
    return removeLeaf(path, &expected);
}

int PosixFileSystem::removeLeaf(const TreePath& path, const FileStatus* expected) {
    ParentDirectory parent;
    struct stat st;
    if (const int error = openLeaf(path, parent, st, m_roots))
        return error;
    if (expected) {
        // The name may have been given to another file since (an editor saves by renaming
        // a new file over the old one): that file was never copied. No call unlinks a name
        // only if it is a given inode, so the look is the last step before the unlink.
        RawStat now;
        FileStatus facts;
        if (const int error = statAt(parent.fd.get(), parent.leaf.c_str(), now))
            return error;
        toFileStatus(now, 0, facts);
        if (!sameUnchangedFile(*expected, facts))
            return kErrorSourceReplaced;
    }
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    // Protected as the read-only attribute promises, although the directory would allow it.
    if (isReadOnly(st.st_mode))
        return EACCES;
    // A path through the link led to a directory that a kept descriptor may still hold.
    if (S_ISLNK(st.st_mode))
        forgetKeptParents();
    if (unlinkat(parent.fd.get(), parent.leaf.c_str(), 0) != 0)
        return errno;
    return 0;
}

int PosixFileSystem::makeDirectory(const TreePath& path, uint32_t permissions) {
    ParentDirectory parent;
    if (const int error = openParent(path, parent, &m_roots))
        return error;
    // The owner must be able to fill it; set-id bits are not ours to hand on to a directory
    // whose owner is the process.
    const mode_t mode = static_cast<mode_t>((permissions & 01777) | S_IRWXU);
    if (mkdirat(parent.fd.get(), parent.leaf.c_str(), permissions == 0 ? 0777 : 0700) != 0)
        return errno;
    // Opened without following: the name is the directory just made, not a link put there.
    UniqueFd made(openat(parent.fd.get(), parent.leaf.c_str(),
                         O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!made)
        return errno;
    // A root of the run that did not exist when planned is the one made here.
    m_roots.made(path.path, made.get());
    if (permissions != 0 && fchmod(made.get(), mode) != 0)
        return errno;
    return 0;
}

int PosixFileSystem::removeDirectory(const TreePath& path) {
    ParentDirectory parent;
    struct stat st;
    if (const int error = openLeaf(path, parent, st, m_roots))
        return error;
    const int dir = parent.fd.get();
    const char* leaf = parent.leaf.c_str();
    // Once it is gone, a kept descriptor of it (or of a directory below it) leads nowhere.
    forgetKeptParents();
    if (S_ISLNK(st.st_mode)) {
        // Only a link that stands for a directory (or for nothing any more) goes this way;
        // what it points to is never touched.
        struct stat pointed;
        if (fstatat(dir, leaf, &pointed, 0) == 0 && !S_ISDIR(pointed.st_mode))
            return ENOTDIR;
        if (unlinkat(dir, leaf, 0) != 0)
            return errno;
        return 0;
    }
    if (unlinkat(dir, leaf, AT_REMOVEDIR) != 0)
        return errno;
    return 0;
}

void PosixFileSystem::keepDirectoriesOpen(bool keep) {
    keepParentsOpen(keep);
}

void PosixFileSystem::pinRoots(std::vector<RootPin>* roots) {
    m_roots.pin(roots);
}

int PosixFileSystem::resolvePath(const std::string& path, std::string& resolved) {
    char* real = realpath(path.empty() ? "." : path.c_str(), nullptr);
    if (!real)
        return errno;
    resolved = real;
    std::free(real);
    return 0;
}

int PosixFileSystem::identity(const std::string& path, uint64_t& device, uint64_t& inode) {
    struct stat st;
    if (stat(path.empty() ? "." : path.c_str(), &st) != 0)
        return errno;
    device = st.st_dev;
    inode = st.st_ino;
    return 0;
}

int PosixFileSystem::diskSpace(const std::string& path, uint64_t& freeBytes, uint64_t& totalBytes) {
    struct statvfs vfs;
    if (statvfs(path.c_str(), &vfs) != 0)
        return errno;
    freeBytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    totalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return 0;
}

int PosixFileSystem::readFile(const std::string& path, std::string& contents, size_t limit) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    contents.clear();
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        contents.reserve(std::min(limit, static_cast<size_t>(st.st_size)));
    int error = 0;
    char buffer[65536];
    while (contents.size() < limit) {
        const size_t want = std::min(sizeof buffer, limit - contents.size());
        const ssize_t got = read(fd, buffer, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            break;
        }
        if (got == 0)
            break;
        contents.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return error;
}

int PosixFileSystem::writeFileAtomically(const std::string& path, std::string_view contents) {
    // A link (a settings file kept elsewhere) stays a link: the file it points to is replaced.
    std::string target = path;
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* resolved = realpath(path.c_str(), nullptr);
        if (!resolved)
            return errno;
        target = resolved;
        std::free(resolved);
    }

    bool exists = false;
    mode_t mode = 0;
    if (stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        if (isReadOnly(st.st_mode))
            return EACCES;
        exists = true;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return errno;
    } else {
        mode = 0666 & ~currentUmask();
    }

    const size_t slash = target.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary =
        (slash == std::string::npos ? std::string() : directory) + "." + base + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;

    if (exists && (st.st_uid != geteuid() || st.st_gid != getegid())) {
        // Only a privileged writer can hand the file back to its owner; others keep theirs.
        [[maybe_unused]] const int ignored = fchown(fd, st.st_uid, st.st_gid);
    }
    // After the chown, which would clear set-id bits again.
    int error = 0;
    if (fchmod(fd, mode) != 0)
        error = errno;
    if (error == 0)
        error = writeAll(fd, contents);
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temporary.c_str());
        return error;
    }
    // Makes the rename itself survive a crash; the new contents are already on disk.
    const int dirFd = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

std::unique_ptr<LineReader> PosixFileSystem::openLines(const std::string& path, size_t lineLimit,
                                                       int& error) {
    return PosixLineReader::open(path, lineLimit, error);
}

std::unique_ptr<BlockReader> PosixFileSystem::openBlocks(const std::string& path, int& error) {
    return PosixBlockReader::open(path, error);
}

} // namespace ryk
