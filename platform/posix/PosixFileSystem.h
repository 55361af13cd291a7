#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/PosixDirectorySearch.h"
#include "platform/posix/PosixFileCopy.h"
#include "platform/posix/TreeResolve.h"

namespace ryk {

/// The file system of a POSIX system (Linux: statx, renameat2, extended attributes).
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<DirectorySearch> newSearch() override;
    std::unique_ptr<FileCopy> newCopy() override;
    int status(const std::string& path, FileStatus& out, LinkMode links) override;
    int setAttributes(const TreePath& path, uint32_t attributes) override;
    int setTimes(const TreePath& path, const FileTime* lastAccess,
                 const FileTime* lastWrite) override;
    int renameNoReplace(const TreePath& from, const TreePath& to) override;
    int linkFile(const TreePath& existing, const TreePath& link) override;
    int removeFile(const TreePath& path) override;
    int removeFileIfSame(const TreePath& path, const FileStatus& expected) override;
    int makeDirectory(const TreePath& path, uint32_t permissions = 0) override;
    int copyDirectoryFacts(const TreePath& from, const TreePath& made,
                           DirectoryFinish& finish) override;
    int finishDirectory(const TreePath& made, const DirectoryFinish& finish) override;
    /// Making inodes is most of a small file's copy; copies into different directories do
    /// not wait for each other's.
    unsigned copiesAtOnce() override;
    int flushWrites() override;
    int removeDirectory(const TreePath& path) override;
    int moveToTrash(const TreePath& path) override;
    void keepDirectoriesOpen(bool keep) override;
    void pinRoots(std::vector<RootPin>* roots) override;
    ErrorOr<std::string> resolvePath(const std::string& path) override;
    ErrorOr<FileIdentity> identity(const std::string& path) override;
    ErrorOr<DiskSpace> diskSpace(const std::string& path) override;
    int readFile(const std::string& path, std::string& contents, size_t limit) override;
    int writeFileAtomically(const std::string& path, std::string_view contents) override;
    ErrorOr<std::unique_ptr<LineReader>> openLines(const std::string& path,
                                                   size_t lineLimit) override;
    ErrorOr<std::unique_ptr<BlockReader>> openBlocks(const std::string& path) override;

private:
    /// Deletes the file or link `path` names, if `expected` (when given) still describes it.
    int removeLeaf(const TreePath& path, const FileStatus* expected);

    /// The roots of the run in progress and the directories it keeps open.
    TreeResolver m_tree;
    /// What our searches read their listings into.
    ListingBuffers m_listingBuffers;
    /// What our copies learnt about the directories they wrote into.
    CopyShared m_copyShared;
};

} // namespace ryk
