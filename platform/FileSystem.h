#pragma once

#include "platform/ErrorOr.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ryk {

class BlockReader;
class FileCopy;
class LineReader;

/// A file time as the kernel keeps it: seconds since the epoch (UTC) and nanoseconds.
struct FileTime {
    int64_t seconds = 0;
    int32_t nanoseconds = 0;

    friend bool operator==(const FileTime&, const FileTime&) = default;
};

/// Attribute word bits, with the values the Windows file system gave them.
namespace attr {
inline constexpr uint32_t kReadOnly = 0x01;
inline constexpr uint32_t kHidden = 0x02;
inline constexpr uint32_t kSystem = 0x04;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
inline constexpr uint32_t kNormal = 0x80;
inline constexpr uint32_t kTemporary = 0x100;
inline constexpr uint32_t kReparsePoint = 0x400;
inline constexpr uint32_t kCompressed = 0x800;
/// Not a file-system bit: marks the "." and ".." hits of a directory search.
inline constexpr uint32_t kDots = 0x40000;
/// The bits kept in the `user.DOSATTRIB` extended attribute.
inline constexpr uint32_t kStoredBits = kHidden | kSystem | kArchive;
} // namespace attr

/// What kind of thing a directory entry is. Special files (FIFOs, sockets, devices) are never
/// opened: a reader of a FIFO would release a waiting writer and lose its data.
enum class FileKind : uint8_t { Regular, Directory, Link, Special };

/// The facts of one file or directory that a stat gives.
struct FileStatus {
    uint32_t attributes = 0;
    FileTime creationTime;
    FileTime lastAccessTime;
    FileTime lastWriteTime;
    uint64_t size = 0;
    FileKind kind = FileKind::Regular;
    /// The permission bits (mode & 07777).
    uint32_t permissions = 0;
    /// Where the file lives and when its inode last changed: what tells it from another file
    /// that took its name since. 0 where a look asked only for the facts above.
    uint64_t device = 0;
    uint64_t inode = 0;
    FileTime changeTime;
    /// How many names the file has (hard links); 0 where the look did not count them.
    uint32_t linkCount = 0;
};

/// True when `now` describes the same file as `before`, unchanged since: the same device and
/// inode, size, last-write and change time.
inline bool sameUnchangedFile(const FileStatus& before, const FileStatus& now) {
    return before.device == now.device && before.inode == now.inode && before.size == now.size &&
           before.lastWriteTime == now.lastWriteTime && before.changeTime == now.changeTime;
}

/// Where a file lives: what tells one directory from another whatever names lead to it.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

/// The size of a file system, in bytes.
struct DiskSpace {
    /// What the caller may still write.
    uint64_t freeBytes = 0;
    uint64_t totalBytes = 0;
};

/// A directory a plan resolved its paths beneath (a root of the job's trees, or the directory
/// of a line that names its own path), as the plan found it. During a run, a path whose root
/// part or whole parent is one of these is acted on only while that still leads to the same
/// directory (kErrorRootReplaced otherwise).
struct RootPin {
    /// As the plan names it, without trailing '/'.
    std::string path;
    uint64_t device = 0;
    uint64_t inode = 0;
    /// False when it did not exist when planned: the run's own makeDirectory of it pins it; one
    /// that someone else made meanwhile is refused.
    bool known = false;
};

/// A path in one of a job's trees. Its first `rootLength` bytes name the tree's root as the
/// user gave it, where symbolic links are followed as usual (during a run, only to the directory
/// the plan found there: FileSystem::pinRoots); no component after them is ever
/// followed if it is a link, so a link put into the tree (also after planning) cannot lead an
/// operation outside it. The last component itself is always acted on as it stands.
struct TreePath {
    /// Every directory above the last component is the user's own naming: links there are
    /// followed.
    static constexpr size_t kWholeParent = static_cast<size_t>(-1);

    TreePath(std::string p, size_t root = kWholeParent) : path(std::move(p)), rootLength(root) {}
    TreePath(const char* p) : path(p) {}

    std::string path;
    size_t rootLength = kWholeParent;
};

/// What a directory made from another gets once it is filled: making its files would change
/// its last-write time, and bits that keep its owner out would keep the files out.
struct DirectoryFinish {
    /// False until the facts of the directory it was made from are known.
    bool known = false;
    uint32_t permissions = 0;
    FileTime lastAccessTime;
    FileTime lastWriteTime;
};

