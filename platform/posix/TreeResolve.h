#pragma once

#include "platform/FileSystem.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

/// An open file descriptor, closed with its owner.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

/// Opens `path` for reading (with `extraFlags` besides), if it is a regular file: else -1 and
/// `error` is the errno, EISDIR for a directory, `specialError` for anything else.
int openRegularFile(const std::string& path, int extraFlags, int specialError, int& error);

/// A directory descriptor that several calls may share: see keepParentsOpen().
class SharedFd {
public:
    int get() const { return m_fd ? m_fd->get() : -1; }
    explicit operator bool() const { return get() >= 0; }
    /// Takes `fd` as its own (-1 for none).
    void reset(int fd = -1) { m_fd = fd >= 0 ? std::make_shared<const UniqueFd>(fd) : nullptr; }

private:
    std::shared_ptr<const UniqueFd> m_fd;
};

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

/// Opens the directory holding the last component of `path`: its root part as usual, every
/// directory below the root without following a link (kErrorLinkInTree where a link stands)
/// and without leaving the root by "..". Trailing '/' are ignored. A root part or whole parent
/// that `roots` holds is the directory held there. 0 or the error.
int openParent(const TreePath& path, ParentDirectory& out, PinnedRoots* roots = nullptr);
/// While kept, the last few directories openParent opened stay open for the next call in the
/// same directory (a run of one directory's files opens it once instead of once per call);
/// false closes them, as a directory held open keeps its file system from being unmounted.
void keepParentsOpen(bool keep);
/// Closes the kept directories: a directory or link was removed or renamed, so a path may no
/// longer lead where it led.
void forgetKeptParents();

} // namespace ryk
