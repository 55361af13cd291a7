#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <string_view>
#include <sys/types.h>

namespace ryk {

/// What one stat of a file gives, before it becomes a FileStatus.
struct RawStat {
    mode_t mode = 0;
    uint64_t size = 0;
    FileTime creationTime; ///< birth time where the file system keeps one, else change time
    FileTime lastAccessTime;
    FileTime lastWriteTime;
    FileTime changeTime;
    dev_t device = 0;
    ino_t inode = 0;
    nlink_t links = 0;
    uid_t owner = 0;
    gid_t group = 0;
    /// 512-byte blocks allocated: fewer than the size needs tells a sparse file.
    uint64_t blocks = 0;
};

/// Gives the open file `fd` the owner and group of `source` where the process may (a
/// privileged one always), and sets `mode` to the source's permission bits without the
/// set-user-id or set-group-id bit whose owner or group could not be kept: such a bit on a file
/// of another owner would hand that owner's rights to the copier's. Called before the mode is
/// set, since a change of owner clears the set-id bits and file capabilities; `current` (when
/// given) receives the open file's own permission bits as they were. 0 or the errno.
int keepOwner(int fd, const RawStat& source, mode_t& mode, mode_t* current = nullptr);

/// The kind of file a mode describes.
FileKind kindOf(mode_t mode);

/// Stats `name` relative to the directory `dirFd` (or AT_FDCWD), following a final symbolic
/// link or not; 0 or the errno.
int statAt(int dirFd, const char* name, RawStat& out, LinkMode links = LinkMode::Describe);

/// Stats the file open as `fd`; 0 or the errno.
int statOpenFile(int fd, RawStat& out);

/// Stats `name` (a final link not followed) relative to the directory `dirFd` for what a
/// FileStatus holds: mode, size, the three times and the identity. The owner and block count
/// are left 0, and a network file system may answer from its cache; 0 or the errno.
int statFacts(int dirFd, const char* name, RawStat& out);

/// The file-type bits of `name` (a final link not followed) relative to `dirFd`, for a listing
/// that does not tell an entry's type; 0 or the errno.
int statType(int dirFd, const char* name, mode_t& type);

/// The last component of a path, trailing '/' ignored ("/a/b/" gives "b").
std::string_view lastComponent(std::string_view path);

/// True for a file whose read-only attribute is set: the owner may not write it. A link has
/// no permission bits of its own (always 0777), so it is never read-only.
bool isReadOnly(mode_t mode);

/// True for a name that its leading '.' hides ("." and ".." stand for directories and are not).
bool hiddenByName(std::string_view name);

/// The extended attribute that holds the attribute bits a POSIX mode cannot, as text "0x%x":
/// the form other programs on Linux read and write for these bits.
inline constexpr char kStoredBitsName[] = "user.DOSATTRIB";

/// The bits of the `user.DOSATTRIB` value that this system keeps there (kStoredBits); 0 for
/// a value that is not a "0x" hex number.
uint32_t parseStoredBits(std::string_view value);

/// The stored bits of `path` (not following a final symbolic link); 0 where there are none
/// or extended attributes are not supported.
uint32_t readStoredBits(const char* path);

/// The stored bits of the file open as `fd`.
uint32_t readStoredBitsOf(int fd);

/// The attribute word of a file: `name` is its bare name (a leading '.' hides it), `path` is
/// where its extended attribute is read.
uint32_t attributeWord(const RawStat& stat, std::string_view name, const char* path);

/// The attribute word of a file whose stored bits were already read.
uint32_t attributeWordWith(const RawStat& stat, std::string_view name, uint32_t storedBits);

/// Fills `out` from a stat and an attribute word.
void toFileStatus(const RawStat& stat, uint32_t attributes, FileStatus& out);

} // namespace ryk
