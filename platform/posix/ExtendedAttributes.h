#pragma once

#include <string>
#include <sys/types.h>

namespace ryk {

/// Reads the whole value of the extended attribute `name` of an open file; ENODATA when it has
/// none.
int readAttribute(int fd, const char* name, std::string& value);

/// Copies the POSIX ACLs (as their raw attributes) and the extended attributes of the open file
/// or directory `from` to `to`, as `cp -a` does: user.*, and security.* and trusted.* where the
/// process may. An ACL the copy inherited from its directory, where the source has none, is
/// removed: the source's rights are the ones meant. Where `to`'s file system cannot hold the
/// source's access ACL, `mode` (the permission bits the copy gets next) keeps only the group
/// rights the ACL gave the owning group. 0, kErrorMetadataNotKept when something of the source
/// could not be kept, or the error of listing the source's attributes.
int copyExtendedAttributes(int from, int to, bool directory, mode_t& mode);

} // namespace ryk
