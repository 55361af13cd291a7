#include "platform/posix/PosixFileBatch.h"

#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

namespace ryk {

BatchResult PosixFileBatch::run(BatchFunction function, const std::vector<TreePath>& from,
                                const std::vector<TreePath>& to,
                                const std::vector<CommitMode>& modes) {
    BatchResult result;
    const size_t count = from.size();
    result.errors.assign(count, kErrorCancelled);
    for (size_t i = 0; i < count; ++i) {
        if (m_progress && !m_progress->step(i, count, from[i].path)) {
            result.cancelled = true;
            break;
        }
        if (function != BatchFunction::Delete && (i >= to.size() || i >= modes.size())) {
            result.errors[i] = EINVAL;
            continue;
        }
        switch (function) {
        case BatchFunction::Copy:
            result.errors[i] = copyItem(from[i], to[i], modes[i]);
            break;
        case BatchFunction::Move:
            result.errors[i] = moveItem(from[i], to[i], modes[i]);
            break;
        case BatchFunction::Delete:
            result.errors[i] = m_fileSystem.removeFile(from[i]);
            break;
        }
    }
    if (m_progress)
        m_progress->finished();
    return result;
}

int PosixFileBatch::copyItem(const TreePath& from, const TreePath& to, CommitMode mode,
                             bool durable) {
    // The cancel is asked between items; a signal alone does not end a copy. Times and
    // attributes the target's file system cannot hold (a FAT memory stick) do not undo a
    // complete copy, but the item says it lacks them.
    const CopyOutcome outcome = copyWholeFile(m_fileSystem, from, to, mode, nullptr, durable);
    return outcome.error != 0 ? outcome.error : outcome.keptError();
}

int PosixFileBatch::moveItem(const TreePath& from, const TreePath& to, CommitMode mode) {
    const int error = m_fileSystem.renameNoReplace(from, to);
    if (error != EXDEV && (error != kErrorFileExists || mode == CommitMode::NoReplace))
        return error;
    // Another file system, or an older target to replace: a complete copy takes the target's
    // place first (a read-only target is refused), and only then the source goes.
    // A copy without all of the source's facts keeps the source, which still has them.
    if (const int copyError = copyItem(from, to, mode, true))
        return copyError;
    return m_fileSystem.removeFile(from);
}

} // namespace ryk
