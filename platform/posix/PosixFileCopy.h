#pragma once

#include "platform/FileCopy.h"
#include "platform/posix/CopyTemporary.h"
#include "platform/posix/PosixStat.h"
#include "platform/posix/TreeResolve.h"
#include "platform/posix/WriteFlusher.h"

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <utility>

namespace ryk {

/// What the copies of one file system learn once and share, among copies on several threads
/// (`mutex` guards the sets and the map).
struct CopyShared {
    std::mutex mutex;
    /// Source devices and target directories between which the file system shares no extents,
    /// so the next copy between them does not ask again.
    std::set<std::pair<dev_t, std::string>> noClone;
    /// The target directories copied into since the last flush, each with whether it may pass
    /// an ACL on to a copy made in it; and the file systems among them, whose writes are put on
    /// disk.
    std::map<std::string, bool> writtenDirectories;
    WriteFlusher flusher;
    TemporariesShared temporaries;
};

/// A file copy on a POSIX system: the copy shares the source's extents where the file system
/// can (FICLONE, as on XFS with reflink or btrfs: holes stay holes, no data move), else the data
/// go in the kernel (copy_file_range) where it can, otherwise through a buffer, skipping the
/// holes of a sparse file. They go into a temporary beside the target (CopyTemporary) that takes
/// the target's place only when complete. A symbolic link is copied as a link. Every path is
/// resolved without following a link below its tree's root (TreePath).
class PosixFileCopy : public FileCopy {
public:
    /// The most one step through the buffer reads and writes; a step in the kernel moves up to
    /// what it is asked for.
    static constexpr size_t kBufferBytes = 32768;

    /// `shared` (may be null) is shared by the copies of one file system, and so is the way it
    /// resolves paths (`tree`, may be null: no pinned roots, no directories kept open).
    explicit PosixFileCopy(CopyShared* shared = nullptr, TreeResolver* tree = nullptr)
        : m_shared(shared), m_tree(tree), m_temporary(shared ? &shared->temporaries : nullptr) {}
    ~PosixFileCopy() override;
    PosixFileCopy(const PosixFileCopy&) = delete;
    PosixFileCopy& operator=(const PosixFileCopy&) = delete;

    int open(const TreePath& source, const TreePath& target) override;
    int copyChunk(size_t maxBytes, size_t& copied) override;
    bool failedAtTarget() const override { return m_failedAtTarget; }
    int sourceStatus(FileStatus& out) override;
    int openedStatus(FileStatus& out) override;
    int copyTimes() override;
    int copyAttributes() override;
    int flush() override;
    int verify() override;
    int commit(const PlannedTarget& planned) override;
    void abandon() override;

private:
    int openParentOf(const TreePath& path, ParentDirectory& out) {
        return m_tree ? m_tree->openParent(path, out) : openParent(path, out);
    }
    int openSource(const TreePath& source);
    int createTemporary();
    int copyRange(size_t length, size_t& copied);
    /// Shares all the source's extents with the copy where the file system can (`cloned`);
    /// 0 or kErrorInterrupted.
    int cloneWhole(bool& cloned);
    /// Whether an earlier copy found that the source's file system shares no extents with the
    /// target's directory.
    bool knownNotToClone();
    int copyThroughBuffer(size_t length, size_t& copied);
    /// Finds the data extent at or after the current offset; `skipped` receives the bytes of
    /// hole passed over. False once sparse handling does not apply (any more).
    bool nextExtent(size_t& skipped, bool& atEnd);
    /// The source's `user.DOSATTRIB` value, read once per copy (m_storedValueError says why
    /// there is none).
    const std::string& storedValue();
    /// Learns once per run of the target's directory whether it passes on ACLs, and notes its
    /// file system among those to flush at the end of the run.
    void noteTargetDirectory();
    /// The names of the source's extended attributes, listed once per copy
    /// (m_attributeNamesError says why there are none).
    const std::string& attributeNames();
    /// Ends a commit whose copy is in place: puts the target's name on disk if flush() asked
    /// for it, then lets go of the copy.
    int committed();
    bool isLink() const { return S_ISLNK(m_openStat.mode); }

    CopyShared* m_shared;
    TreeResolver* m_tree;
    ParentDirectory m_sourceDir;
    ParentDirectory m_targetDir;
    UniqueFd m_sourceFd;
    CopyTemporary m_temporary;
    /// flush() was called: the commit also puts the target's directory on disk.
    bool m_durable = false;
    /// The last open() or copyChunk() failed at the target.
    bool m_failedAtTarget = false;
    /// Notes that a failure `error` was met at the target, and answers it.
    int atTarget(int error) {
        m_failedAtTarget = true;
        return error;
    }
    /// The source's own stat when opened (a link's, not what it points to).
    RawStat m_openStat;
    std::string m_linkText;
    /// Where the next byte is read from the source and written to the copy.
    uint64_t m_offset = 0;
    bool m_sparse = false;
    /// The end of the data extent being copied (sparse sources).
    uint64_t m_extentEnd = 0;
    std::string m_attributeNames;
    int m_attributeNamesError = 0;
    bool m_attributeNamesRead = false;
    /// The target's directory may have given the copy an ACL of its own.
    bool m_mayInheritAcl = true;
    std::string m_storedValue;
    int m_storedValueError = 0;
    bool m_storedValueRead = false;
    /// Whether the first step tries to share the source's extents, and whether it did.
    bool m_cloning = false;
    bool m_cloned = false;
    /// Whether the data go in the kernel (copy_file_range).
    bool m_inKernel = true;
    /// The kernel's copy reached the size the source had when opened.
    bool m_atOpenedSize = false;
    /// The source's end was found by a look at it (m_endStat), which the first look after the
    /// copy takes instead of a new one. A step after the end asks the kernel, which finds none.
    bool m_endStatFresh = false;
    RawStat m_endStat;
    /// Where the kernel cannot copy, the data go through this buffer of kBufferBytes.
    std::unique_ptr<char[]> m_buffer;
};

} // namespace ryk
