#include "platform/posix/PosixStat.h"

#include "platform/text/Ascii.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace ryk {

namespace {

FileTime fromStatx(const struct statx_timestamp& t) {
    return {t.tv_sec, static_cast<int32_t>(t.tv_nsec)};
}

FileTime fromTimespec(const timespec& t) {
    return {static_cast<int64_t>(t.tv_sec), static_cast<int32_t>(t.tv_nsec)};
}

} // namespace

std::string_view lastComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool isReadOnly(mode_t mode) {
    return !S_ISLNK(mode) && !(mode & S_IWUSR);
}

bool hiddenByName(std::string_view name) {
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

namespace {

constexpr unsigned kAllFields = STATX_BASIC_STATS | STATX_BTIME;
/// What a FileStatus is made of; the change time stands in for a missing birth time.
constexpr unsigned kFactFields = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME |
                                 STATX_CTIME | STATX_BTIME | STATX_INO | STATX_NLINK;

int statWithFlags(int dirFd, const char* name, int flags, unsigned fields, RawStat& out) {
    struct statx sx;
    if (statx(dirFd, name, flags | AT_NO_AUTOMOUNT, fields, &sx) == 0) {
        out.mode = sx.stx_mode;
        out.size = sx.stx_size;
        out.lastAccessTime = fromStatx(sx.stx_atime);
        out.lastWriteTime = fromStatx(sx.stx_mtime);
        out.changeTime = fromStatx(sx.stx_ctime);
        out.creationTime =
            (sx.stx_mask & STATX_BTIME) ? fromStatx(sx.stx_btime) : fromStatx(sx.stx_ctime);
        // The device comes with every answer, the inode at no cost beside the other facts.
        out.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
        out.inode = sx.stx_ino;
        out.links = sx.stx_nlink;
        if (fields == kAllFields) {
            out.owner = sx.stx_uid;
            out.group = sx.stx_gid;
            out.blocks = sx.stx_blocks;
        }
        return 0;
    }
    // Old kernels, and sandboxes that filter statx, refuse it before looking at the file.
    if (errno != ENOSYS && errno != EPERM)
        return errno;
    struct stat st;
    if (fstatat(dirFd, name, &st, flags & ~AT_STATX_SYNC_TYPE) != 0)
        return errno;
    out.mode = st.st_mode;
    out.size = static_cast<uint64_t>(st.st_size);
    out.lastAccessTime = fromTimespec(st.st_atim);
    out.lastWriteTime = fromTimespec(st.st_mtim);
    out.creationTime = fromTimespec(st.st_ctim);
    out.changeTime = fromTimespec(st.st_ctim);
    out.device = st.st_dev;
    out.inode = st.st_ino;
    out.links = st.st_nlink;
    out.owner = st.st_uid;
    out.group = st.st_gid;
    out.blocks = static_cast<uint64_t>(st.st_blocks);
    return 0;
}

/// Reads the stored bits through `get`, a getxattr of one file with (buffer, size).
template <typename Get> uint32_t readStoredBitsWith(Get get) {
    char buffer[256];
    const ssize_t length = get(buffer, sizeof buffer);
    if (length >= 0)
        return parseStoredBits(std::string_view(buffer, static_cast<size_t>(length)));
    if (errno != ERANGE)
        return 0;
    // A long binary tail after the text: only the text matters, but the call wants room for
    // the whole value.
    const ssize_t needed = get(nullptr, 0);
    if (needed <= 0)
        return 0;
    std::string value(static_cast<size_t>(needed), '\0');
    const ssize_t got = get(value.data(), value.size());
    if (got < 0)
        return 0;
    value.resize(static_cast<size_t>(got));
    return parseStoredBits(value);
}

} // namespace

int statAt(int dirFd, const char* name, RawStat& out, LinkMode links) {
    return statWithFlags(dirFd, name, links == LinkMode::Describe ? AT_SYMLINK_NOFOLLOW : 0,
                         kAllFields, out);
}

int statOpenFile(int fd, RawStat& out) {
    return statWithFlags(fd, "", AT_EMPTY_PATH, kAllFields, out);
}

int statFacts(int dirFd, const char* name, RawStat& out) {
    return statWithFlags(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, kFactFields, out);
}

int statType(int dirFd, const char* name, mode_t& type) {
    RawStat stat;
    if (const int error =
            statWithFlags(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, STATX_TYPE, stat))
        return error;
    type = stat.mode & S_IFMT;
    return 0;
}

uint32_t parseStoredBits(std::string_view value) {
    // Other programs write the same hex text followed by a NUL and binary data; the text
    // alone carries the bits.
    if (value.size() < 3 || value[0] != '0' || (value[1] != 'x' && value[1] != 'X'))
        return 0;
    uint32_t bits = 0;
    size_t i = 2;
    for (; i < value.size() && i < 2 + 8; ++i) {
        const int digit = hexDigit(value[i]);
        if (digit < 0)
            break;
        bits = (bits << 4) | static_cast<uint32_t>(digit);
    }
    if (i == 2)
        return 0;
    if (i < value.size()) {
        const char end = value[i];
        if (end != '\0' && end != '\n' && end != ' ')
            return 0; // more digits than 32 bits hold, or text that is not a number
    }
    return bits & attr::kStoredBits;
}

uint32_t readStoredBits(const char* path) {
    return readStoredBitsWith([path](void* buffer, size_t size) {
        return lgetxattr(path, kStoredBitsName, buffer, size);
    });
}

uint32_t readStoredBitsOf(int fd) {
    return readStoredBitsWith(
        [fd](void* buffer, size_t size) { return fgetxattr(fd, kStoredBitsName, buffer, size); });
}

uint32_t attributeWord(const RawStat& stat, std::string_view name, const char* path) {
    return attributeWordWith(stat, name, readStoredBits(path));
}

uint32_t attributeWordWith(const RawStat& stat, std::string_view name, uint32_t storedBits) {
    uint32_t bits = 0;
    if (S_ISLNK(stat.mode))
        bits |= attr::kReparsePoint;
    else if (S_ISDIR(stat.mode))
        bits |= attr::kDirectory;
    if (isReadOnly(stat.mode))
        bits |= attr::kReadOnly;
    if (hiddenByName(name))
        bits |= attr::kHidden;
    bits |= storedBits;
    if (bits == 0)
        bits = attr::kNormal;
    return bits;
}

int keepOwner(int fd, const RawStat& source, mode_t& mode, mode_t* current) {
    struct stat now;
    if (fstat(fd, &now) != 0)
        return errno;
    if (current)
        *current = now.st_mode & 07777;
    bool ownerKept = now.st_uid == source.owner;
    bool groupKept = now.st_gid == source.group;
    if (!ownerKept && fchown(fd, source.owner, source.group) == 0)
        ownerKept = groupKept = true;
    if (!groupKept && fchown(fd, static_cast<uid_t>(-1), source.group) == 0)
        groupKept = true;
    mode = source.mode & 07777;
    if (!ownerKept)
        mode &= static_cast<mode_t>(~S_ISUID);
    if (!groupKept)
        mode &= static_cast<mode_t>(~S_ISGID);
    return 0;
}

FileKind kindOf(mode_t mode) {
    if (S_ISREG(mode))
        return FileKind::Regular;
    if (S_ISDIR(mode))
        return FileKind::Directory;
    if (S_ISLNK(mode))
        return FileKind::Link;
    return FileKind::Special;
}

void toFileStatus(const RawStat& stat, uint32_t attributes, FileStatus& out) {
    out.attributes = attributes;
    out.kind = kindOf(stat.mode);
    out.permissions = stat.mode & 07777;
    out.creationTime = stat.creationTime;
    out.lastAccessTime = stat.lastAccessTime;
    out.lastWriteTime = stat.lastWriteTime;
    out.changeTime = stat.changeTime;
    out.device = stat.device;
    out.inode = stat.inode;
    // A link's facts are its own: its size is that of the text it holds. A directory's size
    // is the file system's bookkeeping.
    out.size = S_ISREG(stat.mode) || S_ISLNK(stat.mode) ? stat.size : 0;
    out.device = stat.device;
    out.inode = stat.inode;
    out.linkCount = static_cast<uint32_t>(stat.links);
}

} // namespace ryk
