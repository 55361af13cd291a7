#include "platform/posix/PosixFileBatch.h"

#include "platform/ErrorCodes.h"
#include "platform/FileCopy.h"
#include "platform/FileSystem.h"

namespace ryk {

BatchResult PosixFileBatch::run(BatchFunction function, const std::vector<TreePath>& from,
                                const std::vector<TreePath>& to,
                                const std::vector<PlannedTarget>& targets) {
    BatchResult result;
    const size_t count = from.size();
    result.errors.assign(count, kErrorCancelled);
    for (size_t i = 0; i < count; ++i) {
        if (m_progress && !m_progress->step(i, count, from[i].path)) {
            result.cancelled = true;
            break;
        }
        if (function != BatchFunction::Delete && (i >= to.size() || i >= targets.size())) {
            result.errors[i] = EINVAL;
            continue;
        }
        switch (function) {
        case BatchFunction::Copy: {
            const CopyOutcome copied = copyItem(from[i], to[i], targets[i]);
            result.errors[i] = copied.error != 0 ? copied.error : copied.keptError();
        } break;
        case BatchFunction::Move:
            result.errors[i] = moveItem(from[i], to[i], targets[i]);
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

CopyOutcome PosixFileBatch::copyItem(const TreePath& from, const TreePath& to,
                                     const PlannedTarget& target, bool durable) {
    // The cancel is asked between items; a signal alone does not end a copy. Times and
    // attributes the target's file system cannot hold (a FAT memory stick) do not undo a
    // complete copy, but the item says it lacks them.
    return copyWholeFile(m_fileSystem, from, to, target, nullptr, durable);
}

int PosixFileBatch::moveItem(const TreePath& from, const TreePath& to,
                             const PlannedTarget& target) {
    const int error = m_fileSystem.renameNoReplace(from, to);
    if (error != EXDEV && (error != kErrorFileExists || target.mode == CommitMode::NoReplace))
        return error;
    // Another file system, or an older target to replace: a complete copy takes the target's
    // place first (a read-only target is refused), and only then the source goes.
    const CopyOutcome copied = copyItem(from, to, target, true);
    if (copied.error != 0)
        return copied.error;
    // A copy without all of the source's facts keeps the source, which still has them.
    if (const int kept = copied.keptError())
        return kept;
    // Only the file copied goes: one renamed over the source meanwhile stays.
    if (!copied.sourceKnown)
        return kErrorSourceReplaced;
    return m_fileSystem.removeFileIfSame(from, copied.source);
}

} // namespace ryk
