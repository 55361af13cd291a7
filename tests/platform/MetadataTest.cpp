#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <cstdint>
#include <endian.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace ryk {
namespace {

using test::modeOf;
using test::TempDir;

constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";

/// An ACL in its stored form: owner rw, user 1000 rw, owning group r, mask rw, others none.
/// Its mask gives the owning group's mode bits rw, more than the group's own entry.
std::string sharedWithOneUser() {
    struct Entry {
        uint16_t tag, perm;
        uint32_t id;
    };
    const Entry entries[] = {
        {0x01, 6, ~0u}, {0x02, 6, 1000}, {0x04, 4, ~0u}, {0x10, 6, ~0u}, {0x20, 0, ~0u}};
    std::string acl(4, '\0');
    const uint32_t version = htole32(2);
    acl.replace(0, 4, reinterpret_cast<const char*>(&version), 4);
    for (const Entry& e : entries) {
        const uint16_t tag = htole16(e.tag), perm = htole16(e.perm);
        const uint32_t id = htole32(e.id);
        acl.append(reinterpret_cast<const char*>(&tag), 2);
        acl.append(reinterpret_cast<const char*>(&perm), 2);
        acl.append(reinterpret_cast<const char*>(&id), 4);
    }
    return acl;
}

std::string attribute(const std::string& path, const char* name) {
    std::string value(256, '\0');
    const ssize_t n = lgetxattr(path.c_str(), name, value.data(), value.size());
    return n < 0 ? std::string("<none>") : value.substr(0, static_cast<size_t>(n));
}

/// Gives `path` the ACL above (and, on a directory, as its default) and a user attribute;
/// false where the file system holds neither.
bool decorate(const std::string& path, bool directory) {
    const std::string acl = sharedWithOneUser();
    if (setxattr(path.c_str(), "user.note", "kept", 4, 0) != 0 ||
        setxattr(path.c_str(), kAccessAcl, acl.data(), acl.size(), 0) != 0)
        return false;
    return !directory || setxattr(path.c_str(), kDefaultAcl, acl.data(), acl.size(), 0) == 0;
}

/// Copies a file or makes a directory like `source` at `target`, as a run does.
int copyLike(PosixFileSystem& fs, const std::string& source, const std::string& target,
             bool directory) {
    if (directory) {
        if (const int error = fs.makeDirectory(target, 0700))
            return error;
        DirectoryFinish finish;
        const int error = fs.copyDirectoryFacts(source, target, finish);
        const int finished = fs.finishDirectory(target, finish);
        return error != 0 ? error : finished;
    }
    const CopyOutcome outcome = copyWholeFile(fs, source, target, CommitMode::NoReplace, nullptr);
    return outcome.error != 0 ? outcome.error : outcome.attributesError;
}

TEST(Metadata, AclsAndExtendedAttributesAreCopiedWhereTheTargetHoldsThem) {
    for (const bool directory : {false, true}) {
        TempDir dir;
        const std::string source = directory ? dir.makeDir("src") : dir.writeFile("src", "x");
        ASSERT_EQ(chmod(source.c_str(), 0640), 0);
        if (!decorate(source, directory))
            GTEST_SKIP() << "the temporary directory's file system holds no ACLs";
        PosixFileSystem fs;
        const std::string target = dir / "dst";
        ASSERT_EQ(copyLike(fs, source, target, directory), 0) << directory;
        for (const char* name : {kAccessAcl, kDefaultAcl, "user.note"})
            EXPECT_EQ(attribute(target, name), attribute(source, name)) << name << directory;
        EXPECT_EQ(modeOf(target), modeOf(source)) << directory;
    }
}

TEST(Metadata, WhereAclsCannotBeKeptTheCopyGrantsNoMoreAndSaysSo) {
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a file system without extended attributes needs root";
    TempDir dir;
    const std::string plain = dir.makeDir("ramfs");
    // ramfs holds no extended attributes at all, as a FAT stick holds none.
    if (mount("none", plain.c_str(), "ramfs", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount ramfs here";
    for (const bool directory : {false, true}) {
        const std::string name = directory ? "d" : "f";
        const std::string source = directory ? dir.makeDir(name) : dir.writeFile(name, "x");
        ASSERT_EQ(chmod(source.c_str(), 0640), 0);
        if (!decorate(source, directory))
            break;
        ASSERT_EQ(modeOf(source), 0660u); // the mask shows as the group bits
        PosixFileSystem fs;
        const std::string target = plain + "/" + name;
        EXPECT_EQ(copyLike(fs, source, target, directory), kErrorMetadataNotKept) << name;
        // The owning group may read, as its own entry said, not write, as the mask would allow.
        EXPECT_EQ(modeOf(target), 0640u) << name;
    }
    EXPECT_EQ(umount2(plain.c_str(), MNT_DETACH), 0);
}

} // namespace
} // namespace ryk
