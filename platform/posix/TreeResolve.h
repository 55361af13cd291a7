#pragma once

#include "platform/ErrorOr.h"
#include "platform/FileSystem.h"
#include "platform/posix/UniqueFd.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

/// Opens `path` for reading (with `extraFlags` besides), if it is a regular file: else the
/// errno, EISDIR for a directory, `specialError` for anything else.
ErrorOr<UniqueFd> openRegularFile(const std::string& path, int extraFlags, int specialError);

/// A directory descriptor that several calls may share: see keepParentsOpen().
class SharedFd {
public:
    int get() const { return m_fd ? m_fd->get() : -1; }
    explicit operator bool() const { return get() >= 0; }
    /// Takes `fd` as its own (none for none).
    void reset(UniqueFd fd = UniqueFd()) {
        m_fd = fd ? std::make_shared<const UniqueFd>(std::move(fd)) : nullptr;
    }

private:
    std::shared_ptr<const UniqueFd> m_fd;
};

/// The directory an O_PATH descriptor names, opened again so that it can be read or flushed.
UniqueFd reopenDirectory(int pathFd);

/// The directory that holds the last component of a tree path, and that component.
struct ParentDirectory {
    /// Opened with O_PATH: usable as the directory of every *at call.
    SharedFd fd;
    /// The last component; "." when the path names its root itself.
    std::string leaf;
    /// The directory's path as the tree path names it.
    std::string directory;
};

/// The directories a run's paths are resolved beneath (FileSystem::pinRoots): each is opened
/// once, checked to be the directory the plan recorded, and held for the rest of the run, so
/// that a root renamed away and replaced (by a link, say) afterwards cannot redirect it either.
class PinnedRoots {
public:
    /// Takes the roots of a run (null ends it and closes them).
    void pin(std::vector<RootPin>* roots);
    /// When `directory` is a pinned root: true, with `error` 0 and `out` its held descriptor,
    /// or the reason it cannot be used (kErrorRootReplaced for another directory in its place
    /// or none). False for any other directory.
    bool open(std::string_view directory, SharedFd& out, int& error);
    /// The run made `directory`, open as `fd`: a root that did not exist when planned is pinned
    /// to it.
    void made(std::string_view directory, int fd);

private:
    struct Slot {
        RootPin* pin = nullptr;
        SharedFd fd;
    };
    std::mutex m_mutex;
    std::map<std::string, Slot, std::less<>> m_slots;
};

/// The directories openParent opened last, while a run keeps them (a run of one directory's
/// files opens it once instead of once per call).
class KeptParents {
public:
    /// While kept, the last few directories stay open; false closes them, as a directory held
    /// open keeps its file system from being unmounted.
    void keep(bool on);
    /// Closes the kept directories.
    void forget();
    bool find(const std::string& directory, size_t root, SharedFd& out);
    void add(const std::string& directory, size_t root, const SharedFd& fd);

private:
    struct Slot {
        std::string directory;
        size_t root = 0;
        SharedFd fd;
        uint64_t used = 0;
    };
    void clearLocked();

    std::mutex m_mutex;
    bool m_keeping = false;
    uint64_t m_clock = 0;
    Slot m_slots[4];
};

/// Whether openParent resolves a path's root through the roots a run pinned.
enum class RootLookup { Pinned, AsNamed };

/// How one file system resolves the paths of its trees, and what it keeps for that between
/// calls: the pinned roots of a run, the directories kept open, whether the kernel walks paths
/// without links itself. Usable from several threads at once.
class TreeResolver {
public:
    /// Opens the directory holding the last component of `path`: its root part as usual, every
    /// directory below the root without following a link (kErrorLinkInTree where a link stands)
    /// and without leaving the root by "..". Trailing '/' are ignored. A root part or whole
    /// parent that is a pinned root is the directory held there, unless `roots` says AsNamed.
    /// 0 or the error.
    int openParent(const TreePath& path, ParentDirectory& out,
                   RootLookup roots = RootLookup::Pinned);
    /// See PinnedRoots::pin and PinnedRoots::made.
    void pinRoots(std::vector<RootPin>* roots) { m_roots.pin(roots); }
    void madeDirectory(std::string_view directory, int fd) { m_roots.made(directory, fd); }
    /// See KeptParents::keep.
    void keepParentsOpen(bool keep) { m_kept.keep(keep); }
    /// Closes the kept directories: a directory or link was removed or renamed, so a path may no
    /// longer lead where it led.
    void forgetKeptParents() { m_kept.forget(); }

private:
    PinnedRoots m_roots;
    KeptParents m_kept;
    /// The kernel lacks the walk without links (before Linux 5.6), or a sandbox refuses it.
    std::atomic<bool> m_noKernelWalk{false};
};

/// openParent of a resolver that keeps nothing and knows no pinned roots.
int openParent(const TreePath& path, ParentDirectory& out);

} // namespace ryk
