#include "platform/posix/TreeResolve.h"

#include "platform/ErrorCodes.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/openat2.h>
#include <mutex>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace ryk {

namespace {

constexpr int kDirectoryFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

/// The kernel's own walk without links, where it has one (Linux 5.6 and later); ENOSYS where
/// not, or where a sandbox filters the call. `unavailable` (may be null) remembers the latter.
int openBeneathInKernel(int root, const std::string& rest, UniqueFd& fd,
                        std::atomic<bool>* unavailable) {
#ifdef SYS_openat2
    if (!unavailable || !unavailable->load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = kDirectoryFlags;
        how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        const long result = syscall(SYS_openat2, root, rest.c_str(), &how, sizeof how);
        if (result >= 0) {
            fd.reset(static_cast<int>(result));
            return 0;
        }
        if (errno != ENOSYS && errno != EPERM)
            return errno == ELOOP ? kErrorLinkInTree : errno;
        if (unavailable)
            unavailable->store(true, std::memory_order_relaxed);
    }
#else
    (void)root;
    (void)rest;
    (void)fd;
    (void)unavailable;
#endif
    return ENOSYS;
}

/// The same walk, one component at a time.
int openBeneathByWalk(int root, const std::string& rest, SharedFd& out) {
    UniqueFd current(fcntl(root, F_DUPFD_CLOEXEC, 0));
    if (!current)
        return errno;
    size_t pos = 0;
    while (pos < rest.size()) {
        size_t end = rest.find('/', pos);
        if (end == std::string::npos)
            end = rest.size();
        const std::string component = rest.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty() || component == ".")
            continue;
        if (component == "..")
            return EXDEV;
        UniqueFd next(openat(current.get(), component.c_str(), kDirectoryFlags | O_NOFOLLOW));
        if (!next) {
            const int error = errno;
            struct stat st;
            if (error == ENOTDIR &&
                fstatat(current.get(), component.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(st.st_mode))
                return kErrorLinkInTree;
            return error;
        }
        current = std::move(next);
    }
    out.reset(std::move(current));
    return 0;
}

std::string_view withoutTrailingSlashes(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return path;
}

/// Opens the directory `path` names, or the pinned root it is.
int openDirectory(const std::string& path, PinnedRoots* roots, SharedFd& out) {
    int error = 0;
    if (roots && roots->open(withoutTrailingSlashes(path), out, error))
        return error;
    UniqueFd fd(open(path.c_str(), kDirectoryFlags));
    if (!fd)
        return errno;
    out.reset(std::move(fd));
    return 0;
}

/// Opens the directory `path` names up to `slash`, the root's first `root` bytes as usual and
/// the rest without following a link.
int openBelowRoot(const std::string& path, size_t slash, size_t root, PinnedRoots* roots,
                  std::atomic<bool>* noKernelWalk, SharedFd& out) {
    const std::string_view whole = path;
    const std::string rootPart(root > 0         ? whole.substr(0, root)
                               : path[0] == '/' ? std::string_view("/")
                                                : std::string_view("."));
    const std::string rest = path.substr(root, slash - root);
    SharedFd rootFd;
    if (const int error = openDirectory(rootPart, roots, rootFd))
        return error;
    // RESOLVE_BENEATH refuses an absolute rest; the separator after the root is no component.
    size_t skip = 0;
    while (skip < rest.size() && rest[skip] == '/')
        ++skip;
    const std::string relative = skip == rest.size() ? "." : rest.substr(skip);
    UniqueFd fd;
    const int error = openBeneathInKernel(rootFd.get(), relative, fd, noKernelWalk);
    if (error == 0) {
        out.reset(std::move(fd));
        return 0;
    }
    if (error != ENOSYS)
        return error;
    return openBeneathByWalk(rootFd.get(), relative, out);
}

/// openParent with what a resolver keeps: pinned roots, kept directories and what the kernel
/// lacks, each null where there is none.
int openParentWith(const TreePath& treePath, ParentDirectory& out, PinnedRoots* roots,
                   KeptParents* kept, std::atomic<bool>* noKernelWalk) {
    std::string path = treePath.path;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty())
        return ENOENT;
    const size_t slash = path.rfind('/');
    const std::string_view whole = path;
    std::string_view parentView;
    std::string_view leafView;
    if (slash == std::string::npos) {
        parentView = ".";
        leafView = whole;
    } else if (path == "/") {
        parentView = "/";
        leafView = ".";
    } else {
        parentView = slash == 0 ? std::string_view("/") : whole.substr(0, slash);
        leafView = whole.substr(slash + 1);
    }
    out.directory = std::string(parentView);
    out.leaf = std::string(leafView);
    const std::string& parent = out.directory;