/// Whether a call describes a symbolic link itself or what it points to.
enum class LinkMode { Describe, Follow };

/// One directory search: a path, or a directory and a wildcard pattern in the last component.
/// Hits come sorted by name (ASCII letters folded, then bytes); a listed directory also yields
/// "." and ".." first. Facts beyond the name and the directory bit are read only when asked for.
class DirectorySearch {
public:
    virtual ~DirectorySearch() = default;

    /// Starts a search; 0 when at least one hit is waiting, otherwise the error code
    /// (kErrorFileNotFound when the directory exists but nothing matches).
    [[nodiscard]] virtual int findFile(std::string_view pathOrPattern) = 0;
    /// Moves to the hit named exactly `name`; false when the search has none (the position is
    /// then undefined: rewind before walking again).
    virtual bool seek(std::string_view name) {
        if (rewind() != 0)
            return false;
        while (findNextFile())
            if (fileName() == name)
                return true;
        return false;
    }
    /// Goes back before the first hit of the current search, so its hits can be walked again
    /// without reading the directory twice; 0 or the error code.
    [[nodiscard]] virtual int rewind() = 0;
    /// Moves to the next hit; false when there is none left. Call once before the first hit.
    virtual bool findNextFile() = 0;
    /// The bare name of the current hit.
    virtual const std::string& fileName() const = 0;
    /// The search directory joined with the name of the current hit.
    virtual std::string filePath() const = 0;
    /// True when the current hit is a directory (a symbolic link never is one).
    virtual bool isDirectory() const = 0;
    /// True for the "." and ".." hits.
    virtual bool isDots() const = 0;
    /// Reads the facts of the current hit; 0 or the error code.
    [[nodiscard]] virtual int status(FileStatus& out) = 0;
    /// Whether status() reads the bits kept in the extended attribute (hidden, system,
    /// archive), one more system call per file; a planner that decides by names, times and
    /// sizes leaves them out.
    virtual void setReadStoredBits(bool read) { (void)read; }
    /// Ends the search and frees its resources; findFile may start a new one.
    virtual void close() = 0;
};

