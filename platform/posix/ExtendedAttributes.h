#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace ryk {

/// Reads the whole value of the extended attribute `name` of an open file; ENODATA when it has
/// none.
int readAttribute(int fd, const char* name, std::string& value);

/// The names of the extended attributes of an open file, each ended by '\0', as flistxattr
/// gives them; empty where its file system holds none. 0 or the errno.
int listAttributes(int fd, std::string& names);

/// Whether `names`, as listAttributes() gives them, holds `name`.
bool listsAttribute(std::string_view names, std::string_view name);

/// Whether the open directory `dir` may give what is made in it an ACL: false only where it is
/// known to have no default ACL.
bool mayPassOnAcl(int dir);

/// Copies the POSIX ACLs (as their raw attributes) and the extended attributes of the open file
/// or directory `from` to `to`, as `cp -a` does: user.*, and security.* and trusted.* where the
/// process may. An ACL the copy inherited from its directory, where the source has none, is
/// removed: the source's rights are the ones meant. Where `to`'s file system cannot hold the
/// source's access ACL, `mode` (the permission bits the copy gets next) keeps only the group
/// rights the ACL gave the owning group. 0, kErrorMetadataNotKept when something of the source
/// could not be kept, or the error of listing the source's attributes.
int copyExtendedAttributes(int from, int to, bool directory, mode_t& mode);

/// The same for a file whose attribute names (`names`, from listAttributes()) are read already;
/// `mayInherit` false where its directory has no default ACL, so there is nothing to remove.
int copyExtendedAttributes(int from, const std::string& names, int to, bool mayInherit,
                           mode_t& mode);

} // namespace ryk
