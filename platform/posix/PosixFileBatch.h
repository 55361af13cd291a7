#pragma once

#include "platform/FileBatch.h"

namespace ryk {

class FileSystem;

/// The batch file operation where the system offers none: each pair is carried out in turn
/// through the file system, copies with the routine of a single copy (copyWholeFile: complete
/// or not at all, links as links, times and attributes kept), moves by rename (copy and delete
/// where a rename cannot do it), deletes permanently.
class PosixFileBatch : public FileBatch {
public:
    /// `progress` may be null: then nothing is shown and nothing can cancel.
    PosixFileBatch(FileSystem& fileSystem, BatchProgress* progress)
        : m_fileSystem(fileSystem), m_progress(progress) {}

    BatchResult run(BatchFunction function, const std::vector<TreePath>& from,
                    const std::vector<TreePath>& to,
                    const std::vector<PlannedTarget>& targets) override;

private:
    /// A `durable` copy (a move's) is on disk before it answers.
    CopyOutcome copyItem(const TreePath& from, const TreePath& to, const PlannedTarget& target,
                         bool durable = false);
    int moveItem(const TreePath& from, const TreePath& to, const PlannedTarget& target);

    FileSystem& m_fileSystem;
    BatchProgress* m_progress;
};

} // namespace ryk