/// The file-system operations the engine needs. Every call answers 0 or an errno value.
/// Searches and status() may be used from two threads at once: a plan reads its source tree
/// on a thread of its own.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    [[nodiscard]] virtual std::unique_ptr<DirectorySearch> newSearch() = 0;
    /// A new file copy (see FileCopy), not yet opened.
    [[nodiscard]] virtual std::unique_ptr<FileCopy> newCopy() = 0;
    /// Facts of one path: a symbolic link described itself (with kReparsePoint) or followed.
    [[nodiscard]] virtual int status(const std::string& path, FileStatus& out, LinkMode links) = 0;
    /// Sets the attribute bits that Linux can hold (read-only, hidden/system/archive) of the
    /// file, directory or link itself: a link is never followed. A FIFO, socket or device is
    /// refused with kErrorSpecialFile.
    [[nodiscard]] virtual int setAttributes(const TreePath& path, uint32_t attributes) = 0;
    /// Sets the last-access and last-write times of the file, directory or link itself; a null
    /// pointer leaves that time alone. Never creates a file.
    [[nodiscard]] virtual int setTimes(const TreePath& path, const FileTime* lastAccess,
                                       const FileTime* lastWrite) = 0;
    /// Renames a file, link or directory, failing with EEXIST instead of replacing a target.
    /// A read-only file is refused with EACCES: moving it away deletes it from its place.
    [[nodiscard]] virtual int renameNoReplace(const TreePath& from, const TreePath& to) = 0;
    /// Gives the regular file at `existing` the further name `link` (a hard link), never
    /// replacing a file there (EEXIST); EXDEV across file systems, EMLINK where the file has as
    /// many names as it may. Neither path's last component is followed if it is a link.
    [[nodiscard]] virtual int linkFile(const TreePath& existing, const TreePath& link) = 0;
    /// Deletes one file or symbolic link; a read-only file is refused with EACCES.
    [[nodiscard]] virtual int removeFile(const TreePath& path) = 0;
    /// Deletes one file or link as removeFile does, but only while its name still refers to the
    /// file `expected` describes (sameUnchangedFile): else kErrorSourceReplaced and it stays.
    [[nodiscard]] virtual int removeFileIfSame(const TreePath& path,
                                               const FileStatus& expected) = 0;
    /// Makes a directory; `permissions` (mode bits, 0 for the default) are given to it as they
    /// are, except that the owner may always enter and fill it.
    [[nodiscard]] virtual int makeDirectory(const TreePath& path, uint32_t permissions = 0) = 0;
    /// Gives the directory `made`, just made for the directory `from`, from's owner and group
    /// where the process may (and its set-group-id bit where the group was kept), its ACLs and
    /// extended attributes where made's file system holds them; `finish` receives from's
    /// permission bits and times for finishDirectory. 0, kErrorMetadataNotKept, or the error.
    [[nodiscard]] virtual int copyDirectoryFacts(const TreePath& from, const TreePath& made,
                                                 DirectoryFinish& finish) = 0;
    /// Gives a filled directory the permission bits and times copyDirectoryFacts noted.
    [[nodiscard]] virtual int finishDirectory(const TreePath& made,
                                              const DirectoryFinish& finish) = 0;
    /// How many copies of newCopy() may copy at once, each on a thread of its own; 1 where
    /// copies go one after another.
    virtual unsigned copiesAtOnce() { return 1; }
    /// Puts on disk, once per file system, what the copies since the last call wrote, so that
    /// a run that ends has its data on disk. 0 or the first error.
    [[nodiscard]] virtual int flushWrites() = 0;
    /// Removes an empty directory or a symbolic link that stands for one.
    [[nodiscard]] virtual int removeDirectory(const TreePath& path) = 0;
    /// Moves a file, link or empty directory (ENOTEMPTY for another, as removeDirectory) in one
    /// rename to the desktop's trash on its own file system, whence it can be put back; a
    /// read-only file is refused with EACCES, as by removeFile. kErrorNoTrash when no trash
    /// there can be used: nothing is ever copied to another file system, and nothing deleted.
    [[nodiscard]] virtual int moveToTrash(const TreePath& path) = 0;
    /// The path with every link and "." or ".." resolved (the file must exist).
    virtual ErrorOr<std::string> resolvePath(const std::string& path) = 0;
    /// The device and inode of a path (links followed).
    virtual ErrorOr<FileIdentity> identity(const std::string& path) = 0;
    /// Bytes available to the caller and total bytes of the file system holding `path`.
    virtual ErrorOr<DiskSpace> diskSpace(const std::string& path) = 0;
    /// Reads a whole regular file, at most `limit` bytes of it (a longer file gives its head
    /// and 0); anything else is refused without waiting (kErrorSpecialFile, EISDIR).
    [[nodiscard]] virtual int readFile(const std::string& path, std::string& contents,
                                       size_t limit) = 0;
    /// Replaces a file by writing a temporary beside it and renaming it over the old one,
    /// making missing directories on the way (mode 0700). A symbolic link on the way, or at
    /// the path itself, is followed only when the user or root made it in a directory of the
    /// user's or root's, and a file reached through a link is replaced only when it is the
    /// user's own: kErrorUntrustedLink otherwise.
    [[nodiscard]] virtual int writeFileAtomically(const std::string& path,
                                                  std::string_view contents) = 0;
    /// Opens a regular file to be read line by line (see LineReader), holding at most
    /// `lineLimit` bytes of a line at once.
    virtual ErrorOr<std::unique_ptr<LineReader>> openLines(const std::string& path,
                                                           size_t lineLimit) = 0;
    /// Opens a regular file to be read in blocks (see BlockReader); a symbolic link is not
    /// followed.
    virtual ErrorOr<std::unique_ptr<BlockReader>> openBlocks(const std::string& path) = 0;
    /// While kept (during a run), the directories the calls above open stay open for the next
    /// call in the same directory; false closes them, so that nothing stays open between runs
    /// (an open directory keeps its file system from being unmounted).
    virtual void keepDirectoriesOpen(bool keep) { (void)keep; }
    /// While set (during a run), paths are resolved beneath the directories `roots` names only
    /// while they are the ones recorded; the file system fills in a root it makes itself. Null
    /// ends it. `roots` must outlive the setting.
    virtual void pinRoots(std::vector<RootPin>* roots) { (void)roots; }
};

/// The system's text for an error code.
std::string errorText(int code);

} // namespace ryk
