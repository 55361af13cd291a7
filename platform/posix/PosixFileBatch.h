#pragma once

#include "platform/FileBatch.h"

namespace ryk {

class FileSystem;

/// The batch file operation where the system offers none: each pair is carried out in turn
/// through the file system, copies with the same routine as a single copy (complete or not
/// at all, times and attributes kept), moves by rename (copy and delete where a rename cannot
/// do it), deletes permanently.
class PosixFileBatch : public FileBatch {
public:
    /// `progress` may be null: then nothing is shown and nothing can cancel.
    PosixFileBatch(FileSystem& fileSystem, BatchProgress* progress)
        : m_fileSystem(fileSystem), m_progress(progress) {}

    BatchResult run(BatchFunction function, const std::vector<TreePath>& from,
                    const std::vector<TreePath>& to) override;

private:
    int copyItem(const TreePath& from, const TreePath& to);
    int moveItem(const TreePath& from, const TreePath& to);

    FileSystem& m_fileSystem;
    BatchProgress* m_progress;
};

} // namespace ryk