    // The root covers the whole parent: the user named all of it.
    size_t root = treePath.rootLength;
    if (root == TreePath::kWholeParent || slash == std::string::npos || root >= slash)
        root = TreePath::kWholeParent;
    if (kept && kept->find(parent, root, out.fd))
        return 0;
    if (root == TreePath::kWholeParent) {
        if (const int error = openDirectory(parent, roots, out.fd))
            return error;
    } else if (const int error = openBelowRoot(path, slash, root, roots, noKernelWalk, out.fd)) {
        return error;
    }
    if (kept)
        kept->add(parent, root, out.fd);
    return 0;
}

} // namespace

void KeptParents::keep(bool on) {
    const std::lock_guard lock(m_mutex);
    m_keeping = on;
    if (!on)
        clearLocked();
}

void KeptParents::forget() {
    const std::lock_guard lock(m_mutex);
    clearLocked();
}

bool KeptParents::find(const std::string& directory, size_t root, SharedFd& out) {
    const std::lock_guard lock(m_mutex);
    for (Slot& slot : m_slots)
        if (slot.fd && slot.root == root && slot.directory == directory) {
            slot.used = ++m_clock;
            out = slot.fd;
            return true;
        }
    return false;
}

void KeptParents::add(const std::string& directory, size_t root, const SharedFd& fd) {
    const std::lock_guard lock(m_mutex);
    if (!m_keeping)
        return;
    // The least recently used slot makes room: a copy alternates between its source's and its
    // target's directory.
    Slot* oldest = &m_slots[0];
    for (Slot& slot : m_slots)
        if (slot.used < oldest->used)
            oldest = &slot;
    *oldest = {directory, root, fd, ++m_clock};
}

void KeptParents::clearLocked() {
    for (Slot& slot : m_slots)
        slot = Slot();
}

int TreeResolver::openParent(const TreePath& path, ParentDirectory& out, RootLookup roots) {
    return openParentWith(path, out, roots == RootLookup::Pinned ? &m_roots : nullptr, &m_kept,
                          &m_noKernelWalk);
}

int openParent(const TreePath& path, ParentDirectory& out) {
    return openParentWith(path, out, nullptr, nullptr, nullptr);
}

void PinnedRoots::pin(std::vector<RootPin>* roots) {
    const std::lock_guard lock(m_mutex);
    m_slots.clear();
    if (!roots)
        return;
    for (RootPin& root : *roots)
        m_slots.emplace(std::string(withoutTrailingSlashes(root.path)), Slot{&root, {}});
}

bool PinnedRoots::open(std::string_view directory, SharedFd& out, int& error) {
    const std::lock_guard lock(m_mutex);
    const auto it = m_slots.find(directory);
    if (it == m_slots.end())
        return false;
    Slot& slot = it->second;
    error = 0;
    if (slot.fd) {
        out = slot.fd;
        return true;
    }
    UniqueFd fd(::open(it->first.c_str(), kDirectoryFlags));
    if (!fd) {
        // Gone since planning counts as replaced; one still to be made is simply missing.
        error = errno == ENOENT && slot.pin->known ? kErrorRootReplaced : errno;
        return true;
    }
    struct stat st;
    if (fstat(fd.get(), &st) != 0) {
        error = errno;
        return true;
    }
    if (!slot.pin->known || st.st_dev != slot.pin->device || st.st_ino != slot.pin->inode) {
        error = kErrorRootReplaced;
        return true;
    }
    slot.fd.reset(std::move(fd));
    out = slot.fd;
    return true;
}

void PinnedRoots::made(std::string_view directory, int fd) {
    const std::lock_guard lock(m_mutex);
    const auto it = m_slots.find(withoutTrailingSlashes(directory));
    struct stat st;
    if (it == m_slots.end() || it->second.pin->known || fstat(fd, &st) != 0)
        return;
    it->second.pin->device = st.st_dev;
    it->second.pin->inode = st.st_ino;
    it->second.pin->known = true;
}

UniqueFd reopenDirectory(int pathFd) {
    return UniqueFd(openat(pathFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

ErrorOr<UniqueFd> openRegularFile(const std::string& path, int extraFlags, int specialError) {
    // O_NONBLOCK keeps a named pipe from waiting here for a writer; a regular file ignores it.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | extraFlags));
    if (!fd)
        return Failed{errno};
    struct stat st;
    if (fstat(fd.get(), &st) != 0)
        return Failed{errno};
    if (!S_ISREG(st.st_mode))
        return Failed{S_ISDIR(st.st_mode) ? EISDIR : specialError};
    return fd;
}

} // namespace ryk
