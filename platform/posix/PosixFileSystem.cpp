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
#include "platform/posix/WholeCalls.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ryk {

namespace {

/// The process's file-creation mask, read without changing it.
mode_t currentUmask() {
    struct Closer {
        void operator()(FILE* f) const { fclose(f); }
    };
    if (const std::unique_ptr<FILE, Closer> f{fopen("/proc/self/status", "re")}) {
        char line[256];
        while (fgets(line, sizeof line, f.get())) {
            unsigned mask = 0;
            if (sscanf(line, "Umask: %o", &mask) == 1)
                return static_cast<mode_t>(mask);
        }
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

/// Whether a symbolic link met on the way to a file to be replaced may be followed: one that
/// the user or root made, in a directory of the user's or root's. A link anyone else made may
/// lead the write into any file the process may write, and root may write every file.
bool isTrustedLink(const struct stat& link, const struct stat& holder) {
    const uid_t self = geteuid();
    return (link.st_uid == self || link.st_uid == 0) &&
           (holder.st_uid == self || holder.st_uid == 0);
}

/// Appends the components of `text` to `pending` so that the first one is taken next.
void pushComponents(std::vector<std::string>& pending, std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t slash = std::min(text.find('/', start), text.size());
        const std::string_view part = text.substr(start, slash - start);
        if (!part.empty() && part != ".")
            parts.emplace_back(part);
        start = slash + 1;
    }
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

/// Opens the directory that holds the file `path` names, one component at a time from a
/// descriptor held, so that no name swapped in meanwhile leads elsewhere. Links, also one in
/// the last component, are followed only when trusted (kErrorUntrustedLink otherwise);
/// `throughLink` tells that the last one was. Missing directories are made with mode 0700, as
/// configuration directories should be. `leaf` is the file's name in `directory`.
int openDirectoryToWrite(const std::string& path, UniqueFd& directory, std::string& leaf,
                         bool& throughLink) {
    constexpr int kLinkLimit = 40; // the kernel's own
    constexpr int kPathFlags = O_PATH | O_NOFOLLOW | O_CLOEXEC;
    std::vector<std::string> pending;
    pushComponents(pending, path);
    if (pending.empty())
        return path.empty() ? ENOENT : EISDIR;
    directory.reset(open(path.front() == '/' ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!directory)
        return errno;
    throughLink = false;
    int links = 0;
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        const bool last = pending.empty();
        UniqueFd next(openat(directory.get(), name.c_str(), kPathFlags));
        if (!next && errno == ENOENT && !last) {
            if (mkdirat(directory.get(), name.c_str(), 0700) != 0 && errno != EEXIST)
                return errno;
            next.reset(openat(directory.get(), name.c_str(), kPathFlags));
        }
        if (!next) {
            if (errno != ENOENT || !last)
                return errno;
            leaf = name;
            return 0;
        }
        struct stat st;
        if (fstat(next.get(), &st) != 0)
            return errno;
        if (S_ISLNK(st.st_mode)) {
            struct stat holder;
            if (fstat(directory.get(), &holder) != 0)
                return errno;
            if (!isTrustedLink(st, holder))
                return kErrorUntrustedLink;
            if (++links > kLinkLimit)
                return ELOOP;
            char target[PATH_MAX];
            const ssize_t length = readlinkat(next.get(), "", target, sizeof target);
            if (length < 0)
                return errno;
            const std::string_view text(target, static_cast<size_t>(length));
            if (text.empty())
                return ENOENT;
            if (text.front() == '/') {
                directory.reset(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                if (!directory)
                    return errno;
            }
            throughLink = throughLink || last;
            const size_t before = pending.size();
            pushComponents(pending, text);
            if (last && pending.size() == before) // a link to "/" or "."
                return EISDIR;
            continue;
        }
        if (last) {
            leaf = name;
            return 0;
        }
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
        directory = std::move(next);
    }
    return EISDIR;
}

/// Makes a new file beside `leaf`, mode 0600, under a name nobody could have foreseen: the
/// directory may be one that other users write to, and O_EXCL never opens a file or link they
/// put there.
int createTemporary(int directory, const std::string& leaf, std::string& name, UniqueFd& file) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        name = "." + leaf + suffix;
        file.reset(openat(directory, name.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

/// Opens the directory of `path` without following a link below its root, and describes its
/// last component itself (a link there is not followed).
int openLeaf(const TreePath& path, ParentDirectory& parent, struct stat& st, TreeResolver& tree) {
    if (const int error = tree.openParent(path, parent))
        return error;
    if (fstatat(parent.fd.get(), parent.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    return 0;
}

} // namespace

std::unique_ptr<FileCopy> PosixFileSystem::newCopy() {
    return std::make_unique<PosixFileCopy>(&m_copyShared, &m_tree);
}

std::unique_ptr<DirectorySearch> PosixFileSystem::newSearch() {
    return std::make_unique<PosixDirectorySearch>(EntryTypes::FromListing, &m_listingBuffers);
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
    if (const int error = openLeaf(from, source, st, m_tree))
        return error;
    if (const int error = m_tree.openParent(to, target))
        return error;
    if (S_ISREG(st.st_mode) && isReadOnly(st.st_mode))
        return EACCES;
    // A kept directory may be the one moved, or lie below it.
    if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode))
        m_tree.forgetKeptParents();
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
    if (const int error = openLeaf(path, parent, st, m_tree))
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
        m_tree.forgetKeptParents();
    if (unlinkat(parent.fd.get(), parent.leaf.c_str(), 0) != 0)
        return errno;
    return 0;
}

int PosixFileSystem::makeDirectory(const TreePath& path, uint32_t permissions) {
    ParentDirectory parent;
    if (const int error = m_tree.openParent(path, parent))
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
    m_tree.madeDirectory(path.path, made.get());
    if (permissions != 0 && fchmod(made.get(), mode) != 0)
        return errno;
    return 0;
}

int PosixFileSystem::removeDirectory(const TreePath& path) {
    ParentDirectory parent;
    struct stat st;
    if (const int error = openLeaf(path, parent, st, m_tree))
        return error;
    const int dir = parent.fd.get();
    const char* leaf = parent.leaf.c_str();
    // Once it is gone, a kept descriptor of it (or of a directory below it) leads nowhere.
    m_tree.forgetKeptParents();
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
    m_tree.keepParentsOpen(keep);
}

void PosixFileSystem::pinRoots(std::vector<RootPin>* roots) {
    m_tree.pinRoots(roots);
}

ErrorOr<std::string> PosixFileSystem::resolvePath(const std::string& path) {
    char* real = realpath(path.empty() ? "." : path.c_str(), nullptr);
    if (!real)
        return Failed{errno};
    std::string resolved = real;
    std::free(real);
    return resolved;
}

ErrorOr<FileIdentity> PosixFileSystem::identity(const std::string& path) {
    struct stat st;
    if (stat(path.empty() ? "." : path.c_str(), &st) != 0)
        return Failed{errno};
    return FileIdentity{st.st_dev, st.st_ino};
}

ErrorOr<DiskSpace> PosixFileSystem::diskSpace(const std::string& path) {
    struct statvfs vfs;
    if (statvfs(path.c_str(), &vfs) != 0)
        return Failed{errno};
    return DiskSpace{static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize,
                     static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize};
}

int PosixFileSystem::readFile(const std::string& path, std::string& contents, size_t limit) {
    contents.clear();
    // Only a regular file: a FIFO put in its place would make the reader wait for a writer.
    const ErrorOr<UniqueFd> opened = openRegularFile(path, 0, kErrorSpecialFile);
    if (!opened)
        return opened.error();
    const UniqueFd& fd = *opened;
    struct stat st;
    if (fstat(fd.get(), &st) == 0)
        contents.reserve(std::min(limit, static_cast<size_t>(st.st_size)));
    char buffer[65536];
    while (contents.size() < limit) {
        const size_t want = std::min(sizeof buffer, limit - contents.size());
        const ssize_t got = read(fd.get(), buffer, want);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            break;
        contents.append(buffer, static_cast<size_t>(got));
    }
    return 0;
}

int PosixFileSystem::writeFileAtomically(const std::string& path, std::string_view contents) {
    UniqueFd directory;
    std::string leaf;
    bool throughLink = false;
    if (const int error = openDirectoryToWrite(path, directory, leaf, throughLink))
        return error;
    const int dir = directory.get();

    bool exists = false;
    mode_t mode = 0;
    struct stat st;
    if (fstatat(dir, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode)) // put there since the walk looked
            return kErrorUntrustedLink;
        if (!S_ISREG(st.st_mode))
            return S_ISDIR(st.st_mode) ? EISDIR : kErrorSpecialFile;
        if (throughLink && st.st_uid != geteuid())
            return kErrorUntrustedLink;
        if (isReadOnly(st.st_mode))
            return EACCES;
        exists = true;
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        return errno;
    } else {
        mode = 0666 & ~currentUmask();
    }

    std::string temporary;
    UniqueFd file;
    if (const int error = createTemporary(dir, leaf, temporary, file))
        return error;
    int error = writeAll(file.get(), contents);
    if (error == 0 && exists && (st.st_uid != geteuid() || st.st_gid != getegid())) {
        // Only a privileged writer can hand the file back to its owner; others keep theirs.
        [[maybe_unused]] const int ignored = fchown(file.get(), st.st_uid, st.st_gid);
    }
    // After the chown, which would clear set-id bits again; until now only we could read it.
    if (error == 0 && fchmod(file.get(), mode) != 0)
        error = errno;
    if (error == 0 && fsync(file.get()) != 0)
        error = errno;
    if (const int closed = file.close(); closed != 0 && error == 0)
        error = closed;
    // Renaming replaces the name itself: whatever stands there now, nothing is written through it.
    if (error == 0 && renameat(dir, temporary.c_str(), dir, leaf.c_str()) != 0)
        error = errno;
    if (error != 0) {
        unlinkat(dir, temporary.c_str(), 0);
        return error;
    }
    // Makes the rename itself survive a crash; the new contents are already on disk.
    UniqueFd synced(openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (synced)
        fsync(synced.get());
    return 0;
}

ErrorOr<std::unique_ptr<LineReader>> PosixFileSystem::openLines(const std::string& path,
                                                                size_t lineLimit) {
    auto reader = PosixLineReader::open(path, lineLimit);
    if (!reader)
        return Failed{reader.error()};
    return std::move(*reader);
}

ErrorOr<std::unique_ptr<BlockReader>> PosixFileSystem::openBlocks(const std::string& path) {
    auto reader = PosixBlockReader::open(path);
    if (!reader)
        return Failed{reader.error()};
    return std::move(*reader);
}

} // namespace ryk
