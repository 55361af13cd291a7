#include "platform/posix/ExtendedAttributes.h"

#include "platform/ErrorCodes.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <endian.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace ryk {

namespace {

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";

/// Reads a whole list or value through `get(buffer, size)`, asking again when it grew between
/// the call that measured it and the one that read it.
template <typename Get> int readWhole(std::string& out, Get get) {
    for (;;) {
        const ssize_t needed = get(nullptr, 0);
        if (needed < 0)
            return errno;
        out.resize(static_cast<size_t>(needed));
        if (needed == 0)
            return 0;
        const ssize_t got = get(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<size_t>(got));
            return 0;
        }
        if (errno != ERANGE)
            return errno;
    }
}

/// The owning group's rights an access ACL in its stored form grants (its group entry limited
/// by its mask), as mode bits 0-7; false when the value cannot be read as an ACL. The stored
/// form: a 4-byte version, then entries of a 2-byte tag, 2-byte rights and 4-byte id, little
/// endian.
bool owningGroupRights(const std::string& acl, mode_t& rights) {
    constexpr uint16_t kGroupEntry = 0x04;
    constexpr uint16_t kMaskEntry = 0x10;
    if (acl.size() < 4 || (acl.size() - 4) % 8 != 0)
        return false;
    unsigned group = 0;
    unsigned mask = 07;
    bool haveGroup = false;
    for (size_t at = 4; at < acl.size(); at += 8) {
        uint16_t tag = 0;
        uint16_t perm = 0;
        std::memcpy(&tag, acl.data() + at, 2);
        std::memcpy(&perm, acl.data() + at + 2, 2);
        tag = le16toh(tag);
        perm = le16toh(perm);
        if (tag == kGroupEntry) {
            group = perm & 07u;
            haveGroup = true;
        } else if (tag == kMaskEntry) {
            mask = perm & 07u;
        }
    }
    rights = static_cast<mode_t>(group & mask);
    return haveGroup;
}

} // namespace

int readAttribute(int fd, const char* name, std::string& value) {
    return readWhole(
        value, [fd, name](char* buffer, size_t size) { return fgetxattr(fd, name, buffer, size); });
}

int listAttributes(int fd, std::string& names) {
    const int error =
        readWhole(names, [fd](char* buffer, size_t size) { return flistxattr(fd, buffer, size); });
    if (error == ENOTSUP) {
        names.clear(); // a file system that holds none
        return 0;
    }
    return error;
}

bool listsAttribute(std::string_view names, std::string_view name) {
    for (size_t at = 0; at < names.size();) {
        const size_t end = names.find('\0', at);
        const std::string_view listed = names.substr(at, end - at);
        if (listed == name)
            return true;
        if (end == std::string_view::npos)
            break;
        at = end + 1;
    }
    return false;
}

bool mayPassOnAcl(int dir) {
    if (fgetxattr(dir, kDefaultAcl, nullptr, 0) >= 0)
        return true;
    return errno != ENODATA && errno != ENOTSUP;
}

namespace {

int copyListed(int from, const std::string& names, int to, bool directory, bool mayInherit,
               mode_t& mode) {
    bool notKept = false;
    bool hasAccessAcl = false;
    bool hasDefaultAcl = false;
    std::string value;
    for (size_t at = 0; at < names.size();) {
        const char* name = names.c_str() + at;
        const std::string_view n(name);
        at += n.size() + 1;
        const bool accessAcl = n == kAccessAcl;
        const bool acl = accessAcl || n == kDefaultAcl;
        const bool privileged = n.starts_with("security.") || n.starts_with("trusted.");
        // Other system attributes belong to their file system and mean nothing on another.
        if (!acl && !privileged && !n.starts_with("user."))
            continue;
        hasAccessAcl = hasAccessAcl || accessAcl;
        hasDefaultAcl = hasDefaultAcl || (acl && !accessAcl);
        const int readError = readAttribute(from, name, value);
        int error = readError;
        if (error == 0 && fsetxattr(to, name, value.data(), value.size(), 0) != 0)
            error = errno;
        // ENODATA: removed since it was listed.
        if (error == 0 || error == ENODATA)
            continue;
        // Labels and trusted data only a privileged process may set are not the copier's.
        if (privileged && (error == EPERM || error == EACCES))
            continue;
        notKept = true;
        if (accessAcl) {
            // The mode's group bits are the ACL's mask, which may grant the owning group more
            // than its own entry did: the copy gets exactly the owning group's effective
            // rights, or none where the ACL cannot be read.
            mode_t rights = 0;
            if (readError != 0 || !owningGroupRights(value, rights))
                rights = 0;
            mode = (mode & ~static_cast<mode_t>(S_IRWXG)) | (rights << 3);
        }
    }
    // A copy made in a directory with a default ACL inherits it.
    const auto removeInherited = [to, &notKept](const char* name) {
        if (fremovexattr(to, name) != 0 && errno != ENODATA && errno != ENOTSUP)
            notKept = true;
    };
    if (mayInherit && !hasAccessAcl)
        removeInherited(kAccessAcl);
    if (mayInherit && directory && !hasDefaultAcl)
        removeInherited(kDefaultAcl);
    return notKept ? kErrorMetadataNotKept : 0;
}

} // namespace

int copyExtendedAttributes(int from, int to, bool directory, mode_t& mode) {
    std::string names;
    if (const int error = listAttributes(from, names))
        return error;
    return copyListed(from, names, to, directory, true, mode);
}

int copyExtendedAttributes(int from, const std::string& names, int to, bool mayInherit,
                           mode_t& mode) {
    return copyListed(from, names, to, false, mayInherit, mode);
}

} // namespace ryk
